// The animation controller: registered animation sets, tracks that play them,
// and the frame matrices it writes. The .x loader makes one per animated file;
// the model layer clones it, registers one set per motion and plays track 0.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/math/math_types.h"
#include "platform/mesh/animation_set.h"

struct Frame;

struct TrackDesc {
  float weight = 1.0f;
  float speed = 1.0f;
  double position = 0.0;  // seconds of the track's own clock
  bool enable = false;
};

class AnimationController {
 public:
  AnimationController(std::uint32_t maxAnimationSets, std::uint32_t maxTracks);

  // A copy with other capacities: the same outputs, the same sets (shared)
  // and the same tracks as far as they fit. Null when the registered sets do
  // not fit into maxAnimationSets.
  std::unique_ptr<AnimationController> Clone(std::uint32_t maxAnimationSets,
                                             std::uint32_t maxTracks) const;

  // The matrices the sets write: every named frame of the hierarchy, by
  // name (the first frame of a name in depth-first order wins). The frames
  // must outlive the controller or a later call. Replaces earlier outputs.
  void RegisterFrameOutputs(Frame* root);
  // One matrix for a frame name; false when the name is taken or empty.
  bool RegisterAnimationOutput(std::string_view name, Matrix* matrix);

  // False when the controller is full or the set is already registered.
  bool RegisterAnimationSet(std::shared_ptr<const AnimationSet> set);
  bool UnregisterAnimationSet(const AnimationSet* set);
  std::uint32_t GetMaxNumAnimationSets() const { return maxSets_; }
  std::uint32_t GetNumAnimationSets() const { return static_cast<std::uint32_t>(sets_.size()); }
  // Null past the count.
  std::shared_ptr<const AnimationSet> GetAnimationSet(std::uint32_t index) const;
  std::shared_ptr<const AnimationSet> GetAnimationSetByName(std::string_view name) const;

  std::uint32_t GetMaxNumTracks() const { return static_cast<std::uint32_t>(tracks_.size()); }
  // Each is false for a track past the count. A track keeps its set even
  // when the set is unregistered later.
  bool SetTrackAnimationSet(std::uint32_t track, std::shared_ptr<const AnimationSet> set);
  bool SetTrackDesc(std::uint32_t track, const TrackDesc& desc);
  bool GetTrackDesc(std::uint32_t track, TrackDesc* desc) const;
  bool SetTrackEnable(std::uint32_t track, bool enable);
  bool SetTrackWeight(std::uint32_t track, float weight);
  bool SetTrackSpeed(std::uint32_t track, float speed);
  bool SetTrackPosition(std::uint32_t track, double position);
  std::shared_ptr<const AnimationSet> GetTrackAnimationSet(std::uint32_t track) const;

  // Moves the clock and every enabled track (by delta x its speed), then
  // writes the outputs from track 0: each of its set's interpolators writes
  // the matrix of its frame at the track's position. Frames the set does not
  // animate keep their matrices. Allocates nothing and looks up no names.
  void AdvanceTime(double delta);
  // The clock and every track's position := time x the track's speed; then
  // the outputs as AdvanceTime writes them.
  void SetTime(double time);
  double GetTime() const { return time_; }

 private:
  // The output matrix of each interpolator of a set (null when no frame has
  // its name), resolved once per set and kept, so that switching sets costs
  // no name look-up.
  struct Binding {
    std::shared_ptr<const AnimationSet> set;
    std::vector<Matrix*> outputs;
  };
  struct Track {
    TrackDesc desc;
    const Binding* binding = nullptr;
  };

  const Binding* FindOrBind(const std::shared_ptr<const AnimationSet>& set);
  void Bind(Binding* binding) const;
  void WriteOutputs();

  std::uint32_t maxSets_;
  std::vector<std::shared_ptr<const AnimationSet>> sets_;
  std::vector<Track> tracks_;
  std::unordered_map<std::string, Matrix*> outputByName_;
  std::vector<std::unique_ptr<Binding>> bindings_;
  double time_ = 0.0;
};
