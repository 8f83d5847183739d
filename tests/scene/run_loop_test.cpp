// The run loop on the virtual clock: the frame schedule for any FPS, across
// the counter's wrap, skipped draws, the frame-rate text, record and replay,
// the window's quit, and the frame wait's bounds.
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

bool Load(RunHarness& harness, const std::string& sceneText) {
  TempFolder folder;
  return harness.scene.LoadScene(folder.Write("stage.scn", sceneText));
}

// Passes 2 to `frames` wait for their deadline; the first sets it, the last
// (after the end) skips its draw and its wait.
TEST(RunLoopTest, FrameScheduleForEveryFps) {
  struct Case {
    int fps;
    std::uint32_t start;
    std::uint32_t elapsed;
  };
  const Case cases[] = {
      {30, 0, 9 * 33},               // 1000 / 30 in whole milliseconds
      {0, 0, 9 * 1000},              // no rate: one frame a second
      {-5, 0, 9 * 1000},
      {1000, 0, 9},
      {5000, 0, 9},                  // faster than the clock counts: one a millisecond
      {30, 0xFFFFFF00u, 9 * 33},     // the counter wraps during the run
      {60, 0xFFFFFFF0u, 9 * 16},
  };
  for (const Case& c : cases) {
    RunHarness harness;
    harness.clock.Advance(c.start);
    ASSERT_TRUE(Load(harness, EndingScene(c.fps, 10)));
    EXPECT_EQ(harness.scene.Run(), 0) << c.fps;
    EXPECT_EQ(harness.clock.NowMs() - c.start, c.elapsed) << "fps " << c.fps << " from " << c.start;
    EXPECT_EQ(harness.device.GetPresentCount(), 10) << c.fps;
    EXPECT_FALSE(harness.scene.IsRunning());
  }
}

// Every pass costs 50 ms at 30 frames a second: each fifth pass draws and
// the schedule restarts from there, while every pass updates.
TEST(RunLoopTest, LateFramesSkipFourDrawsThenDraw) {
  struct SlowDevice : NullDevice {
    VirtualClock* clock = nullptr;
    State TestCooperativeLevel() override {
      clock->Advance(50);
      return kReady;
    }
  };
  RunHarness harness;
  SlowDevice device;
  device.clock = &harness.clock;
  RunHost host = harness.scene.GetRunHost();
  host.device = &device;
  harness.scene.SetRunHost(host);
  ASSERT_TRUE(Load(harness, EndingScene(30, 20)));
  EXPECT_EQ(harness.scene.Run(), 0);
  // Passes 1, 6, 11 and 16 draw; pass 21 ends the scene without a draw.
  EXPECT_EQ(device.GetPresentCount(), 4);
  EXPECT_EQ(harness.clock.NowMs(), 21u * 50);
}

// The overlay shows the draws of the last whole second, 0 during the first.
TEST(RunLoopTest, FrameRateTextShowsTheLastSecond) {
  struct TextDevice : NullDevice {
    std::vector<std::string> texts;
    void DrawOverlayText(const char* text, float x, float y, std::uint32_t color, float scale) override {
      EXPECT_EQ(x, 0.0f);
      EXPECT_EQ(y, 0.0f);
      EXPECT_EQ(color, 0xFFFFFFFFu);
      EXPECT_EQ(scale, 1.0f);
      texts.push_back(text);
    }
  };
  RunHarness harness;
  TextDevice device;
  RunHost host = harness.scene.GetRunHost();
  host.device = &device;
  harness.scene.SetRunHost(host);
  harness.window.SetShowsFrameRate(true);
  ASSERT_TRUE(Load(harness, EndingScene(10, 25)));
  EXPECT_EQ(harness.scene.Run(), 0);
  // Draws at 0, 100, ... ms; the second ends after the draw at 1000 ms
  // (11 draws), the next after the one at 2000 ms (10 more).
  ASSERT_EQ(device.texts.size(), 25u);
  EXPECT_EQ(device.texts[0], "  0FPS");
  EXPECT_EQ(device.texts[10], "  0FPS");
  EXPECT_EQ(device.texts[11], " 11FPS");
  EXPECT_EQ(device.texts[20], " 11FPS");
  EXPECT_EQ(device.texts[21], " 10FPS");
}

TEST(RunLoopTest, RecordsPadWordsUpToItsCapacity) {
  RunHarness harness;
  harness.input.PadAt(2, 0x10);  // poll 1 is the start's
  harness.input.PadAt(4, 0x20);
  ASSERT_TRUE(Load(harness, EndingScene(30, 6)));
  std::uint32_t record[4] = {};
  std::uint32_t count = 4;
  EXPECT_EQ(harness.scene.Run(record, &count, nullptr, 0), 0);
  EXPECT_EQ(count, 4u);
  EXPECT_EQ(std::vector<std::uint32_t>(record, record + 4), (std::vector<std::uint32_t>{0x10, 0x10, 0x20, 0x20}));
}

// The replay replaces the pad words and ends the scene when it runs out.
TEST(RunLoopTest, ReplayRunsOutAndEndsTheScene) {
  RunHarness harness;
  harness.input.PadAt(2, 0x80);
  ASSERT_TRUE(Load(harness, "<Scene>\n <Script>\nLoop() { Test.Log(\"pad \" + Test.Pad()); }\n </Script>\n"
                            " <Function OnLoop=\"Loop\"/>\n</Scene>\n"));
  const std::uint32_t replay[3] = {1, 2, 4};
  EXPECT_EQ(harness.scene.Run(nullptr, nullptr, replay, 3), 0);
  EXPECT_EQ(harness.trace, "pad 1\npad 2\npad 4\n");
}

TEST(RunLoopTest, WindowQuitEndsTheSceneWithTwo) {
  RunHarness harness;
  harness.window.QuitAtPump(3);
  ASSERT_TRUE(Load(harness, "<Scene>\n <Script>\nLoop() { Test.Log(\"frame \" + Test.Frame()); }\n"
                            "End() { Test.Log(\"end\"); }\n </Script>\n"
                            " <Function OnLoop=\"Loop\" OnEnd=\"End\"/>\n</Scene>\n"));
  EXPECT_EQ(harness.scene.Run(), ScenarioScene::kRunQuit);
  EXPECT_TRUE(harness.scene.QuitRequested());
  EXPECT_EQ(harness.trace, "frame 0\nframe 1\nframe 2\nend\n");
}

TEST(RunLoopTest, WithoutDeviceNothingStarts) {
  RunHarness harness;
  harness.scene.SetRunHost(RunHost());
  ASSERT_TRUE(Load(harness, EndingScene(30, 1)));
  EXPECT_EQ(harness.scene.Run(), ScenarioScene::kRunNoDevice);
  EXPECT_FALSE(harness.scene.IsRunning());
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
