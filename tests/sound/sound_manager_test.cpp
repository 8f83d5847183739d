// Sound effects as the player hears them (the disk driver's samples): levels
// through the decibel table, pans, masters, starts and restarts; the table of
// 256 sounds; a game without an audio device; loading relative to the program
// folder.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "sound/sound_manager.h"
#include "sound/sound_test_support.h"
#include "support/case_files.h"

namespace {

class SoundManagerHeardTest : public HeardSoundTest {};
class SoundManagerSilentTest : public SilentSoundTest {};

// Every row of tables/decibels.rows.
TEST(SoundConversionTest, PercentsAndPansBecomeHundredthsOfADecibel) {
  const auto rows = ReadTableRows(std::filesystem::path(T3D_SOURCE_DIR) / "tests/sound/tables/decibels.rows");
  ASSERT_FALSE(rows.empty());
  for (const auto& row : rows) {
    ASSERT_EQ(row.size(), 3u) << row[0];
    const float value = std::strtof(row[1].c_str(), nullptr);
    const std::int32_t result = row[0] == "pan" ? PanToBufferPan(value) : PercentToDecibels(value);
    EXPECT_EQ(result, std::atoi(row[2].c_str())) << row[0] << " " << row[1];
  }
}

Samples Ramp(std::size_t frames) {
  Samples samples;
  for (std::size_t i = 0; i < frames; ++i) {
    samples.push_back(static_cast<std::int16_t>(1000 + i));
    samples.push_back(static_cast<std::int16_t>(-1000 - static_cast<int>(i)));
  }
  return samples;
}

Samples Frames(const Samples& samples, std::size_t from) { return Samples(samples.begin() + 2 * from, samples.end()); }

TEST_F(SoundManagerHeardTest, PlaysLevelsPansMastersAndStartsAsHeard) {
  const Samples ramp = Ramp(2205);
  const std::string flat = MakeWave(2, 16, 44100, SampleBytes(Constant(2205, 10000, 10000)));
  ASSERT_TRUE(manager.AddSound(Code("FLAT"), flat.data(), flat.size()));
  const std::string mono = MakeWave(1, 8, 44100, std::string(1102, '\xC0'));
  ASSERT_TRUE(manager.AddSound(Code("MONO"), mono.data(), mono.size()));
  const std::string rampWave = MakeWave(2, 16, 44100, SampleBytes(ramp));
  ASSERT_TRUE(manager.AddSound(Code("RAMP"), rampWave.data(), rampWave.size()));

  struct Case {
    const char* name;
    std::uint32_t id;
    float volume, pan, start, master;
    bool played;
    Samples heard;  // empty: nothing
  };
  const std::vector<Case> cases = {
      {"full volume", Code("FLAT"), 1.0f, 0.0f, 0.0f, 1.0f, true, Constant(2205, 10000, 10000)},
      {"half volume, -602", Code("FLAT"), 0.5f, 0.0f, 0.0f, 1.0f, true, Constant(2205, 5000, 5000)},
      {"half under a half master, -1204", Code("FLAT"), 0.5f, 0.0f, 0.0f, 0.5f, true, Constant(2205, 2500, 2500)},
      {"full under a master of 0.3, -1045", Code("FLAT"), 1.0f, 0.0f, 0.0f, 0.3f, true, Constant(2205, 3003, 3003)},
      {"volume 0 is -40 dB, not silence", Code("FLAT"), 0.0f, 0.0f, 0.0f, 1.0f, true, Constant(2205, 100, 100)},
      {"pan 1 is the right speaker", Code("FLAT"), 1.0f, 1.0f, 0.0f, 1.0f, true, Constant(2205, 100, 10000)},
      {"pan -1 is the left speaker", Code("FLAT"), 1.0f, -1.0f, 0.0f, 1.0f, true, Constant(2205, 10000, 100)},
      {"pan 0.5 halves the left", Code("FLAT"), 1.0f, 0.5f, 0.0f, 1.0f, true, Constant(2205, 5000, 10000)},
      {"8-bit mono on both speakers", Code("MONO"), 1.0f, 0.0f, 0.0f, 1.0f, true, Constant(1102, 16384, 16384)},
      {"a start moves down to a whole frame", Code("RAMP"), 1.0f, 0.0f, 0.005f, 1.0f, true, Frames(ramp, 220)},
      {"a negative start is the beginning", Code("RAMP"), 1.0f, 0.0f, -1.0f, 1.0f, true, ramp},
      {"a start at the end plays nothing", Code("RAMP"), 1.0f, 0.0f, 0.05f, 1.0f, false, {}},
      {"a start past the end plays nothing", Code("RAMP"), 1.0f, 0.0f, 10.0f, 1.0f, false, {}},
      {"an id not loaded", Code("NONE"), 1.0f, 0.0f, 0.0f, 1.0f, false, {}},
  };
  for (const Case& c : cases) {
    manager.PutSoundVolume(c.master);
    EXPECT_EQ(manager.PlaySound(c.id, c.volume, c.pan, c.start), c.played) << c.name;
    SleepMs(120);
  }
  // Played again while playing, a sound starts over.
  const Samples longRamp = Ramp(13230);
  const std::string longWave = MakeWave(2, 16, 44100, SampleBytes(longRamp));
  ASSERT_TRUE(manager.AddSound(Code("LONG"), longWave.data(), longWave.size()));
  manager.PutSoundVolume(1.0f);
  manager.PlaySound(Code("LONG"), 1.0f, 0.0f, 0.0f);
  SleepMs(100);
  manager.PlaySound(Code("LONG"), 1.0f, 0.0f, 0.0f);
  SleepMs(400);
  const std::vector<SoundRun> runs = SplitRuns(Heard());
  std::size_t run = 0;
  for (const Case& c : cases) {
    if (c.heard.empty()) continue;
    ASSERT_LT(run, runs.size()) << c.name;
    EXPECT_EQ(FirstDifference(runs[run++].samples, c.heard), "") << c.name;
  }
  ASSERT_EQ(runs.size(), run + 1);
  // The beginning of the sound, then the whole sound.
  const Samples& restarted = runs[run].samples;
  ASSERT_GT(restarted.size(), longRamp.size());
  const std::size_t cut = restarted.size() - longRamp.size();
  Samples expected(longRamp.begin(), longRamp.begin() + static_cast<std::ptrdiff_t>(cut));
  expected.insert(expected.end(), longRamp.begin(), longRamp.end());
  EXPECT_EQ(FirstDifference(restarted, expected), "");
}

TEST_F(SoundManagerHeardTest, AMasterChangeReachesAPlayingSound) {
  const std::string wave = MakeWave(2, 16, 44100, SampleBytes(Constant(13230, 10000, 10000)));
  ASSERT_TRUE(manager.AddSound(1, wave.data(), wave.size()));
  manager.PlaySound(1, 1.0f, 0.0f, 0.0f);
  SleepMs(100);
  manager.PutSoundVolume(0.5f);
  SleepMs(350);
  const std::vector<SoundRun> runs = SplitRuns(Heard());
  ASSERT_EQ(runs.size(), 1u);
  const Samples& heard = runs[0].samples;
  ASSERT_EQ(heard.size(), 2u * 13230);
  std::size_t full = 0;
  while (full < heard.size() && heard[full] == 10000) ++full;
  EXPECT_GT(full, 0u);
  EXPECT_LT(full, heard.size());
  EXPECT_EQ(FirstDifference(Samples(heard.begin() + static_cast<std::ptrdiff_t>(full), heard.end()),
                            Samples(heard.size() - full, 5000)), "");
}

TEST(SoundManagerTest, TableKeepsTheFirstSoundOfAnIdAndHolds256) {
  ProgramFolder program;
  GameSoundManager manager;
  const std::string wave = MakeWave(1, 16, 44100, SampleBytes(Samples(10, 1)));
  // Before Initialize nothing is loaded and every call answers true.
  EXPECT_TRUE(manager.AddSound(1, wave.data(), wave.size()));
  EXPECT_TRUE(manager.PlaySound(1, 1.0f, 0.0f, 0.0f));
  EXPECT_EQ(manager.GetSoundCount(), 0);
  ASSERT_TRUE(manager.Initialize(AudioOutput::kNone));
  EXPECT_FALSE(manager.AddSound(0, wave.data(), wave.size()));
  for (std::uint32_t id = 1; id <= 255; ++id) ASSERT_TRUE(manager.AddSound(id, wave.data(), wave.size())) << id;
  EXPECT_TRUE(manager.AddSound(7, "ignored", 7));
  EXPECT_TRUE(manager.AddSound(256, wave.data(), wave.size()));
  EXPECT_FALSE(manager.AddSound(257, wave.data(), wave.size()));
  EXPECT_EQ(manager.GetSoundCount(), 256);
  EXPECT_TRUE(manager.StopSound(256));
  EXPECT_FALSE(manager.StopSound(0));
  EXPECT_FALSE(manager.StopSound(257));
  manager.ReleaseAll();
  EXPECT_EQ(manager.GetSoundCount(), 0);
  EXPECT_TRUE(manager.AddSound(257, wave.data(), wave.size()));
  manager.PutSoundVolume(2.0f);
  EXPECT_EQ(manager.GetSoundVolume(), 1.0f);
  manager.PutSoundVolume(-1.0f);
  EXPECT_EQ(manager.GetSoundVolume(), 0.0f);
  manager.PutMusicVolume(std::numeric_limits<float>::quiet_NaN());
  EXPECT_EQ(manager.GetMusicVolume(), 0.0f);
}

TEST(SoundManagerTest, WithoutAnAudioDeviceTheGameRunsSilent) {
  ProgramFolder program;
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  GameSoundManager manager;
  testing::internal::CaptureStderr();
  EXPECT_TRUE(manager.Initialize());
  const std::string said = testing::internal::GetCapturedStderr();
  unsetenv("SDL_AUDIODRIVER");
  EXPECT_EQ(said.rfind("t3dplayer: no audio device, the game runs silent (", 0), 0u) << said;
  const std::string wave = MakeWave(1, 16, 44100, SampleBytes(Samples(10, 1)));
  EXPECT_TRUE(manager.AddSound(1, wave.data(), wave.size()));
  EXPECT_TRUE(manager.PlaySound(1, 1.0f, 0.0f, 0.0f));
  manager.LoadMusic(2, Bytes(DataFile("tone_stereo.ogg")));
  EXPECT_TRUE(manager.PlayMusic(2, true, 1.0f));
  EXPECT_TRUE(manager.IsMusicPlaying(2));
}

TEST_F(SoundManagerSilentTest, LoadsSoundsRelativeToTheProgramFolderAndSaysWhyOneIsRefused) {
  program.Folder().Write("Sound/Hit.wav", MakeWave(2, 16, 44100, SampleBytes(Constant(4, 1, 1))));
  std::string floatWave = MakeWave(2, 16, 44100, SampleBytes(Constant(4, 1, 1)));
  floatWave[20] = 3;
  program.Folder().Write("Sound/Float.wav", floatWave);
  // A name in Shift-JIS ("足音") finds the file unpacked under its UTF-8 name.
  program.Folder().Write("Sound/足音.wav", MakeWave(2, 16, 44100, SampleBytes(Constant(4, 1, 1))));
  testing::internal::CaptureStderr();
  EXPECT_TRUE(manager.LoadSound(Code("HIT "), "sound\\hit.wav"));
  EXPECT_TRUE(manager.LoadSound(Code("STEP"), "sound\\\x91\xAB\x89\xB9.wav"));
  EXPECT_FALSE(manager.LoadSound(Code("MISS"), "sound\\missing.wav"));
  // The name is the game's: shown in UTF-8, an ESC and a line feed in it escaped.
  EXPECT_FALSE(manager.LoadSound(7, "sound\\\x1b[31m\n\x91\xAB.wav"));
  EXPECT_FALSE(manager.LoadSound(Code("FLT "), "Sound/Float.wav"));
  EXPECT_FALSE(manager.LoadSound(2, "Sound/Float.wav"));
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "t3dplayer: sound 'MISS': cannot read \"sound\\missing.wav\"\n"
            "t3dplayer: sound 7: cannot read \"sound\\\\x1b[31m\\n\xE8\xB6\xB3.wav\"\n"
            "t3dplayer: sound 'FLT ': WAVE with floating-point samples is not supported (16-bit or 8-bit PCM only)\n"
            "t3dplayer: sound 2: WAVE with floating-point samples is not supported (16-bit or 8-bit PCM only)\n");
  EXPECT_EQ(manager.GetSoundCount(), 2);
}

