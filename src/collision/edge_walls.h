// Edge-stopper wall geometry: the invisible walls that stand on the open edges
// of a floor mesh so that casts walking on it cannot step off. The scene builds
// one wall mesh per edge-stopper class as a scene starts; the sweeps meet it.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "platform/math/math_types.h"
#include "platform/mesh/mesh.h"

// Walls stand this high above their edge and this far out from it, on the
// side away from the floor.
constexpr float kEdgeWallHeight = 250.0f;
constexpr float kEdgeWallOffset = 50.0f;
// The vertex pool and the index list hold this many entries each; walls past
// it are not built.
constexpr std::uint16_t kEdgeWallCapacity = 10240;

// Triangles whose equal corners share one vertex (welded by exact equality
// only; -0 and 0 are equal, a corner that is not a number never welds).
class WeldedTriangleList {
 public:
  explicit WeldedTriangleList(std::uint16_t capacity);

  // All three corners or none: a triangle that does not fit leaves the list
  // as it was, so the indices stay in whole triangles.
  bool AddTriangle(const Vector3& a, const Vector3& b, const Vector3& c);
  // The vertex (welded to an equal one) and its index; false when the pool
  // or the index list is full.
  bool AddVertex(const Vector3& p);
  // The first stored vertex equal to p; -1 when there is none.
  int FindVertex(const Vector3& p) const;

  std::span<const Vector3> GetVertices() const { return vertices_; }
  std::uint16_t GetVertexCount() const { return static_cast<std::uint16_t>(vertices_.size()); }
  std::span<const std::uint16_t> GetIndices() const { return indices_; }
  std::uint16_t GetIndexCount() const { return static_cast<std::uint16_t>(indices_.size()); }

 private:
  std::uint16_t capacity_;
  std::vector<Vector3> vertices_;
  std::vector<std::uint16_t> indices_;
};

// The wall mesh (positions only, 16-bit indices, in the floor's own space) for
// the floor faces of `floor`: faces whose normal cross(b - a, c - a) lies
// within 45 degrees of up. An edge of a floor face gets a wall unless another
// floor face shares it, or a steeper face sharing it rises above the floor's
// plane (the floor meets an upward slope there). Null when no edge is open.
std::unique_ptr<Mesh> BuildEdgeWallMesh(const Mesh& floor);
