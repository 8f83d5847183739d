// The angle helpers of the cast passes.
#include "scene/cast/cast_angles.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "platform/math/vector.h"

namespace {
constexpr float kPi = std::numbers::pi_v<float>;
// 30 and 150 degrees.
constexpr float kSideLow = 0.5235988f;
constexpr float kSideHigh = 2.6179938f;
}  // namespace

float Vec3Angle(const Vector3& a, const Vector3& b) {
  if (a.x == b.x && a.y == b.y && a.z == b.z) return 0.0f;
  const float lengths = Vec3Length(a) * Vec3Length(b);
  // A vector without length has no direction: it counts as along the other
  // (no wall sector, no push) rather than giving NaN.
  if (!(lengths > 0.0f) || !std::isfinite(lengths)) return 0.0f;
  const float cosine = Vec3Dot(a, b) / lengths;
  if (cosine == 0.0f) return kPi / 2.0f;
  // Rounding can carry the quotient of nearly parallel vectors past 1.
  return std::acos(std::clamp(cosine, -1.0f, 1.0f));
}

bool LiesBeside(const Vector3& direction) {
  const float a = Vec3Angle({0.0f, -1.0f, 0.0f}, direction);
  return a >= kSideLow && a <= kSideHigh;
}

float Angle2D(float a, float b) {
  if (a == 0.0f) return b > 0.0f ? kPi / 2.0f : (b < 0.0f ? 3.0f * kPi / 2.0f : 0.0f);
  const float r = std::atan(b / std::fabs(a));
  if (a < 0.0f) return kPi - r;
  return b < 0.0f ? 2.0f * kPi + r : r;
}

EulerAngles QuatToEuler(const Quaternion& q) {
  EulerAngles out;
  const float s = 2.0f * (q.w * q.y - q.x * q.z);
  // A rotation that is not quite unit length may give |s| above 1; the
  // square root of a negative number would make every angle NaN.
  const float c = std::sqrt(std::max(0.0f, 1.0f - s * s));
  out.y = std::atan2(s, c);
  if (s == 1.0f || s == -1.0f || c == 0.0f) {
    out.x = std::atan2(2.0f * (q.w * q.x - q.y * q.z), 1.0f - 2.0f * q.x * q.x - 2.0f * q.z * q.z);
    out.z = 0.0f;
  } else {
    out.x = std::atan2((2.0f * q.w * q.x + 2.0f * q.y * q.z) / c, (1.0f - 2.0f * q.x * q.x - 2.0f * q.y * q.y) / c);
    out.z = std::atan2((2.0f * q.w * q.z + 2.0f * q.x * q.y) / c, (1.0f - 2.0f * q.y * q.y - 2.0f * q.z * q.z) / c);
  }
  return out;
}

Quaternion UnitRotation(const Quaternion& q) {
  const float length = std::sqrt(q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w);
  if (!(length > 0.0f) || !std::isfinite(length)) return {0.0f, 0.0f, 0.0f, 1.0f};
  return {q.x / length, q.y / length, q.z / length, q.w / length};
}
