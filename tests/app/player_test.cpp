// The built program run as a person would: copied into a folder of its own
// with a root scenario, its exit code, its messages and the files it writes;
// without a display, and on an X server of the test's own with real key
// presses and the close button.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/player_process.h"
#include "classes/storage_codec.h"
#include "files/archive_writer.h"
#include "platform/system/single_instance_lock.h"
#include "support/game_folder.h"
#include "support/xvfb_display.h"

namespace {

TestArchiveEntry Entry(const std::string& name, const std::string& data) {
  TestArchiveEntry entry;
  entry.name = name;
  entry.data = data;
  return entry;
}

struct RunResult {
  int exitCode = -1;
  std::string output;  // standard error and standard output
};

RunResult Play(const TempFolder& folder, const PlayerOptions& options = {}) {
  PlayerProcess player(folder, options);
  RunResult result;
  result.exitCode = player.Wait();
  result.output = player.Output();
  return result;
}

// The images a scene's drawing needs to start, as any game folder has them.
void WriteSceneImages(const TempFolder& folder) {
  const auto gray = [](std::uint32_t, std::uint32_t) { return 0xFF808080u; };
  for (const char* name : {"shadow.bmp", "toon.bmp", "ASCII16.png"}) {
    const std::vector<std::uint8_t> png = GameFolder::Png(32, 32, gray);
    folder.Write(name, std::string(png.begin(), png.end()));
  }
}

// A scene that saves Ready=1 as it begins, then runs `loop` every frame;
// `more` adds functions (End is the scene's OnEnd).
std::string SceneThatSignalsReady(const std::string& loop, const std::string& more = "") {
  return "<Scene>\n <Script>\n"
         "Begin() { $seen = \"\"; Storage.SaveValue(empty, \"Ready\", 1); }\n"
         "Loop() {\n" + loop + "}\n" + more + " </Script>\n"
         " <Function OnBegin=\"Begin\" OnLoop=\"Loop\" OnEnd=\"End\"/>\n</Scene>\n";
}

TEST(PlayerTest, RunsTheRootScenarioOfItsFolderAndReportsTheMachine) {
  TempFolder folder;
  folder.Write("RootScenairo.csc",
               "OnBegin() { System.Title = \"Test game\"; Storage.SaveValue(empty, \"Began\", System.Title); }\n"
               "OnEnd() { Storage.SaveValue(empty, \"Ended\", Math.FormatTime(75)); }\n");
  const RunResult result = Play(folder);
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.output, "");
  EXPECT_EQ(folder.Read("Config.sav"), Settings("Config", {{"Began", "Test game"}, {"Ended", " 1:15"}}));
  EXPECT_EQ(folder.Read("Caps.txt").rfind("------------------------<General>---------------------\r\n", 0), 0u);
}

TEST(PlayerTest, ReadsTheStartupArchiveAndItsIncludesBeforeTheDisk) {
  TempFolder folder;
  folder.Write("RootScenairo.csc", "OnBegin() { Storage.SaveValue(\"Disk\", \"Read\", 1); }\n");
  folder.Write("Startup.dat", BuildTestArchive({
                                  Entry("ROOTSCENAIRO.CSC",
                                   "#include \"Scripts\\common.csc\"\n"
                                   "OnBegin() { Storage.SaveValue(\"Archive\", \"Value\", VALUE);"
                                   " Scenario.SceneFile = \"title.scn\"; }\n"
                                   "OnEnd() { Storage.SaveValue(\"Archive\", \"Ended\", 1); }\n"),
                                  Entry("SCRIPTS\\COMMON.CSC", "#define VALUE 42\n"),
                              }));
  const RunResult result = Play(folder);
  EXPECT_EQ(result.exitCode, 0);
  // The scene file is missing, so the scenario ends without OnEnd.
  EXPECT_EQ(folder.Read("Config.sav"), Settings("Archive", {{"Value", "42"}}));
}

