// The bone tree from the bone triangles, and the skin weights that the colours
// painted on the skin give through the materials named after bones.
#include "converter/mqo_bones.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>
#include <unordered_map>
#include <vector>

#include "platform/math/vector.h"

namespace {

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

// The bones of a material's name for one side of x = 0.
std::vector<std::int32_t> BonesForName(const std::vector<std::string>& sideNames, const std::string& name) {
  std::vector<std::int32_t> bones;
  auto add = [&](const std::string& part) {
    const int node = FindNode(sideNames, part);
    if (node >= 0 && bones.size() < static_cast<std::size_t>(kMaxBonesPerColour)) bones.push_back(node);
  };
  if (name.empty() || name[0] != '#') {
    add(name);
    return bones;
  }
  std::size_t start = 1;
  for (;;) {
    const std::size_t plus = name.find('+', start);
    add(name.substr(start, plus == std::string::npos ? std::string::npos : plus - start));
    if (plus == std::string::npos) break;
    start = plus + 1;
  }
  return bones;
}

// Which bones the colours painted on a skin name. A skin paints few colours on
// many corners, so the nearest material is found once per colour and its
// bones once per material and side.
class ColourBones {
 public:
  explicit ColourBones(const XConverter& model)
      : model_(model), sideNames_(NodeSideNames(model)), byMaterial_(model.materials.size()) {}

  const std::vector<std::int32_t>& Find(std::uint32_t colour, float x) {
    auto [entry, added] = nearest_.try_emplace(colour, -1);
    if (added) entry->second = NearestMaterial(colour);
    if (entry->second < 0) return none_;
    Sides& sides = byMaterial_[static_cast<std::size_t>(entry->second)];
    const std::size_t side = x <= 0.0f ? 0 : 1;  // as SideName decides
    if (!sides.known[side]) {
      const MqoMaterial& material = model_.materials[static_cast<std::size_t>(entry->second)];
      sides.bones[side] = BonesForName(sideNames_, SideName(material.name, x));
      sides.known[side] = true;
    }
    return sides.bones[side];
  }

 private:
  int NearestMaterial(std::uint32_t colour) const {
    const float red = static_cast<float>(colour & 0xFFu);
    const float green = static_cast<float>((colour >> 8) & 0xFFu);
    const float blue = static_cast<float>((colour >> 16) & 0xFFu);
    int best = -1;
    float bestDistance = kColourConsidered;
    for (std::size_t i = 0; i < model_.materials.size(); ++i) {
      const MqoMaterial& m = model_.materials[i];
      const float distance = Vec3Length({m.red * 255.0f - red, m.green * 255.0f - green, m.blue * 255.0f - blue});
      if (distance < bestDistance) {
        bestDistance = distance;
        best = static_cast<int>(i);
      }
    }
    return bestDistance < kColourMatch ? best : -1;
  }

  struct Sides {
    bool known[2] = {false, false};
    std::vector<std::int32_t> bones[2];
  };
  const XConverter& model_;
  std::vector<std::string> sideNames_;
  std::unordered_map<std::uint32_t, int> nearest_;
  std::vector<Sides> byMaterial_;
  std::vector<std::int32_t> none_;
};

}  // namespace

std::string SideName(const char* name, float x) {
  std::string side(name);
  const std::size_t mark = side.find("[]");
  if (mark != std::string::npos) {
    side.resize(mark);
    side += x <= 0.0f ? 'R' : 'L';
  }
  return side;
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
  ColourBones colourBones(model);
  const std::vector<std::int32_t>& bones = colourBones.Find(colour, x);
  std::copy(bones.begin(), bones.end(), out);
  return static_cast<int>(bones.size());
}

std::vector<std::string> ComputeWeights(XConverter& model) {
  ColourBones colourBones(model);
  std::vector<std::string> messages;
  for (std::size_t o = 0; o < model.objects.size(); ++o) {
    MqoObject& object = model.objects[o];
    if (!IsBodyObject(object)) continue;
    std::vector<float> totals(object.vertices.size(), 0.0f);
    std::vector<bool> used(object.vertices.size(), false);
    for (MqoVertex& v : object.vertices) {
      v.bones.fill(0);
      v.weights.fill(0.0f);
    }
    for (const MqoFace& face : object.faces) {
      for (int c = 0; c < face.cornerCount; ++c) {
        const auto k = static_cast<std::size_t>(c);
        const auto index = static_cast<std::size_t>(face.vertices[k]);
        MqoVertex& v = object.vertices[index];
        used[index] = true;
        for (const std::int32_t bone : colourBones.Find(face.hasColour[k] ? face.colours[k] : 0, v.x)) {
          std::size_t slot = 0;
          while (slot < v.bones.size() && v.bones[slot] != 0 && v.bones[slot] != bone) ++slot;
          if (slot == v.bones.size()) continue;  // all slots hold other bones
          v.bones[slot] = bone;
          v.weights[slot] += 1.0f;
          totals[index] += 1.0f;
        }
      }
    }
    // One message per object: a skin painted with a wrong colour leaves many
    // vertices bare, and a box for each would have to be closed one by one.
    // A vertex no face uses never reaches the file, so it is not reported.
    int unweighted = 0;
    std::size_t first = 0;
    for (std::size_t i = 0; i < object.vertices.size(); ++i) {
      MqoVertex& v = object.vertices[i];
      if (totals[i] == 0.0f) {
        if (used[i] && unweighted++ == 0) first = i;
        continue;
      }
      for (std::size_t s = 0; s < v.bones.size(); ++s)
        if (v.bones[s] != 0) v.weights[s] /= totals[i];
    }
    if (unweighted == 0) continue;
    const MqoVertex& v = object.vertices[first];
    char text[512];
    const int length = std::snprintf(text, sizeof text, "nTotalWeight == 0 Mesh:%d[%s] Vertex: %d (%d,%d,%d)",
                                     static_cast<int>(o), object.name, static_cast<int>(first), CutToInt(v.x),
                                     CutToInt(v.y), CutToInt(v.z));
    if (unweighted > 1 && length >= 0 && static_cast<std::size_t>(length) < sizeof text) {
      std::snprintf(text + length, sizeof text - static_cast<std::size_t>(length), " and %d more vertices",
                    unweighted - 1);
    }
    messages.emplace_back(text);
  }
  model.weightsComputed = true;
  return messages;
}
