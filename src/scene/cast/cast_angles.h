// The angle helpers of the cast passes: the angle between two vectors, the direction of a 2-D
// vector, the Euler angles of a rotation, unit rotations. The control word, actions, joints and members use them.
#pragma once

#include "platform/math/math_types.h"

// The angle between a and b: 0 when they are equal or either has no length,
// pi/2 when the cosine is exactly 0, else the arc cosine of the cosine
// (clamped, so nearly parallel vectors never give NaN).
float Vec3Angle(const Vector3& a, const Vector3& b);

// The direction lies beside the cast, between 30 and 150 degrees from
// straight down (by Vec3Angle): a wall contact, a cast being pushed.
bool LiesBeside(const Vector3& direction);

// The angle of (a, b) from the +a axis toward +b, in [0, 2 pi).
float Angle2D(float a, float b);

// About x, about y (in [-pi/2, pi/2]) and about z, in that order, in single precision.
struct EulerAngles {
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;
};
EulerAngles QuatToEuler(const Quaternion& rotation);

// A rotation as scripts and content give it (any length) made unit length,
// so that its inverse, axis and angle mean what they say; the identity for
// one without length or with a part that is not a number.
Quaternion UnitRotation(const Quaternion& rotation);
