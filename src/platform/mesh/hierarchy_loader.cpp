// .x hierarchy loading: parse, build meshes, hand frames and containers to
// the allocator, make the animation controller.
#include "platform/mesh/hierarchy_loader.h"

#include <set>

#include "platform/mesh/xfile_mesh_builder.h"
#include "platform/mesh/xfile_parser.h"

namespace {

constexpr std::uint32_t kLoadedControllerTracks = 2;

void CollectFrameNames(const XFrameData& frame, std::set<std::string>* names) {
  if (!frame.name.empty()) names->insert(frame.name);
  for (const XFrameData& child : frame.children) CollectFrameNames(child, names);
}

class Builder {
 public:
  Builder(AllocateHierarchy& allocator, const std::set<std::string>& frameNames,
          std::vector<std::string>* warnings)
      : allocator_(allocator), frameNames_(frameNames), warnings_(*warnings) {}

  // Makes the frame and links it at *slot at once, so that a failure further
  // down leaves a tree the caller can destroy whole.
  bool BuildFrame(const XFrameData& data, Frame** slot, std::string* error) {
    Frame* frame = allocator_.CreateFrame(data.name);
    if (!frame) {
      *error = "the allocator made no frame for '" + data.name + "'";
      return false;
    }
    frame->transformationMatrix = data.transform;
    *slot = frame;
    MeshContainer** containerSlot = &frame->meshContainer;
    for (const XMeshData& mesh : data.meshes) {
      MeshContainer* container = nullptr;
      if (!BuildContainer(mesh, &container, error)) return false;
      if (container) {
        *containerSlot = container;
        containerSlot = &container->next;
      }
    }
    Frame** childSlot = &frame->firstChild;
    for (const XFrameData& child : data.children) {
      if (!BuildFrame(child, childSlot, error)) return false;
      childSlot = &(*childSlot)->sibling;
    }
    return true;
  }

 private:
  bool BuildContainer(const XMeshData& mesh, MeshContainer** container, std::string* error) {
    for (const XSkinWeightsData& bone : mesh.skinWeights) {
      if (!frameNames_.count(bone.boneName)) {
        warnings_.push_back("mesh '" + mesh.name + "' dropped: skin bone '" + bone.boneName +
                            "' names no frame");
        return true;
      }
    }
    MeshContainerData data;
    std::string why;
    switch (BuildMeshContainerData(mesh, &data, &why)) {
      case XMeshBuildResult::Built:
        break;
      case XMeshBuildResult::NoTriangles:
        warnings_.push_back(why + "; dropped");
        return true;
      case XMeshBuildResult::Refused:
        *error = why;
        return false;
    }
    if (!allocator_.CreateMeshContainer(std::move(data), container)) {
      *container = nullptr;
      *error = "the allocator refused mesh '" + mesh.name + "'";
      return false;
    }
    return true;
  }

  AllocateHierarchy& allocator_;
  const std::set<std::string>& frameNames_;
  std::vector<std::string>& warnings_;
};

std::unique_ptr<AnimationController> MakeController(const XFileDocument& document, Frame* root) {
  auto controller = std::make_unique<AnimationController>(
      static_cast<std::uint32_t>(document.animationSets.size()), kLoadedControllerTracks);
  controller->RegisterFrameOutputs(root);
  for (const XAnimationSetData& data : document.animationSets) {
    std::vector<KeyframeInterpolator> interpolators;
    interpolators.reserve(data.animations.size());
    for (const XAnimationData& animation : data.animations) {
      interpolators.emplace_back(animation.frameName, animation.scaleKeys, animation.rotationKeys,
                                 animation.translationKeys);
    }
    controller->RegisterAnimationSet(std::make_shared<AnimationSet>(
        data.name, document.ticksPerSecond, std::move(interpolators)));
  }
  controller->SetTrackAnimationSet(0, controller->GetAnimationSet(0));
  TrackDesc desc;
  desc.enable = true;
  controller->SetTrackDesc(0, desc);
  return controller;
}

}  // namespace

bool LoadMeshHierarchyFromXInMemory(std::span<const std::uint8_t> file,
                                    AllocateHierarchy& allocator, LoadedHierarchy* out,
                                    std::string* error) {
  std::string why;
  XFileDocument document;
  if (!ParseXFile(file, &document, &why)) {
    if (error) *error = why;
    return false;
  }
  if (document.frames.empty()) {
    if (error) *error = "the file has no frame and no mesh";
    return false;
  }
  std::set<std::string> frameNames;
  for (const XFrameData& frame : document.frames) CollectFrameNames(frame, &frameNames);

  LoadedHierarchy result;
  Builder builder(allocator, frameNames, &result.warnings);
  Frame* first = nullptr;
  Frame* root = nullptr;
  try {
    Frame** slot = &first;
    bool ok = true;
    for (const XFrameData& frame : document.frames) {
      if (!builder.BuildFrame(frame, slot, &why)) {
        ok = false;
        break;
      }
      slot = &(*slot)->sibling;
    }
    root = first;
    if (ok && first && first->sibling) {
      root = allocator.CreateFrame("");
      if (root) {
        root->firstChild = first;
      } else {
        root = first;
        why = "the allocator made no root frame";
        ok = false;
      }
    }
    if (!ok) {
      DestroyFrameHierarchy(root, allocator);
      if (error) *error = why;
      return false;
    }
    if (!document.animationSets.empty()) result.animationController = MakeController(document, root);
  } catch (...) {
    // Memory ran out on the way: the tree built so far goes with it.
    DestroyFrameHierarchy(root ? root : first, allocator);
    throw;
  }
  result.root = root;
  *out = std::move(result);
  return true;
}

bool FindBoneFrames(const SkinInfo& skin, Frame* root, std::vector<Frame*>* frames,
                    std::string* missing) {
  frames->clear();
  for (std::uint32_t bone = 0; bone < skin.GetNumBones(); ++bone) {
    Frame* frame = FindFrame(root, skin.GetBoneName(bone));
    if (!frame) {
      if (missing) *missing = skin.GetBoneName(bone);
      frames->clear();
      return false;
    }
    frames->push_back(frame);
  }
  return true;
}
