// Edge-stopper walls: which floor edges are open, the wall quad on each, and
// the welded triangle list the quads are gathered in.
#include "collision/edge_walls.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "platform/math/vector.h"

namespace {

// A face counts as floor below this angle between its normal and up.
constexpr float kFloorLimit = 0.7853982f;

bool IsNumber(const Vector3& p) { return !std::isnan(p.x) && !std::isnan(p.y) && !std::isnan(p.z); }

// -0 and 0 are equal points and must meet in sorting and welding.
float Canonical(float value) { return value == 0.0f ? 0.0f : value; }

Vector3 PlaneNormal(const Vector3& a, const Vector3& b, const Vector3& c) {
  return Vec3Cross(b - a, c - a);
}

// A face without area has no direction, so it is never floor.
bool IsFloor(const Vector3& normal) {
  const float length = Vec3Length(normal);
  if (!(length > 0.0f)) return false;
  const float cosine = std::clamp(normal.y / length, -1.0f, 1.0f);
  return std::acos(cosine) < kFloorLimit;
}

// One edge of one face, keyed by its two end points in a fixed order so that
// the faces sharing an edge, either way round, sort next to each other.
struct EdgeEntry {
  std::array<float, 6> key;
  std::uint32_t face;
  int edge;  // from corner `edge` to corner (edge + 1) % 3
};

std::array<float, 6> EdgeKey(const Vector3& p, const Vector3& q) {
  std::array<float, 3> a{Canonical(p.x), Canonical(p.y), Canonical(p.z)};
  std::array<float, 3> b{Canonical(q.x), Canonical(q.y), Canonical(q.z)};
  if (b < a) std::swap(a, b);
  return {a[0], a[1], a[2], b[0], b[1], b[2]};
}

struct FaceCorners {
  Vector3 corner[3];
};

FaceCorners Corners(const Mesh& mesh, std::uint32_t face) {
  std::uint32_t index[3];
  mesh.GetFace(face, index);
  return {{mesh.Position(index[0]), mesh.Position(index[1]), mesh.Position(index[2])}};
}

// The wall quad on the edge p -> q, moved out from the floor.
void AddWall(WeldedTriangleList& list, const Vector3& p, const Vector3& q) {
  const Vector3 up{0.0f, kEdgeWallHeight, 0.0f};
  Vector3 topP = p + up;
  Vector3 topQ = q + up;
  const Vector3 n = Vec3Normalize(PlaneNormal(p, topP, q));
  if (n == Vector3{0.0f, 0.0f, 0.0f}) return;
  const Vector3 out = n * -kEdgeWallOffset;
  const Vector3 p2 = p + out, q2 = q + out;
  topP += out;
  topQ += out;
  // A full list ends the walls there; the triangles already in stay whole.
  list.AddTriangle(p2, topP, q2);
  list.AddTriangle(topP, topQ, q2);
}

}  // namespace

WeldedTriangleList::WeldedTriangleList(std::uint16_t capacity) : capacity_(capacity) {
  vertices_.reserve(capacity);
  indices_.reserve(capacity);
}

int WeldedTriangleList::FindVertex(const Vector3& p) const {
  for (std::size_t i = 0; i < vertices_.size(); ++i) {
    if (vertices_[i] == p) return static_cast<int>(i);
  }
  return -1;
}

bool WeldedTriangleList::AddVertex(const Vector3& p) {
  int index = FindVertex(p);
  if (index < 0) {
    if (vertices_.size() >= capacity_) return false;
    index = static_cast<int>(vertices_.size());
    vertices_.push_back(p);
  }
  if (indices_.size() >= capacity_) return false;
  indices_.push_back(static_cast<std::uint16_t>(index));
  return true;
}

bool WeldedTriangleList::AddTriangle(const Vector3& a, const Vector3& b, const Vector3& c) {
  // A full index list takes no triangle; saying so before the search keeps a
  // floor with more open edges than fit from costing a search per edge.
  if (indices_.size() + 3 > capacity_) return false;
  const std::size_t vertexCount = vertices_.size();
  const std::size_t indexCount = indices_.size();
  if (AddVertex(a) && AddVertex(b) && AddVertex(c)) return true;
  vertices_.resize(vertexCount);
  indices_.resize(indexCount);
  return false;
}

std::unique_ptr<Mesh> BuildEdgeWallMesh(const Mesh& floor) {
  const std::uint32_t faceCount = floor.GetNumFaces();
  // Every edge whose end points are numbers, sorted so that shared edges are
  // found by search instead of by comparing every face with every other.
  std::vector<EdgeEntry> edges;
  edges.reserve(static_cast<std::size_t>(faceCount) * 3);
  std::vector<bool> floorFace(faceCount);
  for (std::uint32_t f = 0; f < faceCount; ++f) {
    const FaceCorners t = Corners(floor, f);
    floorFace[f] = IsFloor(PlaneNormal(t.corner[0], t.corner[1], t.corner[2]));
    for (int e = 0; e < 3; ++e) {
      const Vector3& p = t.corner[e];
      const Vector3& q = t.corner[(e + 1) % 3];
      if (IsNumber(p) && IsNumber(q)) edges.push_back({EdgeKey(p, q), f, e});
    }
  }
  auto byKey = [](const EdgeEntry& a, const EdgeEntry& b) { return a.key < b.key; };
  std::sort(edges.begin(), edges.end(), byKey);

  WeldedTriangleList list(kEdgeWallCapacity);
  for (std::uint32_t f = 0; f < faceCount; ++f) {
    if (!floorFace[f]) continue;
    const FaceCorners t = Corners(floor, f);
    const Vector3 normal = PlaneNormal(t.corner[0], t.corner[1], t.corner[2]);
    for (int e = 0; e < 3; ++e) {
      const Vector3& p = t.corner[e];
      const Vector3& q = t.corner[(e + 1) % 3];
      bool closed = false;
      bool walled = false;
      if (IsNumber(p) && IsNumber(q)) {
        const EdgeEntry probe{EdgeKey(p, q), 0, 0};
        auto [first, last] = std::equal_range(edges.begin(), edges.end(), probe, byKey);
        for (auto it = first; it != last && !closed; ++it) {
          if (it->face == f) continue;
          if (floorFace[it->face]) {
            closed = true;
          } else {
            // A steeper neighbour whose far corner rises above the floor is a
            // slope up from it: no wall; one falling away is an edge to guard.
            const Vector3 third = Corners(floor, it->face).corner[(it->edge + 2) % 3];
            if (Vec3Dot(third - t.corner[0], normal) > 0.0f) walled = true;
          }
        }
      }
      if (!closed && !walled) AddWall(list, p, q);
    }
  }

  const std::uint32_t wallFaces = list.GetIndexCount() / 3u;
  if (wallFaces == 0) return nullptr;
  std::unique_ptr<Mesh> mesh = Mesh::Create(wallFaces, list.GetVertexCount(), kFvfXyz);
  if (!mesh) return nullptr;
  for (std::uint16_t v = 0; v < list.GetVertexCount(); ++v) mesh->SetPosition(v, list.GetVertices()[v]);
  const std::span<const std::uint16_t> indices = list.GetIndices();
  for (std::uint32_t face = 0; face < wallFaces; ++face)
    mesh->SetFace(face, indices[face * 3], indices[face * 3 + 1], indices[face * 3 + 2]);
  return mesh;
}
