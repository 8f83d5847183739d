// Mesh geometry queries over the mesh's bounding-volume hierarchy.
#include "platform/mesh/mesh_queries.h"

#include "platform/math/intersect.h"
#include "platform/mesh/mesh_bvh.h"

bool IntersectMesh(const Mesh& mesh, const Vector3& origin, const Vector3& direction,
                   RayHit* hit) {
  return mesh.Bvh().IntersectRay(mesh, origin, direction, hit);
}

void CollectFacesInBox(const Mesh& mesh, const Vector3& lo, const Vector3& hi,
                       std::vector<std::uint32_t>* faces) {
  mesh.Bvh().CollectFacesInBox(mesh, lo, hi, faces);
}

void ComputeMeshBoundingSphere(const Mesh& mesh, Vector3* centre, float* radius) {
  ComputeBoundingSphere(mesh.VertexBytes().data(), mesh.GetNumVertices(),
                        mesh.GetNumBytesPerVertex(), centre, radius);
}
