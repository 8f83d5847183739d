// Angle-weighted vertex normals and position-matched face adjacency.
#include "platform/mesh/mesh_normals.h"

#include <algorithm>
#include <cmath>
#include <cstring>

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

namespace {

// For each vertex, the first vertex at the same position (bit for bit), found
// through an open-addressing table of vertex numbers: no allocation per vertex.
std::vector<std::uint32_t> FirstVertexAtEachPosition(const Mesh& mesh) {
  constexpr std::uint32_t kEmpty = 0xFFFFFFFFu;
  const std::uint32_t numVertices = mesh.GetNumVertices();
  int bits = 4;
  while ((std::size_t{1} << bits) < static_cast<std::size_t>(numVertices) * 2) ++bits;
  const std::size_t capacity = std::size_t{1} << bits, mask = capacity - 1;
  std::vector<std::uint32_t> slots(capacity, kEmpty);
  std::vector<std::uint32_t> point(numVertices);
  const std::uint8_t* vertices = mesh.VertexBytes().data();
  const std::size_t stride = mesh.GetNumBytesPerVertex();
  for (std::uint32_t v = 0; v < numVertices; ++v) {
    // The position is the first 12 bytes of a vertex.
    const std::uint8_t* position = vertices + v * stride;
    std::uint32_t words[3];
    std::memcpy(words, position, sizeof words);
    // Coordinates repeat across rows of a grid and their low bits are often
    // zero, so every bit is mixed into the top bits that pick the slot.
    std::uint64_t h = (words[0] | static_cast<std::uint64_t>(words[1]) << 32) ^
                      static_cast<std::uint64_t>(words[2]) * 0x9E3779B97F4A7C15ull;
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCDull;
    h ^= h >> 33;
    h *= 0xC4CEB9FE1A85EC53ull;
    for (std::size_t slot = h >> (64 - bits);; slot = (slot + 1) & mask) {
      const std::uint32_t other = slots[slot];
      if (other == kEmpty) {
        slots[slot] = v;
        point[v] = v;
        break;
      }
      if (std::memcmp(vertices + other * stride, position, sizeof words) == 0) {
        point[v] = other;
        break;
      }
    }
  }
  return point;
}

}  // namespace

std::vector<std::uint32_t> GenerateAdjacency(const Mesh& mesh) {
  constexpr std::uint32_t kNone = 0xFFFFFFFFu;
  const std::uint32_t numFaces = mesh.GetNumFaces();
  const std::uint32_t numVertices = mesh.GetNumVertices();
  std::vector<std::uint32_t> adjacency(static_cast<std::size_t>(numFaces) * 3, kNone);
  const std::vector<std::uint32_t> point = FirstVertexAtEachPosition(mesh);

  // Edges are filed under their lower end point (counted, then placed), each
  // as (upper end point, face * 3 + edge); within a point they stay in face
  // order. Sorting a point's few edges then brings each edge's faces
  // together, still in face order: two flat arrays instead of a list per edge.
  std::vector<std::uint32_t> end(static_cast<std::size_t>(numVertices) + 1, 0);
  auto forEachEdge = [&](auto&& visit) {
    for (std::uint32_t f = 0; f < numFaces; ++f) {
      std::uint32_t c[3];
      mesh.GetFace(f, c);
      for (std::uint32_t k = 0; k < 3; ++k) {
        const std::uint32_t a = point[c[k]], b = point[c[(k + 1) % 3]];
        if (a != b) visit(std::min(a, b), std::max(a, b), f * 3 + k);
      }
    }
  };
  forEachEdge([&](std::uint32_t lower, std::uint32_t, std::uint32_t) { ++end[lower + 1]; });
  for (std::uint32_t v = 0; v < numVertices; ++v) end[v + 1] += end[v];
  std::vector<std::uint64_t> edges(end[numVertices]);
  // Placing moves each end[lower] up to the end of that point's run.
  forEachEdge([&](std::uint32_t lower, std::uint32_t upper, std::uint32_t entry) {
    edges[end[lower]++] = static_cast<std::uint64_t>(upper) << 32 | entry;
  });

  // Non-manifold edges (more than two faces) pair up in face order; a scan
  // that pairs each entry with the next free one stays linear.
  std::size_t begin = 0;
  for (std::uint32_t v = 0; v < numVertices; ++v) {
    const auto first = edges.begin() + static_cast<std::ptrdiff_t>(begin);
    const auto last = edges.begin() + static_cast<std::ptrdiff_t>(end[v]);
    begin = end[v];
    if (last - first < 2) continue;
    std::sort(first, last);
    std::uint32_t pending = kNone;
    for (auto it = first; it != last; ++it) {
      const std::uint32_t entry = static_cast<std::uint32_t>(*it);
      if (it != first && (*it >> 32) != (*(it - 1) >> 32)) pending = kNone;
      if (pending != kNone && pending / 3 != entry / 3) {
        adjacency[pending] = entry / 3;
        adjacency[entry] = pending / 3;
        pending = kNone;
      } else if (pending == kNone) {
        pending = entry;
      }
    }
  }
  return adjacency;
}
