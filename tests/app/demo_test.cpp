// The demo game as a player meets it: the program beside the content of demo/
// in a folder of its own. Without a display it plays its attract sequence and
// ends by itself; on an X server of the test's own it is played with real key
// presses and its screens are compared with the pictures in demo_screens/,
// also scaled into a larger screen in full screen. What it saved is read
// back from "Config.sav".
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <thread>
#include <utility>
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

// The demo as shipped, and beside it the demo whose case table ends its
// lines in LF alone, as a Linux editor or a checkout that converts line ends
// leaves it: the runner follows the recorded keys the same way in both.
TEST(DemoTest, WithoutADisplayTheAttractSequenceReachesTheFlagAndEnds) {
  TempFolder shipped, lfOnly;
  CopyDemo(shipped);
  CopyDemo(lfOnly);
  std::string table = lfOnly.Read("models/hero.cases");
  ASSERT_NE(table.find("\r\n"), std::string::npos);
  table.erase(std::remove(table.begin(), table.end(), '\r'), table.end());
  lfOnly.Write("models/hero.cases", table);
  // The attract route is a recording of pad words: the run is the same on
  // every machine, frame for frame, so its time is exact. The minute is the
  // game's promise, not the test's measure: its route takes about 25 seconds.
  // The two play side by side.
  PlayerProcess shippedPlayer(shipped), lfPlayer(lfOnly);
  for (auto [folder, player] : {std::pair{&shipped, &shippedPlayer}, std::pair{&lfOnly, &lfPlayer}}) {
    SCOPED_TRACE(folder == &shipped ? "as shipped" : "case table with LF line ends");
    EXPECT_EQ(player->Wait(60000), 0) << player->Output();
    // A game without faults in its content says nothing.
    EXPECT_EQ(player->Output(), "");
    EXPECT_EQ(folder->Read("Config.sav"),
              Settings("Demo", {{"Runs", "1"}, {"BestTime", "15.13"}, {"Finished", "1"}}));
    // The runner's model was converted from its .mqo at load.
    EXPECT_TRUE(fs::exists(folder->path() + "models/hero.x"));
  }
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

// Where a picture lands when it is presented into a drawable: as large as
// fits, centred; the rest is black.
struct Placement {
  double scale;
  std::uint32_t x0, y0;
  ScreenArea Of(const ScreenArea& area) const {
    // Grown by a pixel each way: filtering blends what lies beside.
    const auto at = [this](std::uint32_t v, std::uint32_t origin, int grow) {
      return static_cast<std::uint32_t>(std::max(0.0, origin + v * scale + grow));
    };
    return {at(area.x0, x0, -1), at(area.y0, y0, -1), at(area.x1, x0, 1), at(area.y1, y0, 1)};
  }
};
Placement PlacementIn(const Picture& picture, std::uint32_t width, std::uint32_t height) {
  const double scale = std::min(static_cast<double>(width) / picture.width,
                                static_cast<double>(height) / picture.height);
  const auto w = static_cast<std::uint32_t>(picture.width * scale);
  const auto h = static_cast<std::uint32_t>(picture.height * scale);
  return {scale, (width - w) / 2, (height - h) / 2};
}

// `picture` as the device presents it into a drawable of that size: a
// linear blend of the four pixels nearest each pixel's centre, as the GL
// blit filters, edges clamped.
Picture Presented(const Picture& picture, std::uint32_t width, std::uint32_t height) {
  const Placement place = PlacementIn(picture, width, height);
  const auto w = static_cast<std::uint32_t>(picture.width * place.scale);
  const auto h = static_cast<std::uint32_t>(picture.height * place.scale);
  const auto source = [&](std::uint32_t at, std::uint32_t origin, std::uint32_t size, std::uint32_t* low,
                          double* weight) {
    const double v = std::clamp((at - origin + 0.5) / place.scale - 0.5, 0.0, size - 1.0);
    *low = std::min(static_cast<std::uint32_t>(v), size - 2);
    *weight = v - *low;
  };
  return MakePicture(width, height, [&](std::uint32_t x, std::uint32_t y) {
    if (x < place.x0 || y < place.y0 || x >= place.x0 + w || y >= place.y0 + h) return 0xFF000000u;
    std::uint32_t sx, sy;
    double fx, fy;
    source(x, place.x0, picture.width, &sx, &fx);
    source(y, place.y0, picture.height, &sy, &fy);
    std::uint32_t color = 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
      const auto c = [&](std::uint32_t px, std::uint32_t py) { return picture.At(px, py) >> shift & 0xFF; };
      const double top = c(sx, sy) * (1 - fx) + c(sx + 1, sy) * fx;
      const double bottom = c(sx, sy + 1) * (1 - fx) + c(sx + 1, sy + 1) * fx;
      color |= static_cast<std::uint32_t>(top * (1 - fy) + bottom * fy + 0.5) << shift;
    }
    return color;
  });
}

