// A bounding-volume hierarchy over the triangles of one mesh, so that ray and
// box queries against obstacles and levels of thousands of faces stay cheap.
// Owned by its Mesh (Mesh::Bvh); used by the mesh queries and collision.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/math/math_types.h"
#include "platform/mesh/mesh.h"

class MeshBvh {
 public:
  explicit MeshBvh(const Mesh& mesh);

  // Recomputes the boxes for moved vertices; the tree shape stays.
  void Refit(const Mesh& mesh);

  // The faces whose own box (the per-axis extent of their three corners)
  // overlaps [lo, hi] in all three axes, bounds included, in ascending face
  // order, so that callers see faces in the order a plain scan would give.
  void CollectFacesInBox(const Mesh& mesh, const Vector3& lo, const Vector3& hi,
                         std::vector<std::uint32_t>* faces) const;

  // The nearest face the ray meets (either side), as IntersectTri measures it;
  // on equal distances the lower face index.
  bool IntersectRay(const Mesh& mesh, const Vector3& origin, const Vector3& direction,
                    RayHit* hit) const;

  std::size_t NodeCount() const { return nodes_.size(); }

 private:
  // Nodes in depth-first order: an inner node's left child follows it, the
  // right child sits at `right`. A leaf holds `count` faces from `first`.
  struct Node {
    float lo[3];
    float hi[3];
    std::uint32_t first;  // leaf: first entry of faces_; inner: index of the right child
    std::uint32_t count;  // 0 for an inner node
  };

  void FaceBounds(const Mesh& mesh, std::uint32_t face, float lo[3], float hi[3]) const;
  std::uint32_t BuildNode(std::uint32_t first, std::uint32_t count);

  std::vector<float> centres_;  // only while building

  std::vector<Node> nodes_;
  std::vector<std::uint32_t> faces_;
  // The box of each face in faces_ order, kept by Refit, so that a query
  // reads no vertices for the faces of the leaves it opens.
  std::vector<float> faceBounds_;  // lo x y z, hi x y z per entry
};
