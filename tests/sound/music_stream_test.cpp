// Music streams: the memory source's callbacks; loops, the end of a piece and
// fades as heard (the disk driver's samples); refused pieces; and decoders
// that make no progress, which end instead of hanging.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "sound/music_stream.h"
#include "sound/sound_manager.h"
#include "sound/sound_test_support.h"

namespace {

class MusicStreamHeardTest : public HeardSoundTest {};
class MusicStreamSilentTest : public SilentSoundTest {};

constexpr std::size_t kGapFrames = 441;  // 10 ms: longer than any silence inside the pieces

TEST(MemoryStreamTest, CallbacksReadSeekAndTellWithinTheData) {
  MemoryStream stream;
  stream.data = Bytes("0123456789");
  char out[16] = {};
  std::string trace;
  auto seek = [&](std::int64_t offset, int whence) {
    const int result = MemoryStreamSeek(&stream, offset, whence);
    trace += std::to_string(result) + "@" + std::to_string(MemoryStreamTell(&stream)) + " ";
  };
  auto read = [&](std::size_t size, std::size_t count) {
    const std::size_t n = MemoryStreamRead(out, size, count, &stream);
    trace += std::string(out, n) + "@" + std::to_string(MemoryStreamTell(&stream)) + " ";
  };
  seek(0, SEEK_END);
  seek(1, SEEK_END);
  seek(-1, SEEK_SET);
  seek(-3, SEEK_CUR);
  read(1, 4);
  seek(5, 99);  // any other origin is the start
  read(2, 3);
  seek(INT64_MIN, SEEK_CUR);
  read(4, SIZE_MAX);
  trace += std::to_string(MemoryStreamClose(&stream));
  EXPECT_EQ(trace, "0@10 -1@10 -1@10 0@7 789@10 0@0 012345@6 -1@6 6789@10 0");
  MemoryStream empty;
  EXPECT_EQ(MemoryStreamTell(&empty), -1);
  EXPECT_EQ(MemoryStreamClose(&empty), -1);
}

// Where the piece lies in a run that starts with its first frame heard.
Samples Repeated(const Samples& piece, std::size_t samples) {
  std::size_t first = 0;
  while (first < piece.size() && piece[first] == 0 && piece[first + 1] == 0) first += 2;
  Samples out;
  for (std::size_t i = 0; out.size() < samples; ++i) out.push_back(piece[(first + i) % piece.size()]);
  return out;
}

TEST_F(MusicStreamHeardTest, ALoopFillsTheRingWithWholeCopiesAndNoGap) {
  const std::string ogg = DataFile("tone_stereo.ogg");
  const DecodedPiece piece = DecodeOgg(ogg);
  ASSERT_EQ(piece.channels, 2);
  ASSERT_EQ(piece.rate, 44100);
  ASSERT_EQ(piece.samples.size(), 2u * 4410);
  manager.LoadMusic(Code("LOOP"), Bytes(ogg));
  ASSERT_TRUE(manager.PlayMusic(Code("LOOP"), true, 1.0f));
  SleepMs(500);
  // Playing already: nothing changes, not the loop nor the volume.
  EXPECT_TRUE(manager.PlayMusic(Code("LOOP"), false, 0.2f));
  SleepMs(1500);  // the first refill comes after a second, then every 250 ms
  EXPECT_TRUE(manager.IsMusicPlaying(Code("LOOP")));
  manager.StopMusic(Code("LOOP"));
  EXPECT_FALSE(manager.IsMusicPlaying(Code("LOOP")));
  const std::vector<SoundRun> runs = SplitRuns(Heard(), kGapFrames);
  ASSERT_EQ(runs.size(), 1u);
  ASSERT_GT(runs[0].samples.size(), 2u * 44100 * 19 / 10);
  EXPECT_EQ(FirstDifference(runs[0].samples, Repeated(piece.samples, runs[0].samples.size())), "");
}

// The mono piece at half the output rate: each source frame, then the step
// halfway to the next; silence follows the last.
Samples Resampled(const Samples& mono) {
  Samples out;
  for (std::size_t i = 0; i < mono.size(); ++i) {
    const float here = mono[i];
    const float next = i + 1 < mono.size() ? mono[i + 1] : 0.0f;
    const auto half = static_cast<std::int16_t>(std::nearbyint(here + (next - here) * 0.5f));
    for (std::int16_t s : {mono[i], mono[i], half, half}) out.push_back(s);
  }
  while (!out.empty() && out.back() == 0) out.pop_back();
  while (!out.empty() && out.front() == 0) out.erase(out.begin());
  return out;
}

TEST_F(MusicStreamHeardTest, WithoutLoopAPieceIsHeardOnceThenSilenceAndPlaysAgainWhenAsked) {
  const std::string ogg = DataFile("tone_mono_22050.ogg");
  manager.LoadMusic(Code("ONCE"), Bytes(ogg));
  for (int time = 0; time < 2; ++time) {
    ASSERT_TRUE(manager.PlayMusic(Code("ONCE"), false, 1.0f));
    EXPECT_TRUE(manager.IsMusicPlaying(Code("ONCE")));
    SleepMs(1400);
    EXPECT_FALSE(manager.IsMusicPlaying(Code("ONCE"))) << "time " << time;
  }
  const DecodedPiece piece = DecodeOgg(ogg);
  ASSERT_EQ(piece.channels, 1);
  ASSERT_EQ(piece.rate, 22050);
  ASSERT_EQ(piece.samples.size(), 6615u);
  const Samples expected = Resampled(piece.samples);
  const std::vector<SoundRun> runs = SplitRuns(Heard(), kGapFrames);
  ASSERT_EQ(runs.size(), 2u);
  for (const SoundRun& run : runs) EXPECT_EQ(FirstDifference(run.samples, expected), "");
}

TEST_F(MusicStreamHeardTest, AFadeToZeroEndsAtOnePercentThenStopsOnTheFrameAfter) {
  const std::string ogg = DataFile("tone_stereo.ogg");
  manager.LoadMusic(Code("FADE"), Bytes(ogg));
  ASSERT_TRUE(manager.PlayMusic(Code("FADE"), true, 1.0f));
  SleepMs(150);
  EXPECT_TRUE(manager.SetMusicVolume(Code("FADE"), 0.0f, 30, true));
  for (int frame = 1; frame <= 30; ++frame) {
    manager.Update();
    SleepMs(10);
  }
  EXPECT_TRUE(manager.IsMusicPlaying(Code("FADE")));
  SleepMs(150);
  manager.Update();
  EXPECT_FALSE(manager.IsMusicPlaying(Code("FADE")));
  SleepMs(200);
  const std::vector<SoundRun> runs = SplitRuns(Heard(), kGapFrames);

  const Samples piece = DecodeOgg(ogg).samples;
  int peak = 0;
  for (std::int16_t s : piece) peak = std::max(peak, std::abs(static_cast<int>(s)));
  ASSERT_EQ(runs.size(), 1u);
  const Samples& heard = runs[0].samples;
  ASSERT_GT(heard.size(), 2u * 44100 * 3 / 10);
  // Full level first, then the last 100 ms at -40 dB, then nothing.
  EXPECT_EQ(FirstDifference(Samples(heard.begin(), heard.begin() + 2 * 4410), Repeated(piece, 2 * 4410)), "");
  int tail = 0;
  for (auto s = heard.end() - 2 * 4410; s != heard.end(); ++s) tail = std::max(tail, std::abs(static_cast<int>(*s)));
  EXPECT_LE(tail, peak / 100 + 1);
  EXPECT_GT(tail, 0);
}

TEST_F(MusicStreamSilentTest, RefusesWhatItCannotPlayAndFreesBytesNoStreamTakes) {
  const std::string ogg = DataFile("tone_stereo.ogg");
  testing::internal::CaptureStderr();
  manager.LoadMusic(Code("SIX "), Bytes(DataFile("three_channels.ogg")));
  manager.LoadMusic(Code("TEXT"), Bytes("not an Ogg file"));
  manager.LoadMusicFile(Code("MISS"), "missing.ogg");
  // The game's Shift-JIS name in UTF-8, an ESC and a line feed in it escaped.
  manager.LoadMusicFile(Code("NAME"), "\x96\xB3\x1b[2J\n.ogg");
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "t3dplayer: music 'SIX ': Ogg Vorbis with 3 channels is not supported (mono or stereo only)\n"
            "t3dplayer: music 'TEXT': not an Ogg Vorbis file\n"
            "t3dplayer: music 'MISS': cannot read \"missing.ogg\"\n"
            "t3dplayer: music 'NAME': cannot read \"\xE7\x84\xA1\\x1b[2J\\n.ogg\"\n");
  for (std::uint32_t id : {Code("SIX "), Code("TEXT"), Code("MISS")})
    EXPECT_FALSE(manager.PlayMusic(id, true, 1.0f));
  // Id 0, an id already loaded and a fifth piece: the bytes are freed (the
  // leak checker of the sanitizer build watches).
  manager.LoadMusic(0, Bytes(ogg));
  EXPECT_FALSE(manager.PlayMusic(0, true, 1.0f));
  program.Folder().Write("music/a.ogg", ogg);
  manager.LoadMusicFile(1u, "Music\\A.ogg");
  for (std::uint32_t id : {1u, 2u, 3u, 4u, 5u, 1u}) manager.LoadMusic(id, Bytes(ogg));
  for (std::uint32_t id : {1u, 2u, 3u, 4u}) EXPECT_TRUE(manager.PlayMusic(id, true, 1.0f));
  EXPECT_FALSE(manager.PlayMusic(5u, true, 1.0f));
  // Stopped, closed and deleted while playing: each waits for its thread.
  manager.StopMusic(1u);
  manager.DeleteMusic(2u);
  EXPECT_FALSE(manager.IsMusicPlaying(2u));
  manager.LoadMusic(5u, Bytes(ogg));
  EXPECT_TRUE(manager.PlayMusic(5u, false, 1.0f));
  manager.DeleteMusic(0);
  EXPECT_FALSE(manager.PlayMusic(3u, true, 1.0f));
}

