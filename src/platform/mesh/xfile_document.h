// What a .x file says, before any mesh is built: frames, raw meshes as the
// file lays them out, materials and animation sets. Produced by the .x parser,
// consumed by the hierarchy loader and the mesh builder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/math/math_types.h"
#include "platform/mesh/animation_set.h"
#include "platform/mesh/frame_hierarchy.h"

struct XSkinWeightsData {
  std::string boneName;
  std::vector<std::uint32_t> vertices;  // indices into the file's vertex list
  std::vector<float> weights;           // as many as vertices
  Matrix offset = MatrixIdentity();
};

// Polygons are kept as the file gives them: corner counts and one flat list
// of corner indices.
struct XPolygons {
  std::vector<std::uint32_t> sizes;
  std::vector<std::uint32_t> corners;
};

struct XMeshData {
  std::string name;
  std::vector<Vector3> positions;
  XPolygons faces;
  bool hasNormals = false;
  std::vector<Vector3> normals;
  XPolygons normalFaces;  // per face, per corner: an index into normals
  bool hasTexCoords = false;
  std::vector<Vector2> texCoords;  // per vertex
  bool hasColors = false;
  std::vector<std::uint32_t> colorVertices;  // IndexedColor entries: vertex, ARGB
  std::vector<std::uint32_t> colors;
  bool hasMaterialList = false;
  std::uint32_t materialCount = 0;             // as declared
  std::vector<std::uint32_t> faceMaterials;    // may be shorter than the faces
  std::vector<ExtendedMaterial> materials;     // inline or referenced, in order
  std::vector<XSkinWeightsData> skinWeights;
};

struct XFrameData {
  std::string name;
  Matrix transform = MatrixIdentity();
  std::vector<XMeshData> meshes;
  std::vector<XFrameData> children;
};

struct XAnimationData {
  std::string frameName;
  std::vector<ScaleKey> scaleKeys;
  std::vector<RotationKey> rotationKeys;
  std::vector<TranslationKey> translationKeys;
};

struct XAnimationSetData {
  std::string name;
  std::vector<XAnimationData> animations;
};

// The platform's loader assumed this rate when a file gives no AnimTicksPerSecond.
constexpr double kDefaultTicksPerSecond = 4800.0;

struct XFileDocument {
  // Top-level frames in file order; a top-level mesh comes in an unnamed
  // frame of its own.
  std::vector<XFrameData> frames;
  std::vector<XAnimationSetData> animationSets;
  double ticksPerSecond = kDefaultTicksPerSecond;
};
