// Where a game's folder stands: beside a twin whose name differs only in case
// or form (a game unpacked twice, "Downloads" beside "downloads"), and deeper
// than the 260-byte names of the system. The built program is played there as
// a person would.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/player_process.h"
#include "files/archive_writer.h"
#include "platform/system/temp_folder.h"
#include "support/case_files.h"

namespace {

namespace fs = std::filesystem;

const fs::path kSource = T3D_SOURCE_DIR;

struct Played {
  int exitCode = -1;
  std::string output;
  std::string settings;
};

Played PlayIn(const std::string& folder) {
  PlayerProcess player(folder);
  Played played;
  played.exitCode = player.Wait();
  played.output = player.Output();
  played.settings = ReadTextFile(folder + "Config.sav");
  return played;
}

// The game names a scene it does not have; its twin has one, whose script
// would save that it played.
constexpr char kRootNamingAMissingScene[] =
    "OnBegin() { Storage.SaveValue(empty, \"Root\", \"own\"); Scenario.SceneFile = \"stage.scn\"; }\n"
    "OnEndScene() { Scenario.SceneFile = empty; }\n";
constexpr char kTwinScene[] =
    "<Scene>\n <Script>\nBegin() { Storage.SaveValue(empty, \"Scene\", \"twin\"); Scene.EndScene(); }\n"
    " </Script>\n <Function OnBegin=\"Begin\"/>\n</Scene>\n";

TEST(GameFolderTest, AGameNeverPlaysWhatItsTwinFolderHolds) {
  const struct {
    const char* game;
    const char* twin;
  } cases[] = {
      {"MyGame", "mygame"},
      {"\x83\x51\x81\x5B\x83\x80", "ゲーム"},  // ゲーム, unpacked once in Shift-JIS and once in UTF-8
      {"Downloads/game", "downloads/game"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.twin);
    TempFolder temp;
    const std::string game = std::string(c.game) + "/", twin = std::string(c.twin) + "/";
    temp.Write(game + "RootScenairo.csc", kRootNamingAMissingScene);
    WriteSceneImages(temp.path() + game);
    temp.Write(twin + "stage.scn", kTwinScene);
    WriteSceneImages(temp.path() + twin);
    const Played played = PlayIn(temp.path() + game);
    EXPECT_EQ(played.settings, Settings("Config", {{"Root", "own"}}));
  }
}

// The twin's archive would bring a root scenario of its own; the game's is
// on its disk.
TEST(GameFolderTest, TheTwinsStartupArchiveIsNotMounted) {
  TempFolder temp;
  temp.Write("MyGame4/RootScenairo.csc", "OnBegin() { Storage.SaveValue(empty, \"Root\", \"own\"); }\n");
  temp.Write("mygame4/Startup.dat",
            BuildTestArchive({{"ROOTSCENAIRO.CSC", "OnBegin() { Storage.SaveValue(empty, \"Root\", \"twin\"); }\n"}}));
  const Played played = PlayIn(temp.path() + "MyGame4/");
  EXPECT_EQ(played.exitCode, 0);
  EXPECT_EQ(played.output, "");
  EXPECT_EQ(played.settings, Settings("Config", {{"Root", "own"}}));
}

// The twin holds an old .x of the model: the game converts its own source
// into its own folder, and the twin's file stays as it was.
TEST(GameFolderTest, AConversionWritesIntoTheGamesOwnFolder) {
  TempFolder temp;
  const std::string game = temp.path() + "MyGame/";
  temp.Write("MyGame/Template.x", ReadTextFile(kSource / "demo/Template.x"));
  temp.Write("MyGame/RootScenairo.csc",
            "OnBegin() { Scenario.SceneFile = \"stage.scn\"; }\nOnEndScene() { Scenario.SceneFile = empty; }\n");
  temp.Write("MyGame/stage.scn", "<Scene>\n <MotionObject File=\"models\\runner.txt\"/>\n <Script>\n"
                                "Begin() { Storage.SaveValue(empty, \"Played\", 1); Scene.EndScene(); }\n"
                                " </Script>\n <Function OnBegin=\"Begin\"/>\n</Scene>\n");
  temp.Write("MyGame/models/runner.txt", "<MotionObject>\n <Name value=\"Runner\"/>\n"
                                        " <MeshFile value=\"runner.x\" src=\"runner.mqo\"/>\n</MotionObject>\n");
  temp.Write("MyGame/models/runner.mqo", ReadTextFile(kSource / "demo/models/hero.mqo"));
  WriteSceneImages(game);
  temp.Write("mygame/models/runner.x", "twin");
  const Played played = PlayIn(game);
  EXPECT_EQ(played.exitCode, 0);
  EXPECT_EQ(played.output, "");
  EXPECT_EQ(played.settings, Settings("Config", {{"Played", "1"}}));
  EXPECT_EQ(ReadTextFile(game + "models/runner.x").rfind("xof 0303txt 0032", 0), 0u);
  EXPECT_EQ(temp.Read("mygame/models/runner.x"), "twin");
}

// deep_game/ with the demo's models, text and sound, in `folder`.
void CopyDeepGame(const std::string& folder) {
  const auto recursive = fs::copy_options::recursive;
  fs::create_directories(folder);
  for (const char* name : {"models", "text", "sound", "Template.x", "toon.bmp", "shadow.bmp", "ASCII16.png"})
    fs::copy(kSource / "demo" / name, fs::path(folder) / name, recursive);
  fs::copy(kSource / "tests/app/deep_game", folder, recursive | fs::copy_options::overwrite_existing);
}

// The system bounds the names a game gives, not the folder it stands in:
// under a folder path of more than 400 bytes (nine levels of a Japanese name,
// three bytes a character in UTF-8) the game plays as it does in a short one.
TEST(GameFolderTest, AGamePlaysTheSameInAFolderDeeperThanTheNameBound) {
  TempFolder temp;
  std::string deep = temp.path();
  for (int i = 0; i < 9; ++i) deep += "ダウンロード同人ゲーム作品体験版/";
  ASSERT_GT(deep.size(), 400u);
  std::vector<Played> runs;
  std::vector<std::string> models;
  for (const std::string& folder : {temp.path() + "game/", deep}) {
    SCOPED_TRACE(folder.size());
    CopyDeepGame(folder);
    runs.push_back(PlayIn(folder));
    EXPECT_EQ(runs.back().exitCode, 0);
    EXPECT_EQ(runs.back().output, "");
    EXPECT_EQ(runs.back().settings, ExpectedSettings(folder + "expected.sav"));
    models.push_back(ReadTextFile(folder + "models/hero.x"));
  }
  EXPECT_EQ(runs[0].settings, runs[1].settings);
  EXPECT_EQ(models[0].rfind("xof 0303txt 0032", 0), 0u);
  EXPECT_EQ(models[0], models[1]);
}

}  // namespace