// The game on an X server of the test's own with a screen of the given size.
class DemoDisplayTest : public testing::Test {
 protected:
  explicit DemoDisplayTest(const std::string& screen) : xvfb_(screen) {}
  void SetUp() override { ASSERT_TRUE(xvfb_.IsRunning()) << xvfb_.Error(); }

  // Polls the window until it shows the screen; on a timeout the last
  // picture is written beside the test program as demo_<name>.png.
  testing::AssertionResult WaitForScreen(unsigned long window, const Screen& screen, int timeoutMs) {
    return WaitForPicture(window, screen, ReferencePicture(screen.name), timeoutMs);
  }
  // The same against a picture made for the test; *shown (may be null) gets
  // the window's picture that matched.
  testing::AssertionResult WaitForPicture(unsigned long window, const Screen& screen, const Picture& expected,
                                          int timeoutMs, Picture* shown = nullptr) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    Picture actual;
    Difference last;
    for (;;) {
      if (xvfb_.Screenshot(window, &actual)) {
        last = Compare(actual, expected, screen.ignored);
        if (last.Within(screen.allowed)) {
          if (shown != nullptr) *shown = actual;
          return testing::AssertionSuccess();
        }
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

  // The demo in `folder`, three runs and a best time already saved, playing
  // on the test's screen; *window gets its window, 0 when none showed.
  std::unique_ptr<PlayerProcess> StartDemo(const TempFolder& folder, unsigned long* window) {
    CopyDemo(folder);
    folder.Write("Config.sav", Settings("Demo", {{"Runs", "3"}, {"BestTime", "15.13"}, {"Finished", "1"}}));
    PlayerOptions options;
    options.display = xvfb_.Name();
    auto player = std::make_unique<PlayerProcess>(folder, options);
    *window = xvfb_.FindWindow("T3DPLAYER");
    return player;
  }

  XvfbDisplay xvfb_;
};

// Its screen exactly the game's 800x600, so the window, full screen from the
// start, shows the picture unscaled.
class DemoOnDisplayTest : public DemoDisplayTest {
 protected:
  DemoOnDisplayTest() : DemoDisplayTest("800x600x24") {}
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
  unsigned long window = 0;
  const std::unique_ptr<PlayerProcess> player = StartDemo(folder, &window);
  ASSERT_NE(window, 0u) << player->Output();
  Keys("windowfocus --sync " + std::to_string(window));

  // The first start converts the runner's model before the title fades in.
  ASSERT_TRUE(WaitForScreen(window, title, 30000)) << player->Output();
  Keys("key z");
  // The fade, the banner and the camera's turn toward the runner.
  ASSERT_TRUE(WaitForScreen(window, start, 15000)) << player->Output();
  Keys("keydown Up sleep 0.5 key z sleep 0.7 keydown x sleep 1.0 keyup x keyup Up");
  ASSERT_TRUE(WaitForScreen(window, ran, 10000)) << player->Output();
  Keys("key Escape");
  ASSERT_TRUE(WaitForScreen(window, title, 15000)) << player->Output();
  Keys("key Escape");

  EXPECT_EQ(player->Wait(15000), 0) << player->Output();
  EXPECT_EQ(player->Output(), "");
  EXPECT_EQ(folder.Read("Config.sav"), Settings("Demo", {{"Runs", "4"}, {"BestTime", "15.13"}, {"Finished", "1"}}));
}

// A screen larger than the game's, with or without a window manager: full
// screen fills the whole screen with the picture, scaled and centred, the
// rest black; F7 gives a window of the picture's size and F6 the other size,
// in a window and in full screen.
class DemoFullScreenOnDisplayTest : public DemoDisplayTest {
 protected:
  static constexpr std::uint32_t kWidth = 1280, kHeight = 1024;
  DemoFullScreenOnDisplayTest() : DemoDisplayTest("1280x1024x24") {}

  void PlayFullScreenAndInAWindow() {
    TempFolder folder;
    unsigned long window = 0;
    const std::unique_ptr<PlayerProcess> player = StartDemo(folder, &window);
    ASSERT_NE(window, 0u) << player->Output();
    const std::string id = std::to_string(window);

    // The title and its changing parts where they land in a drawable of
    // that size. The presented picture is the game's blended as the device's
    // scaling does; a picture the game draws at 640x480 itself differs from
    // the reference at the edges of letters and shapes.
    const Picture title = ReferencePicture("title");
    ASSERT_FALSE(title.pixels.empty());
    const auto titleIn = [&title](const char* name, std::uint32_t width, std::uint32_t height, double allowed) {
      const Placement place = PlacementIn(title, width, height);
      return Screen{name, {place.Of(kFrameRate), place.Of(kTurningRunner)}, allowed};
    };
    const Screen full = titleIn("title_full_screen", kWidth, kHeight, 0.0001);
    const Screen small = titleIn("title_640x480", 640, 480, 0.03);
    const Screen windowed{"title", {kFrameRate, kTurningRunner}, 0.0001};

    ASSERT_TRUE(WaitForPicture(xvfb_.Root(), full, Presented(title, kWidth, kHeight), 30000)) << player->Output();
    Keys("windowfocus --sync " + id + " key F7");
    ASSERT_TRUE(WaitForScreen(window, windowed, 10000)) << player->Output();
    Keys("windowfocus --sync " + id + " key F6");
    Picture drawnAt640;
    ASSERT_TRUE(WaitForPicture(window, small, Presented(title, 640, 480), 10000, &drawnAt640)) << player->Output();
    // Full screen shows that picture, the back buffer still 640x480.
    Keys("windowfocus --sync " + id + " key F7");
    ASSERT_TRUE(WaitForPicture(xvfb_.Root(), full, Presented(drawnAt640, kWidth, kHeight), 10000))
        << player->Output();
    Keys("windowfocus --sync " + id + " key F6");
    ASSERT_TRUE(WaitForPicture(xvfb_.Root(), full, Presented(title, kWidth, kHeight), 10000)) << player->Output();
    Keys("windowfocus --sync " + id + " key F7");
    ASSERT_TRUE(WaitForScreen(window, windowed, 10000)) << player->Output();
    Keys("windowfocus --sync " + id + " key Escape");
    EXPECT_EQ(player->Wait(15000), 0) << player->Output();
    EXPECT_EQ(player->Output(), "");
  }
};

TEST_F(DemoFullScreenOnDisplayTest, WithoutAWindowManagerThePictureFillsTheScreen) { PlayFullScreenAndInAWindow(); }

TEST_F(DemoFullScreenOnDisplayTest, WithAWindowManagerThePictureFillsTheScreen) {
  ASSERT_TRUE(xvfb_.StartWindowManager()) << "openbox did not start (is the openbox package installed?)";
  PlayFullScreenAndInAWindow();
}

}  // namespace
