// Rotation quaternions (x, y, z, w) with the platform's product order: the
// product of q1 and q2 turns by q1 first, then by q2. Used by key
// interpolation, posing, casts, cameras and rails.
#pragma once

#include <cmath>

#include "platform/math/math_types.h"

inline Quaternion QuaternionIdentity() { return {0.0f, 0.0f, 0.0f, 1.0f}; }
inline bool QuaternionIsIdentity(const Quaternion& q) { return q == QuaternionIdentity(); }

// Component-wise sums and scaling (blending, not composing rotations).
inline Quaternion operator+(const Quaternion& a, const Quaternion& b) {
  return {a.x + b.x, a.y + b.y, a.z + b.z, a.w + b.w};
}
inline Quaternion operator-(const Quaternion& a, const Quaternion& b) {
  return {a.x - b.x, a.y - b.y, a.z - b.z, a.w - b.w};
}
inline Quaternion operator-(const Quaternion& a) { return {-a.x, -a.y, -a.z, -a.w}; }
inline Quaternion operator*(const Quaternion& a, float s) {
  return {a.x * s, a.y * s, a.z * s, a.w * s};
}
inline Quaternion operator*(float s, const Quaternion& a) { return a * s; }

inline float QuaternionDot(const Quaternion& a, const Quaternion& b) {
  return a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w;
}
inline float QuaternionLengthSq(const Quaternion& q) { return QuaternionDot(q, q); }
inline float QuaternionLength(const Quaternion& q) { return std::sqrt(QuaternionLengthSq(q)); }

// The rotation q1 followed by q2 (the Hamilton product q2 q1), so that
// MatrixRotationQuaternion(QuaternionMultiply(a, b)) equals
// MatrixRotationQuaternion(a) * MatrixRotationQuaternion(b).
inline Quaternion QuaternionMultiply(const Quaternion& q1, const Quaternion& q2) {
  return {q2.w * q1.x + q2.x * q1.w + q2.y * q1.z - q2.z * q1.y,
          q2.w * q1.y - q2.x * q1.z + q2.y * q1.w + q2.z * q1.x,
          q2.w * q1.z + q2.x * q1.y - q2.y * q1.x + q2.z * q1.w,
          q2.w * q1.w - q2.x * q1.x - q2.y * q1.y - q2.z * q1.z};
}

inline Quaternion QuaternionConjugate(const Quaternion& q) { return {-q.x, -q.y, -q.z, q.w}; }

// A zero quaternion stays zero.
inline Quaternion QuaternionNormalize(const Quaternion& q) {
  float length = QuaternionLength(q);
  if (length == 0.0f) return {0.0f, 0.0f, 0.0f, 0.0f};
  return q * (1.0f / length);
}

// The conjugate over the squared length; a zero quaternion has no inverse and
// gives zero.
Quaternion QuaternionInverse(const Quaternion& q);

// Rotation by angle radians about the axis (normalised first; a zero-length
// axis gives the identity).
Quaternion QuaternionRotationAxis(const Vector3& axis, float angle);
// The rotation of the upper 3x3 of m (taken as it stands: a scaled matrix gives
// a correspondingly scaled quaternion).
Quaternion QuaternionRotationMatrix(const Matrix& m);
// Roll about Z, then pitch about X, then yaw about Y, as
// MatrixRotationYawPitchRoll.
Quaternion QuaternionRotationYawPitchRoll(float yaw, float pitch, float roll);

// *axis := the vector part (not normalised), *angle := 2 acos(w) with w
// clamped to -1..1 so that a slightly long quaternion gives 0, not NaN.
void QuaternionToAxisAngle(const Quaternion& q, Vector3* axis, float* angle);

// Logarithm of a unit quaternion (cos t, v sin t) -> (v t, 0), and its
// inverse, the exponential of a pure quaternion (w is ignored).
Quaternion QuaternionLn(const Quaternion& q);
Quaternion QuaternionExp(const Quaternion& q);

// Spherical interpolation from q1 (t = 0) to q2 (t = 1) along the shorter arc;
// linear when the two are nearly equal. The result is not normalised.
Quaternion QuaternionSlerp(const Quaternion& q1, const Quaternion& q2, float t);

// Spherical quadrangle interpolation:
// Slerp(Slerp(q1, c, t), Slerp(a, b, t), 2t(1 - t)); with a, b, c from
// QuaternionSquadSetup it passes through q1 at t = 0 and q2 at t = 1 with a
// smooth turn across keys.
Quaternion QuaternionSquad(const Quaternion& q1, const Quaternion& a, const Quaternion& b,
                           const Quaternion& c, float t);

// The control points for squad on the segment q1..q2 of the key sequence
// q0, q1, q2, q3. Each neighbour is first moved to the hemisphere of the key
// before it, so the spline takes the short way; *c receives that q2.
void QuaternionSquadSetup(Quaternion* a, Quaternion* b, Quaternion* c, const Quaternion& q0,
                          const Quaternion& q1, const Quaternion& q2, const Quaternion& q3);
