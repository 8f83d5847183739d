// Edge-stopper walls built from small floors, and the welded list they are
// gathered in, against values worked out by hand.
#include "collision/edge_walls.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "collision/test_mesh.h"

namespace {

std::string Text(const Vector3& v) {
  char text[64];
  std::snprintf(text, sizeof text, "(%g %g %g)", v.x, v.y, v.z);
  return text;
}

// The wall faces, one line each, and the vertex count; "none" for no mesh.
std::string Walls(const Mesh* walls) {
  if (!walls) return "none";
  std::string out = std::to_string(walls->GetNumVertices()) + " vertices\n";
  for (std::uint32_t f = 0; f < walls->GetNumFaces(); ++f) {
    std::uint32_t c[3];
    walls->GetFace(f, c);
    out += Text(walls->Position(c[0])) + Text(walls->Position(c[1])) + Text(walls->Position(c[2])) + "\n";
  }
  return out;
}

}  // namespace

TEST(EdgeWalls, OpenFloorEdgesGetWallsOutsideThem) {
  // A floor of two triangles, 10 by 10 at y 0, sharing the diagonal (0 0 0)
  // to (10 0 10); a slope rising from the edge z = 10 (its far corner above
  // the floor), a slope falling from the edge x = 10 (below it). Faces with no
  // area are never floor.
  const std::vector<Vector3> points = {{0, 0, 0},  {0, 0, 10},  {10, 0, 10},  {10, 0, 0},
                                       {5, 20, 20}, {20, -20, 5}, {30, 0, 30}};
  struct Case {
    const char* name;
    std::vector<std::array<std::uint32_t, 3>> faces;
    std::string walls;
  };
  const Case cases[] = {
      {"a quad: four outer edges, no wall on the diagonal",
       {{{0, 1, 2}}, {{0, 2, 3}}},
       "16 vertices\n"
       "(-50 0 0)(-50 250 0)(-50 0 10)\n(-50 250 0)(-50 250 10)(-50 0 10)\n"
       "(0 0 60)(0 250 60)(10 0 60)\n(0 250 60)(10 250 60)(10 0 60)\n"
       "(60 0 10)(60 250 10)(60 0 0)\n(60 250 10)(60 250 0)(60 0 0)\n"
       "(10 0 -50)(10 250 -50)(0 0 -50)\n(10 250 -50)(0 250 -50)(0 0 -50)\n"},
      {"an upward slope beyond an edge: no wall there; a downward one: a wall",
       {{{0, 1, 2}}, {{0, 2, 3}}, {{1, 4, 2}}, {{2, 5, 3}}},
       "12 vertices\n"
       "(-50 0 0)(-50 250 0)(-50 0 10)\n(-50 250 0)(-50 250 10)(-50 0 10)\n"
       "(60 0 10)(60 250 10)(60 0 0)\n(60 250 10)(60 250 0)(60 0 0)\n"
       "(10 0 -50)(10 250 -50)(0 0 -50)\n(10 250 -50)(0 250 -50)(0 0 -50)\n"},
      {"steep faces and faces without area only", {{{1, 4, 2}}, {{6, 6, 6}}}, "none"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto floor = MakeMesh(points, c.faces);
    const auto walls = BuildEdgeWallMesh(*floor);
    EXPECT_EQ(Walls(walls.get()), c.walls);
  }
}

TEST(EdgeWalls, WeldedListTakesWholeTrianglesOnly) {
  const Vector3 a{0, 0, 0}, b{1, 0, 0}, c{0, 1, 0}, d{0, 0, 1};
  WeldedTriangleList list(7);
  EXPECT_TRUE(list.AddTriangle(a, b, c));
  EXPECT_TRUE(list.AddTriangle(a, c, d));  // a and c welded: one new vertex
  EXPECT_EQ(list.GetVertexCount(), 4);
  // A third triangle would need 9 indices: refused whole, so the indices stay
  // in whole triangles and a later one cannot be read shifted by strays.
  EXPECT_FALSE(list.AddTriangle(a, b, d));
  EXPECT_EQ(list.GetIndexCount(), 6);
  EXPECT_EQ(std::vector<std::uint16_t>(list.GetIndices().begin(), list.GetIndices().end()),
            (std::vector<std::uint16_t>{0, 1, 2, 0, 2, 3}));
  // -0 and 0 are one corner.
  EXPECT_EQ(list.FindVertex({-0.0f, 0, 0}), 0);
  EXPECT_EQ(list.FindVertex({5, 5, 5}), -1);
}
