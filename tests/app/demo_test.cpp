// The demo game as a player meets it: the program beside the content of demo/
// in a folder of its own. Without a display it plays its attract sequence and
// ends by itself; on an X server of the test's own it is played with real key
// presses and its screens are compared with the pictures in demo_screens/.
// What it saved is read back from "Config.sav".
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "app/player_process.h"
#include "platform/image/image.h"
#include "support/gl_pictures.h"
#include "support/xvfb_display.h"

namespace {

namespace fs = std::filesystem;

// A folder holding the demo's content; the program joins it as the game
// target assembles them.
void CopyDemo(const TempFolder& folder) {
  fs::copy(fs::path(T3D_SOURCE_DIR) / "demo", folder.path(), fs::copy_options::recursive);
}

TEST(DemoTest, WithoutADisplayTheAttractSequenceReachesTheFlagAndEnds) {
  TempFolder folder;
  CopyDemo(folder);
  // The attract route is a recording of pad words: the run is the same on
  // every machine, frame for frame, so its time is exact. The minute is the
  // game's promise, not the test's measure: its route takes about 25 seconds.
  PlayerProcess player(folder);
  EXPECT_EQ(player.Wait(60000), 0) << player.Output();
  EXPECT_EQ(folder.Read("Config.sav"), Settings("Demo", {{"Runs", "1"}, {"BestTime", "15.13"}, {"Finished", "1"}}));
  // The runner's model was converted from its .mqo at load.
  EXPECT_TRUE(fs::exists(folder.path() + "models/hero.x"));
}

// A part of the 800x600 screen left out of a comparison, [x0, x1) x [y0, y1):
// what changes there on its own, with the frame rate or the clock.
struct ScreenArea {
  std::uint32_t x0, y0, x1, y1;
  bool Holds(std::uint32_t x, std::uint32_t y) const { return x >= x0 && x < x1 && y >= y0 && y < y1; }
};
constexpr ScreenArea kFrameRate{0, 0, 64, 18};
constexpr ScreenArea kClock{20, 30, 260, 70};
// The runner turning on the title.
constexpr ScreenArea kTurningRunner{330, 194, 470, 420};

// A screen the game shows at a fixed point of the play, against
// demo_screens/<name>.png. A pixel differs when a channel is more than the
// tolerance away; `allowed` is the share of the compared pixels that may
// differ (the runner's idle sway, the platform's place on its way, and after
// the moves the few frames that key timing adds or takes).
struct Screen {
  const char* name;
  std::vector<ScreenArea> ignored;
  double allowed;
};
constexpr int kChannelTolerance = 16;

Picture ReferencePicture(const std::string& name) {
  std::ifstream in(std::string(T3D_SOURCE_DIR) + "/tests/app/demo_screens/" + name + ".png", std::ios::binary);
  const std::vector<std::uint8_t> file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  Image image;
  Picture picture;
  if (!DecodePng(file, &image, nullptr)) return picture;
  picture.width = image.width;
  picture.height = image.height;
  for (std::size_t i = 0; i + 3 < image.pixels.size(); i += 4)
    picture.pixels.push_back(0xFF000000u | std::uint32_t{image.pixels[i]} << 16 |
                             std::uint32_t{image.pixels[i + 1]} << 8 | image.pixels[i + 2]);
  return picture;
}

// The pixels of `actual` that differ from `expected` outside the ignored
// areas, and how many were compared; all of them when the sizes differ.
struct Difference {
  std::size_t differing = 1, compared = 1;
  bool Within(double allowed) const { return static_cast<double>(differing) <= allowed * static_cast<double>(compared); }
};
Difference Compare(const Picture& actual, const Picture& expected, const std::vector<ScreenArea>& ignored) {
  if (actual.width != expected.width || actual.height != expected.height || expected.pixels.empty()) return {1, 1};
  Difference d{0, 0};
  for (std::uint32_t y = 0; y < actual.height; ++y)
    for (std::uint32_t x = 0; x < actual.width; ++x) {
      bool skip = false;
      for (const ScreenArea& area : ignored) skip = skip || area.Holds(x, y);
      if (skip) continue;
      ++d.compared;
      const std::uint32_t a = actual.At(x, y), e = expected.At(x, y);
      for (int shift = 0; shift < 24; shift += 8) {
        if (std::abs(static_cast<int>(a >> shift & 0xFF) - static_cast<int>(e >> shift & 0xFF)) > kChannelTolerance) {
          ++d.differing;
          break;
        }
      }
    }
  return d;
}

// The game on an X server of the test's own, its screen exactly the game's
// 800x600: the window starts full screen, and with no window manager a
// larger screen would leave it at 800x600 while SDL reports the desktop's size.
class DemoOnDisplayTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(xvfb_.IsRunning()) << xvfb_.Error(); }

  // Polls the window until it shows the screen; on a timeout the last
  // picture is written beside the test program as demo_<name>.png.
  testing::AssertionResult WaitForScreen(unsigned long window, const Screen& screen, int timeoutMs) {
    const Picture expected = ReferencePicture(screen.name);
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    Picture actual;
    Difference last;
    for (;;) {
      if (xvfb_.Screenshot(window, &actual)) {
        last = Compare(actual, expected, screen.ignored);
        if (last.Within(screen.allowed)) return testing::AssertionSuccess();
      }
      if (std::chrono::steady_clock::now() >= end) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    testing::AssertionResult failure = testing::AssertionFailure() << screen.name << ": ";
    if (actual.pixels.empty()) return failure << "the window could not be read";
    if (expected.pixels.empty()) {
      failure << "no picture demo_screens/" << screen.name << ".png to compare with";
    } else if (actual.width != expected.width || actual.height != expected.height) {
      failure << "the window is " << actual.width << "x" << actual.height << ", not " << expected.width << "x"
              << expected.height;
    } else {
      failure << last.differing << " of " << last.compared << " pixels differ";
    }
    const std::string written = std::string("demo_") + screen.name;
    WritePicture(written, actual);
    return failure << " after " << timeoutMs << " ms (last picture " << T3D_TEST_OUTPUT_DIR << "/" << written
                   << ".png)";
  }
  void Keys(const std::string& keys) { xvfb_.Run("xdotool " + keys); }

  XvfbDisplay xvfb_{"800x600x24"};
};

