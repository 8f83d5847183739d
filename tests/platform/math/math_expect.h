// Whole-value near-equality checks and printers for the math tests: a failure
// shows both values in full.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <sstream>
#include <string>

#include "platform/math/math_types.h"

inline void PrintTo(const Vector2& v, std::ostream* os) { *os << "(" << v.x << ", " << v.y << ")"; }
inline void PrintTo(const Vector3& v, std::ostream* os) {
  *os << "(" << v.x << ", " << v.y << ", " << v.z << ")";
}
inline void PrintTo(const Vector4& v, std::ostream* os) {
  *os << "(" << v.x << ", " << v.y << ", " << v.z << ", " << v.w << ")";
}
inline void PrintTo(const Quaternion& q, std::ostream* os) {
  *os << "q(" << q.x << ", " << q.y << ", " << q.z << ", " << q.w << ")";
}
inline void PrintTo(const Plane& p, std::ostream* os) {
  *os << "plane(" << p.a << ", " << p.b << ", " << p.c << ", " << p.d << ")";
}
inline void PrintTo(const Matrix& m, std::ostream* os) {
  for (int r = 0; r < 4; ++r)
    *os << (r ? " / " : "[") << m.m[r][0] << " " << m.m[r][1] << " " << m.m[r][2] << " "
        << m.m[r][3];
  *os << "]";
}

template <typename T>
std::string Show(const T& value) {
  std::ostringstream os;
  PrintTo(value, &os);
  return os.str();
}

inline const float* Floats(const Vector2& v) { return &v.x; }
inline const float* Floats(const Vector3& v) { return &v.x; }
inline const float* Floats(const Vector4& v) { return &v.x; }
inline const float* Floats(const Quaternion& q) { return &q.x; }
inline const float* Floats(const Plane& p) { return &p.a; }
inline const float* Floats(const Matrix& m) { return &m.m[0][0]; }

template <typename T>
constexpr int FloatCount() {
  return static_cast<int>(sizeof(T) / sizeof(float));
}

template <typename T>
bool AllFinite(const T& value) {
  const float* f = Floats(value);
  for (int i = 0; i < FloatCount<T>(); ++i)
    if (!std::isfinite(f[i])) return false;
  return true;
}

template <typename T>
::testing::AssertionResult IsNear(const T& actual, const T& expected, float tolerance = 1e-5f) {
  const float* a = Floats(actual);
  const float* e = Floats(expected);
  for (int i = 0; i < FloatCount<T>(); ++i)
    if (!(std::fabs(a[i] - e[i]) <= tolerance))
      return ::testing::AssertionFailure()
             << Show(actual) << " differs from " << Show(expected) << " at element " << i;
  return ::testing::AssertionSuccess();
}

// q and -q are the same rotation.
inline ::testing::AssertionResult IsSameRotation(const Quaternion& actual,
                                                 const Quaternion& expected,
                                                 float tolerance = 1e-5f) {
  if (IsNear(actual, expected, tolerance)) return ::testing::AssertionSuccess();
  Quaternion negated{-expected.x, -expected.y, -expected.z, -expected.w};
  if (IsNear(actual, negated, tolerance)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << Show(actual) << " is not the rotation " << Show(expected);
}

constexpr float kPi = 3.14159265358979f;