// Without a display the scene plays unseen on the real clock until its
// script ends it; both engines reach the program's sound manager, and the
// scene's the input manager, where no key is pressed.
TEST(PlayerTest, PlaysASceneToItsEndWithoutADisplay) {
  TempFolder folder;
  folder.Write("RootScenairo.csc",
               "OnBegin() { Sound.MusicVolume = 0.25; Scenario.SceneFile = \"stage.scn\"; }\n"
               "OnEndScene() { Storage.SaveValue(empty, \"Scene\", \"ended\"); Scenario.SceneFile = empty; }\n"
               "OnEnd() { Storage.SaveValue(empty, \"Scenario\", \"ended\"); }\n");
  WriteSceneImages(folder);
  folder.Write("stage.scn",
               "<Scene>\n <FPS value=\"100\"/>\n <Script>\n"
               "Begin() { $frames = 0; }\n"
               "Loop() {\n"
               "  $frames = $frames + 1;\n"
               "  if ($frames == 5) {\n"
               "    $seen = \"music \" + Sound.MusicVolume + \", pad \" + Input.GetJoy(0);\n"
               "    Storage.SaveValue(empty, \"Managers\", $seen);\n"
               "    Scene.EndScene();\n"
               "  }\n"
               "}\n </Script>\n"
               " <Function OnBegin=\"Begin\" OnLoop=\"Loop\"/>\n</Scene>\n");
  const RunResult result = Play(folder);
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.output, "");
  EXPECT_EQ(folder.Read("Config.sav"),
            Settings("Config", {{"Managers", "music 0.25, pad 0"}, {"Scene", "ended"}, {"Scenario", "ended"}}));
}

// Each failed step shows its own text (the line on standard error stands for
// the box, which a display would show) and ends the program with 1; the two
// boxes before the window have an empty caption, later ones the title.
TEST(PlayerTest, StartupFailuresShowTheirTextAndExitWith1) {
  TempFolder files;
  const std::string notALibrary = files.Write("not_a_library.so", "not a library\n");
  const std::string soundFailed = "T3D Player: DirectSound\xE3\x81\xAE\xE5\x88\x9D\xE6\x9C\x9F\xE5\x8C\x96\xE3\x81\xAB"
                                  "\xE5\xA4\xB1\xE6\x95\x97\xE3\x81\x97\xE3\x81\xBE\xE3\x81\x97\xE3\x81\x9F\xE3\x80\x82\n";
  // The sound manager says why before the box.
  const std::string noLibrary =
      "t3dplayer: the Ogg Vorbis library \"wuvorbis.so\" cannot be used: it is missing or is no library\n";
  struct Case {
    const char* name;
    bool rootScenario;
    std::string library;
    bool anotherCopyRuns;
    std::string output;
  } cases[] = {
      {"another copy runs", true, T3D_WUVORBIS, true,
       ": TAVO\xE3\x81\xAE\xE3\x82\xB2\xE3\x83\xBC\xE3\x83\xA0\xE3\x81\x8C\xE3\x81\x99\xE3\x81\xA7\xE3\x81\xAB\xE8\xB5"
       "\xB7\xE5\x8B\x95\xE3\x81\x95\xE3\x82\x8C\xE3\x81\xA6\xE3\x81\x84\xE3\x81\xBE\xE3\x81\x99\xE3\x80\x82 \xE3\x82"
       "\xB2\xE3\x83\xBC\xE3\x83\xA0\xE3\x81\x8C\xE8\xB5\xB7\xE5\x8B\x95\xE3\x81\x97\xE3\x81\xAA\xE3\x81\x84\xE5\xA0"
       "\xB4\xE5\x90\x88\xE3\x81\xAF\xE3\x80\x81" "CLTR+ALT+DEL\xE3\x82\xAD\xE3\x83\xBC\xE3\x81\xA7 \xE3\x82\xBF\xE3"
       "\x82\xAF\xE3\x82\xB9\xE3\x83\x9E\xE3\x83\x8D\xE3\x83\xBC\xE3\x82\xB8\xE3\x83\xA3\xE3\x82\x92\xE9\x96\x8B\xE3"
       "\x81\x8D\xE3\x80\x81\xE3\x83\x97\xE3\x83\xAD\xE3\x82\xB0\xE3\x83\xA9\xE3\x83\xA0\xE3\x82\x92\xE7\xB5\x82\xE4"
       "\xBA\x86\xE3\x81\x97\xE3\x81\xA6\xE3\x81\x8F\xE3\x81\xA0\xE3\x81\x95\xE3\x81\x84\xE3\x80\x82\n"},
      {"no root scenario", false, T3D_WUVORBIS, false,
       "T3D Player: \xE3\x83\xAB\xE3\x83\xBC\xE3\x83\x88\xE3\x82\xB7\xE3\x83\x8A\xE3\x83\xAA\xE3\x82\xAA\xE3\x81\x8C"
       "\xE9\x96\x8B\xE3\x81\x91\xE3\x81\xBE\xE3\x81\x9B\xE3\x82\x93\xE3\x80\x82\n"},
      {"no Ogg library", true, "", false, noLibrary + soundFailed},
      {"a file that is no library", true, notALibrary, false, noLibrary + soundFailed},
      {"a library without one of its names", true, T3D_WUVORBIS_NO_CROSSLAP, false,
       "t3dplayer: the Ogg Vorbis library \"wuvorbis.so\" cannot be used: an entry point is missing\n" + soundFailed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder folder;
    if (c.rootScenario) folder.Write("RootScenairo.csc", "OnBegin() { Storage.SaveValue(empty, \"Ran\", 1); }\n");
    // The other copy is this test, holding the lock where the program looks for it.
    SingleInstanceLock otherCopy;
    if (c.anotherCopyRuns) {
      setenv("XDG_RUNTIME_DIR", folder.path().c_str(), 1);
      ASSERT_EQ(otherCopy.Create("TAVO 3D Evur Evarov"), SingleInstanceLock::kCreated);
    }
    PlayerOptions options;
    options.library = c.library;
    const RunResult result = Play(folder, options);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.output, c.output);
    EXPECT_EQ(folder.Read("Config.sav"), "<missing>");
  }
}

