// The mixer as the device pulls it: sample formats, rates, volume, pan, loops,
// start positions and clipping, from the mixed frames; and locks. The device
// itself is heard in the sound manager's tests.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/audio/audio_capture.h"
#include "platform/audio/audio_mixer.h"

namespace {

struct MixCase {
  const char* name;
  PcmFormat format;
  std::vector<int> source;  // samples; for 8 bits the stored bytes
  std::int32_t volume = 0;
  std::int32_t pan = 0;
  bool loop = false;
  std::size_t startByte = 0;
  int copies = 1;
  Samples expected;  // all the frames mixed
  bool playingAfter = false;
};

std::unique_ptr<PcmBuffer> MakeBuffer(AudioMixer& mixer, const MixCase& c) {
  const int bytesPerSample = c.format.bitsPerSample / 8;
  auto buffer = mixer.CreateBuffer(c.format, c.source.size() * static_cast<std::size_t>(bytesPerSample));
  PcmBuffer::Regions regions;
  EXPECT_TRUE(buffer->LockAll(regions));
  for (std::size_t i = 0; i < c.source.size(); ++i) {
    if (bytesPerSample == 1) {
      regions.first[i] = static_cast<unsigned char>(c.source[i]);
    } else {
      regions.first[2 * i] = static_cast<unsigned char>(c.source[i]);
      regions.first[2 * i + 1] = static_cast<unsigned char>(c.source[i] >> 8);
    }
  }
  buffer->Unlock(regions);
  buffer->SetVolume(c.volume);
  buffer->SetPan(c.pan);
  buffer->SetCurrentPosition(c.startByte);
  buffer->Play(c.loop);
  return buffer;
}

TEST(AudioMixerTest, MixesFormatsRatesLevelsAndLoops) {
  const PcmFormat stereo{2, 16, 44100};
  const PcmFormat half{1, 16, 22050};
  const std::vector<MixCase> cases = {
      {"stereo samples as they are", stereo, {100, -100, 200, -200, 300, -300}, 0, 0, false, 0, 1,
       {100, -100, 200, -200, 300, -300, 0, 0}, false},
      {"8-bit mono on both sides", {1, 8, 44100}, {0x81, 0xFF, 0x00}, 0, 0, false, 0, 1,
       {256, 256, 32512, 32512, -32768, -32768}, false},
      {"half rate steps between samples, the last held", half, {1000, 2000, 3000}, 0, 0, false, 0, 1,
       {1000, 1000, 1500, 1500, 2000, 2000, 2500, 2500, 3000, 3000, 3000, 3000, 0, 0}, false},
      {"a loop steps across its end to its start", half, {1000, 2000, 3000}, 0, 0, true, 0, 1,
       {1000, 1000, 1500, 1500, 2000, 2000, 2500, 2500, 3000, 3000, 2000, 2000, 1000, 1000, 1500, 1500}, true},
      {"-602 is half the level", stereo, {10000, 10000}, -602, 0, false, 0, 1, {5000, 5000}, false},
      {"a pan to the right takes its level off the left", stereo, {10000, 10000}, 0, 2000, false, 0, 1,
       {1000, 10000}, false},
      {"a full left pan silences the right", stereo, {10000, 10000}, 0, kPanLeft, false, 0, 1, {10000, 0}, false},
      {"the volume floor is silence", stereo, {10000, 10000}, kVolumeMin, 0, true, 0, 1, {0, 0}, true},
      {"a start in a frame plays from its frame", stereo, {1, 1, 2, 2, 3, 3}, 0, 0, false, 6, 1, {2, 2, 3, 3},
       false},
      {"sums beyond 16 bits clip", stereo, {30000, -30000}, 0, 0, false, 0, 2, {32767, -32768}, false},
  };
  for (const MixCase& c : cases) {
    SCOPED_TRACE(c.name);
    AudioMixer mixer;
    std::vector<std::unique_ptr<PcmBuffer>> buffers;
    for (int i = 0; i < c.copies; ++i) buffers.push_back(MakeBuffer(mixer, c));
    Samples out(c.expected.size());
    mixer.Mix(out.data(), static_cast<int>(out.size() / 2));
    EXPECT_EQ(out, c.expected);
    EXPECT_EQ(buffers[0]->IsPlaying(), c.playingAfter);
  }
}

TEST(AudioMixerTest, LocksUpToTwoRegionsAndMovesToWholeFrames) {
  AudioMixer mixer;
  auto buffer = mixer.CreateBuffer({2, 16, 44100}, 18);  // cut to 16 bytes, four frames
  ASSERT_EQ(buffer->GetSize(), 16u);
  struct LockCase {
    std::size_t offset, bytes;
    bool ok;
    std::size_t firstOffset, firstSize, secondSize;
  };
  const std::vector<LockCase> locks = {
      {0, 16, true, 0, 16, 0}, {12, 8, true, 12, 4, 4}, {4, 12, true, 4, 12, 0}, {16, 1, false, 0, 0, 0},
      {0, 17, false, 0, 0, 0},
  };
  PcmBuffer::Regions all;
  ASSERT_TRUE(buffer->LockAll(all));
  buffer->Unlock(all);
  for (const LockCase& c : locks) {
    PcmBuffer::Regions regions;
    ASSERT_EQ(buffer->Lock(c.offset, c.bytes, regions), c.ok) << c.offset << "+" << c.bytes;
    if (!c.ok) continue;
    EXPECT_EQ(regions.first - all.first, static_cast<std::ptrdiff_t>(c.firstOffset));
    EXPECT_EQ(regions.second, c.secondSize ? all.first : nullptr);
    EXPECT_EQ(regions.firstSize, c.firstSize);
    EXPECT_EQ(regions.secondSize, c.secondSize);
    buffer->Unlock(regions);
  }
  EXPECT_TRUE(buffer->SetCurrentPosition(7));
  EXPECT_EQ(buffer->GetCurrentPosition(), 4u);
  EXPECT_FALSE(buffer->SetCurrentPosition(16));
  EXPECT_EQ(buffer->GetCurrentPosition(), 4u);
  EXPECT_EQ(mixer.CreateBuffer({2, 16, 44100}, 3), nullptr);
  EXPECT_EQ(mixer.CreateBuffer({3, 16, 44100}, 64), nullptr);
}

}  // namespace
