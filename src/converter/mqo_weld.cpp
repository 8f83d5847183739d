// Welding of the skin: one vertex per distinct corner (position, normal,
// texture point and weighting), in sorted order.
#include <algorithm>
#include <cstdint>
#include <cstring>
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

// A float as a word that sorts as CompareFloat orders: both zeros alike, NaN
// after every number.
std::uint32_t SortWord(float value) {
  if (value != value) return 0xFFFFFFFFu;
  if (value == 0.0f) value = 0.0f;
  std::uint32_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  return (bits & 0x80000000u) != 0 ? ~bits : bits | 0x80000000u;
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

// The record of one face corner: its vertex with the corner's normal and
// texture point.
MqoVertex CornerRecord(const MqoObject& object, const MqoFace& face, std::size_t corner) {
  MqoVertex record = object.vertices[static_cast<std::size_t>(face.vertices[corner])];
  record.nx = face.normals[corner][0];
  record.ny = face.normals[corner][1];
  record.nz = face.normals[corner][2];
  record.u = face.u[corner];
  record.v = face.v[corner];
  return record;
}

void WeldObject(MqoObject& object) {
  constexpr std::uint32_t kNone = 0xFFFFFFFFu;
  // Equal records mostly come from the corners of one vertex, so those are
  // made one first, by the vertex's own short list; only the distinct records
  // are sorted. Each keeps the record of its first corner, as a stable sort
  // of every corner followed by keeping the first of each run would.
  std::vector<MqoVertex> distinct;
  std::vector<std::uint32_t> distinctOfCorner;
  distinctOfCorner.reserve(object.faces.size() * 3);
  std::vector<std::uint32_t> firstOfVertex(object.vertices.size(), kNone);
  std::vector<std::uint32_t> nextOfSameVertex;
  for (const MqoFace& face : object.faces)
    for (int c = 0; c < face.cornerCount; ++c) {
      const auto k = static_cast<std::size_t>(c);
      const MqoVertex record = CornerRecord(object, face, k);
      std::uint32_t& first = firstOfVertex[static_cast<std::size_t>(face.vertices[k])];
      std::uint32_t id = first;
      while (id != kNone && CompareVertex(distinct[id], record) != 0) id = nextOfSameVertex[id];
      if (id == kNone) {
        id = static_cast<std::uint32_t>(distinct.size());
        distinct.push_back(record);
        nextOfSameVertex.push_back(first);
        first = id;
      }
      distinctOfCorner.push_back(id);
    }

  // Most records differ in x or y already: those two, as one word, settle
  // most comparisons without reading the records.
  struct Item {
    std::uint64_t xy;
    std::uint32_t id;
  };
  std::vector<Item> items(distinct.size());
  for (std::uint32_t i = 0; i < items.size(); ++i)
    items[i] = {(std::uint64_t{SortWord(distinct[i].x)} << 32) | SortWord(distinct[i].y), i};
  std::sort(items.begin(), items.end(), [&](const Item& a, const Item& b) {
    if (a.xy != b.xy) return a.xy < b.xy;
    const int order = CompareVertex(distinct[a.id], distinct[b.id]);
    return order != 0 ? order < 0 : a.id < b.id;
  });

  std::vector<MqoVertex> kept;
  std::vector<std::int32_t> newIndex(distinct.size());
  for (const Item& item : items) {
    if (kept.empty() || CompareVertex(kept.back(), distinct[item.id]) != 0) kept.push_back(distinct[item.id]);
    newIndex[item.id] = static_cast<std::int32_t>(kept.size() - 1);
  }
  std::size_t next = 0;
  for (MqoFace& face : object.faces)
    for (int c = 0; c < face.cornerCount; ++c)
      face.vertices[static_cast<std::size_t>(c)] = newIndex[distinctOfCorner[next++]];
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
