// The built program run as a person would: copied into a folder of its own
// with a root scenario, its exit code, its messages and the files it writes;
// without a display, and on an X server of the test's own with real key
// presses and the close button.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "app/player_process.h"
#include "classes/storage_codec.h"
#include "platform/system/single_instance_lock.h"
#include "support/case_files.h"
#include "support/xvfb_display.h"

namespace {

namespace fs = std::filesystem;

constexpr char kInstanceLockName[] = "TAVO 3D Evur Evarov";
// Saves one value and ends the game.
constexpr char kShortRootScenario[] = "OnBegin() { Storage.SaveValue(empty, \"Ran\", 1); }\n";

// Each folder of games/ played without a display to its end: the program
// ends with 0, says nothing, reports the machine and leaves the settings of
// the folder's expected.sav.
TEST(PlayerTest, PlaysEachGameToItsEndAndKeepsItsSettings) {
  const fs::path games = fs::path(T3D_SOURCE_DIR) / "tests/app/games";
  for (const std::string& game : ListCaseFolders(games)) {
    SCOPED_TRACE(game);
    TempFolder folder;
    CopyGame(games / game, folder);
    const RunResult result = Play(folder);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.output, "");
    EXPECT_EQ(folder.Read("Config.sav"), ExpectedSettings(folder.path() + "expected.sav"));
    EXPECT_EQ(folder.Read("Caps.txt").rfind("------------------------<General>---------------------\r\n", 0), 0u);
  }
}

// A pipe where the game has its settings file is a file that cannot be read,
// never one that holds the player: the settings give their defaults and take
// no value, and the game ends by itself. A music file that is missing marks,
// on standard error, how far the game came.
TEST(PlayerTest, APipeInPlaceOfTheSettingsFileIsAFileThatCannotBeRead) {
  TempFolder folder;
  WriteSceneImages(folder.path());
  folder.Write("RootScenairo.csc",
               "OnBegin() { Sound.LoadMusic(1, \"begin.ogg\"); Scenario.SceneFile = \"stage.scn\"; }\n"
               "OnEndScene() { Scenario.SceneFile = empty; }\n"
               "OnEnd() { Sound.LoadMusic(3, \"end.ogg\"); }\n");
  folder.Write("stage.scn",
               "<Scene>\n <Script>\nBegin() {\n"
               "  if (Storage.LoadString(empty, \"Key\", \"none\") == \"none\") Sound.LoadMusic(2, \"stage.ogg\");\n"
               "  Storage.SaveValue(empty, \"Key\", \"saved\");\n  Scene.EndScene();\n}\n"
               " </Script>\n <Function OnBegin=\"Begin\"/>\n</Scene>\n");
  ASSERT_EQ(mkfifo((folder.path() + "Config.sav").c_str(), 0600), 0);
  PlayerProcess player(folder);
  EXPECT_EQ(player.Wait(30000), 0);
  EXPECT_EQ(player.Output(),
            "t3dplayer: music 1: cannot read \"begin.ogg\"\nt3dplayer: music 2: cannot read \"stage.ogg\"\n"
            "t3dplayer: music 3: cannot read \"end.ogg\"\n");
  EXPECT_EQ(fs::status(folder.path() + "Config.sav").type(), fs::file_type::fifo);
}

// Each failed step of tables/startup_failures.rows shows its own text (the
// line on standard error stands for the box, which a display would show) and
// ends the program with 1.
TEST(PlayerTest, StartupFailuresShowTheirTextAndExitWith1) {
  TempFolder files;
  const std::map<std::string, std::string> libraries = {{"library", T3D_WUVORBIS},
                                                        {"none", ""},
                                                        {"text", files.Write("text.so", "not a library\n")},
                                                        {"no-crosslap", T3D_WUVORBIS_NO_CROSSLAP}};
  for (const auto& row : ReadTableRows(fs::path(T3D_SOURCE_DIR) / "tests/app/tables/startup_failures.rows")) {
    SCOPED_TRACE(row[0]);
    ASSERT_EQ(row.size(), 5u);
    TempFolder folder;
    if (row[1] == "yes") folder.Write("RootScenairo.csc", kShortRootScenario);
    // The other copy is this test, holding the lock where the program looks for it.
    SingleInstanceLock otherCopy;
    if (row[3] == "yes") {
      setenv("XDG_RUNTIME_DIR", folder.path().c_str(), 1);
      ASSERT_EQ(otherCopy.Create(kInstanceLockName), SingleInstanceLock::kCreated);
    }
    PlayerOptions options;
    options.library = libraries.at(row[2]);
    const RunResult result = Play(folder, options);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.output, row[4]);
    EXPECT_EQ(folder.Read("Config.sav"), "<missing>");
  }
}

