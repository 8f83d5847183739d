// Sphere sweeps, contact queries and the region test against values worked
// out by hand.
#include "collision/collision.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <vector>

#include "collision/test_mesh.h"
#include "platform/math/matrix.h"
#include "platform/math/vector.h"

namespace {

void ExpectNear(const Vector3& actual, const Vector3& expected, float tolerance = 1e-4f) {
  EXPECT_NEAR(actual.x, expected.x, tolerance);
  EXPECT_NEAR(actual.y, expected.y, tolerance);
  EXPECT_NEAR(actual.z, expected.z, tolerance);
}

// A 10 x 10 floor at y = 0 facing up (faces 0 and 1) and a smaller one at
// y = -10 (face 2).
std::unique_ptr<Mesh> MakeFloors() {
  return MakeMesh({{0, 0, 0}, {0, 0, 10}, {10, 0, 0}, {10, 0, 10}, {0, -10, 0}, {0, -10, 10},
                   {10, -10, 0}},
                  {{{0, 1, 2}}, {{1, 3, 2}}, {{4, 5, 6}}});
}

// The single up-facing floor triangle most cases use.
const Vector3 kA{0, 0, 0}, kB{0, 0, 10}, kC{10, 0, 0};

}  // namespace

TEST(CollisionGeometry, PlaneDistanceAndAxisProjection) {
  EXPECT_FLOAT_EQ(PointPlaneDistance({1, 2, 3}, {1, 0, 0}, {0, 0, 0}, {0, 0, 1}), 2.0f);
  EXPECT_FLOAT_EQ(PointPlaneDistance({1, 2, 3}, {1, 0, 0}, {0, 5, 0}, {0, 0, 1}), 3.0f);
  // Parallel directions span no plane: no distance rather than NaN.
  EXPECT_EQ(PointPlaneDistance({1, 2, 3}, {1, 0, 0}, {0, 0, 0}, {2, 0, 0}), 0.0f);
  EXPECT_FLOAT_EQ(ProjectOnAxis({3, 4, 5}, {1, 1, 1}, {0, 2, 0}), 6.0f);
}

TEST(CollisionGeometry, LineMeetsSphereOnTheWholeLine) {
  struct Case {
    Vector3 centre;
    float radius;
    bool hit;
    Vector3 point;
  };
  const Case cases[] = {
      {{10, 3, 0}, 5, true, {6, 0, 0}},     // 3-4-5 triangle
      {{10, 6, 0}, 5, false, {}},           // passes 6 away
      {{5, 2, 0}, 2, true, {5, 0, 0}},      // grazing
      {{-10, 0, 0}, 2, true, {-12, 0, 0}},  // behind the start still counts
  };
  for (const Case& c : cases) {
    Vector3 out{99, 99, 99};
    EXPECT_EQ(IntersectSegmentSphere(&out, {0, 0, 0}, {1, 0, 0}, c.centre, c.radius), c.hit);
    if (c.hit) ExpectNear(out, c.point);
  }
  Vector2 q{};
  ASSERT_TRUE(IntersectSegmentCircle(&q, {0, 0}, {0, 1}, {3, 10}, 5));
  EXPECT_NEAR(q.x, 0.0f, 1e-5f);
  EXPECT_NEAR(q.y, 6.0f, 1e-5f);
  EXPECT_FALSE(IntersectSegmentCircle(&q, {0, 0}, {0, 1}, {6, 10}, 5));
}

TEST(CollisionGeometry, SphereSweptAgainstAnEdge) {
  // The edge runs along +y from the origin, 10 long; radius 1.
  struct Case {
    Vector3 start;
    Vector3 direction;
    bool hit;
    Vector3 centre;
    Vector3 normal;
  };
  const Case cases[] = {
      {{-5, 5, 0}, {1, 0, 0}, true, {-1, 5, 0}, {-1, 0, 0}},
      {{-5, 5, 0.6f}, {1, 0, 0}, true, {-0.8f, 5, 0.6f}, {-0.8f, 0, 0.6f}},
      {{-5, 12, 0}, {1, 0, 0}, false, {}, {}},   // above the edge's end
      {{-5, -1, 0}, {1, 0, 0}, false, {}, {}},   // below its start
      {{-5, 5, 3}, {1, 0, 0}, false, {}, {}},    // passes 3 away
      {{-5, 5, 0}, {-1, 0, 0}, false, {}, {}},   // moving away
      {{-5, 5, 0}, {0, 1, 0}, false, {}, {}},    // along the edge
  };
  for (const Case& c : cases) {
    Vector3 centre{}, normal{};
    EXPECT_EQ(SweepSphereEdge(&centre, &normal, c.start, c.direction, {0, 0, 0}, {0, 10, 0}, 1),
              c.hit);
    if (c.hit) {
      ExpectNear(centre, c.centre);
      ExpectNear(normal, c.normal);
    }
  }
  Vector3 centre{}, normal{};
  EXPECT_FALSE(SweepSphereEdge(&centre, &normal, {-5, 0, 0}, {1, 0, 0}, {1, 1, 1}, {1, 1, 1}, 1));
}

