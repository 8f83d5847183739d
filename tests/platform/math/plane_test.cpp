// Planes: construction, signed distances and line crossings.
#include "platform/math/plane.h"

#include <gtest/gtest.h>

#include "platform/math/math_expect.h"

namespace {

TEST(Plane, BuiltFromPointAndNormalOrThreePoints) {
  EXPECT_EQ(PlaneFromPointNormal({1, 2, 3}, {0, 2, 0}), (Plane{0, 2, 0, -4}));
  for (const auto& row : ReadTableRows(kTables / "plane_points.rows", 5, 6)) {
    const Plane plane = PlaneFromPoints(Parse<Vector3>(row[1]), Parse<Vector3>(row[2]), Parse<Vector3>(row[3]));
    EXPECT_TRUE(IsNear(plane, Parse<Plane>(row[4]))) << row[0];
  }
}

TEST(Plane, DotsGiveSignedDistances) {
  Plane p = PlaneFromPointNormal({1, 2, 3}, {0, 2, 0});
  EXPECT_FLOAT_EQ(PlaneDotCoord(p, {5, 7, 1}), 10.0f);  // 5 above, normal of length 2
  EXPECT_FLOAT_EQ(PlaneDotCoord(p, {5, 0, 1}), -4.0f);
  EXPECT_FLOAT_EQ(PlaneDotNormal(p, {5, 7, 1}), 14.0f);
  EXPECT_FLOAT_EQ(PlaneDot(p, {5, 7, 1, 0.5f}), 12.0f);
  EXPECT_TRUE(IsNear(PlaneNormalize({0, 3, 4, 10}), Plane{0, 0.6f, 0.8f, 2}));
  EXPECT_EQ(PlaneNormalize({0, 0, 0, 3}), (Plane{0, 0, 0, 3}));
}

TEST(Plane, LineCrossingFoundOnWholeLineAndParallelLinesFail) {
  for (const auto& row : ReadTableRows(kTables / "plane_crossings.rows", 4, 6)) {
    Vector3 out{9, 9, 9};
    const bool hit = PlaneIntersectLine(&out, {0, 1, 0, -2}, Parse<Vector3>(row[1]), Parse<Vector3>(row[2]));
    EXPECT_EQ(row[3] != "none", hit) << row[0];
    EXPECT_TRUE(IsNear(out, hit ? Parse<Vector3>(row[3]) : Vector3{9, 9, 9})) << row[0];
  }
  // A plane through a point with a normal, as hit tests build it.
  Vector3 out{};
  ASSERT_TRUE(PlaneIntersectLine(&out, PlaneFromPointNormal({1, 1, 1}, {1, 1, 1}), {0, 0, 0}, {1, 0, 0}));
  EXPECT_TRUE(IsNear(out, Vector3{3, 0, 0}));
}

}  // namespace
