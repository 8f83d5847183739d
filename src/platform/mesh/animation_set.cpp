// Key-frame interpolation and animation sets.
#include "platform/mesh/animation_set.h"

#include <algorithm>
#include <cmath>

#include "platform/math/matrix.h"
#include "platform/math/quaternion.h"
#include "platform/math/vector.h"

namespace {

template <typename Key>
void SortKeys(std::vector<Key>* keys) {
  std::stable_sort(keys->begin(), keys->end(),
                   [](const Key& a, const Key& b) { return a.time < b.time; });
}

// The pair of keys around `ticks` and the fraction between them. A time past
// either end gives the end key twice.
template <typename Key>
void Bracket(const std::vector<Key>& keys, double ticks, std::size_t* a, std::size_t* b,
             float* s) {
  auto after = std::upper_bound(keys.begin(), keys.end(), ticks,
                                [](double t, const Key& key) { return t < key.time; });
  if (after == keys.begin()) {
    *a = *b = 0;
    *s = 0.0f;
    return;
  }
  if (after == keys.end()) {
    *a = *b = keys.size() - 1;
    *s = 0.0f;
    return;
  }
  *b = static_cast<std::size_t>(after - keys.begin());
  *a = *b - 1;
  const double span = static_cast<double>(keys[*b].time) - keys[*a].time;
  *s = static_cast<float>((ticks - keys[*a].time) / span);
}

}  // namespace

KeyframeInterpolator::KeyframeInterpolator(std::string name, std::vector<ScaleKey> scaleKeys,
                                           std::vector<RotationKey> rotationKeys,
                                           std::vector<TranslationKey> translationKeys)
    : name_(std::move(name)),
      scaleKeys_(std::move(scaleKeys)),
      rotationKeys_(std::move(rotationKeys)),
      translationKeys_(std::move(translationKeys)) {
  SortKeys(&scaleKeys_);
  SortKeys(&rotationKeys_);
  SortKeys(&translationKeys_);
  if (!scaleKeys_.empty()) lastKeyTime_ = std::max(lastKeyTime_, scaleKeys_.back().time);
  if (!rotationKeys_.empty()) lastKeyTime_ = std::max(lastKeyTime_, rotationKeys_.back().time);
  if (!translationKeys_.empty()) {
    lastKeyTime_ = std::max(lastKeyTime_, translationKeys_.back().time);
  }
}

void KeyframeInterpolator::GetSrt(double ticks, Vector3* scale, Quaternion* rotation,
                                  Vector3* translation) const {
  std::size_t a, b;
  float s;
  if (scaleKeys_.empty()) {
    *scale = {1.0f, 1.0f, 1.0f};
  } else {
    Bracket(scaleKeys_, ticks, &a, &b, &s);
    *scale = Vec3Lerp(scaleKeys_[a].value, scaleKeys_[b].value, s);
  }
  if (rotationKeys_.empty()) {
    *rotation = QuaternionIdentity();
  } else {
    Bracket(rotationKeys_, ticks, &a, &b, &s);
    *rotation = a == b ? rotationKeys_[a].value
                       : QuaternionSlerp(rotationKeys_[a].value, rotationKeys_[b].value, s);
  }
  if (translationKeys_.empty()) {
    *translation = {0.0f, 0.0f, 0.0f};
  } else {
    Bracket(translationKeys_, ticks, &a, &b, &s);
    *translation = Vec3Lerp(translationKeys_[a].value, translationKeys_[b].value, s);
  }
}

Matrix KeyframeInterpolator::GetMatrix(double ticks) const {
  Vector3 scale, translation;
  Quaternion rotation;
  GetSrt(ticks, &scale, &rotation, &translation);
  return MatrixTransformation(scale, rotation, translation);
}

AnimationSet::AnimationSet(std::string name, double ticksPerSecond,
                           std::vector<KeyframeInterpolator> interpolators)
    : name_(std::move(name)),
      ticksPerSecond_(ticksPerSecond > 0.0 && std::isfinite(ticksPerSecond) ? ticksPerSecond : 1.0),
      interpolators_(std::move(interpolators)) {
  for (const KeyframeInterpolator& interpolator : interpolators_) {
    periodTicks_ = std::max(periodTicks_, static_cast<double>(interpolator.LastKeyTime()));
  }
}

int AnimationSet::FindAnimation(std::string_view frameName) const {
  for (std::size_t i = 0; i < interpolators_.size(); ++i) {
    if (interpolators_[i].Name() == frameName) return static_cast<int>(i);
  }
  return -1;
}

double AnimationSet::LocalTicks(double position) const {
  const double ticks = position * ticksPerSecond_;
  if (!(periodTicks_ > 0.0) || !std::isfinite(ticks)) return std::isfinite(ticks) ? ticks : 0.0;
  double local = std::fmod(ticks, periodTicks_);
  if (local < 0.0) local += periodTicks_;
  return local;
}
