// The welded list edge-stopper walls are gathered in (the walls themselves are
// calls of cases/geometry.cases).
#include "collision/edge_walls.h"

#include <gtest/gtest.h>

#include <vector>

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
