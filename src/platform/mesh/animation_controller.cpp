// Animation controller: sets, tracks and output matrices.
#include "platform/mesh/animation_controller.h"

#include <algorithm>

#include "platform/mesh/frame_hierarchy.h"

AnimationController::AnimationController(std::uint32_t maxAnimationSets, std::uint32_t maxTracks)
    : maxSets_(maxAnimationSets), tracks_(std::max<std::uint32_t>(maxTracks, 1)) {}

std::unique_ptr<AnimationController> AnimationController::Clone(std::uint32_t maxAnimationSets,
                                                                std::uint32_t maxTracks) const {
  if (sets_.size() > maxAnimationSets) return nullptr;
  auto copy = std::make_unique<AnimationController>(maxAnimationSets, maxTracks);
  copy->sets_ = sets_;
  copy->outputByName_ = outputByName_;
  copy->time_ = time_;
  for (std::size_t i = 0; i < copy->tracks_.size() && i < tracks_.size(); ++i) {
    copy->tracks_[i].desc = tracks_[i].desc;
    if (tracks_[i].binding) copy->tracks_[i].binding = copy->FindOrBind(tracks_[i].binding->set);
  }
  return copy;
}

void AnimationController::RegisterFrameOutputs(Frame* root) {
  outputByName_.clear();
  // Depth first as the search by name goes (a frame, its children, then its
  // sibling), so that of two frames with one name the one a search finds is
  // the one animated.
  std::vector<Frame*> stack;
  if (root) stack.push_back(root);
  while (!stack.empty()) {
    Frame* frame = stack.back();
    stack.pop_back();
    if (!frame->name.empty()) outputByName_.emplace(frame->name, &frame->transformationMatrix);
    if (frame->sibling) stack.push_back(frame->sibling);
    if (frame->firstChild) stack.push_back(frame->firstChild);
  }
  for (auto& binding : bindings_) Bind(binding.get());
}

bool AnimationController::RegisterAnimationOutput(std::string_view name, Matrix* matrix) {
  if (name.empty() || !matrix) return false;
  if (!outputByName_.emplace(std::string(name), matrix).second) return false;
  for (auto& binding : bindings_) Bind(binding.get());
  return true;
}

void AnimationController::Bind(Binding* binding) const {
  const AnimationSet& set = *binding->set;
  binding->outputs.assign(set.NumAnimations(), nullptr);
  for (std::size_t i = 0; i < set.NumAnimations(); ++i) {
    auto it = outputByName_.find(set.Animation(i).Name());
    if (it != outputByName_.end()) binding->outputs[i] = it->second;
  }
}

const AnimationController::Binding* AnimationController::FindOrBind(
    const std::shared_ptr<const AnimationSet>& set) {
  if (!set) return nullptr;
  for (const auto& binding : bindings_) {
    if (binding->set == set) return binding.get();
  }
  auto binding = std::make_unique<Binding>();
  binding->set = set;
  Bind(binding.get());
  bindings_.push_back(std::move(binding));
  return bindings_.back().get();
}

bool AnimationController::RegisterAnimationSet(std::shared_ptr<const AnimationSet> set) {
  if (!set || sets_.size() >= maxSets_) return false;
  if (std::find(sets_.begin(), sets_.end(), set) != sets_.end()) return false;
  sets_.push_back(std::move(set));
  return true;
}

bool AnimationController::UnregisterAnimationSet(const AnimationSet* set) {
  for (auto it = sets_.begin(); it != sets_.end(); ++it) {
    if (it->get() == set) {
      sets_.erase(it);
      return true;
    }
  }
  return false;
}

std::shared_ptr<const AnimationSet> AnimationController::GetAnimationSet(
    std::uint32_t index) const {
  return index < sets_.size() ? sets_[index] : nullptr;
}

std::shared_ptr<const AnimationSet> AnimationController::GetAnimationSetByName(
    std::string_view name) const {
  for (const auto& set : sets_) {
    if (set->Name() == name) return set;
  }
  return nullptr;
}

bool AnimationController::SetTrackAnimationSet(std::uint32_t track,
                                               std::shared_ptr<const AnimationSet> set) {
  if (track >= tracks_.size()) return false;
  tracks_[track].binding = FindOrBind(set);
  return true;
}

bool AnimationController::SetTrackDesc(std::uint32_t track, const TrackDesc& desc) {
  if (track >= tracks_.size()) return false;
  tracks_[track].desc = desc;
  return true;
}

bool AnimationController::GetTrackDesc(std::uint32_t track, TrackDesc* desc) const {
  if (track >= tracks_.size()) return false;
  *desc = tracks_[track].desc;
  return true;
}

bool AnimationController::SetTrackEnable(std::uint32_t track, bool enable) {
  if (track >= tracks_.size()) return false;
  tracks_[track].desc.enable = enable;
  return true;
}

bool AnimationController::SetTrackWeight(std::uint32_t track, float weight) {
  if (track >= tracks_.size()) return false;
  tracks_[track].desc.weight = weight;
  return true;
}

bool AnimationController::SetTrackSpeed(std::uint32_t track, float speed) {
  if (track >= tracks_.size()) return false;
  tracks_[track].desc.speed = speed;
  return true;
}

bool AnimationController::SetTrackPosition(std::uint32_t track, double position) {
  if (track >= tracks_.size()) return false;
  tracks_[track].desc.position = position;
  return true;
}

std::shared_ptr<const AnimationSet> AnimationController::GetTrackAnimationSet(
    std::uint32_t track) const {
  if (track >= tracks_.size() || !tracks_[track].binding) return nullptr;
  return tracks_[track].binding->set;
}

void AnimationController::AdvanceTime(double delta) {
  time_ += delta;
  for (Track& track : tracks_) {
    if (track.desc.enable) track.desc.position += delta * track.desc.speed;
  }
  WriteOutputs();
}

void AnimationController::SetTime(double time) {
  time_ = time;
  for (Track& track : tracks_) track.desc.position = time * track.desc.speed;
  WriteOutputs();
}

void AnimationController::WriteOutputs() {
  const Track& track = tracks_[0];
  if (!track.desc.enable || !track.binding) return;
  const AnimationSet& set = *track.binding->set;
  const double ticks = set.LocalTicks(track.desc.position);
  const std::vector<Matrix*>& outputs = track.binding->outputs;
  for (std::size_t i = 0; i < outputs.size(); ++i) {
    if (outputs[i]) *outputs[i] = set.Animation(i).GetMatrix(ticks);
  }
}
