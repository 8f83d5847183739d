// The allocator through which the .x loader builds a model's own frames and
// mesh containers: textures, default material and skinning preparation.
// Used only by Model.
#pragma once

#include <set>
#include <string>
#include <string_view>

#include "platform/mesh/frame_hierarchy.h"

class ArchiveManager;
class Model;
struct ModelMeshContainer;

class ModelAllocator : public AllocateHierarchy {
 public:
  explicit ModelAllocator(Model& model) : model_(model) {}

  // Where texture files are looked for while a file loads: its folder
  // (bounded like a path; empty when it has none) and the archives.
  void BeginLoad(std::string folder, const ArchiveManager* archives);
  void EndLoad();

  Frame* CreateFrame(std::string_view name) override;
  bool CreateMeshContainer(MeshContainerData&& data, MeshContainer** container) override;
  void DestroyFrame(Frame* frame) override;
  void DestroyMeshContainer(MeshContainer* container) override;

 private:
  void LoadTextures(ModelMeshContainer& container);
  // One line on standard error per texture file of one load, however many
  // materials name it.
  void ReportTexture(const std::string& path, const std::string& what);
  bool PrepareSkinning(ModelMeshContainer& container);

  Model& model_;
  std::string folder_;
  const ArchiveManager* archives_ = nullptr;
  std::set<std::string> reportedTextures_;
};
