// Whole-value near-equality checks and printers for the math tests (a failure
// shows both values in full), and the reader of their row files.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/math/math_types.h"
#include "support/case_files.h"

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

// Every element in order; a matrix row by row.
template <typename T>
  requires requires(const T& v) { Floats(v); }
void PrintTo(const T& value, std::ostream* os) {
  for (int i = 0; i < FloatCount<T>(); ++i) *os << (i == 0 ? "(" : i % 4 ? ", " : " / ") << Floats(value)[i];
  *os << ")";
}

template <typename T>
::testing::AssertionResult IsNear(const T& actual, const T& expected, float tolerance = 1e-5f) {
  for (int i = 0; i < FloatCount<T>(); ++i)
    if (!(std::fabs(Floats(actual)[i] - Floats(expected)[i]) <= tolerance))
      return ::testing::AssertionFailure()
             << ::testing::PrintToString(actual) << " differs from " << ::testing::PrintToString(expected)
             << " at element " << i;
  return ::testing::AssertionSuccess();
}

// q and -q are the same rotation.
inline ::testing::AssertionResult IsSameRotation(const Quaternion& actual, const Quaternion& expected,
                                                 float tolerance = 1e-5f) {
  const Quaternion negated{-expected.x, -expected.y, -expected.z, -expected.w};
  if (IsNear(actual, expected, tolerance) || IsNear(actual, negated, tolerance)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << ::testing::PrintToString(actual) << " is not the rotation "
                                       << ::testing::PrintToString(expected);
}

constexpr float kPi = 3.14159265358979f;

// The numbers of "x,y,z" (or more) of a table field.
template <typename T>
T Parse(const std::string& text) {
  T value{};
  std::istringstream in(text);
  for (int i = 0; i < FloatCount<T>() && in >> const_cast<float*>(Floats(value))[i]; ++i) in.ignore(1, ',');
  return value;
}

// The folder of the math tests' row files.
inline const std::filesystem::path kTables = std::filesystem::path(T3D_SOURCE_DIR) / "tests/platform/math/tables";
