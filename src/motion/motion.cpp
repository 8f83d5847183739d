// Motion: its tracks, moving, properties and markup form.
#include "motion/motion.h"

#include <algorithm>
#include <cstring>

#include "files/markup_writer.h"
#include "files/tag_handler_stack.h"
#include "platform/system/content_path.h"
#include "platform/system/safe_string.h"

void Motion::SetName(const char* name) { SafeStrCopy(name_, name != nullptr ? name : "", sizeof name_); }

bool Motion::CreateTracks(int count) {
  if (count < 0) return false;
  std::vector<MotionFrame> tracks(static_cast<std::size_t>(count));
  for (MotionFrame& track : tracks) track.SetOwner(this);
  if (!tracks.empty()) tracks.front().SetFirstTrack(true);
  tracks_ = std::move(tracks);
  return true;
}

MotionFrame* Motion::FrameAt(int index) {
  return index >= 0 && index < TrackCount() ? &tracks_[static_cast<std::size_t>(index)] : nullptr;
}

const MotionFrame* Motion::FrameAt(int index) const {
  return index >= 0 && index < TrackCount() ? &tracks_[static_cast<std::size_t>(index)] : nullptr;
}

MotionFrame* Motion::FindFrame(const char* name) {
  if (name == nullptr) return nullptr;
  for (MotionFrame& track : tracks_)
    if (std::strcmp(track.GetName(), name) == 0) return &track;
  return nullptr;
}

MotionFrame* Motion::FindFrameOfKey(const MotionKey* key) {
  for (MotionFrame& track : tracks_)
    if (track.HoldsKey(key)) return &track;
  return nullptr;
}

std::int32_t Motion::MaxKeyTime() const {
  std::int32_t latest = 0;
  for (const MotionFrame& track : tracks_)
    for (int i = 0; i < track.KeyCount(); ++i) latest = std::max(latest, track.KeyAt(i)->time);
  return latest;
}

void Motion::MoveFrom(Motion& other) {
  if (this == &other) return;
  std::memcpy(name_, other.name_, sizeof name_);
  length_ = other.length_;
  tracks_ = std::move(other.tracks_);
  for (MotionFrame& track : tracks_) track.SetOwner(this);
  onLoop_ = other.onLoop_;
  onHit_ = other.onHit_;
  onPreRender_ = other.onPreRender_;
  cameraType_ = other.cameraType_;
  orFlags_ = other.orFlags_;

  other.name_[0] = '\0';
  other.length_ = 0;
  other.tracks_.clear();
  other.orFlags_ = 0;
  other.cameraType_ = -1;
  other.onLoop_.Clear();
  other.onHit_.Clear();
  other.onPreRender_.Clear();
}

int Motion::ListProperties(const Motion*, void*, PropertyEntry* list, int capacity) {
  constexpr float kHookSize = static_cast<float>(kCommandTextSize - 1);
  AppendProperty(list, capacity, kPropertyString, "MotionName", name_, 0.0f, static_cast<float>(kMotionNameSize),
                 true);
  AppendProperty(list, capacity, kPropertyInteger, "TimeLength", &length_, static_cast<float>(MaxKeyTime()), 9999.0f,
                 true);
  AppendProperty(list, capacity, kPropertyString, "OnLoopFunc", onLoop_.text, 0.0f, kHookSize, false);
  AppendProperty(list, capacity, kPropertyString, "OnHitFunc", onHit_.text, 0.0f, kHookSize, false);
  AppendProperty(list, capacity, kPropertyString, "OnPreRenderFunc", onPreRender_.text, 0.0f, kHookSize, false);
  AppendProperty(list, capacity, kPropertyInteger, "CameraType", &cameraType_, -1.0f, 255.0f, false);
  return AppendObjectFlags(list, capacity, &orFlags_);
}

bool Motion::Write(MarkupWriter& writer) {
  bool ok = writer.Printf(
      " <Motion name=\"%s\" length=\"%d\" OnLoop=\"%s\" OnHit=\"%s\" OnPreRender=\"%s\" CameraType=\"%d\" "
      "OrFlags=\"#%08x\">\n",
      name_, length_, onLoop_.text, onHit_.text, onPreRender_.text, cameraType_, orFlags_);
  for (MotionFrame& track : tracks_) ok = track.Write(writer) && ok;
  return writer.Append(" </Motion>\n") && ok;
}

bool Motion::OnChildElement(TagHandlerStack& stack, const char* name, const char* const* attributeNames,
                            const char* const* attributeValues, int attributeCount) {
  if (name == nullptr || !EqualsIgnoreAsciiCase(name, "MotionFrame")) return true;
  const char* trackName = FindAttribute("name", attributeNames, attributeValues, attributeCount);
  if (trackName == nullptr) return false;
  if (MotionFrame* track = FindFrame(trackName)) stack.Push(track);
  return true;
}

void Motion::OnEndElement(TagHandlerStack& stack, const char* name) {
  if (name == nullptr || !EqualsIgnoreAsciiCase(name, "Motion")) return;
  stack.Pop();
  Finish();
}

void Motion::Finish() {
  for (MotionFrame& track : tracks_) track.Finish();
}
