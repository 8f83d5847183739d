// Questions asked of a mesh's geometry: the nearest ray hit, the faces near a
// box, the bounding sphere of the vertices. Used by models, collision, shadows
// and the game's aiming and camera code.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/math/math_types.h"
#include "platform/mesh/mesh.h"

// The nearest triangle of the mesh that the ray from origin along direction
// meets, from either side, at a distance of 0 or more in units of direction.
// On equal distances the lower face index wins, as a scan in face order gives.
bool IntersectMesh(const Mesh& mesh, const Vector3& origin, const Vector3& direction,
                   RayHit* hit);

// The faces whose corner extent overlaps [lo, hi] in every axis (bounds
// included), ascending. `faces` is cleared first; reuse it to avoid allocation.
void CollectFacesInBox(const Mesh& mesh, const Vector3& lo, const Vector3& hi,
                       std::vector<std::uint32_t>* faces);

// Centre := the mean of the vertex positions, radius := the largest distance
// from it.
void ComputeMeshBoundingSphere(const Mesh& mesh, Vector3* centre, float* radius);
