// Bounding-volume hierarchy: median split on the widest axis of the face
// centres, leaves of a few faces, refit in place for skinned meshes.
#include "platform/mesh/mesh_bvh.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/math/intersect.h"

namespace {

constexpr std::uint32_t kLeafFaces = 4;
// Median splits halve the faces at every level, so 2^24 faces need about 23
// levels; the traversal stacks have room to spare.
constexpr int kMaxStack = 96;

// A NaN centre would break the ordering nth_element relies on.
float SortKey(float value) { return std::isnan(value) ? 0.0f : value; }

bool Overlaps(const float lo[3], const float hi[3], const Vector3& qlo, const Vector3& qhi) {
  return lo[0] <= qhi.x && hi[0] >= qlo.x && lo[1] <= qhi.y && hi[1] >= qlo.y &&
         lo[2] <= qhi.z && hi[2] >= qlo.z;
}

}  // namespace

void MeshBvh::FaceBounds(const Mesh& mesh, std::uint32_t face, float lo[3], float hi[3]) const {
  std::uint32_t corners[3];
  mesh.GetFace(face, corners);
  const Vector3 a = mesh.Position(corners[0]);
  const Vector3 b = mesh.Position(corners[1]);
  const Vector3 c = mesh.Position(corners[2]);
  lo[0] = std::min({a.x, b.x, c.x});
  lo[1] = std::min({a.y, b.y, c.y});
  lo[2] = std::min({a.z, b.z, c.z});
  hi[0] = std::max({a.x, b.x, c.x});
  hi[1] = std::max({a.y, b.y, c.y});
  hi[2] = std::max({a.z, b.z, c.z});
}

MeshBvh::MeshBvh(const Mesh& mesh) {
  const std::uint32_t numFaces = mesh.GetNumFaces();
  faces_.resize(numFaces);
  centres_.resize(static_cast<std::size_t>(numFaces) * 3);
  for (std::uint32_t f = 0; f < numFaces; ++f) {
    faces_[f] = f;
    float lo[3], hi[3];
    FaceBounds(mesh, f, lo, hi);
    for (int k = 0; k < 3; ++k) centres_[f * 3 + k] = SortKey(0.5f * lo[k] + 0.5f * hi[k]);
  }
  if (numFaces == 0) return;
  nodes_.reserve(2 * (numFaces / kLeafFaces) + 1);
  faceBounds_.resize(static_cast<std::size_t>(numFaces) * 6);
  BuildNode(0, numFaces);
  centres_.clear();
  centres_.shrink_to_fit();
  Refit(mesh);
}

// Recursion depth is the tree depth, which median splits keep near log2 of the
// face count.
std::uint32_t MeshBvh::BuildNode(std::uint32_t first, std::uint32_t count) {
  const std::uint32_t index = static_cast<std::uint32_t>(nodes_.size());
  nodes_.push_back(Node{});
  if (count <= kLeafFaces) {
    nodes_[index].first = first;
    nodes_[index].count = count;
    return index;
  }
  float clo[3] = {std::numeric_limits<float>::max(), std::numeric_limits<float>::max(),
                  std::numeric_limits<float>::max()};
  float chi[3] = {-clo[0], -clo[1], -clo[2]};
  for (std::uint32_t i = first; i < first + count; ++i) {
    for (int k = 0; k < 3; ++k) {
      clo[k] = std::min(clo[k], centres_[faces_[i] * 3 + k]);
      chi[k] = std::max(chi[k], centres_[faces_[i] * 3 + k]);
    }
  }
  int axis = 0;
  for (int k = 1; k < 3; ++k) {
    if (chi[k] - clo[k] > chi[axis] - clo[axis]) axis = k;
  }
  const std::uint32_t half = count / 2;
  auto begin = faces_.begin() + first;
  std::nth_element(begin, begin + half, begin + count, [&](std::uint32_t a, std::uint32_t b) {
    const float ka = centres_[a * 3 + axis], kb = centres_[b * 3 + axis];
    return ka < kb || (ka == kb && a < b);
  });
  BuildNode(first, half);
  const std::uint32_t right = BuildNode(first + half, count - half);
  nodes_[index].first = right;
  nodes_[index].count = 0;
  return index;
}

