// The game's window: which of its messages hold the game still, and, on an X
// server of the test's own, the function keys pressed with xdotool, the two
// screen sizes and full screen.
#include "app/main_window.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "app/program_icon.h"
#include "render/graphics.h"
#include "scene/scene.h"
#include "support/xvfb_display.h"

namespace {

TEST(MainWindowTest, TheGameMovesOnlyWhileTheWindowIsFocusedAndShown) {
  using K = WindowEvent::Kind;
  struct Case {
    std::vector<K> events;
    bool active;
  } cases[] = {
      {{}, true},
      {{K::kFocusLost}, false},
      {{K::kFocusLost, K::kFocusGained}, true},
      {{K::kMinimized}, false},
      {{K::kMinimized, K::kFocusGained}, false},
      {{K::kMinimized, K::kRestored}, true},
      {{K::kHidden}, false},
      {{K::kHidden, K::kShown}, true},
      {{K::kFocusLost, K::kHidden, K::kShown}, false},
  };
  for (const Case& c : cases) {
    Scene scene;
    MainWindow window;
    window.Attach(&scene, nullptr);
    for (K kind : c.events) window.OnWindowEvent(WindowEvent{kind});
    EXPECT_EQ(scene.IsActive(), c.active) << "after " << c.events.size() << " events";
  }
}

TEST(MainWindowTest, CloseQuitsForGood) {
  MainWindow window;
  EXPECT_FALSE(window.PumpMessages());
  window.OnWindowEvent(WindowEvent{WindowEvent::kClose});
  EXPECT_TRUE(window.PumpMessages());
  EXPECT_TRUE(window.PumpMessages());
}

// A script that runs long asks the window whether to stop: not before a
// quit; at once after it, so that the running scene ends; not while the game,
// having heard it (from the pump, or asking between scenes), runs its end
// scripts; and again once their time is up.
TEST(MainWindowTest, ScriptsStopUntilTheGameHearsTheQuitThenGetTheirTime) {
  for (const bool pumped : {true, false}) {
    SCOPED_TRACE(pumped ? "pumped" : "asked");
    MainWindow window;
    EXPECT_FALSE(window.ScriptMustStop());
    window.OnWindowEvent(WindowEvent{WindowEvent::kClose});
    EXPECT_TRUE(window.ScriptMustStop());
    EXPECT_TRUE(pumped ? window.PumpMessages() : window.QuitAsked());
    EXPECT_FALSE(window.ScriptMustStop());
    if (!pumped) continue;
    std::this_thread::sleep_for(std::chrono::milliseconds(MainWindow::kEndScriptsMs));
    EXPECT_TRUE(window.ScriptMustStop());
  }
}

// The window made as start-up makes it, at 800x600, on a server of its own;
// keys go to it by xdotool.
class MainWindowOnDisplayTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(xvfb_.IsRunning()) << xvfb_.Error();
    setenv("DISPLAY", xvfb_.Name().c_str(), 1);
    setenv("SDL_VIDEODRIVER", "x11", 1);
    ASSERT_TRUE(window_.Create());
    ASSERT_TRUE(graphics_.Initialize(window_.GetGlWindow(), true, false));
    window_.Attach(&scene_, &graphics_);
    ASSERT_TRUE(window_.SetScreenSize(MainWindow::kScreen800x600));
    id_ = std::to_string(xvfb_.FindWindow("T3DPLAYER"));
    ASSERT_NE(id_, "0");
    xvfb_.Run("xdotool windowfocus --sync " + id_);
  }

  // Pumps the window's messages until `done` holds (true) or `ms` have passed
  // (false); pumping on for a while shows a second reaction to one key.
  bool Pump(int ms, const std::function<bool()>& done = [] { return false; }) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
      window_.PumpMessages();
      if (done()) return true;
      if (std::chrono::steady_clock::now() >= end) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }
  void Xdotool(const std::string& arguments) { xvfb_.Run("xdotool " + arguments); }
  // The client area as the X server has it, "WxH".
  std::string ClientSize() {
    const std::string text = xvfb_.Run("xdotool getwindowgeometry " + id_);
    const std::size_t at = text.find("Geometry: ");
    return at == std::string::npos ? text : text.substr(at + 10, text.find('\n', at) - at - 10);
  }
  std::string BackBufferSize() {
    const PresentParameters& p = graphics_.GetPresentParameters();
    return std::to_string(p.backBufferWidth) + "x" + std::to_string(p.backBufferHeight);
  }

  // The server outlives the window, and the window the graphics device.
  XvfbDisplay xvfb_;
  Scene scene_;
  MainWindow window_;
  Graphics graphics_;
  std::string id_;
};

