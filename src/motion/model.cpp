// Model loading, controller cloning, bone binding and CPU skinning.
#include "motion/model.h"

#include <algorithm>
#include <span>

#include "files/archive.h"
#include "motion/model_allocator.h"
#include "platform/math/matrix.h"
#include "platform/mesh/hierarchy_loader.h"
#include "platform/system/content_path.h"
#include "platform/system/content_memory.h"
#include "platform/system/content_report.h"
#include "platform/system/safe_string.h"
#include "platform/system/shift_jis.h"
#include "platform/system/terminal_text.h"

namespace {

bool Fail(std::string* error, std::string message) {
  if (error) *error = std::move(message);
  return false;
}

}  // namespace

Model::Model() : allocator_(std::make_unique<ModelAllocator>(*this)) {}

Model::~Model() { Release(); }

bool Model::Load(std::string_view path, std::string* error) {
  return Load(path, GetArchiveManager(), error);
}

bool Model::Load(std::string_view path, const ArchiveManager& archives, std::string* error) {
  Release();
  std::string why;
  if (!LoadOrOutOfMemory([&] { return LoadBytes(path, archives, &why); }, &why)) {
    Release();
    // The class goes on without a model; its author learns which file and why.
    ReportContentFault(path, 0, why);
    if (error) *error = std::move(why);
    return false;
  }
  return true;
}

bool Model::LoadBytes(std::string_view path, const ArchiveManager& archives, std::string* error) {
  if (ContentNameLength(path) >= kModelPathCapacity) return Fail(error, "the model path is too long");
  FileData file;
  if (!archives.LoadFile(path, file)) return Fail(error, "cannot be read");

  allocator_->BeginLoad(std::string(FolderOfPath(path)), &archives);
  LoadedHierarchy loaded;
  std::string why;
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(file.data());
  const bool ok = LoadMeshHierarchyFromXInMemory(std::span(bytes, file.size()), *allocator_,
                                                 &loaded, &why);
  allocator_->EndLoad();
  // The reason may quote the file's own names.
  if (!ok) return Fail(error, "cannot be read: " + ContentTextForTerminal(why));
  root_ = static_cast<ModelFrame*>(loaded.root);
  std::vector<Frame*> frames;
  ListFramesSiblingsFirst(root_, &frames);
  frames_.clear();
  for (Frame* frame : frames) frames_.push_back(static_cast<ModelFrame*>(frame));
  storedNameFrames_.clear();
  char stored[kBoneControlNameSize];
  for (const ModelFrame* frame : frames_) {
    SafeStrCopy(stored, frame->name.c_str(), sizeof stored);
    storedNameFrames_.push_back(FindFrameIndexByStoredName(stored));
  }

  if (loaded.animationController) {
    const AnimationController& source = *loaded.animationController;
    const std::uint32_t sets = source.GetNumAnimationSets();
    controller_ = source.Clone(source.GetMaxNumAnimationSets(),
                              std::max(source.GetMaxNumTracks(), sets));
    if (!controller_) return Fail(error, "cannot be read: the animation cannot be copied");
    // Track 0 plays as the file left it; the others wait, disabled.
    TrackDesc idle;
    for (std::uint32_t track = 1; track < sets; ++track) controller_->SetTrackDesc(track, idle);
  }
  // Bound whether or not the file animates: a skinned model without an
  // animation set is still drawn, and its bones must point somewhere.
  BindBoneMatrices();
  hasTextures_ = HasTextures(root_);
  for (ModelFrame* frame : frames_) {
    frame->savedTransformationMatrix = frame->transformationMatrix;
  }
  return true;
}

void Model::Release() {
  ReleaseDeviceResources();
  claimed_ = nullptr;
  skinCopies_.clear();
  DestroyFrameHierarchy(root_, *allocator_);
  root_ = nullptr;
  frames_.clear();
  storedNameFrames_.clear();
  boneMatrices_.clear();
  controller_.reset();
  hasTextures_ = false;
  dirty_ = true;
  ForgetLastPose();
}

