// Ray-triangle intersection and bounding spheres.
#include "platform/math/intersect.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <vector>

#include "platform/math/math_expect.h"

namespace {

TEST(IntersectTri, HitsFromBothSidesWithBarycentricsAndDistance) {
  for (const auto& row : ReadTableRows(kTables / "triangle_hits.rows", 4, 6)) {
    // A miss leaves the outputs alone.
    float u = -7, v = -7, distance = -7;
    const bool hit = IntersectTri({0, 0, 0}, {1, 0, 0}, {0, 1, 0}, Parse<Vector3>(row[1]), Parse<Vector3>(row[2]), &u,
                                  &v, &distance);
    EXPECT_EQ(row[3] != "miss", hit) << row[0];
    EXPECT_TRUE(IsNear(Vector3{u, v, distance}, hit ? Parse<Vector3>(row[3]) : Vector3{-7, -7, -7}, 1e-6f)) << row[0];
  }
}

TEST(IntersectTri, HitPointAgreesOnTriangleAndRay) {
  const Vector3 p0{10, -3, 7}, p1{14, 2, 5}, p2{9, 4, 12};
  // Aim at a known point inside: weights 0.3 and 0.45 of the two edges.
  const Vector3 target = p0 + (p1 - p0) * 0.3f + (p2 - p0) * 0.45f;
  const Vector3 origin{-20, 15, -8};
  const Vector3 direction = (target - origin) * 0.25f;
  float u = 0, v = 0, distance = 0;
  ASSERT_TRUE(IntersectTri(p0, p1, p2, origin, direction, &u, &v, &distance));
  EXPECT_TRUE(IsNear(Vector3{u, v, distance}, Vector3{0.3f, 0.45f, 4.0f}));
  EXPECT_TRUE(IntersectTri(p0, p1, p2, origin, direction, nullptr, nullptr, nullptr));
  // A triangle without area is never hit.
  EXPECT_FALSE(IntersectTri(p0, p1, {18, 7, 3}, origin, {1, 2, 3}, &u, &v, &distance));
  EXPECT_FALSE(IntersectTri(p0, p0, p0, origin, p0 - origin, &u, &v, &distance));
}

TEST(BoundingSphere, CentreIsMeanAndRadiusLargestDistance) {
  for (const auto& row : ReadTableRows(kTables / "bounding_spheres.rows", 4, 6)) {
    std::vector<Vector3> points;
    std::istringstream words(row[1]);
    for (std::string word; words >> word;) points.push_back(Parse<Vector3>(word));
    Vector3 centre{1, 2, 3};
    float radius = -1;
    EXPECT_EQ(!points.empty(), ComputeBoundingSphere(points.data(), points.size(), &centre, &radius)) << row[0];
    EXPECT_TRUE(IsNear(Vector4{centre.x, centre.y, centre.z, radius}, Parse<Vector4>(row[2] + "," + row[3]))) << row[0];
  }
}

TEST(BoundingSphere, ReadsPositionsFromInterleavedUnalignedVerticesAndRefusesNone) {
  struct Vertex {
    float position[3], normal[3], uv[2];
  };
  const Vertex vertices[3] = {{{0, 0, 0}, {9, 9, 9}, {9, 9}},
                              {{0, 0, 0}, {9, 9, 9}, {9, 9}},
                              {{0, 6, 0}, {9, 9, 9}, {9, 9}}};
  // One byte in, so the floats sit at odd addresses.
  unsigned char bytes[1 + sizeof(vertices)];
  std::memcpy(bytes + 1, vertices, sizeof(vertices));
  Vector3 centre{};
  float radius = 0;
  ASSERT_TRUE(ComputeBoundingSphere(bytes + 1, 3, sizeof(Vertex), &centre, &radius));
  EXPECT_TRUE(IsNear(centre, Vector3{0, 2, 0}));
  EXPECT_FLOAT_EQ(radius, 4.0f);
  radius = 5;
  EXPECT_FALSE(ComputeBoundingSphere(nullptr, 4, 12, &centre, &radius));
  EXPECT_EQ(radius, 0.0f);
}

}  // namespace