TEST_F(MusicStreamSilentTest, ALoopWithoutSamplesPlaysSilenceAndEnds) {
  manager.LoadMusic(Code("NONE"), Bytes(DataFile("no_samples.ogg")));
  ASSERT_TRUE(manager.PlayMusic(Code("NONE"), true, 1.0f));
  SleepMs(1200);
  EXPECT_FALSE(manager.IsMusicPlaying(Code("NONE")));
}

// A decoder of our own whose reads and seeks fail as a case asks, counting
// the calls.
struct FakeDecoder {
  int opensThatSucceed = 1000;
  int readsWithData = 0;
  int seekResult = 0;
  int opens = 0, reads = 0, seeks = 0, clears = 0;
  bool readFails = false;
};
FakeDecoder fake;

VorbisLibrary FakeLibrary() {
  VorbisLibrary library;
  library.openCallbacks = [](void*, void*, const char*, long, WuCallbacks) {
    return ++fake.opens <= fake.opensThatSucceed ? 0 : -1;
  };
  library.info = [](void*, int) -> const WuInfo* {
    static const WuInfo info{0, 2, 44100};
    return &info;
  };
  library.read = [](void*, char* destination, int bytes, int, int, int, int*) -> long {
    ++fake.reads;
    if (fake.readsWithData > 0) {
      --fake.readsWithData;
      std::memset(destination, 1, 4);
      return bytes < 4 ? bytes : 4;
    }
    return fake.readFails ? -1 : 0;
  };
  library.pcmSeek = [](void*, std::int64_t) { return 0; };
  library.timeSeek = [](void*, double) {
    ++fake.seeks;
    return fake.seekResult;
  };
  library.clear = [](void*) {
    ++fake.clears;
    return 0;
  };
  return library;
}