TEST(CollisionGeometry, SphereSweptAgainstATriangle) {
  const float h = 0.8660254f;   // sqrt(0.75)
  const float g = 0.70710678f;  // sqrt(0.5)
  struct Case {
    Vector3 start, end;
    TriangleHit kind;
    Vector3 centre, normal;
  };
  const Case cases[] = {
      {{2, 5, 2}, {2, -5, 2}, TriangleHit::kFace, {2, 1, 2}, {0, 1, 0}},
      {{2, -1, 2}, {2, -5, 2}, TriangleHit::kNone, {}, {}},  // starts behind: one-sided
      {{2, 5, 2}, {2, 2, 2}, TriangleHit::kNone, {}, {}},    // stops short
      {{2, .5f, 2}, {2, .5f, 2}, TriangleHit::kNone, {}, {}},  // no move
      {{-.5f, 5, 2}, {-.5f, -5, 2}, TriangleHit::kEdgeAB, {-.5f, h, 2}, {-.5f, h, 0}},
      {{-.5f, 5, -.5f}, {-.5f, -5, -.5f}, TriangleHit::kVertexA, {-.5f, g, -.5f},
       {-.5f, g, -.5f}},
      {{20, 5, 20}, {20, -5, 20}, TriangleHit::kNone, {}, {}},
      // Overlapping corner a and moving away: the line meets a's sphere only
      // behind the start, which is no contact ahead.
      {{-.5f, .5f, -.5f}, {-1.5f, -.5f, -1.5f}, TriangleHit::kNone, {}, {}},
  };
  for (const Case& c : cases) {
    Vector3 centre{}, normal{};
    EXPECT_EQ(SweepSphereTriangle(&centre, &normal, c.start, c.end, 1, kA, kB, kC), c.kind);
    if (c.kind != TriangleHit::kNone) {
      ExpectNear(centre, c.centre);
      ExpectNear(normal, c.normal);
    }
  }
  Vector3 centre{}, normal{};
  EXPECT_EQ(SweepSphereTriangle(&centre, &normal, {2, 5, 2}, {2, -5, 2}, 1, {0, 0, 0}, {1, 0, 1},
                                {2, 0, 2}),
            TriangleHit::kNone);
}

TEST(CollisionGeometry, MeshSweepTakesTheNearestFace) {
  auto mesh = MakeFloors();
  Vector3 centre{}, normal{};
  ASSERT_TRUE(SweepSphereMesh({7, 5, 7}, {7, -20, 7}, 1, &centre, &normal, *mesh));
  ExpectNear(centre, {7, 1, 7});
  ExpectNear(normal, {0, 1, 0});
  EXPECT_FALSE(SweepSphereMesh({30, 5, 30}, {30, -20, 30}, 1, &centre, &normal, *mesh));
  EXPECT_FALSE(SweepSphereMesh({7, NAN, 7}, {7, -20, 7}, 1, &centre, &normal, *mesh));
}

