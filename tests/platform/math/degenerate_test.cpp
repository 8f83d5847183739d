// Degenerate input (zero vectors, singular or empty matrices, zero axes, flat
// volumes, coincident keys) gives finite results everywhere. The zero inputs
// with exact answers (zero vectors, axes and quaternions, empty planes and
// point sets) are checked with their values in the other math tests.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "platform/math/math_expect.h"
#include "platform/math/matrix.h"
#include "platform/math/quaternion.h"
#include "platform/math/vector.h"

namespace {

template <typename T>
std::vector<float> AsFloats(const T& value) {
  const float* f = Floats(value);
  return std::vector<float>(f, f + FloatCount<T>());
}

// The squad through four keys, at 0.4 from the second.
std::vector<float> SquadThrough(Quaternion q0, Quaternion q1, Quaternion q2, Quaternion q3) {
  Quaternion a, b, c;
  QuaternionSquadSetup(&a, &b, &c, q0, q1, q2, q3);
  return AsFloats(QuaternionSquad(q1, a, b, c, 0.4f));
}

TEST(Degenerate, ResultsStayFinite) {
  const Vector3 zero{0, 0, 0};
  const Quaternion q0{0, 0, 0, 0};
  const Quaternion q = QuaternionRotationAxis({1, 2, 3}, 0.5f);
  const Matrix singular = MatrixScaling(0, 0, 0);
  const Matrix perspective = MatrixPerspectiveFovLH(1, 1, 1, 100);
  const std::pair<const char*, std::function<std::vector<float>()>> cases[] = {
      {"normalize underflowing", [&] { return AsFloats(Vec3Normalize({1e-30f, 0, 0})); }},
      {"normalize denormal", [&] { return AsFloats(Vec3Normalize({1e-40f, 0, 0})); }},
      {"coord on the eye plane", [&] { return AsFloats(Vec3TransformCoord({1, 2, 0}, perspective)); }},
      {"coord 2 through zero", [&] { return AsFloats(Vec2TransformCoord({1, 2}, Matrix{})); }},
      {"project through zero matrices",
       [&] { return AsFloats(Vec3Project({1, 2, 3}, {0, 0, 0, 0, 0, 0}, Matrix{}, Matrix{}, Matrix{})); }},
      {"rotation of zero quaternion", [&] { return AsFloats(MatrixRotationQuaternion(q0)); }},
      {"look at the eye", [&] { return AsFloats(MatrixLookAtLH({1, 2, 3}, {1, 2, 3}, {0, 1, 0})); }},
      {"look along up", [&] { return AsFloats(MatrixLookAtLH({0, 0, 0}, {0, 5, 0}, {0, 1, 0})); }},
      {"look without up", [&] { return AsFloats(MatrixLookAtRH({0, 0, 0}, {0, 0, 5}, zero)); }},
      {"perspective all zero", [&] { return AsFloats(MatrixPerspectiveFovLH(0, 0, 5, 5)); }},
      {"perspective flat depth", [&] { return AsFloats(MatrixPerspectiveFovLH(1, 1, 5, 5)); }},
      {"perspective half turn field", [&] { return AsFloats(MatrixPerspectiveFovLH(2 * kPi, 1, 1, 9)); }},
      {"ortho all zero", [&] { return AsFloats(MatrixOrthoRH(0, 0, 3, 3)); }},
      {"ortho tiny", [&] { return AsFloats(MatrixOrthoRH(1e-39f, 1e-39f, 0, 1e-39f)); }},
      {"quaternion of zero matrix", [&] { return AsFloats(QuaternionRotationMatrix(Matrix{})); }},
      {"quaternion of collapsed matrix", [&] { return AsFloats(QuaternionRotationMatrix(singular)); }},
      {"quaternion of mirror", [&] { return AsFloats(QuaternionRotationMatrix(MatrixScaling(-1, -1, -1))); }},
      {"quaternion of big scale", [&] { return AsFloats(QuaternionRotationMatrix(MatrixScaling(-9, 5, -9))); }},
      {"inverse of tiny", [&] { return AsFloats(QuaternionInverse({1e-20f, 0, 0, 0})); }},
      {"inverse of underflowing", [&] { return AsFloats(QuaternionInverse({1e-30f, 0, 0, 0})); }},
      {"ln of zero", [&] { return AsFloats(QuaternionLn(q0)); }},
      {"ln of minus one", [&] { return AsFloats(QuaternionLn({0, 0, 0, -1})); }},
      {"ln of long", [&] { return AsFloats(QuaternionLn({3, 0, 0, 5})); }},
      {"axis angle of long",
       [&] {
         Vector3 axis{};
         float angle = 0;
         QuaternionToAxisAngle({0, 0, 0, 2}, &axis, &angle);
         return std::vector<float>{axis.x, axis.y, axis.z, angle};
       }},
      {"slerp zeros", [&] { return AsFloats(QuaternionSlerp(q0, q0, 0.5f)); }},
      {"slerp equal keys", [&] { return AsFloats(QuaternionSlerp(q, q, 0.3f)); }},
      {"slerp opposite signs", [&] { return AsFloats(QuaternionSlerp(q, -q, 0.5f)); }},
      {"slerp long", [&] { return AsFloats(QuaternionSlerp(q, q * 3.0f, 0.5f)); }},
      {"slerp extrapolated", [&] { return AsFloats(QuaternionSlerp(q, QuaternionIdentity(), 2.0f)); }},
      {"squad set-up equal keys", [&] { return SquadThrough(q, q, q, q); }},
      {"squad set-up zero keys", [&] { return SquadThrough(q0, q0, q0, q0); }},
      {"squad set-up half turns", [&] { return SquadThrough({1, 0, 0, 0}, {0, 1, 0, 0}, {1, 0, 0, 0}, {0, 1, 0, 0}); }},
  };
  for (const auto& [name, run] : cases)
    for (float f : run()) EXPECT_TRUE(std::isfinite(f)) << name;
}

}  // namespace
