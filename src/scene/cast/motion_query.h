// Look-ups on a motion's tracks that the cast passes run every frame without
// copying keys: the first track, and the key of one kind at exactly one time.
#pragma once

#include <cstdint>

#include "motion/motion.h"
#include "motion/motion_frame.h"
#include "motion/motion_key.h"

// The motion's first track (the one that holds "EVNT" and "PARM" keys); null
// for a motion without tracks.
inline const MotionFrame* FirstTrack(const Motion* motion) {
  return motion && motion->TrackCount() > 0 ? motion->FrameAt(0) : nullptr;
}

// The key of `kind` at exactly `time`, in place (an event key's Command is
// run where it was resolved); null when there is none.
inline const MotionKey* FindExactKey(const MotionFrame* track, std::uint32_t kind, std::int32_t time) {
  if (!track) return nullptr;
  for (int i = 0; i < track->KeyCount(); ++i) {
    const MotionKey* key = track->KeyAt(i);
    if (key->kind == kind && key->time == time) return key;
  }
  return nullptr;
}
