// Welding of the skin: one vertex per distinct corner (position, normal,
// texture point and weighting), in sorted order.
#include <algorithm>
#include <new>
#include <vector>

#include "converter/mqo_bones.h"

namespace {

// A total order on floats (NaN after every number), so a damaged model cannot
// break the sort.
int CompareFloat(float a, float b) {
  if (a < b) return -1;
  if (b < a) return 1;
  const bool aNan = a != a, bNan = b != b;
  return aNan == bNan ? 0 : (aNan ? 1 : -1);
}

int CompareVertex(const MqoVertex& a, const MqoVertex& b) {
  const float ka[] = {a.x, a.y, a.z, a.nx, a.ny, a.nz, a.u, a.v};
  const float kb[] = {b.x, b.y, b.z, b.nx, b.ny, b.nz, b.u, b.v};
  for (std::size_t i = 0; i < 8; ++i)
    if (int r = CompareFloat(ka[i], kb[i])) return r;
  for (std::size_t s = 0; s < a.bones.size(); ++s) {
    if (a.bones[s] != b.bones[s]) return a.bones[s] < b.bones[s] ? -1 : 1;
    if (int r = CompareFloat(a.weights[s], b.weights[s])) return r;
  }
  return 0;
}

void WeldObject(MqoObject& object) {
  std::vector<MqoVertex> records;
  records.reserve(object.faces.size() * 3);
  for (const MqoFace& face : object.faces)
    for (int c = 0; c < face.cornerCount; ++c) {
      const auto k = static_cast<std::size_t>(c);
      MqoVertex record = object.vertices[static_cast<std::size_t>(face.vertices[k])];
      record.nx = face.normals[k][0];
      record.ny = face.normals[k][1];
      record.nz = face.normals[k][2];
      record.u = face.u[k];
      record.v = face.v[k];
      records.push_back(record);
    }
  std::vector<std::size_t> order(records.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return CompareVertex(records[a], records[b]) < 0; });

  std::vector<MqoVertex> kept;
  std::vector<std::int32_t> newIndex(records.size());
  for (std::size_t i = 0; i < order.size(); ++i) {
    if (kept.empty() || CompareVertex(kept.back(), records[order[i]]) != 0) kept.push_back(records[order[i]]);
    newIndex[order[i]] = static_cast<std::int32_t>(kept.size() - 1);
  }
  std::size_t next = 0;
  for (MqoFace& face : object.faces)
    for (int c = 0; c < face.cornerCount; ++c) face.vertices[static_cast<std::size_t>(c)] = newIndex[next++];
  object.vertices = std::move(kept);
}

}  // namespace

bool WeldBodyVertices(XConverter& model) {
  try {
    for (MqoObject& object : model.objects)
      if (IsBodyObject(object)) WeldObject(object);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}
