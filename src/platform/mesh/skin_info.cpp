// Skin information and CPU skinning.
#include "platform/mesh/skin_info.h"

#include <cmath>

#include "platform/math/vector.h"

std::unique_ptr<SkinInfo> SkinInfo::Create(std::uint32_t numVertices,
                                           std::vector<SkinBone> bones) {
  std::vector<std::uint32_t> counts(numVertices, 0);
  for (const SkinBone& bone : bones) {
    if (bone.vertices.size() != bone.weights.size()) return nullptr;
    for (std::uint32_t v : bone.vertices) {
      if (v >= numVertices) return nullptr;
      ++counts[v];
    }
  }
  std::unique_ptr<SkinInfo> skin(new SkinInfo());
  skin->numVertices_ = numVertices;
  skin->bones_ = std::move(bones);
  skin->influenced_.assign(numVertices, 0);
  for (std::uint32_t v = 0; v < numVertices; ++v) {
    skin->influenced_[v] = counts[v] > 0 ? 1 : 0;
    if (counts[v] > skin->maxVertexInfluences_) skin->maxVertexInfluences_ = counts[v];
  }
  return skin;
}

std::unique_ptr<SkinInfo> SkinInfo::Remap(std::span<const std::uint32_t> newToOld) const {
  // Copies of an old vertex, listed per old vertex.
  std::vector<std::uint32_t> firstCopy(numVertices_ + 1, 0);
  for (std::uint32_t old : newToOld) {
    if (old >= numVertices_) return nullptr;
    ++firstCopy[old + 1];
  }
  for (std::uint32_t v = 0; v < numVertices_; ++v) firstCopy[v + 1] += firstCopy[v];
  std::vector<std::uint32_t> copies(newToOld.size());
  std::vector<std::uint32_t> fill(firstCopy.begin(), firstCopy.end() - 1);
  for (std::uint32_t i = 0; i < newToOld.size(); ++i) copies[fill[newToOld[i]]++] = i;

  std::vector<SkinBone> bones;
  bones.reserve(bones_.size());
  for (const SkinBone& bone : bones_) {
    SkinBone remapped;
    remapped.name = bone.name;
    remapped.offset = bone.offset;
    for (std::size_t k = 0; k < bone.vertices.size(); ++k) {
      const std::uint32_t old = bone.vertices[k];
      for (std::uint32_t c = firstCopy[old]; c < firstCopy[old + 1]; ++c) {
        remapped.vertices.push_back(copies[c]);
        remapped.weights.push_back(bone.weights[k]);
      }
    }
    bones.push_back(std::move(remapped));
  }
  return Create(static_cast<std::uint32_t>(newToOld.size()), std::move(bones));
}

bool SkinInfo::UpdateSkinnedMesh(std::span<const Matrix> boneTransforms, const Mesh& src,
                                 Mesh* dst) const {
  if (boneTransforms.size() < bones_.size()) return false;
  if (src.GetNumVertices() != numVertices_ || dst->GetNumVertices() != numVertices_) {
    return false;
  }
  const bool normals = src.GetLayout().normalOffset >= 0 && dst->GetLayout().normalOffset >= 0;

  // The destination accumulates in place: cleared where a bone will add,
  // copied from the source where none will.
  for (std::uint32_t v = 0; v < numVertices_; ++v) {
    if (influenced_[v]) {
      dst->SetPosition(v, Vector3{0.0f, 0.0f, 0.0f});
      if (normals) dst->SetNormal(v, Vector3{0.0f, 0.0f, 0.0f});
    } else {
      dst->SetPosition(v, src.Position(v));
      if (normals) dst->SetNormal(v, src.Normal(v));
    }
  }
  for (std::size_t b = 0; b < bones_.size(); ++b) {
    const SkinBone& bone = bones_[b];
    const Matrix& m = boneTransforms[b];
    for (std::size_t k = 0; k < bone.vertices.size(); ++k) {
      const std::uint32_t v = bone.vertices[k];
      const float w = bone.weights[k];
      dst->SetPosition(v, dst->Position(v) + Vec3TransformCoord(src.Position(v), m) * w);
      if (normals) dst->SetNormal(v, dst->Normal(v) + Vec3TransformNormal(src.Normal(v), m) * w);
    }
  }
  if (normals) {
    for (std::uint32_t v = 0; v < numVertices_; ++v) {
      if (!influenced_[v]) continue;
      const Vector3 n = dst->Normal(v);
      const float length = Vec3Length(n);
      if (length > 0.0f) dst->SetNormal(v, n * (1.0f / length));
    }
  }
  return true;
}
