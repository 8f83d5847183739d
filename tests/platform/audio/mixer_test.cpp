// The mixer as the device pulls it: sample formats, rates, volume, pan, loops,
// start positions and clipping, from the mixed frames; and locks. The device
// itself is heard in the sound manager's tests.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/audio/audio_capture.h"
#include "platform/audio/audio_mixer.h"
#include "support/case_files.h"

namespace {

// Every row of tables/mixes.rows.
TEST(AudioMixerTest, MixesFormatsRatesLevelsAndLoops) {
  const auto rows = ReadTableRows(std::filesystem::path(T3D_SOURCE_DIR) / "tests/platform/audio/tables/mixes.rows");
  ASSERT_EQ(rows.size(), 10u);
  for (const auto& row : rows) {
    SCOPED_TRACE(row[0]);
    ASSERT_EQ(row.size(), 10u);
    const std::vector<long> format = Numbers(row[1]), source = Numbers(row[2]);
    const auto bytes = source.size() * static_cast<std::size_t>(format[1] / 8);
    AudioMixer mixer;
    std::vector<std::unique_ptr<PcmBuffer>> buffers;
    for (int copy = 0; copy < std::stoi(row[7]); ++copy) {
      auto& buffer = buffers.emplace_back(mixer.CreateBuffer(
          {static_cast<int>(format[0]), static_cast<int>(format[1]), static_cast<int>(format[2])}, bytes));
      PcmBuffer::Regions regions;
      ASSERT_TRUE(buffer->LockAll(regions));
      // Each sample's bytes, lowest first.
      for (std::size_t i = 0, size = bytes / source.size(); i < bytes; ++i)
        regions.first[i] = static_cast<unsigned char>(source[i / size] >> (8 * (i % size)));
      buffer->Unlock(regions);
      buffer->SetVolume(std::stoi(row[3]));
      buffer->SetPan(std::stoi(row[4]));
      buffer->SetCurrentPosition(std::stoul(row[6]));
      buffer->Play(row[5] == "loop");
    }
    const std::vector<long> mixed = Numbers(row[8]);
    Samples out(mixed.size());
    mixer.Mix(out.data(), static_cast<int>(out.size() / 2));
    EXPECT_EQ(std::vector<long>(out.begin(), out.end()), mixed);
    EXPECT_EQ(buffers[0]->IsPlaying(), row[9] == "playing");
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
