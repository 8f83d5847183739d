// Vertex normals computed from the faces, and face adjacency; used by the .x
// loader and by the model layer for meshes that come without normals.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/mesh/mesh.h"

// Each vertex normal := the normalised sum of the unit normals of the faces
// that use the vertex, each weighted by the face's angle at that corner. Face
// normals follow the corner order, cross(b - a, c - a). Only vertices that share
// an index share a normal. A vertex no face uses, or whose sum vanishes, gets
// (0, 0, 0). Does nothing when the format has no normal.
void ComputeNormals(Mesh* mesh);

// Three entries per face: for edge k (corner k to corner k + 1) the other face
// that has the same edge with the same end positions, or 0xFFFFFFFF. Corners
// are matched by position, so faces joined across a split vertex are adjacent.
std::vector<std::uint32_t> GenerateAdjacency(const Mesh& mesh);
