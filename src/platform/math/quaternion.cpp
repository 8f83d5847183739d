// Quaternion construction, logarithm and exponential, and the spherical
// interpolations (slerp, squad) behind rotation keys, rails and cameras.
#include "platform/math/quaternion.h"

#include <algorithm>

#include "platform/math/vector.h"

namespace {

// Below this distance from parallel, the spherical weights lose precision
// (sin of a tiny angle) and the straight line is as good.
constexpr float kSlerpLinearThreshold = 0.001f;

}  // namespace

Quaternion QuaternionInverse(const Quaternion& q) {
  float lengthSq = QuaternionLengthSq(q);
  if (lengthSq == 0.0f) return {0.0f, 0.0f, 0.0f, 0.0f};
  // Divide each component rather than multiply by 1/lengthSq, which can
  // overflow for tiny quaternions and turn zero components into NaN.
  return {-q.x / lengthSq, -q.y / lengthSq, -q.z / lengthSq, q.w / lengthSq};
}

Quaternion QuaternionRotationAxis(const Vector3& axis, float angle) {
  Vector3 n = Vec3Normalize(axis);
  if (n.x == 0.0f && n.y == 0.0f && n.z == 0.0f) return QuaternionIdentity();
  float s = std::sin(angle * 0.5f);
  return {n.x * s, n.y * s, n.z * s, std::cos(angle * 0.5f)};
}

Quaternion QuaternionRotationMatrix(const Matrix& matrix) {
  const auto& m = matrix.m;
  // Read the largest of w, x, y, z from the trace or a diagonal element, and
  // the rest from the off-diagonal sums and differences; the square root is
  // then of at least 1 and the divisor never 0.
  float trace = m[0][0] + m[1][1] + m[2][2];
  if (trace > 0.0f) {
    float s = std::sqrt(trace + 1.0f) * 2.0f;  // 4w
    return {(m[1][2] - m[2][1]) / s, (m[2][0] - m[0][2]) / s, (m[0][1] - m[1][0]) / s, 0.25f * s};
  }
  if (m[0][0] >= m[1][1] && m[0][0] >= m[2][2]) {
    float s = std::sqrt(1.0f + m[0][0] - m[1][1] - m[2][2]) * 2.0f;  // 4x
    return {0.25f * s, (m[0][1] + m[1][0]) / s, (m[0][2] + m[2][0]) / s, (m[1][2] - m[2][1]) / s};
  }
  if (m[1][1] >= m[2][2]) {
    float s = std::sqrt(1.0f + m[1][1] - m[0][0] - m[2][2]) * 2.0f;  // 4y
    return {(m[0][1] + m[1][0]) / s, 0.25f * s, (m[1][2] + m[2][1]) / s, (m[2][0] - m[0][2]) / s};
  }
  float s = std::sqrt(1.0f + m[2][2] - m[0][0] - m[1][1]) * 2.0f;  // 4z
  return {(m[0][2] + m[2][0]) / s, (m[1][2] + m[2][1]) / s, 0.25f * s, (m[0][1] - m[1][0]) / s};
}

Quaternion QuaternionRotationYawPitchRoll(float yaw, float pitch, float roll) {
  float cy = std::cos(yaw * 0.5f), sy = std::sin(yaw * 0.5f);
  float cp = std::cos(pitch * 0.5f), sp = std::sin(pitch * 0.5f);
  float cr = std::cos(roll * 0.5f), sr = std::sin(roll * 0.5f);
  // The product roll, then pitch, then yaw, multiplied out.
  return {cy * sp * cr + sy * cp * sr, sy * cp * cr - cy * sp * sr, cy * cp * sr - sy * sp * cr,
          cy * cp * cr + sy * sp * sr};
}

void QuaternionToAxisAngle(const Quaternion& q, Vector3* axis, float* angle) {
  if (axis) *axis = {q.x, q.y, q.z};
  if (angle) *angle = 2.0f * std::acos(std::clamp(q.w, -1.0f, 1.0f));
}

Quaternion QuaternionLn(const Quaternion& q) {
  float v = std::sqrt(q.x * q.x + q.y * q.y + q.z * q.z);
  // No vector part: the identity (or its negative, whose axis is undefined).
  if (v == 0.0f) return {0.0f, 0.0f, 0.0f, 0.0f};
  float k = std::atan2(v, q.w) / v;
  return {q.x * k, q.y * k, q.z * k, 0.0f};
}

Quaternion QuaternionExp(const Quaternion& q) {
  float theta = std::sqrt(q.x * q.x + q.y * q.y + q.z * q.z);
  float k = theta > 0.0f ? std::sin(theta) / theta : 1.0f;
  return {q.x * k, q.y * k, q.z * k, std::cos(theta)};
}

Quaternion QuaternionSlerp(const Quaternion& q1, const Quaternion& q2, float t) {
  float cosTheta = QuaternionDot(q1, q2);
  // q and -q are the same rotation; turning toward whichever is nearer keeps
  // the arc below 180 degrees.
  float sign = 1.0f;
  if (cosTheta < 0.0f) {
    sign = -1.0f;
    cosTheta = -cosTheta;
  }
  float k1 = 1.0f - t;
  float k2 = t;
  if (1.0f - cosTheta > kSlerpLinearThreshold) {
    float theta = std::acos(cosTheta);
    float sinTheta = std::sin(theta);
    k1 = std::sin((1.0f - t) * theta) / sinTheta;
    k2 = std::sin(t * theta) / sinTheta;
  }
  return q1 * k1 + q2 * (sign * k2);
}

Quaternion QuaternionSquad(const Quaternion& q1, const Quaternion& a, const Quaternion& b,
                           const Quaternion& c, float t) {
  return QuaternionSlerp(QuaternionSlerp(q1, c, t), QuaternionSlerp(a, b, t),
                         2.0f * t * (1.0f - t));
}

namespace {

// The inner control point at key q between neighbours prev and next:
// q exp(-(ln(q^-1 next) + ln(q^-1 prev)) / 4), in this library's product order.
Quaternion SquadControl(const Quaternion& prev, const Quaternion& q, const Quaternion& next) {
  Quaternion inverse = QuaternionInverse(q);
  Quaternion toNext = QuaternionLn(QuaternionMultiply(inverse, next));
  Quaternion toPrev = QuaternionLn(QuaternionMultiply(inverse, prev));
  return QuaternionMultiply(q, QuaternionExp((toNext + toPrev) * -0.25f));
}

}  // namespace

void QuaternionSquadSetup(Quaternion* a, Quaternion* b, Quaternion* c, const Quaternion& q0,
                          const Quaternion& q1, const Quaternion& q2, const Quaternion& q3) {
  Quaternion p0 = QuaternionDot(q0, q1) < 0.0f ? -q0 : q0;
  Quaternion p2 = QuaternionDot(q1, q2) < 0.0f ? -q2 : q2;
  Quaternion p3 = QuaternionDot(p2, q3) < 0.0f ? -q3 : q3;
  *a = SquadControl(p0, q1, p2);
  *b = SquadControl(q1, p2, p3);
  *c = p2;
}