void MeshBvh::Refit(const Mesh& mesh) {
  // Children always follow their parent, so a backward pass sees both
  // children of a node before the node itself.
  for (std::size_t i = nodes_.size(); i-- > 0;) {
    Node& node = nodes_[i];
    float lo[3] = {std::numeric_limits<float>::infinity(), std::numeric_limits<float>::infinity(),
                   std::numeric_limits<float>::infinity()};
    float hi[3] = {-lo[0], -lo[1], -lo[2]};
    auto grow = [&](const float flo[3], const float fhi[3]) {
      for (int k = 0; k < 3; ++k) {
        // Written so that a NaN corner widens the box to everything rather
        // than hiding the face.
        lo[k] = flo[k] >= lo[k] ? lo[k] : (std::isnan(flo[k]) ? -INFINITY : flo[k]);
        hi[k] = fhi[k] <= hi[k] ? hi[k] : (std::isnan(fhi[k]) ? INFINITY : fhi[k]);
      }
    };
    if (node.count > 0) {
      for (std::uint32_t j = node.first; j < node.first + node.count; ++j) {
        float* bounds = &faceBounds_[static_cast<std::size_t>(j) * 6];
        FaceBounds(mesh, faces_[j], bounds, bounds + 3);
        grow(bounds, bounds + 3);
      }
    } else {
      const Node& left = nodes_[i + 1];
      const Node& right = nodes_[node.first];
      grow(left.lo, left.hi);
      grow(right.lo, right.hi);
    }
    std::copy(lo, lo + 3, node.lo);
    std::copy(hi, hi + 3, node.hi);
  }
}

void MeshBvh::CollectFacesInBox(const Mesh&, const Vector3& lo, const Vector3& hi,
                                std::vector<std::uint32_t>* faces) const {
  faces->clear();
  if (nodes_.empty()) return;
  std::uint32_t stack[kMaxStack];
  int top = 0;
  stack[top++] = 0;
  while (top > 0) {
    const Node& node = nodes_[stack[--top]];
    if (!Overlaps(node.lo, node.hi, lo, hi)) continue;
    if (node.count > 0) {
      for (std::uint32_t j = node.first; j < node.first + node.count; ++j) {
        const float* bounds = &faceBounds_[static_cast<std::size_t>(j) * 6];
        if (Overlaps(bounds, bounds + 3, lo, hi)) faces->push_back(faces_[j]);
      }
      continue;
    }
    const std::uint32_t self = static_cast<std::uint32_t>(&node - nodes_.data());
    if (top + 2 > kMaxStack) break;  // cannot happen with median splits
    stack[top++] = node.first;
    stack[top++] = self + 1;
  }
  std::sort(faces->begin(), faces->end());
}

bool MeshBvh::IntersectRay(const Mesh& mesh, const Vector3& origin, const Vector3& direction,
                           RayHit* hit) const {
  if (nodes_.empty()) return false;
  const float o[3] = {origin.x, origin.y, origin.z};
  const float d[3] = {direction.x, direction.y, direction.z};
  float inv[3];
  for (int k = 0; k < 3; ++k) inv[k] = 1.0f / d[k];
  // Slab distances carry rounding error; widening the far end by a few
  // ulps keeps a ray that grazes a box face from skipping the triangle there.
  constexpr float kWiden = 1.0f + 4.0f * std::numeric_limits<float>::epsilon();

  bool found = false;
  RayHit best;
  best.distance = std::numeric_limits<float>::infinity();
  auto boxHit = [&](const Node& node) {
    float tNear = 0.0f;
    // Widened too, so a box holding a lower face at the same distance is
    // still opened.
    float tFar = best.distance * kWiden;
    for (int k = 0; k < 3; ++k) {
      if (d[k] == 0.0f) {
        if (o[k] < node.lo[k] || o[k] > node.hi[k]) return false;
        continue;
      }
      float t0 = (node.lo[k] - o[k]) * inv[k];
      float t1 = (node.hi[k] - o[k]) * inv[k];
      if (t0 > t1) std::swap(t0, t1);
      // NaN (an infinite box against an infinite distance) keeps the box.
      if (t0 > tNear) tNear = t0;
      if (t1 * kWiden < tFar) tFar = t1 * kWiden;
      if (tNear > tFar) return false;
    }
    return true;
  };

  std::uint32_t stack[kMaxStack];
  int top = 0;
  stack[top++] = 0;
  while (top > 0) {
    const std::uint32_t index = stack[--top];
    const Node& node = nodes_[index];
    if (!boxHit(node)) continue;
    if (node.count > 0) {
      for (std::uint32_t j = node.first; j < node.first + node.count; ++j) {
        const std::uint32_t face = faces_[j];
        std::uint32_t corners[3];
        mesh.GetFace(face, corners);
        float u, v, t;
        if (!IntersectTri(mesh.Position(corners[0]), mesh.Position(corners[1]),
                          mesh.Position(corners[2]), origin, direction, &u, &v, &t)) {
          continue;
        }
        if (!found || t < best.distance || (t == best.distance && face < best.face)) {
          found = true;
          best = RayHit{face, u, v, t};
        }
      }
      continue;
    }
    if (top + 2 > kMaxStack) break;  // cannot happen with median splits
    stack[top++] = node.first;
    stack[top++] = index + 1;
  }
  if (found && hit) *hit = best;
  return found;
}
