// Normals, bones, weights and welding of the converter's working model.
#include "converter/mqo_bones.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>
#include <vector>

#include "platform/math/vector.h"
#include "platform/system/message_box.h"

namespace {

constexpr float kDegreesPerRadian = 57.295776f;
// Corners this close (sum of the axis distances) share their smoothing.
constexpr float kNearDistance = 0.1f * 3.0f;
// Material colours only count below this distance, and only name bones below
// the second one.
constexpr float kColourConsidered = 255.0f;
constexpr float kColourMatch = 96.0f;

Vector3 Position(const MqoVertex& v) { return {v.x, v.y, v.z}; }
Vector3 ToVector(const float (&p)[3]) { return {p[0], p[1], p[2]}; }
void Store(float (&p)[3], const Vector3& v) {
  p[0] = v.x;
  p[1] = v.y;
  p[2] = v.z;
}

bool StartsWith(const char* text, const char* prefix) {
  return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

// The corner's vertex, or null when a damaged face points past the vertices.
const MqoVertex* CornerVertex(const MqoObject& object, const MqoFace& face, int corner) {
  const std::int32_t index = face.vertices[static_cast<std::size_t>(corner)];
  if (index < 0 || static_cast<std::size_t>(index) >= object.vertices.size()) return nullptr;
  return &object.vertices[static_cast<std::size_t>(index)];
}

bool UsableFace(const MqoObject& object, const MqoFace& face, int minCorners, int maxCorners) {
  if (face.cornerCount < minCorners || face.cornerCount > maxCorners) return false;
  for (int c = 0; c < face.cornerCount; ++c)
    if (CornerVertex(object, face, c) == nullptr) return false;
  return true;
}

// Rounding error can carry the dot product of two unit vectors just past 1,
// where acos has no value; equal normals must still meet at angle 0.
float AngleDegrees(const Vector3& a, const Vector3& b) {
  const float dot = std::clamp(Vec3Dot(a, b), -1.0f, 1.0f);
  return std::acos(dot) * kDegreesPerRadian;
}

// A float to int the way the message shows coordinates, without the undefined
// conversion of values an int cannot hold.
int CutToInt(float value) {
  if (!(value == value)) return 0;
  if (value >= 2147483647.0f) return std::numeric_limits<int>::max();
  if (value <= -2147483648.0f) return std::numeric_limits<int>::min();
  return static_cast<int>(value);
}

// Would making parent the parent of child close a loop? The .x writer walks
// parents, so a loop would never end.
bool MakesLoop(const std::vector<BoneNode>& bones, int child, int parent) {
  for (std::size_t steps = 0; parent >= 0 && steps <= bones.size(); ++steps) {
    if (parent == child) return true;
    parent = bones[static_cast<std::size_t>(parent)].parent;
  }
  return false;
}

void SetParent(std::vector<BoneNode>& bones, int child, int parent) {
  if (!MakesLoop(bones, child, parent)) bones[static_cast<std::size_t>(child)].parent = parent;
}

std::vector<std::string> NodeSideNames(const XConverter& model) {
  std::vector<std::string> names;
  names.reserve(model.bones.size());
  for (const BoneNode& node : model.bones) names.push_back(SideName(node.name, node.head[0]));
  return names;
}

// The root cannot hold a weight (0 marks an empty slot), so only nodes from 1
// are named.
int FindNode(const std::vector<std::string>& sideNames, const std::string& part) {
  for (std::size_t i = 1; i < sideNames.size(); ++i)
    if (sideNames[i] == part) return static_cast<int>(i);
  return -1;
}

int BonesForColourWith(const XConverter& model, const std::vector<std::string>& sideNames, std::uint32_t colour,
                       float x, std::int32_t* out) {
  const float red = static_cast<float>(colour & 0xFFu);
  const float green = static_cast<float>((colour >> 8) & 0xFFu);
  const float blue = static_cast<float>((colour >> 16) & 0xFFu);
  int best = -1;
  float bestDistance = kColourConsidered;
  for (std::size_t i = 0; i < model.materials.size(); ++i) {
    const MqoMaterial& m = model.materials[i];
    const float distance = Vec3Length({m.red * 255.0f - red, m.green * 255.0f - green, m.blue * 255.0f - blue});
    if (distance < bestDistance) {
      bestDistance = distance;
      best = static_cast<int>(i);
    }
  }
  if (best < 0 || !(bestDistance < kColourMatch)) return 0;

  const std::string name = SideName(model.materials[static_cast<std::size_t>(best)].name, x);
  int count = 0;
  auto add = [&](const std::string& part) {
    const int node = FindNode(sideNames, part);
    if (node >= 0 && count < kMaxBonesPerColour) out[count++] = node;
  };
  if (name.empty() || name[0] != '#') {
    add(name);
    return count;
  }
  std::size_t start = 1;
  for (;;) {
    const std::size_t plus = name.find('+', start);
    add(name.substr(start, plus == std::string::npos ? std::string::npos : plus - start));
    if (plus == std::string::npos) break;
    start = plus + 1;
  }
  return count;
}

}  // namespace

std::string SideName(const char* name, float x) {
  std::string side(name);
  const std::size_t mark = side.find("[]");
  if (mark != std::string::npos) side.replace(mark, std::string::npos, x <= 0.0f ? "R" : "L");
  return side;
}

void ComputeBodyNormals(XConverter& model) {
  MqoObject* body = nullptr;
  for (MqoObject& object : model.objects)
    if (std::strcmp(object.name, "body") == 0) {
      body = &object;
      break;
    }
  if (body == nullptr) return;

  struct Corner {
    Vector3 position;
    Vector3 faceNormal;
  };
  std::vector<std::vector<Corner>> corners(body->faces.size());
  for (std::size_t f = 0; f < body->faces.size(); ++f) {
    MqoFace& face = body->faces[f];
    // Faces left over by the reader have no corners; a face needs three to
    // have a plane at all.
    if (!UsableFace(*body, face, 3, kMqoMaxCorners)) continue;
    const int n = face.cornerCount;
    for (int c = 0; c < n; ++c) {
      const Vector3 p = Position(*CornerVertex(*body, face, c));
      const Vector3 next = Position(*CornerVertex(*body, face, (c + 1) % n));
      const Vector3 prev = Position(*CornerVertex(*body, face, (c - 1 + n) % n));
      // Coincident corners give a zero edge; Vec3Normalize keeps it zero.
      const Vector3 normal = Vec3Normalize(Vec3Cross(Vec3Normalize(next - p), Vec3Normalize(prev - p)));
      corners[f].push_back({p, normal});
      face.normals[static_cast<std::size_t>(c)] = {normal.x, normal.y, normal.z};
    }
  }
  if (body->facet == 0.0f) return;

  for (std::size_t f = 0; f < corners.size(); ++f) {
    for (std::size_t c = 0; c < corners[f].size(); ++c) {
      const Corner& here = corners[f][c];
      Vector3 sum{0.0f, 0.0f, 0.0f};
      for (const std::vector<Corner>& other : corners)
        for (const Corner& there : other) {
          const Vector3 d = there.position - here.position;
          if (std::fabs(d.x) + std::fabs(d.y) + std::fabs(d.z) >= kNearDistance) continue;
          if (AngleDegrees(here.faceNormal, there.faceNormal) < body->facet)
            sum = Vec3Normalize(sum + there.faceNormal);
        }
      body->faces[f].normals[c] = {sum.x, sum.y, sum.z};
    }
  }
}

bool BuildBones(XConverter& model) {
  const MqoObject* boneObject = nullptr;
  for (const MqoObject& object : model.objects)
    if (std::strcmp(object.name, "bone") == 0) {
      boneObject = &object;
      break;
    }
  if (boneObject == nullptr) return false;

  std::vector<BoneNode> bones(1);
  std::snprintf(bones[0].name, sizeof bones[0].name, "%s", "Scene_Root");
  for (const MqoFace& face : boneObject->faces) {
    if (face.cornerCount != 3 || !UsableFace(*boneObject, face, 3, 3)) continue;
    if (bones.size() >= static_cast<std::size_t>(kMaxBoneNodes)) return false;
    BoneNode node;
    // A material index past the materials leaves the bone unnamed.
    if (face.material >= 0 && static_cast<std::size_t>(face.material) < model.materials.size())
      std::snprintf(node.name, sizeof node.name, "%s", model.materials[static_cast<std::size_t>(face.material)].name);
    const Vector3 c0 = Position(*CornerVertex(*boneObject, face, 0));
    const Vector3 c1 = Position(*CornerVertex(*boneObject, face, 1));
    const Vector3 c2 = Position(*CornerVertex(*boneObject, face, 2));
    const float e01 = Vec3Length(c0 - c1), e12 = Vec3Length(c1 - c2), e20 = Vec3Length(c2 - c0);
    Vector3 head, tail;
    if (e01 > e12 && e01 > e20) {
      head = c2;
      tail = e12 <= e20 ? c0 : c1;
    } else if (e12 <= e20) {
      head = c1;
      tail = e01 <= e12 ? c2 : c0;
    } else {
      head = c0;
      tail = e01 <= e20 ? c2 : c1;
    }
    Store(node.head, head);
    Store(node.tail, tail);
    node.parent = 0;
    bones.push_back(node);
  }

  const int count = static_cast<int>(bones.size());
  for (int a = 1; a < count; ++a)
    for (int b = 1; b < count; ++b)
      if (a != b && ToVector(bones[static_cast<std::size_t>(a)].head) == ToVector(bones[static_cast<std::size_t>(b)].tail))
        SetParent(bones, a, b);

  for (const MqoFace& face : boneObject->faces) {
    if (face.cornerCount != 2 || !UsableFace(*boneObject, face, 2, 2)) continue;
    const Vector3 end0 = Position(*CornerVertex(*boneObject, face, 0));
    const Vector3 end1 = Position(*CornerVertex(*boneObject, face, 1));
    int link = -1;
    for (int i = 1; i < count; ++i) {
      const Vector3 tail = ToVector(bones[static_cast<std::size_t>(i)].tail);
      if (tail == end0 || tail == end1) link = i;
    }
    if (link < 0) continue;
    for (int i = 1; i < count; ++i) {
      const Vector3 head = ToVector(bones[static_cast<std::size_t>(i)].head);
      if (i != link && (head == end0 || head == end1)) SetParent(bones, i, link);
    }
  }
  model.bones = std::move(bones);
  return true;
}

int BonesForColour(const XConverter& model, std::uint32_t colour, float x, std::int32_t* out) {
  return BonesForColourWith(model, NodeSideNames(model), colour, x, out);
}

int ComputeWeights(XConverter& model) {
  const std::vector<std::string> sideNames = NodeSideNames(model);
  int unweighted = 0;
  for (std::size_t o = 0; o < model.objects.size(); ++o) {
    MqoObject& object = model.objects[o];
    if (!StartsWith(object.name, "body")) continue;
    std::vector<float> totals(object.vertices.size(), 0.0f);
    for (MqoVertex& v : object.vertices) {
      v.bones.fill(0);
      v.weights.fill(0.0f);
    }
    for (const MqoFace& face : object.faces) {
      for (int c = 0; c < face.cornerCount && c < kMqoMaxCorners; ++c) {
        const std::int32_t index = face.vertices[static_cast<std::size_t>(c)];
        if (index < 0 || static_cast<std::size_t>(index) >= object.vertices.size()) continue;
        MqoVertex& v = object.vertices[static_cast<std::size_t>(index)];
        const std::uint32_t colour = face.hasColour[static_cast<std::size_t>(c)] ? face.colours[static_cast<std::size_t>(c)] : 0;
        std::int32_t found[kMaxBonesPerColour];
        const int count = BonesForColourWith(model, sideNames, colour, v.x, found);
        for (int i = 0; i < count; ++i) {
          const std::int32_t bone = found[i];
          std::size_t slot = 0;
          while (slot < v.bones.size() && v.bones[slot] != 0 && v.bones[slot] != bone) ++slot;
          if (slot == v.bones.size()) continue;  // all slots hold other bones
          v.bones[slot] = bone;
          v.weights[slot] += 1.0f;
          totals[static_cast<std::size_t>(index)] += 1.0f;
        }
      }
    }
    for (std::size_t i = 0; i < object.vertices.size(); ++i) {
      MqoVertex& v = object.vertices[i];
      if (totals[i] == 0.0f) {
        char text[512];
        std::snprintf(text, sizeof text, "nTotalWeight == 0 Mesh:%d[%s] Vertex: %d (%d,%d,%d)", static_cast<int>(o),
                      object.name, static_cast<int>(i), CutToInt(v.x), CutToInt(v.y), CutToInt(v.z));
        ShowMessageBox(text, "XConverter");
        ++unweighted;
        continue;
      }
      for (std::size_t s = 0; s < v.bones.size(); ++s)
        if (v.bones[s] != 0) v.weights[s] /= totals[i];
    }
  }
  model.weightsComputed = true;
  return unweighted;
}

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
  std::vector<std::size_t> recordOfCorner;
  for (const MqoFace& face : object.faces)
    for (int c = 0; c < face.cornerCount && c < kMqoMaxCorners; ++c) {
      const MqoVertex* source = CornerVertex(object, face, c);
      MqoVertex record = source != nullptr ? *source : MqoVertex{};
      const std::size_t k = static_cast<std::size_t>(c);
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
    for (int c = 0; c < face.cornerCount && c < kMqoMaxCorners; ++c)
      face.vertices[static_cast<std::size_t>(c)] = newIndex[next++];
  object.vertices = std::move(kept);
}

}  // namespace

bool WeldBodyVertices(XConverter& model) {
  try {
    for (MqoObject& object : model.objects)
      if (StartsWith(object.name, "body")) WeldObject(object);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}
