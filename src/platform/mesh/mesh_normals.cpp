// Angle-weighted vertex normals and position-matched face adjacency.
#include "platform/mesh/mesh_normals.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <unordered_map>

#include "platform/math/vector.h"

namespace {

float CornerAngle(const Vector3& at, const Vector3& next, const Vector3& prev) {
  const Vector3 e1 = Vec3Normalize(next - at);
  const Vector3 e2 = Vec3Normalize(prev - at);
  const float cosine = std::clamp(Vec3Dot(e1, e2), -1.0f, 1.0f);
  return std::acos(cosine);
}

}  // namespace

void ComputeNormals(Mesh* mesh) {
  if (mesh->GetLayout().normalOffset < 0) return;
  const std::uint32_t numVertices = mesh->GetNumVertices();
  std::vector<Vector3> sums(numVertices, Vector3{0.0f, 0.0f, 0.0f});
  for (std::uint32_t f = 0; f < mesh->GetNumFaces(); ++f) {
    std::uint32_t c[3];
    mesh->GetFace(f, c);
    const Vector3 p[3] = {mesh->Position(c[0]), mesh->Position(c[1]), mesh->Position(c[2])};
    const Vector3 cross = Vec3Cross(p[1] - p[0], p[2] - p[0]);
    const float length = Vec3Length(cross);
    if (!(length > 0.0f)) continue;
    const Vector3 normal = cross * (1.0f / length);
    for (int k = 0; k < 3; ++k) {
      const float angle = CornerAngle(p[k], p[(k + 1) % 3], p[(k + 2) % 3]);
      if (std::isfinite(angle)) sums[c[k]] += normal * angle;
    }
  }
  for (std::uint32_t v = 0; v < numVertices; ++v) {
    const float length = Vec3Length(sums[v]);
    mesh->SetNormal(v, length > 0.0f ? sums[v] * (1.0f / length) : Vector3{0.0f, 0.0f, 0.0f});
  }
}

std::vector<std::uint32_t> GenerateAdjacency(const Mesh& mesh) {
  const std::uint32_t numFaces = mesh.GetNumFaces();
  std::vector<std::uint32_t> adjacency(static_cast<std::size_t>(numFaces) * 3, 0xFFFFFFFFu);

  // Vertices at the same position (bit for bit) count as one point.
  std::vector<std::uint32_t> point(mesh.GetNumVertices());
  {
    struct Key {
      std::uint32_t bits[3];
      bool operator==(const Key& o) const { return std::memcmp(bits, o.bits, sizeof bits) == 0; }
    };
    struct KeyHash {
      std::size_t operator()(const Key& k) const {
        return (static_cast<std::size_t>(k.bits[0]) * 73856093u) ^
               (static_cast<std::size_t>(k.bits[1]) * 19349663u) ^
               (static_cast<std::size_t>(k.bits[2]) * 83492791u);
      }
    };
    std::unordered_map<Key, std::uint32_t, KeyHash> first;
    first.reserve(mesh.GetNumVertices());
    for (std::uint32_t v = 0; v < mesh.GetNumVertices(); ++v) {
      const Vector3 p = mesh.Position(v);
      Key key;
      std::memcpy(key.bits, &p, sizeof key.bits);
      point[v] = first.emplace(key, v).first->second;
    }
  }

  // Edges are keyed by their two end points in either direction.
  std::unordered_map<std::uint64_t, std::vector<std::uint32_t>> edges;
  edges.reserve(static_cast<std::size_t>(numFaces) * 3);
  auto edgeKey = [](std::uint32_t a, std::uint32_t b) {
    if (a > b) std::swap(a, b);
    return (static_cast<std::uint64_t>(a) << 32) | b;
  };
  for (std::uint32_t f = 0; f < numFaces; ++f) {
    std::uint32_t c[3];
    mesh.GetFace(f, c);
    for (int k = 0; k < 3; ++k) {
      const std::uint32_t a = point[c[k]], b = point[c[(k + 1) % 3]];
      if (a == b) continue;
      edges[edgeKey(a, b)].push_back(f * 3 + k);
    }
  }
  // Non-manifold edges (more than two faces) pair up in face order; a scan
  // that pairs each entry with the next free one stays linear.
  for (const auto& [key, list] : edges) {
    (void)key;
    std::uint32_t pending = 0xFFFFFFFFu;
    for (std::uint32_t entry : list) {
      if (pending != 0xFFFFFFFFu && pending / 3 != entry / 3) {
        adjacency[pending] = entry / 3;
        adjacency[entry] = pending / 3;
        pending = 0xFFFFFFFFu;
      } else if (pending == 0xFFFFFFFFu) {
        pending = entry;
      }
    }
  }
  return adjacency;
}
