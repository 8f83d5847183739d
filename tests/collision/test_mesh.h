// A positions-only mesh from points and faces, for the collision tests.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/mesh/mesh.h"

inline std::unique_ptr<Mesh> MakeMesh(const std::vector<Vector3>& points,
                                      const std::vector<std::array<std::uint32_t, 3>>& faces) {
  auto mesh = Mesh::Create(static_cast<std::uint32_t>(faces.size()),
                           static_cast<std::uint32_t>(points.size()), kFvfXyz);
  for (std::uint32_t i = 0; i < points.size(); ++i) mesh->SetPosition(i, points[i]);
  for (std::uint32_t i = 0; i < faces.size(); ++i)
    EXPECT_TRUE(mesh->SetFace(i, faces[i][0], faces[i][1], faces[i][2]));
  return mesh;
}
