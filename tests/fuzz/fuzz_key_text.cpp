// Key readers over arbitrary markup: keys read into a motion's tracks, baked,
// queried at every frame and written; the written form must read back to the
// same text.
#include <cmath>

#include "files/markup_reader.h"
#include "files/markup_writer.h"
#include "files/tag_handler_stack.h"
#include "fuzz_support.h"
#include "motion/key_type.h"
#include "motion/motion.h"

namespace {

constexpr int kLength = 24;

void MakeMotion(Motion& motion) {
  motion.SetName("Walk");
  motion.SetLength(kLength);
  motion.CreateTracks(2);
  motion.FrameAt(0)->SetName("Root");
  motion.FrameAt(1)->SetName("Arm");
}

bool Read(const std::string& text, Motion& motion, std::int32_t baseTime) {
  MarkupReader reader;
  reader.SetText(text.c_str());
  TagHandlerStack stack;
  stack.SetWord(kKeyTimeOffsetWord, baseTime);
  stack.Push(&motion);
  return reader.ParseElements(stack, nullptr);
}

std::string Write(Motion& motion) {
  MarkupWriter writer;
  motion.Write(writer);
  return std::string(writer.GetView());
}

}  // namespace

T3D_FUZZ_TARGET(data, size) {
  if (size == 0) return 0;
  // The first byte chooses the key time offset, the rest is the markup.
  const std::int32_t baseTime = static_cast<std::int8_t>(data[0]);
  const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
  Motion motion;
  MakeMotion(motion);
  Read(text, motion, baseTime);

  const std::string written = Write(motion);
  Motion again;
  MakeMotion(again);
  FaultIf(!Read(written, again, 0) || Write(again) != written);

  for (int t = 0; t < motion.TrackCount(); ++t) {
    MotionFrame& track = *motion.FrameAt(t);
    for (int k = 0; const KeyType* type = KeyTypeByIndex(k); ++k) type->BakeKeys(track);
    track.Sort();
    for (int k = 0; const KeyType* type = KeyTypeByIndex(k); ++k) {
      for (int frame = -1; frame <= kLength; ++frame) {
        MotionKey key;
        track.GetKey(type->GetKind(), frame, key, false);
        if (key.time < 0 || key.time >= kLength) continue;
        FaultIf(key.kind != type->GetKind() || key.time != frame);
      }
    }
  }
  Write(motion);
  return 0;
}