// A display number on which no X server listens here.
std::string DisplayWithoutServer() {
  int number = 49;
  while (fs::exists("/tmp/.X11-unix/X" + std::to_string(number)) ||
         fs::exists("/tmp/.X" + std::to_string(number) + "-lock"))
    ++number;
  return ":" + std::to_string(number);
}

// A display the environment names but that cannot be opened fails the window
// step: its line, no box, exit 1; the game does not play unseen instead.
TEST(PlayerTest, ADisplayThatCannotBeOpenedEndsTheStart) {
  const std::string x11 = DisplayWithoutServer();
  // No compositor has a socket by that name in the runtime folder the program is given.
  const std::string wayland = "t3d-no-compositor";
  const struct {
    const char* display;
    const char* wayland;
    std::string output;
  } cases[] = {
      {x11.c_str(), "", "the display \"" + x11 + "\" (DISPLAY) cannot be opened"},
      {"", wayland.c_str(), "the display \"" + wayland + "\" (WAYLAND_DISPLAY) cannot be opened"},
      {x11.c_str(), wayland.c_str(),
       "the display \"" + x11 + "\" (DISPLAY) or the display \"" + wayland + "\" (WAYLAND_DISPLAY) cannot be opened"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.output);
    TempFolder folder;
    folder.Write("RootScenairo.csc", kShortRootScenario);
    PlayerOptions options;
    options.environment = {{"DISPLAY", c.display}, {"WAYLAND_DISPLAY", c.wayland}};
    PlayerProcess player(folder, options);
    EXPECT_EQ(player.Wait(20000), 1);
    EXPECT_EQ(player.Output(), "t3dplayer: " + c.output + "\n");
    EXPECT_FALSE(fs::exists(folder.path() + "Caps.txt"));
    EXPECT_EQ(folder.Read("Config.sav"), "<missing>");
  }
}

// Polls until `done` holds; false after 20 s.
bool WaitUntil(const std::function<bool()>& done) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!done()) {
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return true;
}

// Waits until a window that `wanted` accepts is shown; its details, or an
// empty one (id 0) after 20 s.
ShownWindow WaitForWindow(const XvfbDisplay& xvfb, const std::function<bool(const ShownWindow&)>& wanted) {
  ShownWindow found;
  WaitUntil([&] {
    for (const ShownWindow& window : xvfb.ShownWindows()) {
      if (!wanted(window)) continue;
      found = window;
      return true;
    }
    return false;
  });
  return found;
}

// The program on an X server of the test's own.
class PlayerWindowTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(xvfb_.IsRunning()) << xvfb_.Error(); }

  // Starts the game window_games/`game` in `folder` and waits until its
  // scene has saved Ready; the id of its window, 0 when none came.
  unsigned long StartAndFindWindow(const std::string& game, const TempFolder& folder) {
    CopyGame(fs::path(T3D_SOURCE_DIR) / "tests/app/window_games" / game, folder);
    PlayerOptions options;
    options.display = xvfb_.Name();
    player_ = std::make_unique<PlayerProcess>(folder, options);
    if (!WaitForText(folder, "Config.sav", EncodeStorageText(0, "Ready"))) return 0;
    return xvfb_.FindWindow("T3DPLAYER");
  }

  // Starts the game, checks its window's title and closes it: the program
  // ends with 0, says nothing and leaves the settings of its expected.sav.
  void ExpectCloseEndsTheGame(const std::string& game, const std::string& title) {
    TempFolder folder;
    const unsigned long window = StartAndFindWindow(game, folder);
    ASSERT_NE(window, 0u) << player_->Output();
    EXPECT_EQ(xvfb_.Run("xdotool getwindowname " + std::to_string(window)), title + "\n");
    ASSERT_TRUE(xvfb_.RequestClose(window));
    EXPECT_EQ(player_->Wait(20000), 0) << player_->Output();
    EXPECT_EQ(player_->Output(), "");
    EXPECT_EQ(folder.Read("Config.sav"), ExpectedSettings(folder.path() + "expected.sav"));
  }

  XvfbDisplay xvfb_;
  std::unique_ptr<PlayerProcess> player_;
};

