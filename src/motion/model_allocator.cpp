// Model records built while a .x file loads.
#include "motion/model_allocator.h"

#include "motion/model.h"
#include "motion/texture_files.h"
#include "platform/mesh/mesh_normals.h"
#include "platform/system/content_path.h"
#include "platform/system/content_report.h"

namespace {

// The drawing code wants normals and one texture coordinate pair everywhere.
constexpr std::uint32_t kNeededFvf = kFvfNormal | kFvfTex1;

}  // namespace

Material DefaultModelMaterial() {
  Material material;
  material.diffuse = {0.5f, 0.5f, 0.5f, 1.0f};
  material.specular = {0.5f, 0.5f, 0.5f, 0.0f};
  return material;
}

void ModelAllocator::BeginLoad(std::string folder, const ArchiveManager* archives) {
  folder_ = std::move(folder);
  archives_ = archives;
  reportedTextures_.clear();
}

void ModelAllocator::EndLoad() {
  folder_.clear();
  archives_ = nullptr;
  reportedTextures_.clear();
}

Frame* ModelAllocator::CreateFrame(std::string_view name) {
  auto frame = std::make_unique<ModelFrame>();
  frame->name = std::string(name);
  return frame.release();
}

bool ModelAllocator::CreateMeshContainer(MeshContainerData&& data, MeshContainer** out) {
  *out = nullptr;
  // A part of the file without a vertex format is dropped, and the load goes on.
  if (!data.mesh || data.mesh->GetFvf() == 0) return true;

  auto container = std::make_unique<ModelMeshContainer>();
  container->name = std::move(data.name);
  const std::uint32_t fvf = data.mesh->GetFvf();
  if ((fvf & kNeededFvf) == kNeededFvf) {
    container->mesh = std::move(data.mesh);
  } else {
    container->mesh = data.mesh->CloneWithFvf((fvf & ~kFvfTexCountMask) | kNeededFvf);
    if (!container->mesh) return false;
    ComputeNormals(container->mesh.get());
  }

  if (data.materials.empty()) {
    container->materials.push_back({DefaultModelMaterial(), std::string()});
  } else {
    container->materials = std::move(data.materials);
  }
  container->textures.resize(container->materials.size());
  container->adjacency = std::move(data.adjacency);
  LoadTextures(*container);

  if (data.skinInfo) {
    container->skinInfo = std::move(data.skinInfo);
    const SkinInfo& skin = *container->skinInfo;
    // The skin must describe exactly the vertices it will pose.
    if (skin.GetNumVertices() != container->mesh->GetNumVertices()) return false;
    container->boneOffsetMatrices.reserve(skin.GetNumBones());
    for (std::uint32_t bone = 0; bone < skin.GetNumBones(); ++bone) {
      container->boneOffsetMatrices.push_back(skin.GetBoneOffsetMatrix(bone));
    }
    if (!PrepareSkinning(*container)) return false;
  }
  *out = container.release();
  return true;
}

// A texture that cannot be read or decoded, or would take the images past
// their bound, leaves its material untextured and the model loads on; the
// author reads why on standard error. A name that does not fit a path is
// left untextured as well.
void ModelAllocator::LoadTextures(ModelMeshContainer& container) {
  if (!archives_) return;
  TextureLoadOptions options;
  options.levels = 0;  // the whole chain: model textures are sampled with mipmaps
  for (std::size_t i = 0; i < container.materials.size(); ++i) {
    const std::string& name = container.materials[i].textureFilename;
    if (name.empty()) continue;
    const std::string path = folder_ + name;
    if (ContentNameLength(path) >= kModelPathCapacity) continue;
    std::string why;
    container.textures[i] = LoadTextureFile(*archives_, path, name, options, &why);
    if (!container.textures[i]) ReportTexture(path, why);
  }
}

void ModelAllocator::ReportTexture(const std::string& path, const std::string& what) {
  if (reportedTextures_.insert(path).second) ReportContentFault(path, 0, what);
}

// The drawn mesh becomes a copy of the source mesh that the skinning
// overwrites; the bone-matrix buffer grows to the largest skin of the file.
bool ModelAllocator::PrepareSkinning(ModelMeshContainer& container) {
  container.sourceMesh = std::move(container.mesh);
  container.mesh = container.sourceMesh->CloneWithFvf(container.sourceMesh->GetFvf());
  if (!container.mesh) return false;
  container.attributeTable = container.mesh->AttributeTable();
  const std::uint32_t bones = container.skinInfo->GetNumBones();
  if (bones > model_.boneMatrices_.size()) model_.boneMatrices_.assign(bones, MatrixIdentity());
  return true;
}

void ModelAllocator::DestroyFrame(Frame* frame) { delete frame; }

void ModelAllocator::DestroyMeshContainer(MeshContainer* container) { delete container; }