void Model::ForgetLastPose() {
  lastTime_ = -1.0f;
  lastWeight_ = -1.0f;
  lastPoseValid_ = false;
  lastPoseHadTable_ = false;
  lastSet_ = nullptr;
  // The same motion index may name another animation set from now on.
  for (auto& copy : skinCopies_) copy->keyValid = false;
  unclaimedSkinned_ = false;
}

bool Model::CloneAnimationController(std::uint32_t numAnimationSets) {
  dirty_ = true;
  ForgetLastPose();
  if (!root_) return false;
  if (!controller_) {
    // A model file without animation: the same controller the loader would
    // have made, so that the class's motions can still play on it.
    auto fresh = std::make_unique<AnimationController>(numAnimationSets,
                                                       std::max<std::uint32_t>(numAnimationSets, 1));
    fresh->RegisterFrameOutputs(root_);
    TrackDesc playing;
    playing.enable = true;
    fresh->SetTrackDesc(0, playing);
    controller_ = std::move(fresh);
  } else {
    const std::uint32_t tracks =
        std::max(controller_->GetMaxNumTracks(), controller_->GetNumAnimationSets());
    auto clone = controller_->Clone(numAnimationSets, tracks);
    if (!clone) return false;
    controller_ = std::move(clone);
  }
  BindBoneMatrices();
  return true;
}

void Model::BindBoneMatrices() {
  // The loader drops any skin whose bone names no frame; should one slip
  // through, its bone follows a fixed identity instead of a null pointer.
  static const Matrix kUnbound = MatrixIdentity();
  for (ModelFrame* frame : frames_) {
    for (MeshContainer* c = frame->meshContainer; c; c = c->next) {
      auto* container = static_cast<ModelMeshContainer*>(c);
      if (!container->skinInfo) continue;
      const SkinInfo& skin = *container->skinInfo;
      container->boneMatrixPointers.assign(skin.GetNumBones(), &kUnbound);
      for (std::uint32_t bone = 0; bone < skin.GetNumBones(); ++bone) {
        if (Frame* found = FindFrame(root_, skin.GetBoneName(bone))) {
          container->boneMatrixPointers[bone] =
              &static_cast<ModelFrame*>(found)->combinedTransformationMatrix;
        }
      }
    }
  }
}

bool Model::HasTextures(const Frame* frame) {
  for (; frame; frame = frame->sibling) {
    for (const MeshContainer* c = frame->meshContainer; c; c = c->next) {
      for (const auto& texture : static_cast<const ModelMeshContainer*>(c)->textures) {
        if (texture) return true;
      }
    }
    if (HasTextures(frame->firstChild)) return true;
  }
  return false;
}

ModelFrame* Model::FindFrameByStoredName(std::string_view name) const {
  if (Frame* exact = FindFrame(root_, name)) return static_cast<ModelFrame*>(exact);
  if (name.empty()) return nullptr;
  char stored[kBoneControlNameSize];
  for (ModelFrame* frame : frames_) {
    if (frame->name.size() < kBoneControlNameSize) continue;
    SafeStrCopy(stored, frame->name.c_str(), sizeof stored);
    if (name == stored) return frame;
  }
  return nullptr;
}

int Model::FindFrameIndexByStoredName(std::string_view name) const {
  const ModelFrame* frame = FindFrameByStoredName(name);
  const auto at = std::find(frames_.begin(), frames_.end(), frame);
  return frame && at != frames_.end() ? static_cast<int>(at - frames_.begin()) : -1;
}

bool Model::SkinContainer(ModelMeshContainer& container, Mesh* target) {
  if (!target) target = container.mesh.get();
  if (!container.skinInfo || !container.sourceMesh || !target) return false;
  const std::uint32_t bones = container.skinInfo->GetNumBones();
  if (bones > boneMatrices_.size() || container.boneMatrixPointers.size() != bones ||
      container.boneOffsetMatrices.size() != bones) {
    return false;
  }
  for (std::uint32_t i = 0; i < bones; ++i) {
    boneMatrices_[i] = container.boneOffsetMatrices[i] * *container.boneMatrixPointers[i];
  }
  return container.skinInfo->UpdateSkinnedMesh(std::span(boneMatrices_.data(), bones),
                                               *container.sourceMesh, target);
}
