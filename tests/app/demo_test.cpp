// The demo game as a player meets it: the program beside the content of demo/
// in a folder of its own. Without a display it plays its attract sequence and
// ends by itself; what it saved is read back from "Config.sav".
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>

#include "classes/storage_codec.h"
#include "platform/system/temp_folder.h"

#ifdef T3D_PLAYER

namespace {

namespace fs = std::filesystem;

// The demo's content and the built program, as the game target assembles them.
void AssembleGame(const TempFolder& folder) {
  fs::copy(fs::path(T3D_SOURCE_DIR) / "demo", folder.path(), fs::copy_options::recursive);
  fs::copy_file(T3D_PLAYER, folder.path() + "t3dplayer");
  fs::copy_file(T3D_WUVORBIS, folder.path() + "wuvorbis.so");
}

// Runs `command` in a shell; its exit code, -1 when it did not exit.
int RunCommand(const std::string& command) {
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// "Config.sav" decoded: "[section]" and "key=value" lines as the game saved them.
std::string DecodedSettings(const std::string& text) {
  std::istringstream lines(text);
  std::string line, out;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::string plain, value;
    if (line.size() > 2 && line.front() == '[' && line.back() == ']') {
      DecodeStorageText(0, line.substr(1, line.size() - 2), plain);
      out += "[" + plain + "]\n";
    } else if (const auto eq = line.find('='); eq != std::string::npos) {
      DecodeStorageText(0, line.substr(0, eq), plain);
      DecodeStorageText(0, line.substr(eq + 1), value);
      out += plain + "=" + value + "\n";
    }
  }
  return out;
}

TEST(DemoTest, WithoutADisplayTheAttractSequenceReachesTheFlagAndEnds) {
  TempFolder folder;
  AssembleGame(folder);
  // The attract route is a recording of pad words: the run is the same on
  // every machine, frame for frame, so its time is exact. The minute is the
  // game's promise, not the test's measure: its route takes about 25 seconds.
  const int code = RunCommand("cd / && env -u DISPLAY -u WAYLAND_DISPLAY SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy "
                       "timeout 60 '" + folder.path() + "t3dplayer' > '" + folder.path() + "output.txt' 2>&1");
  EXPECT_EQ(code, 0) << folder.Read("output.txt");
  EXPECT_EQ(DecodedSettings(folder.Read("Config.sav")), "[Demo]\nRuns=1\nBestTime=15.13\nFinished=1\n");
  // The runner's model was converted from its .mqo at load.
  EXPECT_TRUE(fs::exists(folder.path() + "models/hero.x"));
}

}  // namespace

#endif
