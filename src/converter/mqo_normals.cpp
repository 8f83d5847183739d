// Smoothed corner normals of the skin objects. Each corner sums the face
// normals of the corners near it whose faces meet below the facet angle. A
// grid of cells finds the near corners without comparing every pair, and the
// sum runs in face and corner order as a comparison of every pair would, so
// the result is the same to the last bit.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
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
// Dot products farther than this from the facet's cosine decide the angle
// test on their own: the angles then differ by more than 0.005 degrees, far
// beyond the rounding of acos.
constexpr float kCosineMargin = 1e-4f;

Vector3 Position(const MqoVertex& v) { return {v.x, v.y, v.z}; }

bool IsFinite(const Vector3& p) { return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z); }

// Whether two face normals meet below the facet angle. The angle itself, the
// costliest part of the smoothing, is worked out only where the dot product
// lies near the facet's cosine.
class FacetTest {
 public:
  explicit FacetTest(float facet)
      : facet_(facet),
        quick_(facet > 0.0f && facet <= 180.0f),
        cosine_(static_cast<float>(std::cos(static_cast<double>(facet) / kDegreesPerRadian))) {}

  bool Below(const Vector3& a, const Vector3& b) const {
    const float dot = Vec3Dot(a, b);
    if (quick_ && dot > cosine_ + kCosineMargin) return true;
    if (quick_ && dot < cosine_ - kCosineMargin) return false;
    // Rounding can carry the dot product of unit vectors just past 1, where
    // acos has no value; equal normals must still meet at angle 0.
    return std::acos(std::clamp(dot, -1.0f, 1.0f)) * kDegreesPerRadian < facet_;
  }

 private:
  float facet_;
  bool quick_;
  float cosine_;
};

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

// Corners at one position: they have the same corners near them.
struct Place {
  Vector3 position;
  std::vector<std::uint32_t> corners;  // ascending
};

// The finite positions of the corners, each once, in a grid of cells.
void GatherPlaces(const std::vector<Corner>& corners, std::vector<Place>& places,
                  std::unordered_map<CellKey, std::vector<std::uint32_t>, CellHash>& cells) {
  for (std::size_t i = 0; i < corners.size(); ++i) {
    const Vector3& p = corners[i].position;
    if (!IsFinite(p)) continue;  // near nothing, not even itself
    std::vector<std::uint32_t>& cell = cells[CellOf(p)];
    auto found = std::find_if(cell.begin(), cell.end(), [&](std::uint32_t id) { return places[id].position == p; });
    if (found == cell.end()) {
      cell.push_back(static_cast<std::uint32_t>(places.size()));
      places.push_back({p, {}});
      found = cell.end() - 1;
    }
    places[*found].corners.push_back(static_cast<std::uint32_t>(i));
  }
}

void ComputeObjectNormals(MqoObject& object) {
  std::vector<Corner> corners;
  corners.reserve(object.faces.size() * 3);
  for (std::size_t f = 0; f < object.faces.size(); ++f) {
    MqoFace& face = object.faces[f];
    // Two-corner lines have no plane; the reader keeps them in bone objects only.
    const int n = face.cornerCount;
    if (n < 3) continue;
    auto at = [&](int c) {
      return Position(object.vertices[static_cast<std::size_t>(face.vertices[static_cast<std::size_t>(c)])]);
    };
    for (int c = 0; c < n; ++c) {
      const Vector3 p = at(c);
      // Coincident corners give a zero edge; Vec3Normalize keeps it zero.
      const Vector3 next = Vec3Normalize(at((c + 1) % n) - p);
      const Vector3 previous = Vec3Normalize(at((c - 1 + n) % n) - p);
      const Vector3 normal = Vec3Normalize(Vec3Cross(next, previous));
      corners.push_back({p, normal, static_cast<std::uint32_t>(f), static_cast<std::uint32_t>(c)});
      face.normals[static_cast<std::size_t>(c)] = {normal.x, normal.y, normal.z};
    }
  }
  if (object.facet == 0.0f) return;

  // A corner at no finite position sums nothing.
  for (const Corner& corner : corners)
    if (!IsFinite(corner.position)) object.faces[corner.face].normals[corner.corner] = {0.0f, 0.0f, 0.0f};

  std::vector<Place> places;
  std::unordered_map<CellKey, std::vector<std::uint32_t>, CellHash> cells;
  cells.reserve(corners.size() / 2);
  GatherPlaces(corners, places, cells);
  const FacetTest facet(object.facet);
  std::vector<std::uint32_t> nearby;
  std::vector<std::uint8_t> meets;                    // per corner of the place, per near corner
  std::vector<std::pair<std::size_t, Vector3>> sums;  // the corner that made each, and the sum
  for (const Place& here : places) {
    nearby.clear();
    const CellKey centre = CellOf(here.position);
    for (std::int64_t dx = -1; dx <= 1; ++dx)
      for (std::int64_t dy = -1; dy <= 1; ++dy)
        for (std::int64_t dz = -1; dz <= 1; ++dz) {
          const auto cell = cells.find({centre.x + dx, centre.y + dy, centre.z + dz});
          if (cell == cells.end()) continue;
          for (std::uint32_t id : cell->second) {
            const Vector3 d = places[id].position - here.position;
            if (std::fabs(d.x) + std::fabs(d.y) + std::fabs(d.z) < kNearDistance)
              nearby.insert(nearby.end(), places[id].corners.begin(), places[id].corners.end());
          }
        }
    std::sort(nearby.begin(), nearby.end());
    // Corners of one place whose faces meet the same near faces get the same
    // sum: on a smooth surface all of them do, so each sum is made once.
    const std::size_t n = nearby.size();
    meets.resize(here.corners.size() * n);
    sums.clear();
    for (std::size_t k = 0; k < here.corners.size(); ++k) {
      const Corner& corner = corners[here.corners[k]];
      std::uint8_t* mine = meets.data() + k * n;
      for (std::size_t i = 0; i < n; ++i) mine[i] = facet.Below(corner.faceNormal, corners[nearby[i]].faceNormal);
      std::size_t same = 0;
      while (same < sums.size() && std::memcmp(meets.data() + sums[same].first * n, mine, n) != 0) ++same;
      if (same == sums.size()) {
        Vector3 sum{0.0f, 0.0f, 0.0f};
        for (std::size_t i = 0; i < n; ++i)
          if (mine[i]) sum = Vec3Normalize(sum + corners[nearby[i]].faceNormal);
        sums.emplace_back(k, sum);
      }
      const Vector3& sum = sums[same].second;
      object.faces[corner.face].normals[corner.corner] = {sum.x, sum.y, sum.z};
    }
  }
}

}  // namespace

void ComputeBodyNormals(XConverter& model) {
  for (MqoObject& object : model.objects)
    if (IsBodyObject(object)) ComputeObjectNormals(object);
}