// Start on the title with Z, walk, jump on the way, run to the foot of the
// ramp, give up the run with Esc and leave the title with Esc: the screens on
// the way, the best time read back onto the title, and the runs counted.
TEST_F(DemoOnDisplayTest, PlayedWithKeysShowsItsScreensAndKeepsItsRecord) {
  // The title holds still but for the runner: one wrong digit of the best
  // time (about 190 pixels) is more than it allows.
  const Screen title{"title", {kFrameRate, kTurningRunner}, 0.0001};
  const Screen start{"start", {kFrameRate, kClock}, 0.004};
  const Screen ran{"ran", {kFrameRate, kClock}, 0.01};

  TempFolder folder;
  CopyDemo(folder);
  folder.Write("Config.sav", Settings("Demo", {{"Runs", "3"}, {"BestTime", "15.13"}, {"Finished", "1"}}));
  PlayerOptions options;
  options.display = xvfb_.Name();
  PlayerProcess player(folder, options);
  const unsigned long window = xvfb_.FindWindow("T3DPLAYER");
  ASSERT_NE(window, 0u) << player.Output();
  Keys("windowfocus --sync " + std::to_string(window));

  // The first start converts the runner's model before the title fades in.
  ASSERT_TRUE(WaitForScreen(window, title, 30000)) << player.Output();
  Keys("key z");
  // The fade, the banner and the camera's turn toward the runner.
  ASSERT_TRUE(WaitForScreen(window, start, 15000)) << player.Output();
  Keys("keydown Up sleep 0.5 key z sleep 0.7 keydown x sleep 1.0 keyup x keyup Up");
  ASSERT_TRUE(WaitForScreen(window, ran, 10000)) << player.Output();
  Keys("key Escape");
  ASSERT_TRUE(WaitForScreen(window, title, 15000)) << player.Output();
  Keys("key Escape");

  EXPECT_EQ(player.Wait(15000), 0) << player.Output();
  EXPECT_EQ(player.Output(), "");
  EXPECT_EQ(folder.Read("Config.sav"), Settings("Demo", {{"Runs", "4"}, {"BestTime", "15.13"}, {"Finished", "1"}}));
}

}  // namespace