// Bounded at 48 KiB, three sounds of 16 KiB fit and a fourth does not,
// whichever id it comes under: LoadSound answers as for a file it cannot
// read, and one line names the file (or, for bytes given whole, the id).
// Samples released make room again.
TEST_F(SoundManagerSilentTest, SoundsPastTheirBoundAreNotLoadedAndSaySo) {
  manager.SetSoundMemoryLimit(48 * 1024);
  program.Folder().Write("big.wav", MakeWave(2, 16, 44100, std::string(16 * 1024, '\x10')));
  const std::string small = MakeWave(1, 8, 44100, std::string(100, '\x80'));
  testing::internal::CaptureStderr();
  for (std::uint32_t id = 1; id <= 3; ++id) EXPECT_TRUE(manager.LoadSound(id, "big.wav")) << id;
  EXPECT_FALSE(manager.LoadSound(4, "big.wav"));
  EXPECT_FALSE(manager.AddSound(5, small.data(), small.size()));
  EXPECT_TRUE(manager.LoadSound(2, "big.wav"));  // loaded already: nothing more is held
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "t3dplayer: big.wav: not loaded: the game's sounds would pass 48 KiB\n"
            "t3dplayer: sound 5: not loaded: the game's sounds would pass 48 KiB\n");
  EXPECT_EQ(manager.GetSoundCount(), 3);
  EXPECT_EQ(manager.GetSoundBytes(), 48u * 1024);
  EXPECT_FALSE(manager.PlaySound(4, 1.0f, 0.0f, 0.0f));
  manager.ReleaseAll();
  EXPECT_TRUE(manager.LoadSound(4, "big.wav"));
  EXPECT_TRUE(manager.AddSound(5, small.data(), small.size()));
  EXPECT_EQ(manager.GetSoundBytes(), 16u * 1024 + 100);
}

}  // namespace