TEST(CollisionGeometry, MeshSweepOnALargeGrid) {
  // 100 x 100 quads of size 1 at y = 0, 20000 faces.
  const int n = 100;
  std::vector<Vector3> points;
  std::vector<std::array<std::uint32_t, 3>> faces;
  for (int z = 0; z <= n; ++z)
    for (int x = 0; x <= n; ++x) points.push_back({float(x), 0, float(z)});
  auto at = [&](int x, int z) { return std::uint32_t(z * (n + 1) + x); };
  for (int z = 0; z < n; ++z)
    for (int x = 0; x < n; ++x) {
      faces.push_back({at(x, z), at(x, z + 1), at(x + 1, z)});
      faces.push_back({at(x, z + 1), at(x + 1, z + 1), at(x + 1, z)});
    }
  auto mesh = MakeMesh(points, faces);
  Vector3 centre{}, normal{};
  ASSERT_TRUE(SweepSphereMesh({63.25f, 4, 17.5f}, {63.25f, -4, 17.5f}, 0.5f, &centre, &normal,
                              *mesh));
  ExpectNear(centre, {63.25f, 0.5f, 17.5f});
  ExpectNear(normal, {0, 1, 0});
}

TEST(CollisionGeometry, SegmentCrossingOfASphere) {
  struct Case {
    Vector3 a, b, centre;
    float radius;
    bool hit;
    Vector3 point;
  };
  const Case cases[] = {
      {{-10, 0, 0}, {10, 0, 0}, {0, 3, 0}, 5, true, {-4, 0, 0}},
      {{0, 0, 0}, {10, 0, 0}, {0, 0, 0}, 5, true, {5, 0, 0}},     // a inside: the exit
      {{-1, 0, 0}, {1, 0, 0}, {0, 0, 0}, 5, false, {}},           // both ends inside
      {{-10, 0, 0}, {10, 0, 0}, {0, 6, 0}, 5, false, {}},         // misses
      {{10, 0, 0}, {20, 0, 0}, {0, 0, 0}, 5, false, {}},          // sphere behind a
      {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}, 5, false, {}},            // no length
  };
  for (const Case& c : cases) {
    Vector3 out{};
    EXPECT_EQ(ClosestPointOnSegment(c.centre, c.radius, c.a, c.b, &out), c.hit);
    if (c.hit) ExpectNear(out, c.point);
  }
}

TEST(CollisionGeometry, SphereTouchingATriangle) {
  struct Case {
    Vector3 centre;
    float radius;
    bool hit;
    Vector3 point;
  };
  const Case cases[] = {
      {{2, 3, 2}, 5, true, {2, 0, 2}},            // foot on the face
      {{2, 6, 2}, 5, false, {}},                  // too high
      {{2, -3, 2}, 5, true, {0, 0, 0}},           // below: the face test is one-sided
      {{-2, 0, 5}, 3, true, {0, 0, 2.763932f}},   // crossing of edge ab
      {{-5, 0, -5}, 3, false, {}},
  };
  for (const Case& c : cases) {
    Vector3 out{};
    EXPECT_EQ(ClosestPointOnTriangle(c.centre, c.radius, kA, kB, kC, &out), c.hit);
    if (c.hit) ExpectNear(out, c.point);
  }
  Vector3 out{};
  ASSERT_TRUE(ClosestPointOnTriangle({1, 0, 0}, 2, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, &out));
  ExpectNear(out, {0, 0, 0});
}

TEST(CollisionGeometry, MeshContactsInFaceOrderUpToCapacity) {
  auto mesh = MakeFloors();
  MeshContact contacts[4] = {};
  ASSERT_EQ(ClosestPointOnMesh({5, 2, 5}, 3, *mesh, contacts), 2u);
  for (int i = 0; i < 2; ++i) {
    ExpectNear(contacts[i].point, {5, 0, 5});
    ExpectNear(contacts[i].normal, {0, 100, 0});
    EXPECT_EQ(contacts[i].face, std::uint32_t(i));
  }
  ASSERT_EQ(ClosestPointOnMesh({5, 2, 5}, 3, *mesh, std::span<MeshContact>(contacts, 1)), 1u);
  EXPECT_EQ(contacts[0].face, 0u);
  EXPECT_EQ(ClosestPointOnMesh({5, 2, 5}, 3, *mesh, std::span<MeshContact>()), 0u);
  EXPECT_EQ(ClosestPointOnMesh({5, 20, 5}, 3, *mesh, contacts), 0u);
}