// The program on an X server of the test's own.
class PlayerWindowTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(xvfb_.IsRunning()) << xvfb_.Error(); }

  // Starts the game of `folder` and waits until its scene has saved Ready;
  // the id of its window, 0 when none came.
  unsigned long StartAndFindWindow(const TempFolder& folder) {
    PlayerOptions options;
    options.display = xvfb_.Name();
    player_ = std::make_unique<PlayerProcess>(folder, options);
    if (!WaitForText(folder, "Config.sav", EncodeStorageText(0, "Ready"))) return 0;
    return xvfb_.FindWindow("T3DPLAYER");
  }

  XvfbDisplay xvfb_;
  std::unique_ptr<PlayerProcess> player_;
};

// Key presses sent to the window reach the scene's script through the input
// manager, one pressed edge each, in the order they were pressed.
TEST_F(PlayerWindowTest, KeyPressesReachTheGameScript) {
  TempFolder folder;
  folder.Write("RootScenairo.csc",
               "OnBegin() { Scenario.SceneFile = \"keys.scn\"; }\n"
               "OnEndScene() { Scenario.SceneFile = empty; }\n");
  WriteSceneImages(folder);
  folder.Write("keys.scn", SceneThatSignalsReady("  $pressed = Input.GetJoyPressed(0);\n"
                                                 "  if ($pressed != 0) { $seen = $seen + \" \" + $pressed; }\n"
                                                 "  if ($pressed & 16) {\n"
                                                 "    Storage.SaveValue(empty, \"Seen\", $seen);\n"
                                                 "    Scene.EndScene();\n"
                                                 "  }\n",
                                                 "End() {}\n"));
  const unsigned long window = StartAndFindWindow(folder);
  ASSERT_NE(window, 0u) << player_->Output();
  xvfb_.Run("xdotool windowfocus --sync " + std::to_string(window));
  // Apart enough that each press lands in a frame of its own.
  xvfb_.Run("xdotool key --delay 150 Up Left Right Down x z");
  EXPECT_EQ(player_->Wait(), 0) << player_->Output();
  EXPECT_EQ(folder.Read("Config.sav"), Settings("Config", {{"Ready", "1"}, {"Seen", " 8 2 4 1 32 16"}}));
}

// The close button ends the running scene (its OnEnd runs), then the
// scenario (OnEndScene and OnEnd run, and no scene after), and the program
// with 0; every value saved on the way is in the settings file.
TEST_F(PlayerWindowTest, CloseButtonEndsTheGameWithItsSettingsWhole) {
  TempFolder folder;
  folder.Write("RootScenairo.csc",
               "OnBegin() { System.Title = \"Closing test\"; Scenario.SceneFile = \"loop.scn\"; }\n"
               // The scene file stays named: only the closed window ends the scenario.
               "OnEndScene() { Storage.SaveValue(empty, \"Scene\", \"ended\"); }\n"
               "OnEnd() { Storage.SaveValue(empty, \"Scenario\", \"ended\"); }\n");
  WriteSceneImages(folder);
  folder.Write("loop.scn", SceneThatSignalsReady("", "End() { Storage.SaveValue(empty, \"Exit\", \"ran\"); }\n"));
  const unsigned long window = StartAndFindWindow(folder);
  ASSERT_NE(window, 0u) << player_->Output();
  EXPECT_EQ(xvfb_.Run("xdotool getwindowname " + std::to_string(window)), "Closing test\n");
  ASSERT_TRUE(xvfb_.RequestClose(window));
  EXPECT_EQ(player_->Wait(), 0) << player_->Output();
  EXPECT_EQ(player_->Output(), "");
  EXPECT_EQ(folder.Read("Config.sav"),
            Settings("Config", {{"Ready", "1"}, {"Exit", "ran"}, {"Scene", "ended"}, {"Scenario", "ended"}}));
}

}  // namespace