// Key presses sent to the window reach the scene's script through the input
// manager, one pressed edge each, in the order they were pressed.
TEST_F(PlayerWindowTest, KeyPressesReachTheGameScript) {
  TempFolder folder;
  const unsigned long window = StartAndFindWindow("keys", folder);
  ASSERT_NE(window, 0u) << player_->Output();
  xvfb_.Run("xdotool windowfocus --sync " + std::to_string(window));
  // Apart enough that each press lands in a frame of its own, also when a
  // sanitizer build on a busy machine draws only a few frames a second.
  xvfb_.Run("xdotool key --delay 400 Up Left Right Down x z");
  EXPECT_EQ(player_->Wait(), 0) << player_->Output();
  EXPECT_EQ(folder.Read("Config.sav"), ExpectedSettings(folder.path() + "expected.sav"));
}

// The close button ends the running scene (its OnEnd runs), then the
// scenario (OnEndScene and OnEnd run, and no scene after), and the program
// with 0; every value saved on the way is in the settings file.
TEST_F(PlayerWindowTest, CloseButtonEndsTheGameWithItsSettingsWhole) {
  ExpectCloseEndsTheGame("close", "Closing test");
}

// The close button heard while a scene's OnLoop never returns: the loop is
// stopped (no box), and the game ends as after any close.
TEST_F(PlayerWindowTest, CloseButtonEndsAGameWhoseSceneLoopsForever) {
  ExpectCloseEndsTheGame("loop_close", "Looping test");
}

// Scenes that fail in their first frame, named again and again: the close
// button, clicked while the first "Script Error" box waits, is heard once the
// box is answered, and no scene (and no box) follows.
TEST_F(PlayerWindowTest, CloseButtonEndsARunOfFailingScenes) {
  TempFolder folder;
  const unsigned long window = StartAndFindWindow("failing_scenes", folder);
  ASSERT_NE(window, 0u) << player_->Output();
  const ShownWindow box = WaitForWindow(xvfb_, [](const ShownWindow& shown) { return shown.dialog; });
  ASSERT_NE(box.id, 0u) << player_->Output();
  EXPECT_EQ(box.name, "Script Error");
  ASSERT_TRUE(xvfb_.RequestClose(window));
  xvfb_.Run("xdotool windowfocus --sync " + std::to_string(box.id) + " key Return");
  EXPECT_EQ(player_->Wait(20000), 0) << player_->Output();
  // One box: its copy, and the line before it that says where it stands.
  const std::string output = player_->Output();
  EXPECT_EQ(std::count(output.begin(), output.end(), '\n'), 2) << output;
  EXPECT_EQ(folder.Read("Config.sav"), ExpectedSettings(folder.path() + "expected.sav"));
}

// SIGTERM while a box waits: the box goes as if answered, the game ends in
// order and then by the signal, well within the test's patience.
TEST_F(PlayerWindowTest, ASignalWhileABoxWaitsEndsTheGame) {
  TempFolder folder;
  ASSERT_NE(StartAndFindWindow("failing_scenes", folder), 0u) << player_->Output();
  const auto isBox = [](const ShownWindow& shown) { return shown.dialog; };
  ASSERT_NE(WaitForWindow(xvfb_, isBox).id, 0u) << player_->Output();
  player_->Signal(SIGTERM);
  int endSignal = 0;
  EXPECT_EQ(player_->Wait(20000, &endSignal), -1);
  EXPECT_EQ(endSignal, SIGTERM) << player_->Output();
  EXPECT_EQ(folder.Read("Config.sav"), ExpectedSettings(folder.path() + "expected.sav"));
  EXPECT_TRUE(WaitUntil([&] {
    const std::vector<ShownWindow> shown = xvfb_.ShownWindows();
    return std::none_of(shown.begin(), shown.end(), isBox);
  }));
}

