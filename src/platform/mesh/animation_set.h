// Key-frame interpolators and animation sets: per frame, scale, rotation and
// translation keys in ticks. Built by the .x loader and by the model layer
// (one set per motion, one tick per frame); played by the animation controller.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/math/math_types.h"

struct ScaleKey {
  float time;  // ticks
  Vector3 value;
};

struct RotationKey {
  float time;
  Quaternion value;
};

struct TranslationKey {
  float time;
  Vector3 value;
};

// The keys of one frame, sorted by time (equal times keep their order).
// Between keys: scale and translation linear, rotation by slerp. Before the
// first key the first value holds, after the last the last. A kind without
// keys gives scale (1, 1, 1), no rotation and no translation.
class KeyframeInterpolator {
 public:
  KeyframeInterpolator(std::string name, std::vector<ScaleKey> scaleKeys,
                       std::vector<RotationKey> rotationKeys,
                       std::vector<TranslationKey> translationKeys);

  const std::string& Name() const { return name_; }
  const std::vector<ScaleKey>& ScaleKeys() const { return scaleKeys_; }
  const std::vector<RotationKey>& RotationKeys() const { return rotationKeys_; }
  const std::vector<TranslationKey>& TranslationKeys() const { return translationKeys_; }
  // The time of the latest key of any kind; 0 without keys.
  float LastKeyTime() const { return lastKeyTime_; }

  void GetSrt(double ticks, Vector3* scale, Quaternion* rotation, Vector3* translation) const;
  // Scaling(s) x Rotation(r) x Translation(t) at that time.
  Matrix GetMatrix(double ticks) const;

 private:
  std::string name_;
  std::vector<ScaleKey> scaleKeys_;
  std::vector<RotationKey> rotationKeys_;
  std::vector<TranslationKey> translationKeys_;
  float lastKeyTime_ = 0.0f;
};

// One animation: an interpolator per animated frame, found by frame name, and
// the rate of its ticks. It loops: a position past the period (the latest
// key time) wraps around.
class AnimationSet {
 public:
  AnimationSet(std::string name, double ticksPerSecond,
               std::vector<KeyframeInterpolator> interpolators);

  const std::string& Name() const { return name_; }
  double TicksPerSecond() const { return ticksPerSecond_; }
  double PeriodTicks() const { return periodTicks_; }
  std::size_t NumAnimations() const { return interpolators_.size(); }
  const KeyframeInterpolator& Animation(std::size_t index) const { return interpolators_[index]; }
  // The index of the interpolator for a frame name, or -1.
  int FindAnimation(std::string_view frameName) const;

  // The tick inside the period for a track position in seconds.
  double LocalTicks(double position) const;

 private:
  std::string name_;
  double ticksPerSecond_;
  double periodTicks_ = 0.0;
  std::vector<KeyframeInterpolator> interpolators_;
};