TEST(MusicStreamTest, DecodingThatMakesNoProgressEndsInsteadOfHanging) {
  struct Case {
    const char* name;
    FakeDecoder decoder;
    bool loop, played, openAfter;
    const char* calls;  // opens reads seeks clears, before Close
  };
  const std::vector<Case> cases = {
      {"reads that fail: reopened once, then silence", {1000, 0, 0, 0, 0, 0, 0, true}, true, true, true,
       "2 200 0 1"},
      {"reads that fail and a decoder that cannot be reopened", {1, 0, 0, 0, 0, 0, 0, true}, true, false, false,
       "2 100 0 1"},
      {"a loop whose restart fails", {1000, 1, -1, 0, 0, 0, 0, false}, true, true, true, "1 3 1 0"},
      {"a loop with no samples", {1000, 0, 0, 0, 0, 0, 0, false}, true, true, true, "1 2 1 0"},
      {"a piece without loop ends once", {1000, 1, 0, 0, 0, 0, 0, false}, false, true, true, "1 2 0 0"},
  };
  AudioMixer mixer;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fake = c.decoder;
    const VorbisLibrary library = FakeLibrary();
    MusicStream stream;
    stream.Open(mixer, library, 7, Bytes("anything"));
    ASSERT_TRUE(stream.IsOpen());
    EXPECT_EQ(stream.Play(c.loop, 1.0f, 1.0f), c.played);
    EXPECT_EQ(stream.IsOpen(), c.openAfter);
    EXPECT_EQ(stream.GetId(), 7u);
    EXPECT_EQ(std::to_string(fake.opens) + " " + std::to_string(fake.reads) + " " + std::to_string(fake.seeks) +
                  " " + std::to_string(fake.clears),
              c.calls);
    stream.Close();
  }
}

}  // namespace
