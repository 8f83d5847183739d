// Motion: one named animation of a motion-object class (length, one track per
// model frame, object flags, camera type, three hooks); the object class owns them, the scene plays them.
#pragma once

#include <cstdint>
#include <vector>

#include "files/markup_element.h"
#include "motion/command.h"
#include "motion/motion_frame.h"
#include "motion/property_list.h"

// A length of 0 or below is kept as given, but such a motion has no frames:
// its tracks store no keys from files (0 to length-1 is empty), the query
// never wraps and the bake makes nothing.
class Motion : public MarkupElement, public PropertyBase {
 public:
  Motion() = default;
  // Moving re-points every track to its new motion and leaves the source empty.
  Motion(Motion&& other) noexcept { MoveFrom(other); }
  Motion& operator=(Motion&& other) noexcept {
    if (this != &other) MoveFrom(other);
    return *this;
  }
  Motion(const Motion&) = delete;
  Motion& operator=(const Motion&) = delete;

  const char* GetName() const override { return name_; }
  const char* GetTypeName() const override { return "Motion"; }
  // Keeps 31 bytes (never half a double-byte character).
  void SetName(const char* name);
  std::int32_t GetLength() const { return length_; }
  void SetLength(std::int32_t length) { length_ = length; }
  std::uint32_t GetOrFlags() const { return orFlags_; }
  void SetOrFlags(std::uint32_t flags) { orFlags_ = flags; }
  std::int32_t GetCameraType() const { return cameraType_; }
  void SetCameraType(std::int32_t type) { cameraType_ = type; }
  Command& OnLoop() { return onLoop_; }
  Command& OnHit() { return onHit_; }
  Command& OnPreRender() { return onPreRender_; }
  const Command& OnLoop() const { return onLoop_; }
  const Command& OnHit() const { return onHit_; }
  const Command& OnPreRender() const { return onPreRender_; }

  // Replaces the tracks by `count` empty ones belonging to this motion, the
  // first of them marked as the first track. False for a negative count.
  bool CreateTracks(int count);
  int TrackCount() const { return static_cast<int>(tracks_.size()); }
  MotionFrame* FrameAt(int index);
  const MotionFrame* FrameAt(int index) const;
  // Exact, case-sensitive name; the first match.
  MotionFrame* FindFrame(const char* name);
  // The track whose key array holds this very key record.
  MotionFrame* FindFrameOfKey(const MotionKey* key);
  // The largest key time of all tracks; 0 when there are none.
  std::int32_t MaxKeyTime() const;

  // Takes over the other motion's name, length, tracks, hook texts, camera
  // type and flags; the other one is left as a new motion.
  void MoveFrom(Motion& other);

  // "MotionName", "TimeLength", the three hooks, "CameraType", the object flags.
  int ListProperties(const Motion* motion, void* object, PropertyEntry* list, int capacity) override;

  bool Write(MarkupWriter& writer) override;
  // A "MotionFrame" child hands its keys to the track of that name (false
  // without a name; an unknown name skips the element's keys).
  bool OnChildElement(TagHandlerStack& stack, const char* name, const char* const* attributeNames,
                      const char* const* attributeValues, int attributeCount) override;
  void OnEndElement(TagHandlerStack& stack, const char* name) override;
  void Finish() override;

 private:
  char name_[kMotionNameSize] = {};
  std::int32_t length_ = 0;
  std::vector<MotionFrame> tracks_;
  std::uint32_t orFlags_ = 0;
  std::int32_t cameraType_ = -1;
  Command onLoop_;
  Command onHit_;
  Command onPreRender_;
};
