// Skin information of one mesh: bones with names, offset matrices and vertex
// weights, and the CPU skinning that poses a mesh's positions and normals.
// Built by the .x loader; used by the model layer before drawing.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/math/math_types.h"
#include "platform/mesh/mesh.h"

struct SkinBone {
  std::string name;  // names a frame of the hierarchy (Shift-JIS bytes)
  Matrix offset;     // mesh space to the bone's space in the bind pose
  std::vector<std::uint32_t> vertices;
  std::vector<float> weights;  // one per entry of vertices
};

class SkinInfo {
 public:
  // Null when a bone's vertex and weight lists differ in length or name a
  // vertex at or past numVertices.
  static std::unique_ptr<SkinInfo> Create(std::uint32_t numVertices, std::vector<SkinBone> bones);

  std::uint32_t GetNumVertices() const { return numVertices_; }
  std::uint32_t GetNumBones() const { return static_cast<std::uint32_t>(bones_.size()); }
  const SkinBone& GetBone(std::uint32_t bone) const { return bones_[bone]; }
  const std::string& GetBoneName(std::uint32_t bone) const { return bones_[bone].name; }
  const Matrix& GetBoneOffsetMatrix(std::uint32_t bone) const { return bones_[bone].offset; }
  // The largest number of bones that move one vertex.
  std::uint32_t GetMaxVertexInfluences() const { return maxVertexInfluences_; }

  // The same skin over a mesh whose vertex i copies old vertex newToOld[i]:
  // every copy keeps the weights of its original. Null when an entry is not
  // below the old vertex count.
  std::unique_ptr<SkinInfo> Remap(std::span<const std::uint32_t> newToOld) const;

  // dst position := sum over the vertex's bones of weight x (src position x
  // bone matrix); dst normal := the same sum over the normals turned by each
  // matrix without translation, normalised. A vertex no bone moves keeps its
  // source position and normal. The other elements are left as they are.
  // False (dst untouched) when fewer matrices than bones are given or the
  // meshes do not both have this skin's vertex count. Allocates nothing.
  bool UpdateSkinnedMesh(std::span<const Matrix> boneTransforms, const Mesh& src, Mesh* dst) const;

 private:
  SkinInfo() = default;

  std::uint32_t numVertices_ = 0;
  std::vector<SkinBone> bones_;
  std::vector<std::uint8_t> influenced_;  // per vertex: 1 when some bone moves it
  std::uint32_t maxVertexInfluences_ = 0;
};