// Killed while its box shows (here: no root scenario), the program leaves the
// lock free and takes its box with it (SDL shows it from a forked child); the
// next start plays.
TEST_F(PlayerWindowTest, KilledDuringItsBoxLeavesNeitherLockNorBox) {
  TempFolder folder;
  PlayerOptions options;
  options.display = xvfb_.Name();
  player_ = std::make_unique<PlayerProcess>(folder, options);
  const auto isBox = [](const ShownWindow& window) { return window.dialog; };
  ASSERT_NE(WaitForWindow(xvfb_, isBox).id, 0u) << player_->Output();
  player_.reset();

  setenv("XDG_RUNTIME_DIR", folder.path().c_str(), 1);
  SingleInstanceLock probe;
  EXPECT_EQ(probe.Create(kInstanceLockName), SingleInstanceLock::kCreated);
  probe.Release();
  unsetenv("XDG_RUNTIME_DIR");
  // A box left behind would also keep the program's file busy for the next copy.
  ASSERT_TRUE(WaitUntil([&] {
    const std::vector<ShownWindow> shown = xvfb_.ShownWindows();
    return std::none_of(shown.begin(), shown.end(), isBox);
  }));

  folder.Write("RootScenairo.csc", kShortRootScenario);
  const RunResult next = Play(folder);
  EXPECT_EQ(next.exitCode, 0);
  EXPECT_EQ(next.output, "");
}

// A conversion's output folder is opened and checked once, before the
// converter shows its box about a vertex without a bone; swapped for a link
// to the outside while the box waits for the player, it still receives the
// .x file, and nothing is written outside the game.
TEST_F(PlayerWindowTest, ConversionWritesIntoTheFolderItCheckedWhileItsBoxWaited) {
  TempFolder folder, outside;
  WriteSceneImages(folder.path());
  folder.Write("Template.x", ReadTextFile(fs::path(T3D_SOURCE_DIR) / "demo/Template.x"));
  folder.Write("RootScenairo.csc",
               "OnBegin() { Scenario.SceneFile = \"stage.scn\"; }\nOnEndScene() { Scenario.SceneFile = empty; }\n");
  folder.Write("stage.scn", "<Scene>\n <MotionObject File=\"models\\runner.txt\"/>\n <Script>\n"
                            "Begin() { Storage.SaveValue(empty, \"Played\", 1); Scene.EndScene(); }\n"
                            " </Script>\n <Function OnBegin=\"Begin\"/>\n</Scene>\n");
  folder.Write("models/runner.txt", "<MotionObject>\n <Name value=\"Runner\"/>\n"
                                    " <MeshFile value=\"runner.x\" src=\"runner.mqo\"/>\n</MotionObject>\n");
  // A body whose faces carry no bone colour: every vertex is left without a bone.
  folder.Write("models/runner.mqo",
               ReadTextFile(fs::path(T3D_SOURCE_DIR) / "tests/converter/bone_cases/huge_coordinates_unweighted.mqo"));
  PlayerOptions options;
  options.display = xvfb_.Name();
  player_ = std::make_unique<PlayerProcess>(folder, options);
  const ShownWindow box = WaitForWindow(xvfb_, [](const ShownWindow& window) { return window.dialog; });
  ASSERT_NE(box.id, 0u) << player_->Output();
  EXPECT_EQ(box.name, "XConverter");

  fs::rename(folder.path() + "models", folder.path() + "checked");
  ASSERT_EQ(symlink(outside.path().c_str(), (folder.path() + "models").c_str()), 0);
  xvfb_.Run("xdotool windowfocus --sync " + std::to_string(box.id) + " key Return");
  EXPECT_EQ(player_->Wait(), 0) << player_->Output();
  EXPECT_TRUE(fs::is_empty(outside.path()));
  EXPECT_EQ(folder.Read("checked/runner.x").rfind("xof 0303txt 0032", 0), 0u);
  EXPECT_EQ(folder.Read("Config.sav"), Settings("Config", {{"Played", "1"}}));
}

