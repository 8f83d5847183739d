// Sphere sweeps, contact queries, the region test and edge-stopper walls: the
// calls of cases/geometry.cases against answers worked out by hand, and the
// pruned swept move against the plain one.
#include "collision/collision.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "collision/edge_walls.h"
#include "platform/math/matrix.h"
#include "platform/math/vector.h"
#include "platform/mesh/mesh.h"
#include "support/case_files.h"
#include "support/rounded_text.h"

namespace {

// A positions-only mesh from points and faces.
std::unique_ptr<Mesh> MakeMesh(const std::vector<Vector3>& points,
                               const std::vector<std::array<std::uint32_t, 3>>& faces) {
  auto mesh = Mesh::Create(std::uint32_t(faces.size()), std::uint32_t(points.size()), kFvfXyz);
  for (std::uint32_t i = 0; i < points.size(); ++i) mesh->SetPosition(i, points[i]);
  for (std::uint32_t i = 0; i < faces.size(); ++i) EXPECT_TRUE(mesh->SetFace(i, faces[i][0], faces[i][1], faces[i][2]));
  return mesh;
}

std::string Vec(const Vector3& v) { return "(" + Num(v.x) + " " + Num(v.y) + " " + Num(v.z) + ")"; }

// A square grid of n x n quads of `size`, each as two triangles, heights by `height(x, z)`.
std::unique_ptr<Mesh> MakeGrid(int n, float size, const std::function<float(int, int)>& height) {
  std::vector<Vector3> points;
  std::vector<std::array<std::uint32_t, 3>> faces;
  for (int z = 0; z <= n; ++z)
    for (int x = 0; x <= n; ++x) points.push_back({x * size, height(x, z), z * size});
  auto at = [&](int x, int z) { return std::uint32_t(z * (n + 1) + x); };
  for (int z = 0; z < n; ++z)
    for (int x = 0; x < n; ++x) {
      faces.push_back({at(x, z), at(x, z + 1), at(x + 1, z + 1)});
      faces.push_back({at(x, z), at(x + 1, z + 1), at(x + 1, z)});
    }
  return MakeMesh(points, faces);
}

// The answer to one call of the case file (see its head).
std::string Answer(const std::string& call) {
  static const auto floors = MakeMesh(
      {{0, 0, 0}, {0, 0, 10}, {10, 0, 0}, {10, 0, 10}, {0, -10, 0}, {0, -10, 10}, {10, -10, 0}},
      {{{0, 1, 2}}, {{1, 3, 2}}, {{4, 5, 6}}});
  std::istringstream words(call);
  std::string op;
  std::vector<float> n;
  words >> op;
  for (std::string word; words >> word;) n.push_back(std::strtof(word.c_str(), nullptr));
  const std::size_t given = n.size();
  n.resize(std::max<std::size_t>(given, 20));
  auto v = [&](std::size_t i) { return Vector3{n[i], n[i + 1], n[i + 2]}; };
  Vector3 point{}, normal{};
  if (op == "plane") return Num(PointPlaneDistance(v(0), v(3), v(6), v(9)));
  if (op == "axis") return Num(ProjectOnAxis(v(0), v(3), v(6)));
  if (op == "line") return IntersectSegmentSphere(&point, v(0), v(3), v(6), n[9]) ? Vec(point) : "none";
  if (op == "circle") {
    Vector2 q{};
    if (!IntersectSegmentCircle(&q, {n[0], n[1]}, {n[2], n[3]}, {n[4], n[5]}, n[6])) return "none";
    return "(" + Num(q.x) + " " + Num(q.y) + ")";
  }
  if (op == "edge")
    return SweepSphereEdge(&point, &normal, v(0), v(3), v(6), v(9), n[12]) ? Vec(point) + " " + Vec(normal) : "none";
  if (op == "sweep") {
    const TriangleHit hit = SweepSphereTriangle(&point, &normal, v(0), v(3), n[6], v(7), v(10), v(13));
    return hit == TriangleHit::kNone ? "none" : std::to_string(int(hit)) + " " + Vec(point) + " " + Vec(normal);
  }
  if (op == "segment") return ClosestPointOnSegment(v(0), n[3], v(4), v(7), &point) ? Vec(point) : "none";
  if (op == "touch") return ClosestPointOnTriangle(v(0), n[3], v(4), v(7), v(10), &point) ? Vec(point) : "none";
  if (op == "floors-sweep")
    return SweepSphereMesh(v(0), v(3), n[6], &point, &normal, *floors) ? Vec(point) + " " + Vec(normal) : "none";
  if (op == "floors-touch") {
    MeshContact contacts[4] = {};
    const std::size_t count = ClosestPointOnMesh(v(0), n[3], *floors, std::span(contacts, std::size_t(n[4])));
    std::string text = std::to_string(count) + ":";
    for (std::size_t i = 0; i < count; ++i)
      text += std::string(i ? "," : "") + " " + std::to_string(contacts[i].face) + " " + Vec(contacts[i].point) +
              " " + Vec(contacts[i].normal);
    return text;
  }
  if (op == "move") {
    std::string name;
    std::istringstream(call) >> name >> name;
    const Matrix world = name == "lowered" ? MatrixTranslation(0, -10, 0) : MatrixIdentity();
    const Matrix inverse = name == "lowered" ? MatrixTranslation(0, 10, 0) : MatrixIdentity();
    const SweepObstacle obstacle = {world, inverse, name == "walls" ? nullptr : floors.get(),
                                    name == "walls" ? floors.get() : nullptr,
                                    name == "bounded" ? Vector3{5, -10, 5} : Vector3{0, 0, 0},
                                    name == "bounded" ? 2.0f : -1.0f};
    // The numbers follow the obstacle's name, which read as 0.
    const SweepResult result = SweepSphereAmongObstacles(v(1), v(4), v(7), 1, std::span(&obstacle, 1), n[10] != 0);
    return Vec(result.position) + (result.metEdgeWall ? " wall" : "");
  }
  if (op == "walls") {
    // The faces over the points of the case file's head, three corners each.
    std::vector<std::array<std::uint32_t, 3>> faces(given / 3);
    for (std::size_t i = 0; i < faces.size(); ++i)
      faces[i] = {std::uint32_t(n[3 * i]), std::uint32_t(n[3 * i + 1]), std::uint32_t(n[3 * i + 2])};
    const auto walls = BuildEdgeWallMesh(*MakeMesh({{0, 0, 0}, {0, 0, 10}, {10, 0, 10}, {10, 0, 0}, {5, 20, 20},
                                                    {20, -20, 5}, {30, 0, 30}}, faces));
    if (!walls) return "none";
    std::string text = std::to_string(walls->GetNumVertices()) + " vertices";
    for (std::uint32_t f = 0; f < walls->GetNumFaces(); ++f) {
      std::uint32_t c[3];
      walls->GetFace(f, c);
      text += "\n" + Vec(walls->Position(c[0])) + Vec(walls->Position(c[1])) + Vec(walls->Position(c[2]));
    }
    return text;
  }
  if (op == "region") {
    const RegionProbe regions[] = {
        {{0, 0, 0}, 2, 10, 100, 0x1}, {{100, 0, 0}, 1, 10, 0, 0x4}, {{0, 120, 0}, 3, 1000, 1000, 0x8}};
    return std::to_string(GetRegionFlags(v(0), n[3], regions));
  }
  return "unknown call " + op;
}

TEST(CollisionGeometry, AnswersMatchTheCaseFile) {
  const std::string expected =
      ReadTextFile(std::filesystem::path(T3D_SOURCE_DIR) / "tests/collision/cases/geometry.cases");
  EXPECT_EQ(AnswerCalls(expected, Answer), expected);
  EXPECT_EQ(GetRegionFlags({0, 0, 0}, 0, std::span<const RegionProbe>()), 0u);
}

TEST(CollisionGeometry, MeshSweepOnALargeGrid) {
  // 100 x 100 quads of size 1 at y = 0, 20000 faces.
  const auto mesh = MakeGrid(100, 1, [](int, int) { return 0.0f; });
  Vector3 centre{}, normal{};
  ASSERT_TRUE(SweepSphereMesh({63.25f, 4, 17.5f}, {63.25f, -4, 17.5f}, 0.5f, &centre, &normal, *mesh));
  EXPECT_EQ(Vec(centre) + " " + Vec(normal), "(63.25 0.5 17.5) (0 1 0)");
  // A move that hits nothing returns the target bit for bit.
  const SweepObstacle grid[] = {{MatrixIdentity(), MatrixIdentity(), mesh.get(), nullptr, {0, 0, 0}, -1}};
  const Vector3 target{31.1f, -7.3f, -33.7f};
  EXPECT_EQ(SweepSphereAmongObstacles({30, 5, -30}, target, {0, 1, 0}, 1, grid, false).position, target);
}

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

TEST(CollisionGeometry, SweptMoveMatchesThePlainSweepOnABumpyGround) {
  // A bumpy 30 x 30 grid of 10-unit quads, a second copy turned and raised
  // as a ramp, and the grid 3 higher as walls; random moves of a sphere of
  // radius 6 across them, many of them resting on the ground. The pruned
  // sweep must give the plain sweep's result bit for bit.
  const auto bump = [](int x, int z) { return 4.0f * std::sin(x * 0.9f) * std::cos(z * 0.7f); };
  const auto ground = MakeGrid(30, 10, bump);
  const auto raised = MakeGrid(30, 10, [&](int x, int z) { return bump(x, z) + 3.0f; });
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

}  // namespace
