// The demo game as a player meets it: the program beside the content of demo/
// in a folder of its own. Without a display it plays its attract sequence and
// ends by itself; what it saved is read back from "Config.sav".
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>

#include "app/player_process.h"
#include "classes/storage_codec.h"

namespace {

namespace fs = std::filesystem;

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
  // The demo's content; the program joins it as the game target assembles them.
  fs::copy(fs::path(T3D_SOURCE_DIR) / "demo", folder.path(), fs::copy_options::recursive);
  // The attract route is a recording of pad words: the run is the same on
  // every machine, frame for frame, so its time is exact. The minute is the
  // game's promise, not the test's measure: its route takes about 25 seconds.
  PlayerProcess player(folder);
  EXPECT_EQ(player.Wait(60000), 0) << player.Output();
  EXPECT_EQ(DecodedSettings(folder.Read("Config.sav")), "[Demo]\nRuns=1\nBestTime=15.13\nFinished=1\n");
  // The runner's model was converted from its .mqo at load.
  EXPECT_TRUE(fs::exists(folder.path() + "models/hero.x"));
}

}  // namespace
