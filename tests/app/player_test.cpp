// The built program run as a person would: copied into a folder of its own
// with a root scenario, its exit code, its messages and the files it writes.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "classes/storage_codec.h"
#include "files/archive_writer.h"
#include "platform/system/temp_folder.h"

#ifdef T3D_PLAYER

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

RunResult RunPlayerIn(const TempFolder& folder) {
  const auto replace = std::filesystem::copy_options::overwrite_existing;
  std::filesystem::copy_file(T3D_PLAYER, folder.path() + "t3dplayer", replace);
  std::filesystem::copy_file(T3D_WUVORBIS, folder.path() + "wuvorbis.so", replace);
  // Started from another folder: the program folder is the program's own.
  // Sound goes to SDL's dummy driver, so a machine without a sound card runs
  // the same.
  const std::string command = "cd / && SDL_AUDIODRIVER=dummy '" + folder.path() + "t3dplayer' 2>&1";
  RunResult result;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, n);
    const int status = pclose(pipe);
    if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
  }
  return result;
}

// A settings file as Storage writes it under the default key: one section,
// then its entries in order.
std::string Settings(const std::string& section, const std::vector<std::pair<std::string, std::string>>& entries) {
  std::string text = "[" + EncodeStorageText(0, section) + "]\r\n";
  for (const auto& [key, value] : entries)
    text += EncodeStorageText(0, key) + "=" + EncodeStorageText(0, value) + "\r\n";
  return text;
}

TEST(PlayerTest, RunsTheRootScenarioOfItsFolder) {
  TempFolder folder;
  folder.Write("RootScenairo.csc",
               "OnBegin() { System.Title = \"Test game\"; Storage.SaveValue(empty, \"Began\", System.Title); }\n"
               "OnEnd() { Storage.SaveValue(empty, \"Ended\", Math.FormatTime(75)); }\n");
  const RunResult result = RunPlayerIn(folder);
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.output, "");
  EXPECT_EQ(folder.Read("Config.sav"), Settings("Config", {{"Began", "Test game"}, {"Ended", " 1:15"}}));
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
  const RunResult result = RunPlayerIn(folder);
  EXPECT_EQ(result.exitCode, 0);
  // No scene loads yet, so the scenario ends without OnEnd.
  EXPECT_EQ(folder.Read("Config.sav"), Settings("Archive", {{"Value", "42"}}));
}

// Without a window the scene runs headless on the real clock until its
// script ends it; both engines reach the program's sound manager, and the
// scene's the input manager, where no key is pressed.
TEST(PlayerTest, PlaysAHeadlessSceneToItsEnd) {
  TempFolder folder;
  folder.Write("RootScenairo.csc",
               "OnBegin() { Sound.MusicVolume = 0.25; Scenario.SceneFile = \"stage.scn\"; }\n"
               "OnEndScene() { Storage.SaveValue(empty, \"Scene\", \"ended\"); Scenario.SceneFile = empty; }\n"
               "OnEnd() { Storage.SaveValue(empty, \"Scenario\", \"ended\"); }\n");
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
  const RunResult result = RunPlayerIn(folder);
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.output, "");
  EXPECT_EQ(folder.Read("Config.sav"),
            Settings("Config", {{"Managers", "music 0.25, pad 0"}, {"Scene", "ended"}, {"Scenario", "ended"}}));
}

TEST(PlayerTest, MissingRootScenarioIsShownAndFails) {
  TempFolder folder;
  const RunResult result = RunPlayerIn(folder);
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.output, ": ルートシナリオが開けません。\n");
  EXPECT_EQ(folder.Read("Config.sav"), "<missing>");
}

}  // namespace

#endif
