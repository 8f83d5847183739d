// Ray and box queries through the bounding-volume hierarchy must give what a
// plain scan over every face gives, for 16- and 32-bit meshes and after
// vertices move; normals (adjacency is in the loader's case files).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <tuple>

#include "platform/math/intersect.h"
#include "platform/math/math_expect.h"
#include "platform/mesh/mesh.h"
#include "platform/mesh/mesh_bvh.h"
#include "platform/mesh/mesh_normals.h"
#include "platform/mesh/mesh_queries.h"

namespace {

// A small deterministic generator, so failures reproduce.
struct Random {
  std::uint32_t state;
  std::uint32_t Step() { return (state = state * 1664525u + 1013904223u) >> 8; }
  float Next(float lo, float hi) { return lo + (hi - lo) * static_cast<float>(Step()) / 16777216.0f; }
  std::uint32_t Below(std::uint32_t n) { return Step() % n; }
};

// Triangles scattered over a 100-unit cube; a terrain-like grid shares
// vertices in the other half.
std::unique_ptr<Mesh> RandomMesh(std::uint32_t faces, std::uint32_t vertices, std::uint32_t seed) {
  Random random{seed};
  auto mesh = Mesh::Create(faces, vertices, kFvfXyz);
  for (std::uint32_t v = 0; v < vertices; ++v) {
    mesh->SetPosition(v, {random.Next(-50, 50), random.Next(-50, 50), random.Next(-50, 50)});
  }
  for (std::uint32_t f = 0; f < faces; ++f) {
    const std::uint32_t a = random.Below(vertices);
    // Mostly small triangles, as real meshes have, with a few long ones.
    const std::uint32_t span = (f % 17 == 0) ? vertices : 64;
    const std::uint32_t b = (a + 1 + random.Below(span)) % vertices;
    const std::uint32_t c = (a + 1 + random.Below(span)) % vertices;
    mesh->SetFace(f, a, b, c);
  }
  return mesh;
}

bool ScanRay(const Mesh& mesh, const Vector3& o, const Vector3& d, RayHit* hit) {
  bool found = false;
  for (std::uint32_t f = 0; f < mesh.GetNumFaces(); ++f) {
    std::uint32_t c[3];
    mesh.GetFace(f, c);
    float u, v, t;
    if (IntersectTri(mesh.Position(c[0]), mesh.Position(c[1]), mesh.Position(c[2]), o, d, &u, &v,
                     &t) &&
        (!found || t < hit->distance)) {
      *hit = RayHit{f, u, v, t};
      found = true;
    }
  }
  return found;
}

std::vector<std::uint32_t> ScanBox(const Mesh& mesh, const Vector3& lo, const Vector3& hi) {
  std::vector<std::uint32_t> faces;
  for (std::uint32_t f = 0; f < mesh.GetNumFaces(); ++f) {
    std::uint32_t c[3];
    mesh.GetFace(f, c);
    const Vector3 p[3] = {mesh.Position(c[0]), mesh.Position(c[1]), mesh.Position(c[2])};
    const auto overlaps = [&](float Vector3::*axis) {
      return std::min({p[0].*axis, p[1].*axis, p[2].*axis}) <= hi.*axis &&
             std::max({p[0].*axis, p[1].*axis, p[2].*axis}) >= lo.*axis;
    };
    if (overlaps(&Vector3::x) && overlaps(&Vector3::y) && overlaps(&Vector3::z)) faces.push_back(f);
  }
  return faces;
}

void ExpectQueriesMatchScan(const Mesh& mesh, std::uint32_t seed, int minHits = 30) {
  Random random{seed};
  int hits = 0;
  for (int i = 0; i < 300; ++i) {
    const Vector3 o = {random.Next(-80, 80), random.Next(-80, 80), random.Next(-80, 80)};
    // Directions of every length, some along an axis (zero components).
    Vector3 d = {random.Next(-2, 2), random.Next(-2, 2), random.Next(-2, 2)};
    if (i % 7 == 0) d = {0.0f, -3.0f, 0.0f};
    RayHit expected{}, got{};
    const bool scan = ScanRay(mesh, o, d, &expected);
    ASSERT_EQ(scan, IntersectMesh(mesh, o, d, &got)) << "ray " << i;
    if (!scan) continue;
    ++hits;
    EXPECT_EQ(std::tie(expected.face, expected.distance, expected.u, expected.v),
              std::tie(got.face, got.distance, got.u, got.v)) << "ray " << i;
  }
  EXPECT_GE(hits, minHits);
  std::vector<std::uint32_t> faces;
  for (int i = 0; i < 100; ++i) {
    const Vector3 c = {random.Next(-60, 60), random.Next(-60, 60), random.Next(-60, 60)};
    const float r = random.Next(0, 15);
    const Vector3 lo = {c.x - r, c.y - r, c.z - r}, hi = {c.x + r, c.y + r, c.z + r};
    CollectFacesInBox(mesh, lo, hi, &faces);
    EXPECT_EQ(ScanBox(mesh, lo, hi), faces) << "box " << i;
  }
}

// For 16- and 32-bit meshes, a single face, and after vertices move (the
// hierarchy is built by the first queries and must follow).
TEST(MeshQueries, RayAndBoxQueriesMatchAPlainScan) {
  ExpectQueriesMatchScan(*RandomMesh(1, 3, 2), 12, 0);
  auto wide = RandomMesh(4000, 70000, 3);
  ASSERT_TRUE(wide->Has32BitIndices());
  ExpectQueriesMatchScan(*wide, 13);
  auto mesh = RandomMesh(2000, 1000, 4);
  ExpectQueriesMatchScan(*mesh, 14);
  Random random{5};
  for (std::uint32_t v = 0; v < mesh->GetNumVertices(); v += 3) {
    const Vector3 p = mesh->Position(v);
    mesh->SetPosition(v, {p.x + random.Next(-20, 20), p.y * 0.5f, p.z + 10.0f});
  }
  ExpectQueriesMatchScan(*mesh, 15);
  // Writing through the raw bytes counts as a move too.
  std::span<std::uint8_t> bytes = mesh->MutableVertexBytes();
  // Each x negated: the sign bit is the top bit of its last (little-endian) byte.
  for (std::size_t i = 0; i + 4 <= bytes.size(); i += 12) bytes[i + 3] ^= 0x80;
  ExpectQueriesMatchScan(*mesh, 16);
}

TEST(MeshQueries, EqualDistancesGoToTheLowerFace) {
  // Two copies of one triangle: the ray meets both at the same distance.
  auto mesh = Mesh::Create(6, 3, kFvfXyz);
  mesh->SetPosition(0, {-1, 0, -1});
  mesh->SetPosition(1, {1, 0, -1});
  mesh->SetPosition(2, {0, 0, 1});
  for (std::uint32_t f = 0; f < 6; ++f) mesh->SetFace(f, f % 3, (f + 1) % 3, (f + 2) % 3);
  RayHit hit;
  ASSERT_TRUE(IntersectMesh(*mesh, {0, 5, 0}, {0, -2, 0}, &hit));
  EXPECT_EQ(0u, hit.face);
  EXPECT_FLOAT_EQ(2.5f, hit.distance);
  EXPECT_FALSE(IntersectMesh(*mesh, {0, 5, 0}, {0, 2, 0}, &hit));
}

TEST(MeshNormals, NormalsAreAngleWeightedPerIndex) {
  // Vertex 0 is the right-angle corner of a floor triangle (normal +y) and a
  // 45-degree corner of a wall triangle (normal -z): weights 90 and 45 degrees.
  auto mesh = Mesh::Create(2, 6, kFvfXyz | kFvfNormal);
  const Vector3 points[6] = {{0, 0, 0}, {0, 0, 1}, {1, 0, 0}, {1, 1, 0}, {0, 0, 0}, {9, 9, 9}};
  for (std::uint32_t v = 0; v < 6; ++v) mesh->SetPosition(v, points[v]);
  mesh->SetFace(0, 0, 1, 2);
  mesh->SetFace(1, 0, 3, 2);
  ComputeNormals(mesh.get());
  EXPECT_TRUE(IsNear(mesh->Normal(0), Vector3{0, 2 / std::sqrt(5.0f), -1 / std::sqrt(5.0f)}, 1e-6f));
  // Vertex 4 sits where vertex 0 does but no face uses it; vertex 5 neither.
  EXPECT_EQ((std::vector<Vector3>{{0, 1, 0}, {0, 0, 0}, {0, 0, 0}}),
            (std::vector{mesh->Normal(1), mesh->Normal(4), mesh->Normal(5)}));
}

}  // namespace
