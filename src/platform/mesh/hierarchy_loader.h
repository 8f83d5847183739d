// Loads a .x file from memory into a frame hierarchy built through the
// caller's allocator, with an animation controller when the file animates.
// Used by the model layer.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/mesh/animation_controller.h"
#include "platform/mesh/frame_hierarchy.h"

struct LoadedHierarchy {
  // Owned through the allocator (DestroyFrameHierarchy). With several
  // top-level frames, an unnamed root holds them as children; a top-level
  // mesh sits in an unnamed frame of its own.
  Frame* root = nullptr;
  // Null when the file has no animation set. Otherwise every named frame's
  // matrix is an output, the sets are registered in file order and the
  // first plays on track 0 (enabled, weight 1, speed 1, position 0).
  std::unique_ptr<AnimationController> animationController;
  // Meshes dropped while the load went on, one line each (a skin bone that
  // names no frame, a mesh without triangles).
  std::vector<std::string> warnings;
};

// False with a message when the file cannot be read, a mesh is refused, or
// the allocator fails; nothing is left allocated then, nor when an allocation
// fails and its exception leaves the load. A mesh whose skin names
// a bone that no frame of the file carries is dropped with a warning, so no
// container ever has a bone without a frame.
bool LoadMeshHierarchyFromXInMemory(std::span<const std::uint8_t> file,
                                    AllocateHierarchy& allocator, LoadedHierarchy* out,
                                    std::string* error);

// The frame each bone of a skin names (FindFrame from root), in bone order.
// False, with the first missing name in *missing, when a bone names no frame;
// the model layer then never keeps a null bone pointer.
bool FindBoneFrames(const SkinInfo& skin, Frame* root, std::vector<Frame*>* frames,
                    std::string* missing);
