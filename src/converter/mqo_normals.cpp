// Smoothed corner normals of the skin objects. Each corner sums the face
// normals of the corners near it whose faces meet below the facet angle; a
// grid of cells finds those corners without comparing every pair, and the sum
// runs in face and corner order as a comparison of every pair would, so the
// result is the same to the last bit.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "converter/mqo_bones.h"
#include "platform/math/vector.h"

namespace {

constexpr float kDegreesPerRadian = 57.295776f;
// Corners this close (sum of the axis distances) share their smoothing.
constexpr float kNearDistance = 0.1f * 3.0f;
// Wider than the near distance, so that corners near each other always lie in
// the same or in neighbouring cells, rounding of the division included.
constexpr double kCellSize = kNearDistance * 1.25;
// Cell coordinates stay far inside 64 bits; huge coordinates share the last
// cell, which costs comparisons but never changes a result.
constexpr double kLargestCell = 1e15;

Vector3 Position(const MqoVertex& v) { return {v.x, v.y, v.z}; }

// Rounding error can carry the dot product of two unit vectors just past 1,
// where acos has no value; equal normals must still meet at angle 0.
float AngleDegrees(const Vector3& a, const Vector3& b) {
  const float dot = std::clamp(Vec3Dot(a, b), -1.0f, 1.0f);
  return std::acos(dot) * kDegreesPerRadian;
}

bool IsFinite(const Vector3& p) { return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z); }

struct CellKey {
  std::int64_t x, y, z;
  bool operator==(const CellKey&) const = default;
};

struct CellHash {
  std::size_t operator()(const CellKey& k) const {
    std::uint64_t h = static_cast<std::uint64_t>(k.x) * 0x9E3779B97F4A7C15ull;
    h ^= static_cast<std::uint64_t>(k.y) * 0xC2B2AE3D27D4EB4Full + (h << 6) + (h >> 2);
    h ^= static_cast<std::uint64_t>(k.z) * 0x165667B19E3779F9ull + (h << 6) + (h >> 2);
    return static_cast<std::size_t>(h);
  }
};

std::int64_t CellOf(float value) {
  const double cell = std::floor(static_cast<double>(value) / kCellSize);
  return static_cast<std::int64_t>(std::clamp(cell, -kLargestCell, kLargestCell));
}

CellKey CellOf(const Vector3& p) { return {CellOf(p.x), CellOf(p.y), CellOf(p.z)}; }

struct Corner {
  Vector3 position;
  Vector3 faceNormal;
  std::uint32_t face;
  std::uint32_t corner;
};

void ComputeObjectNormals(MqoObject& object) {
  std::vector<Corner> corners;
  corners.reserve(object.faces.size() * 3);
  for (std::size_t f = 0; f < object.faces.size(); ++f) {
    MqoFace& face = object.faces[f];
    // Two-corner lines have no plane; the reader keeps them in bone objects only.
    const int n = face.cornerCount;
    if (n < 3) continue;
    auto at = [&](int c) { return Position(object.vertices[static_cast<std::size_t>(face.vertices[static_cast<std::size_t>(c)])]); };
    for (int c = 0; c < n; ++c) {
      const Vector3 p = at(c);
      // Coincident corners give a zero edge; Vec3Normalize keeps it zero.
      const Vector3 normal = Vec3Normalize(Vec3Cross(Vec3Normalize(at((c + 1) % n) - p), Vec3Normalize(at((c - 1 + n) % n) - p)));
      corners.push_back({p, normal, static_cast<std::uint32_t>(f), static_cast<std::uint32_t>(c)});
      face.normals[static_cast<std::size_t>(c)] = {normal.x, normal.y, normal.z};
    }
  }
  if (object.facet == 0.0f) return;

  // A corner whose position is not finite is near no corner, not even itself.
  std::unordered_map<CellKey, std::vector<std::uint32_t>, CellHash> cells;
  for (std::size_t i = 0; i < corners.size(); ++i)
    if (IsFinite(corners[i].position)) cells[CellOf(corners[i].position)].push_back(static_cast<std::uint32_t>(i));

  std::vector<std::uint32_t> nearby;
  for (const Corner& here : corners) {
    Vector3 sum{0.0f, 0.0f, 0.0f};
    if (IsFinite(here.position)) {
      nearby.clear();
      const CellKey centre = CellOf(here.position);
      for (std::int64_t dx = -1; dx <= 1; ++dx)
        for (std::int64_t dy = -1; dy <= 1; ++dy)
          for (std::int64_t dz = -1; dz <= 1; ++dz) {
            const auto cell = cells.find({centre.x + dx, centre.y + dy, centre.z + dz});
            if (cell != cells.end()) nearby.insert(nearby.end(), cell->second.begin(), cell->second.end());
          }
      std::sort(nearby.begin(), nearby.end());
      for (std::uint32_t j : nearby) {
        const Corner& there = corners[j];
        const Vector3 d = there.position - here.position;
        if (!(std::fabs(d.x) + std::fabs(d.y) + std::fabs(d.z) < kNearDistance)) continue;
        if (AngleDegrees(here.faceNormal, there.faceNormal) < object.facet) sum = Vec3Normalize(sum + there.faceNormal);
      }
    }
    object.faces[here.face].normals[here.corner] = {sum.x, sum.y, sum.z};
  }
}

}  // namespace

void ComputeBodyNormals(XConverter& model) {
  for (MqoObject& object : model.objects)
    if (IsBodyObject(object)) ComputeObjectNormals(object);
}
