// The run loop on the virtual clock: the runs of cases/runs/runs.cases (the
// frame schedule for any FPS, across the counter's wrap, skipped draws, the
// frame-rate text, record and replay, the window's quit, a missing device)
// compared whole, and the frame wait's bounds.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "platform/system/temp_folder.h"
#include "run_harness.h"
#include "support/case_files.h"

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

// The answer to one "run OPTIONS" of cases/runs/runs.cases (see its head).
std::string RunScene(const std::string& call) {
  RunHarness harness;
  RecordingDevice device;
  RunHost host = harness.scene.GetRunHost();
  std::string scene = kLoggingScene;
  std::uint32_t start = 0;
  std::vector<std::uint32_t> replay;
  std::istringstream words(call);
  for (std::string word; words >> word;) {
    int fps = 0, frames = 0, pump = 0;
    if (word == "ending" && words >> fps >> frames) scene = EndingScene(fps, frames);
    if (word == "start") words >> start;
    if (word == "slow") device.slowClock = &harness.clock;
    if (word == "framerate") harness.window.SetShowsFrameRate(true);
    if (word == "nodevice") host.device = nullptr;
    if (word == "quit" && words >> pump) harness.window.QuitAtPump(pump);
    for (std::uint32_t value; word == "replay" && words >> value;) replay.push_back(value);
  }
  if (host.device) host.device = &device;
  harness.scene.SetRunHost(host);
  harness.clock.Advance(start);
  harness.input.PadAt(2, 0x10);
  harness.input.PadAt(4, 0x20);
  TempFolder folder;
  if (!harness.scene.LoadScene(folder.Write("stage.scn", scene))) return "does not load";
  std::uint32_t record[4] = {}, count = replay.empty() && host.device ? 4 : 0;
  const int result = harness.scene.Run(count ? record : nullptr, count ? &count : nullptr,
                                       replay.empty() ? nullptr : replay.data(),
                                       static_cast<std::uint32_t>(replay.size()));
  std::string out = "returns " + std::to_string(result) + " after " + std::to_string(harness.clock.NowMs() - start) +
                    " ms, " + std::to_string(device.GetPresentCount()) + " draws, ";
  if (device.repeats) out += device.texts + "\"" + device.last + "\" x" + std::to_string(device.repeats) + ", ";
  out += "recorded";
  for (std::uint32_t i = 0; i < count; ++i) out += " " + std::to_string(record[i]);
  out += harness.scene.IsRunning() ? ", still running" : "";
  out += harness.scene.QuitRequested() ? ", quit" : "";
  for (std::size_t at = 0; at < harness.trace.size(); at = harness.trace.find('\n', at) + 1)
    out += "\n" + harness.trace.substr(at, harness.trace.find('\n', at) - at);
  return out;
}

TEST(RunLoopTest, RunsOfTheCaseFile) {
  const std::string expected =
      ReadTextFile(std::filesystem::path(T3D_SOURCE_DIR) / "tests/scene/cases/runs/runs.cases");
  const auto run = [](const std::string& call) {
    return call.rfind("run ", 0) == 0 ? RunScene(call.substr(4)) : "not a run: " + call;
  };
  EXPECT_EQ(AnswerCalls(expected, run), expected);
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
