// The run loop on the virtual clock: the frame schedule for any FPS, across
// the counter's wrap, skipped draws, the frame-rate text, record and replay,
// the window's quit, a missing device, and the frame wait's bounds.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/system/temp_folder.h"
#include "run_harness.h"

namespace {

// A scene that ends itself once its frame counter reaches `frames`.
std::string EndingScene(int fps, int frames) {
  return "<Scene>\n <FPS value=\"" + std::to_string(fps) + "\"/>\n <Script>\nLoop() { if (Test.Frame() == " +
         std::to_string(frames) + ") Test.EndScene(); }\n </Script>\n <Function OnLoop=\"Loop\"/>\n</Scene>\n";
}

// A scene that logs each frame and its pad word, and its end.
const std::string kLoggingScene =
    "<Scene>\n <Script>\nLoop() { Test.Log(\"frame \" + Test.Frame() + \" pad \" + Test.Pad()); }\n"
    "End() { Test.Log(\"end\"); }\n </Script>\n <Function OnLoop=\"Loop\" OnEnd=\"End\"/>\n</Scene>\n";

// Counts its draws and keeps the frame-rate texts (each run of equal texts as
// "TEXT xN"); a slow one costs 50 ms of the clock every pass.
struct RecordingDevice : NullDevice {
  VirtualClock* slowClock = nullptr;
  std::string texts, last;
  int repeats = 0;
  State TestCooperativeLevel() override {
    if (slowClock) slowClock->Advance(50);
    return kReady;
  }
  void DrawOverlayText(const char* text, float x, float y, std::uint32_t color, float scale) override {
    // The text stands in the corner, white and unscaled.
    if (x != 0 || y != 0 || color != 0xFFFFFFFFu || scale != 1) texts += "(elsewhere) ";
    if (last != text && repeats) texts += "\"" + last + "\" x" + std::to_string(repeats) + " ";
    repeats = last == text ? repeats + 1 : 1;
    last = text;
  }
};

struct RunCase {
  const char* name;
  std::string scene;
  std::uint32_t start = 0;  // the clock when the run starts
  bool slow = false, frameRate = false, noDevice = false;
  int quitAt = 0;
  std::vector<std::uint32_t> replay;
  std::string expected;
};

// The run's result, the time it took, the draws, the frame-rate texts, the
// pad words recorded (up to 4) and the Test.Log lines. Pad 0 gives #10 from
// poll 2 (poll 1 is the start's) and #20 from poll 4.
std::string RunScene(const RunCase& c) {
  RunHarness harness;
  RecordingDevice device;
  RunHost host = harness.scene.GetRunHost();
  host.device = c.noDevice ? nullptr : &device;
  harness.scene.SetRunHost(host);
  if (c.slow) device.slowClock = &harness.clock;
  harness.window.SetShowsFrameRate(c.frameRate);
  if (c.quitAt) harness.window.QuitAtPump(c.quitAt);
  harness.clock.Advance(c.start);
  harness.input.PadAt(2, 0x10);
  harness.input.PadAt(4, 0x20);
  TempFolder folder;
  if (!harness.scene.LoadScene(folder.Write("stage.scn", c.scene))) return "does not load";
  // Runs that replay, or have no device to run on, record nothing.
  std::uint32_t record[4] = {}, count = c.replay.empty() && !c.noDevice ? 4 : 0;
  const int result = harness.scene.Run(count ? record : nullptr, count ? &count : nullptr,
                                       c.replay.empty() ? nullptr : c.replay.data(),
                                       static_cast<std::uint32_t>(c.replay.size()));
  std::string out = "returns " + std::to_string(result) + " after " + std::to_string(harness.clock.NowMs() - c.start) +
                    " ms, " + std::to_string(device.GetPresentCount()) + " draws, ";
  if (device.repeats) out += device.texts + "\"" + device.last + "\" x" + std::to_string(device.repeats) + ", ";
  out += "recorded";
  for (std::uint32_t i = 0; i < count; ++i) out += " " + std::to_string(record[i]);
  out += harness.scene.IsRunning() ? ", still running" : "";
  out += harness.scene.QuitRequested() ? ", quit\n" : "\n";
  return out + harness.trace;
}

TEST(RunLoopTest, RunsOfEveryKind) {
  const RunCase cases[] = {
      // Passes 2 to 10 wait for their deadline; the first sets it, the last
      // (after the end) skips its draw and its wait.
      {"30 fps: 1000 / 30 in whole milliseconds", EndingScene(30, 10), 0, false, false, false, 0, {},
       "returns 0 after 297 ms, 10 draws, recorded 16 16 32 32\n"},
      {"no rate: one frame a second", EndingScene(0, 10), 0, false, false, false, 0, {},
       "returns 0 after 9000 ms, 10 draws, recorded 16 16 32 32\n"},
      {"a negative rate", EndingScene(-5, 10), 0, false, false, false, 0, {},
       "returns 0 after 9000 ms, 10 draws, recorded 16 16 32 32\n"},
      {"1000 fps", EndingScene(1000, 10), 0, false, false, false, 0, {},
       "returns 0 after 9 ms, 10 draws, recorded 16 16 32 32\n"},
      {"faster than the clock counts: one a millisecond", EndingScene(5000, 10), 0, false, false, false, 0, {},
       "returns 0 after 9 ms, 10 draws, recorded 16 16 32 32\n"},
      {"the counter wraps during the run", EndingScene(30, 10), 0xFFFFFF00u, false, false, false, 0, {},
       "returns 0 after 297 ms, 10 draws, recorded 16 16 32 32\n"},
      {"60 fps across the wrap", EndingScene(60, 10), 0xFFFFFFF0u, false, false, false, 0, {},
       "returns 0 after 144 ms, 10 draws, recorded 16 16 32 32\n"},
      // Every pass costs 50 ms: passes 1, 6, 11 and 16 draw and the schedule
      // restarts from there, while every pass updates; pass 21 ends the scene
      // without a draw.
      {"late frames skip four draws, then draw", EndingScene(30, 20), 0, true, false, false, 0, {},
       "returns 0 after 1050 ms, 4 draws, recorded 16 16 32 32\n"},
      // The overlay shows the draws of the last whole second, 0 during the
      // first. Draws at 0, 100, ... ms; the second ends after the draw at
      // 1000 ms (11 draws), the next after the one at 2000 ms (10 more).
      {"frame-rate text", EndingScene(10, 25), 0, false, true, false, 0, {},
       "returns 0 after 2400 ms, 25 draws, \"  0FPS\" x11 \" 11FPS\" x10 \" 10FPS\" x4, recorded 16 16 32 32\n"},
      // The replay replaces the pad words and ends the scene when it runs out.
      {"replay", kLoggingScene, 0, false, false, false, 0, {1, 2, 4},
       "returns 0 after 66 ms, 3 draws, recorded\nframe 0 pad 1\nframe 1 pad 2\nframe 2 pad 4\nend\n"},
      {"the window's quit", kLoggingScene, 0, false, false, false, 3, {},
       "returns 2 after 66 ms, 3 draws, recorded 16 16 32, quit\n"
       "frame 0 pad 16\nframe 1 pad 16\nframe 2 pad 32\nend\n"},
      {"without a device nothing starts", EndingScene(30, 1), 0, false, false, true, 0, {},
       "returns 3 after 0 ms, 0 draws, recorded\n"},
  };
  for (const RunCase& c : cases) EXPECT_EQ(RunScene(c), c.expected) << c.name;
}

// The shared frame wait: it ends at the deadline (each look at this clock
// costs a millisecond), across the wrap, at once for a past deadline, and a
// deadline far away (a clock that jumped) costs about one second at most.
TEST(RunLoopTest, FrameWaitIsBounded) {
  struct PollingClock : FrameClock {
    std::uint32_t now = 0;
    std::uint32_t NowMs() override { return now++; }
    void SleepMs(std::uint32_t ms) override { now += ms; }
  };
  struct Case {
    std::uint32_t start, deadline;
    std::uint32_t lowest, highest;  // the clock's reading after the wait
  };
  const Case cases[] = {
      {100, 133, 133, 135},
      {0xFFFFFFF0u, 0x10, 0x10, 0x12},
      {500, 400, 500, 502},
      {0, 5000, 1000, 1003},
      {0, 0x80000000u, 0, 2},
  };
  for (const Case& c : cases) {
    PollingClock clock;
    clock.now = c.start;
    clock.WaitUntil(c.deadline);
    EXPECT_GE(static_cast<std::int32_t>(clock.now - c.lowest), 0) << c.start << " " << c.deadline;
    EXPECT_LE(static_cast<std::int32_t>(clock.now - c.highest), 0) << c.start << " " << c.deadline;
  }
}

}  // namespace
