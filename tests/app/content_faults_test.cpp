// Games whose content fails to load, played by the built program without a
// display: each failure says so in one line on standard error and keeps its
// effect, and the exit code tells whether the game could play its scenes.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/player_process.h"
#include "support/case_files.h"

namespace {

namespace fs = std::filesystem;

// Each folder of fault_games/ is a game with faults in its content: its
// standard error must be expected_output exactly, its exit code the number in
// exit_code, and what its scripts saved on the way expected.sav (no settings
// file without one), which shows the game went on (or ended) as it did
// before the lines were written.
TEST(ContentFaultTest, EachFaultSaysSoOnceAndTheGameGoesOnAsBefore) {
  const fs::path games = fs::path(T3D_SOURCE_DIR) / "tests/app/fault_games";
  const auto names = ListCaseFolders(games);
  ASSERT_GE(names.size(), 10u);
  for (const std::string& game : names) {
    SCOPED_TRACE(game);
    TempFolder folder;
    CopyGame(games / game, folder);
    const RunResult result = Play(folder);
    EXPECT_EQ(result.output, ReadTextFile(games / game / "expected_output"));
    EXPECT_EQ(std::to_string(result.exitCode) + "\n", ReadTextFile(games / game / "exit_code"));
    // A game that fails before any script runs writes no settings at all.
    const fs::path settings = games / game / "expected.sav";
    EXPECT_EQ(folder.Read("Config.sav"), fs::exists(settings) ? ExpectedSettings(settings) : "<missing>");
  }
}

// No scene starts without the renderer's three images: a game missing one
// (or whose bitmap is no image) says which, runs no scene, and ends as a game
// whose scene cannot be loaded does, with 1 and without its OnEnd.
TEST(ContentFaultTest, AGameWithoutARenderersImageSaysWhichAndEndsWith1) {
  const struct {
    const char* file;
    const char* contents;  // null: the file is missing
    const char* said;
  } cases[] = {
      {"shadow.bmp", nullptr, "t3dplayer: shadow.bmp: cannot be read; no scene starts without it\n"},
      {"toon.bmp", nullptr, "t3dplayer: toon.bmp: cannot be read; no scene starts without it\n"},
      {"ASCII16.png", nullptr, "t3dplayer: ASCII16.png: cannot be read; no scene starts without it\n"},
      {"toon.bmp", "no image",
       "t3dplayer: toon.bmp: cannot be read: image: not a PNG, JPEG, BMP, TGA or DDS file; no scene starts without it\n"},
  };
  // The games play side by side, each in a folder of its own.
  std::vector<std::unique_ptr<TempFolder>> folders;
  std::vector<std::unique_ptr<PlayerProcess>> players;
  for (const auto& c : cases) {
    auto& folder = *folders.emplace_back(std::make_unique<TempFolder>());
    WriteSceneImages(folder.path());
    folder.Write("RootScenairo.csc",
                 "OnBegin() { Storage.SaveValue(empty, \"Root\", \"began\"); Scenario.SceneFile = \"stage.scn\"; }\n"
                 "OnEndScene() { Scenario.SceneFile = empty; }\n"
                 "OnEnd() { Storage.SaveValue(empty, \"Root\", \"ended\"); }\n");
    folder.Write("stage.scn", "<Scene>\n <Script>\nBegin() { Storage.SaveValue(empty, \"Scene\", \"began\"); "
                              "Scene.EndScene(); }\n </Script>\n <Function OnBegin=\"Begin\"/>\n</Scene>\n");
    if (c.contents) {
      folder.Write(c.file, c.contents);
    } else {
      fs::remove(folder.path() + c.file);
    }
    players.push_back(std::make_unique<PlayerProcess>(folder));
  }
  for (std::size_t i = 0; i < players.size(); ++i) {
    SCOPED_TRACE(std::string(cases[i].file) + (cases[i].contents ? " no image" : " missing"));
    EXPECT_EQ(players[i]->Wait(), 1);
    EXPECT_EQ(players[i]->Output(), cases[i].said);
    EXPECT_EQ(folders[i]->Read("Config.sav"), Settings("Config", {{"Root", "began"}}));
  }
}

// A scene whose script includes one 1 GiB file fifty times: the first
// include is refused from the file's size, unread, and the scene does not
// compile. (Read, the file took all fifty times a minute and gigabytes.)
TEST(ContentFaultTest, AnIncludeLargerThanAScriptMayBeIsRefusedUnread) {
  TempFolder folder;
  WriteSceneImages(folder.path());
  folder.Write("RootScenairo.csc", "OnBegin() { Scenario.SceneFile = \"stage.scn\"; }\n");
  std::string includes;
  for (int i = 0; i < 50; ++i) includes += "#include \"big.csc\"\n";
  folder.Write("stage.scn", "<Scene>\n <Script>\n" + includes + "Begin() { Scene.EndScene(); }\n </Script>\n</Scene>\n");
  // Sparse: it takes no room on the disk.
  fs::resize_file(folder.Write("big.csc", ""), std::uintmax_t{1} << 30);
  const RunResult result = Play(folder);
  EXPECT_EQ(result.output,
            "t3dplayer: stage.scn:3: error 2: \"big.csc\" not included: the script with its includes would pass 64 MiB\n");
  EXPECT_EQ(result.exitCode, 1);
}

}  // namespace