// Where the window can have no OpenGL 3.3 context, the platform's Direct3D
// object cannot be made: its box first, owned by the window with an empty
// caption; once answered, the graphics step's box with the title; then the
// end with 1. No report is written: it follows the graphics object.
TEST_F(PlayerWindowTest, WithoutOpenGl33TheGraphicsBoxesComeInTurnAndTheStartEnds) {
  TempFolder folder;
  CopyGame(fs::path(T3D_SOURCE_DIR) / "tests/app/window_games/close", folder);
  PlayerOptions options;
  options.display = xvfb_.Name();
  options.environment = {{"MESA_GL_VERSION_OVERRIDE", "3.0"}};
  player_ = std::make_unique<PlayerProcess>(folder, options);
  const unsigned long window = xvfb_.FindWindow("T3DPLAYER");
  ASSERT_NE(window, 0u) << player_->Output();
  // The driver's own words follow; the line is the first of the output.
  const std::string reasonStart = "t3dplayer: no OpenGL 3.3 core context: ";
  const auto withoutReason = [&](const std::string& output) {
    if (output.rfind(reasonStart, 0) != 0) return "no reason first: " + output;
    return output.substr(output.find('\n') + 1);
  };
  const std::string noGraphics = "t3dplayer: Direct3DCreate9()\xE3\x81\xAB\xE5\xA4\xB1\xE6\x95\x97\xE3\x81"
                                 "\x97\xE3\x81\xBE\xE3\x81\x97\xE3\x81\x9F\xE3\x80\x82\n";
  const std::string failed = "T3D Player: DirectX\xE3\x81\xAE\xE5\x88\x9D\xE6\x9C\x9F\xE5\x8C\x96\xE3\x81\xAB"
                             "\xE5\xA4\xB1\xE6\x95\x97\xE3\x81\x97\xE3\x81\xBE\xE3\x81\x97\xE3\x81\x9F\xE3"
                             "\x80\x82\n";

  // The boxes are told apart by what they show: the second may get the
  // first one's id, as another client of the server.
  const ShownWindow first = WaitForWindow(xvfb_, [&](const ShownWindow& w) { return w.id != window; });
  ASSERT_NE(first.id, 0u) << player_->Output();
  EXPECT_EQ(first.owner, window);
  EXPECT_EQ(first.name, "");
  EXPECT_EQ(withoutReason(player_->Output()), noGraphics);
  xvfb_.Run("xdotool windowfocus --sync " + std::to_string(first.id) + " key Return");

  const ShownWindow second =
      WaitForWindow(xvfb_, [&](const ShownWindow& w) { return w.id != window && w.name == "T3D Player"; });
  ASSERT_NE(second.id, 0u) << player_->Output();
  EXPECT_EQ(second.owner, 0u);
  EXPECT_EQ(withoutReason(player_->Output()), noGraphics + failed);
  xvfb_.Run("xdotool windowfocus --sync " + std::to_string(second.id) + " key Return");

  EXPECT_EQ(player_->Wait(20000), 1);
  EXPECT_EQ(withoutReason(player_->Output()), noGraphics + failed);
  EXPECT_FALSE(fs::exists(folder.path() + "Caps.txt"));
  EXPECT_EQ(folder.Read("Config.sav"), "<missing>");
}

// On a display without a sound device the game runs silent and says so in
// its own one line; the ALSA library's own error lines stay off the output.
// ALSA is asked as the machine has it set up (here, where there is no sound
// card, it has eight lines to say) and with a settings file it cannot read,
// which it complains of on any machine. The two games play side by side.
TEST_F(PlayerWindowTest, WithoutASoundDeviceOnlyThePlayersOwnLineIsSaid) {
  TempFolder machines, broken;
  const std::string unreadable = broken.Write("alsa.conf", "pcm.!default {\n type\n");
  std::vector<std::unique_ptr<PlayerProcess>> players;
  for (const TempFolder* game : {&machines, &broken}) {
    WriteSceneImages(game->path());
    game->Write("RootScenairo.csc", kShortRootScenario);
    PlayerOptions options;
    options.display = xvfb_.Name();
    options.environment = {{"SDL_AUDIODRIVER", "alsa"}};
    if (game == &broken) options.environment.emplace_back("ALSA_CONFIG_PATH", unreadable);
    players.push_back(std::make_unique<PlayerProcess>(*game, options));
  }
  const std::string silent = "t3dplayer: no audio device, the game runs silent (";
  for (const auto& player : players) {
    SCOPED_TRACE(player == players[0] ? "the machine's own settings" : "unreadable settings");
    EXPECT_EQ(player->Wait(), 0);
    const std::string output = player->Output();
    // Where the machine has a sound card its game plays with sound and says nothing.
    if (player == players[0] && output.empty()) continue;
    EXPECT_EQ(output.rfind(silent, 0), 0u) << output;
    EXPECT_EQ(std::count(output.begin(), output.end(), '\n'), 1) << output;
  }
}

}  // namespace
