// The faces a shadow falls on, on meshes made in memory: the neighbours of
// the hit faces by corner position in meshes past 32768 vertices and with
// 32-bit indices, split vertices, the 128-triangle cap, and the faces left
// out (turned away from the light, or above the caster).
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <memory>
#include <set>
#include <vector>

#include "platform/math/matrix.h"
#include "platform/mesh/mesh.h"
#include "render/shadow_glare/shadow_receivers.h"

namespace {

constexpr Vector3 kDown{0.0f, -1.0f, 0.0f};

// A floor of side x side vertices one unit apart, two triangles a square,
// facing up.
std::unique_ptr<Mesh> Grid(std::uint32_t side) {
  const std::uint32_t squares = side - 1;
  auto mesh = Mesh::Create(squares * squares * 2, side * side, kFvfXyz | kFvfNormal);
  for (std::uint32_t j = 0; j < side; ++j)
    for (std::uint32_t i = 0; i < side; ++i)
      mesh->SetPosition(j * side + i, {static_cast<float>(i), 0.0f, static_cast<float>(j)});
  std::uint32_t face = 0;
  for (std::uint32_t j = 0; j < squares; ++j) {
    for (std::uint32_t i = 0; i < squares; ++i) {
      const std::uint32_t a = j * side + i, b = a + 1, d = a + side, c = d + 1;
      mesh->SetFace(face++, a, d, b);
      mesh->SetFace(face++, b, d, c);
    }
  }
  return mesh;
}

// Triangles given corner by corner, each with vertices of its own.
std::unique_ptr<Mesh> Triangles(const std::vector<std::array<Vector3, 3>>& triangles) {
  const auto count = static_cast<std::uint32_t>(triangles.size());
  auto mesh = Mesh::Create(count, 3 * count, kFvfXyz | kFvfNormal);
  for (std::uint32_t t = 0; t < count; ++t) {
    for (std::uint32_t k = 0; k < 3; ++k) mesh->SetPosition(3 * t + k, triangles[t][k]);
    mesh->SetFace(t, 3 * t, 3 * t + 1, 3 * t + 2);
  }
  return mesh;
}

// The faces that use a corner of the kept face, in face order: in a mesh
// whose vertices all lie apart, what sharing a corner position means.
std::size_t NeighbourVertices(const Mesh& mesh, std::uint32_t kept) {
  std::uint32_t c[3];
  mesh.GetFace(kept, c);
  const std::set<std::uint32_t> corners(c, c + 3);
  std::size_t count = 0;
  for (std::uint32_t f = 0; f < mesh.GetNumFaces(); ++f) {
    mesh.GetFace(f, c);
    count += corners.count(c[0]) || corners.count(c[1]) || corners.count(c[2]) ? 3 : 0;
  }
  return count;
}

}  // namespace

TEST(ShadowReceivers, TheHitFacesAndTheirNeighboursByCornerPosition) {
  // A fan of 200 triangles round one corner, facing up.
  std::vector<std::array<Vector3, 3>> fan;
  for (int k = 0; k < 200; ++k) {
    const float a = 0.0314159f * static_cast<float>(k), b = a + 0.0314159f;
    fan.push_back({Vector3{0, 0, 0}, Vector3{std::sin(a), 0, std::cos(a)}, Vector3{std::sin(b), 0, std::cos(b)}});
  }
  const auto grid = Grid(200);  // 40,000 vertices: past a 32768-bit tag set
  const auto wide = Grid(257);  // 66,049 vertices: 32-bit indices
  // The second triangle shares a position, not a vertex, with the first.
  const auto split = Triangles(
      {{{{0, 0, 0}, {0, 0, 1}, {1, 0, 0}}}, {{{1, 0, 0}, {1, 0, 1}, {2, 0, 0}}}, {{{5, 0, 5}, {5, 0, 6}, {6, 0, 5}}}});
  const auto fanned = Triangles(fan);
  const auto away = Triangles({{{{0, 0, 0}, {1, 0, 0}, {0, 0, 1}}}});
  const auto high = Triangles({{{{0, 150, 0}, {0, 150, 1}, {1, 150, 0}}}});
  const auto low = Triangles({{{{0, 50, 0}, {0, 50, 1}, {1, 50, 0}}}});
  const std::uint32_t gridLast = grid->GetNumFaces() - 1, wideLast = wide->GetNumFaces() - 1;
  const struct {
    const char* name;
    const Mesh& mesh;
    std::vector<std::uint32_t> kept;
    Vector3 caster;
    std::size_t vertices;
  } cases[] = {
      {"far corner of a large mesh", *grid, {gridLast}, {198.5f, 0, 198.5f}, NeighbourVertices(*grid, gridLast)},
      {"32-bit indices",
       *wide,
       {wideLast, 0},
       {255.5f, 0, 255.5f},
       NeighbourVertices(*wide, wideLast) + NeighbourVertices(*wide, 0)},
      {"split vertex", *split, {0}, {0, 0, 0}, 6},
      {"at most 128 triangles", *fanned, {7}, {0, 0, 0}, kMaxShadowVertices},
      {"turned away from the light", *away, {0}, {0, 0, 0}, 0},
      {"more than 100 above the caster", *high, {0}, {0, 0, 0}, 0},
      {"less than 100 above the caster", *low, {0}, {0, 0, 0}, 3},
  };
  std::vector<std::uint32_t> scratch;
  std::vector<ShadowVertex> out(kMaxShadowVertices + 30);
  for (const auto& c : cases) {
    const std::size_t count =
        CollectReceivingTriangles(c.mesh, c.kept, MatrixIdentity(), c.caster, kDown, MatrixIdentity(), &scratch, out);
    EXPECT_EQ(count, c.vertices) << c.name;
  }
  EXPECT_TRUE(wide->Has32BitIndices());
}
