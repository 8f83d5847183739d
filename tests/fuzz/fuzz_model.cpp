// Fuzz target for model loading: the .x file goes through the model's own
// allocator (format clones, default material, skinning preparation, bone
// binding), then a motion's animation set is built and played, the model is
// posed with bone controls and every skinned container is skinned.
#include "fuzz_support.h"
#include "motion/model.h"
#include "motion/model_animation.h"
#include "motion/motion.h"

namespace {

void SkinAll(Model& model) {
  for (ModelFrame* frame : model.FramesInOrder()) {
    for (MeshContainer* c = frame->meshContainer; c; c = c->next) {
      auto* container = static_cast<ModelMeshContainer*>(c);
      FaultIf(container->skinInfo && !model.SkinContainer(*container));
    }
  }
}

}  // namespace

T3D_FUZZ_TARGET(data, size) {
  // The model loads from a path, so each input goes through one scratch file.
  const std::string path = WriteFuzzFile("model.x", data, size);
  Model model;
  if (!model.Load(path)) return 0;
  if (!model.CloneAnimationController(2)) return 0;
  Motion motion;
  motion.SetName("Fuzz");
  motion.SetLength(10);
  motion.CreateTracks(static_cast<int>(model.FramesInOrder().size()));
  auto set = BuildMotionAnimationSet(motion, model);
  AnimationController& controller = *model.GetAnimationController();
  if (controller.RegisterAnimationSet(set)) controller.SetTrackAnimationSet(0, set);

  BoneControl table[3];
  const auto& frames = model.FramesInOrder();
  for (int i = 0; i < 3 && !frames.empty(); ++i) {
    table[i].frame = frames[static_cast<std::size_t>(i) % frames.size()];
    table[i].mode = i + 1;
  }
  model.AdvanceTime(3.5f, nullptr, 0, 1.0f);
  SkinAll(model);
  model.AdvanceTime(7.0f, table, 3, 0.5f);
  SkinAll(model);
  return 0;
}