TEST_F(MainWindowOnDisplayTest, FunctionKeysFlipTheRenderFlags) {
  ASSERT_EQ(scene_.GetRenderFlags(), 0x3Du);
  const struct {
    const char* key;
    std::uint32_t flags;
  } steps[] = {{"F1", 0x3C}, {"F1", 0x3D}, {"F4", 0x35}, {"F4", 0x3D},
               {"F2", 0x3F}, {"F3", 0x3B}, {"F5", 0x2B}, {"F8", 0x2B}};
  for (const auto& step : steps) {
    SCOPED_TRACE(step.key);
    Xdotool(std::string("key ") + step.key);
    EXPECT_TRUE(Pump(5000, [&] { return scene_.GetRenderFlags() == step.flags; }));
    Pump(100);
    EXPECT_EQ(scene_.GetRenderFlags(), step.flags);
  }
}

TEST_F(MainWindowOnDisplayTest, AHeldKeyFlipsOnEveryRepeat) {
  Xdotool("keydown F2");
  int flips = 0;
  std::uint32_t last = scene_.GetRenderFlags();
  Pump(1500, [&] {
    flips += scene_.GetRenderFlags() != last;
    last = scene_.GetRenderFlags();
    return false;
  });
  Xdotool("keyup F2");
  // The press, then the server's repeats (after about 0.6 s, 25 a second).
  EXPECT_GE(flips, 5);
  EXPECT_EQ(scene_.GetRenderFlags() & ~0x2u, 0x3Du);
}

// F7 leaves full screen for a window of the chosen size; F6 switches the
// window and both back buffers; F7 returns to full screen with the same
// back buffer. Full screen covers the whole screen, without a window manager
// too, and the picture goes into the size the window has.
TEST_F(MainWindowOnDisplayTest, F6TwiceReturnsTo800x600) {
  ASSERT_EQ(graphics_.GetMode(), Graphics::kFullScreen);
  const std::string screen = "1024x768";
  const auto drawableSize = [&] {
    int width = 0, height = 0;
    window_.GetGlWindow()->GetDrawableSize(&width, &height);
    return std::to_string(width) + "x" + std::to_string(height);
  };
  EXPECT_TRUE(Pump(5000, [&] { return ClientSize() == screen; })) << ClientSize();
  EXPECT_EQ(drawableSize(), screen);
  const struct {
    const char* key;
    int mode;
    const char* size;  // client area (in a window) and back buffer
  } steps[] = {{"F7", Graphics::kWindowed, "800x600"},
               {"F6", Graphics::kWindowed, "640x480"},
               {"F6", Graphics::kWindowed, "800x600"},
               {"F7", Graphics::kFullScreen, "800x600"}};
  for (const auto& step : steps) {
    SCOPED_TRACE(step.key);
    Xdotool(std::string("key ") + step.key);
    EXPECT_TRUE(Pump(5000, [&] { return graphics_.GetMode() == step.mode && BackBufferSize() == step.size; }));
    const std::string client = step.mode == Graphics::kWindowed ? step.size : screen;
    EXPECT_TRUE(Pump(5000, [&] { return ClientSize() == client; })) << ClientSize();
    EXPECT_EQ(drawableSize(), client);
    EXPECT_EQ(BackBufferSize(), step.size);
    EXPECT_EQ(graphics_.GetPresentParameters(Graphics::kWindowed).backBufferWidth,
              graphics_.GetPresentParameters(Graphics::kFullScreen).backBufferWidth);
  }
}

TEST_F(MainWindowOnDisplayTest, TheGameHoldsStillWhileTheWindowIsAway) {
  Xdotool("windowunmap --sync " + id_);
  EXPECT_TRUE(Pump(5000, [&] { return !scene_.IsActive(); }));
  Xdotool("windowmap --sync " + id_);
  Xdotool("windowfocus --sync " + id_);
  EXPECT_TRUE(Pump(5000, [&] { return scene_.IsActive(); }));
  // The root window takes the keyboard: the game's window is no longer active.
  const std::string root = xvfb_.Run("xwininfo -root | sed -n 's/.*Window id: \\([0-9a-fx]*\\).*/\\1/p'");
  Xdotool("windowfocus " + root);
  EXPECT_TRUE(Pump(5000, [&] { return !scene_.IsActive(); }));
}

// The desktop finds the program's own icon on the window: its size, then its
// pixels as they were made.
TEST_F(MainWindowOnDisplayTest, TheWindowCarriesTheProgramsIcon) {
  std::vector<unsigned long> icon = {kProgramIconSize, kProgramIconSize};
  icon.insert(icon.end(), std::begin(kProgramIcon), std::end(kProgramIcon));
  EXPECT_EQ(xvfb_.CardinalProperty(std::stoul(id_), "_NET_WM_ICON"), icon);
}

}  // namespace