TEST(CollisionGeometry, SweptMoveAmongObstacles) {
  auto floors = MakeFloors();
  const Matrix identity = MatrixIdentity();
  const Vector3 origin{0, 0, 0};
  const SweepObstacle floor[] = {{identity, identity, floors.get(), nullptr, origin, -1}};
  const SweepObstacle lowered[] = {{MatrixTranslation(0, -10, 0), MatrixTranslation(0, 10, 0), floors.get(),
                                    nullptr, origin, -1}};
  const SweepObstacle wallsOnly[] = {{identity, identity, nullptr, floors.get(), origin, -1}};
  // A bound that the move never comes near: the floor is passed by.
  const SweepObstacle bounded[] = {{identity, identity, floors.get(), nullptr, {5, -10, 5}, 2}};
  struct Case {
    const char* name;
    std::span<const SweepObstacle> obstacles;
    Vector3 from, to, offset;
    bool walls;
    Vector3 expected;
    bool metEdgeWall;
  };
  const Case cases[] = {
      {"nothing in the way", floor, {30, 5, 30}, {31.5f, -7.25f, 33}, {0, 1, 0}, false,
       {31.5f, -7.25f, 33}, false},
      {"straight down stops on the floor", floor, {3, 5, 3}, {3, -5, 3}, {0, 1, 0}, false,
       {3, 0, 3}, false},
      {"diagonal slides without the push-outs", floor, {3, 2, 3}, {6, -1, 3}, {0, 0, 0}, false,
       {6, 1, 3}, false},
      {"moved obstacle", lowered, {3, 0, 3}, {3, -20, 3}, {0, 0, 0}, false, {3, -9, 3}, false},
      {"edge walls ignored without the flag", wallsOnly, {3, 5, 3}, {3, -5, 3}, {0, 0, 0}, false,
       {3, -5, 3}, false},
      {"edge walls met with the flag", wallsOnly, {3, 5, 3}, {3, -5, 3}, {0, 0, 0}, true,
       {3, 1, 3}, true},
      {"obstacle out of reach by its bound", bounded, {3, 5, 3}, {3, -5, 3}, {0, 0, 0}, false,
       {3, -5, 3}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const SweepResult result =
        SweepSphereAmongObstacles(c.from, c.to, c.offset, 1, c.obstacles, c.walls);
    ExpectNear(result.position, c.expected);
    EXPECT_EQ(result.metEdgeWall, c.metEdgeWall);
  }
  // A move that hits nothing returns the target bit for bit.
  const Vector3 target{31.1f, -7.3f, 33.7f};
  EXPECT_EQ(SweepSphereAmongObstacles({30, 5, 30}, target, {0, 1, 0}, 1, floor, false).position,
            target);
}

TEST(CollisionGeometry, RegionFlagsOfSpheresAndCylinders) {
  const RegionProbe regions[] = {
      {{0, 0, 0}, 2, 10, 100, 0x1},     // cylinder, height 100
      {{100, 0, 0}, 1, 10, 0, 0x4},     // sphere
      {{0, 120, 0}, 3, 1000, 1000, 0x8},  // unknown kind reaches nothing
  };
  EXPECT_EQ(GetRegionFlags({0, 120, 0}, 50, regions), 0x1u);  // 120 < 125
  EXPECT_EQ(GetRegionFlags({0, 120, 0}, 40, regions), 0x0u);  // 120 < 120 fails
  EXPECT_EQ(GetRegionFlags({100, 0, 15}, 5, regions), 0x4u);
  EXPECT_EQ(GetRegionFlags({50, 0, 0}, 50, regions), 0x5u);
  EXPECT_EQ(GetRegionFlags({0, 0, 0}, 0, std::span<const RegionProbe>()), 0u);
}

namespace {

// The swept move as plainly written: every pass sweeps every mesh whole
// (SweepSphereMesh), with no bounds and no faces passed by.
SweepResult PlainSweep(const Vector3& from, const Vector3& to, const Vector3& offset, float r,
                       std::span<const SweepObstacle> obstacles, bool walls) {
  Vector3 start = from + offset, end = to + offset, push{0, 0, 0};
  bool metWall = false;
  for (int pass = 0; pass < 10; ++pass) {
    const Vector3 move = end - start;
    if (Vec3LengthSq(move) < 1e-5f) break;
    const Vector3 backed = start - Vec3Normalize(move) * 5.0f;
    float best = Vec3LengthSq(end - backed);
    bool found = false, wall = false;
    Vector3 hitCentre{}, hitNormal{};
    for (const SweepObstacle& o : obstacles) {
      for (const Mesh* mesh : {o.mesh, walls ? o.edgeWalls : nullptr}) {
        Vector3 c, n;
        if (!mesh || !SweepSphereMesh(Vec3TransformCoord(backed, o.inverse), Vec3TransformCoord(end, o.inverse), r,
                                      &c, &n, *mesh))
          continue;
        const Vector3 wc = Vec3TransformCoord(c, o.world);
        if (!(Vec3LengthSq(wc - backed) < best)) continue;
        best = Vec3LengthSq(wc - backed);
        found = true;
        wall = mesh == o.edgeWalls;
        hitCentre = wc;
        hitNormal = Vec3TransformNormal(n, o.world);
      }
    }
    if (!found) {
      start = end;
      break;
    }
    metWall = metWall || wall;
    start = hitCentre;
    const Vector3 n = Vec3Normalize(hitNormal);
    if (n == Vector3{0, 0, 0}) break;
    const Vector3 v = end - start;
    if (Vec3Length(v) > 0 && std::acos(std::clamp(Vec3Dot(n, v) / Vec3Length(v), -1.0f, 1.0f)) >= 3.1405928f) break;
    end = end - n * Vec3Dot(n, v);
    start += n * 0.02f;
    end += n * 0.02f;
    push += n * 0.02f;
  }
  return {start - offset - push, metWall};
}

}  // namespace

TEST(CollisionGeometry, SweptMoveMatchesThePlainSweepOnABumpyGround) {
  // A bumpy 30 x 30 grid of 10-unit quads, a second copy turned and raised
  // as a ramp, and the grid 3 higher as walls; random moves of a sphere of
  // radius 6 across them, many of them resting on the ground. The pruned
  // sweep must give the plain sweep's result bit for bit.
  const int n = 30;
  std::vector<Vector3> points;
  std::vector<std::array<std::uint32_t, 3>> faces;
  for (int z = 0; z <= n; ++z)
    for (int x = 0; x <= n; ++x)
      points.push_back({x * 10.0f, 4.0f * std::sin(x * 0.9f) * std::cos(z * 0.7f), z * 10.0f});
  auto at = [&](int x, int z) { return std::uint32_t(z * (n + 1) + x); };
  for (int z = 0; z < n; ++z)
    for (int x = 0; x < n; ++x) {
      faces.push_back({at(x, z), at(x, z + 1), at(x + 1, z + 1)});
      faces.push_back({at(x, z), at(x + 1, z + 1), at(x + 1, z)});
    }
  auto ground = MakeMesh(points, faces);
  for (Vector3& p : points) p.y += 3.0f;
  auto raised = MakeMesh(points, faces);
  const Matrix turned = MatrixRotationYawPitchRoll(0.4f, 0.3f, 0.0f) * MatrixTranslation(40, 10, 30);
  Matrix turnedInverse;
  ASSERT_TRUE(MatrixInverse(&turnedInverse, nullptr, turned));
  const SweepObstacle obstacles[] = {
      {MatrixIdentity(), MatrixIdentity(), ground.get(), raised.get(), {150, 0, 150}, 220},
      {turned, turnedInverse, ground.get(), nullptr, {0, 0, 0}, -1},
  };
  std::uint32_t seed = 12345;
  auto random = [&](float lo, float hi) {
    seed = seed * 214013u + 2531011u;
    return lo + (hi - lo) * static_cast<float>((seed >> 16) & 0x7FFF) / 32767.0f;
  };
  int stopped = 0, walled = 0;
  for (int i = 0; i < 2000; ++i) {
    const Vector3 from{random(20, 280), random(0, 14), random(20, 280)};
    const Vector3 to = from + Vector3{random(-12, 12), random(-16, 4), random(-12, 12)};
    const bool walls = i % 3 == 0;
    const SweepResult plain = PlainSweep(from, to, {0, 6, 0}, 6, obstacles, walls);
    const SweepResult pruned = SweepSphereAmongObstacles(from, to, {0, 6, 0}, 6, obstacles, walls);
    ASSERT_EQ(pruned.position, plain.position) << "move " << i;
    ASSERT_EQ(pruned.metEdgeWall, plain.metEdgeWall) << "move " << i;
    stopped += !(plain.position == to);
    walled += plain.metEdgeWall;
  }
  // Most moves meet the ground, and some the walls.
  EXPECT_GT(stopped, 1000);
  EXPECT_GT(walled, 100);
}
