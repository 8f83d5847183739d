// What the game's camera follow and actions ask of casts beside the cast
// record: a cast's mesh for ray tests, its "SPHR" spheres, the points of its
// frames, turns about its own up axis and its live parameters read as numbers.
#pragma once

#include <cstdint>

#include "platform/math/math_types.h"

class Cast;
class Mesh;
class MotionFrame;
struct ScriptValue;

// The mesh rays and sweeps meet: that of the mesh container of the root frame
// of the cast's class model. Null without a class, model or mesh.
const Mesh* CastMesh(const Cast& cast);

// The nearest hit of the ray (origin, direction) on the cast's mesh, both in
// the cast's own axes, as a distance in lengths of direction. False without
// a mesh or a hit.
bool RayHitsCastMesh(const Cast& cast, const Vector3& origin, const Vector3& direction, float* distance);

// The inverse of a world matrix; the identity for one that has none (a cast
// whose rotation a script set to zero), so no point leaves as NaN.
Matrix InverseOrIdentity(const Matrix& m);

// A track's "SPHR" value at a time. `found` is false only for a missing or
// empty track; a track whose keys hold no sphere answers the zero sphere.
struct KeySphere {
  bool found = false;
  Vector3 centre{0.0f, 0.0f, 0.0f};
  float radius = 0.0f;
  std::uint32_t bits = 0;
};
KeySphere TrackSphere(const MotionFrame* track, std::int32_t time);
// The sphere of the first track of the cast's current motion at its motion time.
KeySphere CastSphere(const Cast& cast);

// A point in a frame's axes (the root frame for a name the model lacks, or
// for null) carried into world axes with the cast's position; the cast's
// position when it has no model. The model keeps the last pose made.
Vector3 FramePoint(const Cast& cast, const char* frame, const Vector3& point);

// The rotation by `angle` about the y axis.
Quaternion YawRotation(float angle);
// Turns the cast by `angle` about its own up axis (the yaw first, then its rotation).
void TurnCast(Cast& cast, float angle);

// A live parameter's number; 0 for a parameter that holds none.
float NumberOf(const ScriptValue& value);

// The angle of `angle` measured into [0, 2 pi) by whole turns.
float WrapAngle(float angle);
