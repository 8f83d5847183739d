// The converter's working model: the objects and materials read from a .mqo
// file. Filled by the .mqo reader, used by the bone, weight and .x writing steps.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

// Name fields hold this many bytes with their NUL; longer names are cut on a
// character boundary.
constexpr std::size_t kMqoNameSize = 256;
constexpr std::size_t kMqoTextureNameSize = 260;
// A face has at most this many corners; a vertex at most this many bones.
constexpr int kMqoMaxCorners = 4;
constexpr int kMqoMaxInfluences = 10;

struct MqoVertex {
  float x = 0, y = 0, z = 0;
  float nx = 0, ny = 0, nz = 0;
  float u = 0, v = 0;
  // Bone 0 is the root, so 0 also marks an empty slot.
  std::array<std::int32_t, kMqoMaxInfluences> bones{};
  std::array<float, kMqoMaxInfluences> weights{};
};

struct MqoFace {
  std::array<std::int32_t, kMqoMaxCorners> vertices{};
  int cornerCount = 0;
  int material = 0;
  std::array<std::uint8_t, kMqoMaxCorners> hasColour{};
  std::array<std::uint32_t, kMqoMaxCorners> colours{};
  std::array<std::array<float, 3>, kMqoMaxCorners> normals{};
  std::array<float, kMqoMaxCorners> u{};
  std::array<float, kMqoMaxCorners> v{};
};

struct MqoObject {
  char name[kMqoNameSize] = {};
  // Every face's corners index into vertices; the reader guarantees it.
  std::vector<MqoVertex> vertices;
  std::vector<MqoFace> faces;
  float facet = 0;  // degrees; 0 when the file gives none
  bool visible = true;
};

// Objects whose name begins with "body" are the skin: each becomes one mesh.
inline bool IsBodyObject(const MqoObject& object) { return std::strncmp(object.name, "body", 4) == 0; }

struct MqoMaterial {
  char name[kMqoNameSize] = {};
  float red = 0, green = 0, blue = 0, alpha = 0;
  float power = 0;
  std::array<float, 3> specular{};
  std::array<float, 3> emissive{};
  char texture[kMqoTextureNameSize] = {};
};

// One bone of the skeleton; node 0 is the root.
struct BoneNode {
  char name[kMqoNameSize] = {};
  float head[3] = {};
  float tail[3] = {};
  int parent = -1;  // index into XConverter::bones; -1 for the root
};

struct XConverter {
  std::vector<MqoObject> objects;
  std::vector<MqoMaterial> materials;
  bool weightsComputed = false;
  std::vector<BoneNode> bones;
};
