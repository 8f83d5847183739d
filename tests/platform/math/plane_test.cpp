// Planes: construction, signed distances and line crossings.
#include "platform/math/plane.h"

#include <gtest/gtest.h>

#include "platform/math/math_expect.h"

namespace {

TEST(Plane, BuiltFromPointAndNormalOrThreePoints) {
  EXPECT_EQ(PlaneFromPointNormal({1, 2, 3}, {0, 2, 0}), (Plane{0, 2, 0, -4}));
  struct Case {
    const char* name;
    Vector3 p1, p2, p3;
    Plane expected;
  };
  const Case cases[] = {
      {"xy plane", {0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1, 0}},
      {"raised", {1, 1, 5}, {3, 1, 5}, {1, 4, 5}, {0, 0, 1, -5}},
      {"reversed order faces away", {1, 1, 5}, {1, 4, 5}, {3, 1, 5}, {0, 0, -1, 5}},
      {"slanted", {0, 0, 2}, {2, 0, 0}, {0, 2, 0}, {0.57735027f, 0.57735027f, 0.57735027f, -1.1547005f}},
      {"collinear: no plane", {0, 0, 0}, {1, 1, 1}, {2, 2, 2}, {0, 0, 0, 0}},
      {"one point: no plane", {4, 4, 4}, {4, 4, 4}, {4, 4, 4}, {0, 0, 0, 0}},
  };
  for (const Case& c : cases) EXPECT_TRUE(IsNear(PlaneFromPoints(c.p1, c.p2, c.p3), c.expected)) << c.name;
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
  const Plane y2{0, 1, 0, -2};
  struct Case {
    const char* name;
    Vector3 v1, v2;
    bool hits;
    Vector3 expected;
  };
  const Case cases[] = {
      {"between the points", {0, 0, 0}, {2, 4, 6}, true, {1, 2, 3}},
      {"beyond the second point", {0, 0, 0}, {1, 1, 1}, true, {2, 2, 2}},
      {"before the first point", {0, 3, 0}, {0, 4, 1}, true, {0, 2, -1}},
      {"parallel", {0, 0, 0}, {1, 0, 0}, false, {}},
      {"inside the plane", {0, 2, 0}, {5, 2, 5}, false, {}},
      {"no direction", {1, 1, 1}, {1, 1, 1}, false, {}},
  };
  for (const Case& c : cases) {
    Vector3 out{9, 9, 9};
    EXPECT_EQ(PlaneIntersectLine(&out, y2, c.v1, c.v2), c.hits) << c.name;
    EXPECT_TRUE(IsNear(out, c.hits ? c.expected : Vector3{9, 9, 9})) << c.name;
  }
  // A plane through a point with a normal, as hit tests build it.
  Vector3 out{};
  ASSERT_TRUE(PlaneIntersectLine(&out, PlaneFromPointNormal({1, 1, 1}, {1, 1, 1}), {0, 0, 0}, {1, 0, 0}));
  EXPECT_TRUE(IsNear(out, Vector3{3, 0, 0}));
}

}  // namespace
