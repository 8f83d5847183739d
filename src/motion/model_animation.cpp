// Motions to animation sets.
#include "motion/model_animation.h"

#include "motion/key_type.h"
#include "motion/model.h"
#include "motion/motion.h"
#include "platform/math/vector.h"

namespace {

// The kind's value at frame 0, as the scene's query gives it; an empty
// track gives the kind's default.
MotionKey ValueAtStart(const MotionFrame* track, std::uint32_t kind) {
  MotionKey key;
  if (!track || !track->GetKeyNearest(kind, 0, key, false)) {
    if (const KeyType* type = KeyTypeByKind(kind)) type->InitKey(key, 0);
  }
  return key;
}

KeyframeInterpolator BuildInterpolator(const MotionFrame* track, const ModelFrame& frame,
                                       float length) {
  const Matrix& local = frame.savedTransformationMatrix;
  const Vector3 own = {local.m[3][0], local.m[3][1], local.m[3][2]};
  std::vector<ScaleKey> scales;
  std::vector<RotationKey> rotations;
  std::vector<TranslationKey> translations;
  const int count = track ? track->KeyCount() : 0;
  for (int i = 0; i < count; ++i) {
    const MotionKey& key = *track->KeyAt(i);
    const float time = static_cast<float>(key.time);
    if (key.kind == kKindRotate) {
      rotations.push_back({time, key.GetQuaternion()});
    } else if (key.kind == kKindScale) {
      scales.push_back({time, key.GetVector()});
    } else if (key.kind == kKindTrans) {
      translations.push_back({time, key.GetVector() + own});
    }
  }
  rotations.push_back({length, ValueAtStart(track, kKindRotate).GetQuaternion()});
  scales.push_back({length, ValueAtStart(track, kKindScale).GetVector()});
  translations.push_back({length, ValueAtStart(track, kKindTrans).GetVector() + own});
  // The interpolator sorts each kind by time.
  return KeyframeInterpolator(frame.name, std::move(scales), std::move(rotations),
                              std::move(translations));
}

}  // namespace

std::shared_ptr<AnimationSet> BuildMotionAnimationSet(const Motion& motion, const Model& model) {
  const std::vector<ModelFrame*>& frames = model.FramesInOrder();
  const float length = static_cast<float>(motion.GetLength());
  std::vector<KeyframeInterpolator> interpolators;
  interpolators.reserve(frames.size());
  for (std::size_t i = 0; i < frames.size(); ++i) {
    const MotionFrame* track = motion.FrameAt(static_cast<int>(i));
    interpolators.push_back(BuildInterpolator(track, *frames[i], length));
  }
  // One tick per frame: the controller's time is the motion time in frames.
  return std::make_shared<AnimationSet>(motion.GetName(), 1.0, std::move(interpolators));
}
