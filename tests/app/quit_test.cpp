// The built program asked to end by SIGTERM, SIGINT and SIGHUP while each game
// of quit_games/ does what would never end by itself: a root script that
// never returns, a scene's OnLoop that never returns, a compile of some
// seconds, scenes that fail one after another. Without a display; the
// close button on a display is player_test.cpp's.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/player_process.h"
#include "classes/storage_codec.h"
#include "support/case_files.h"

namespace {

namespace fs = std::filesystem;

const fs::path kGames = fs::path(T3D_SOURCE_DIR) / "tests/app/quit_games";

// The body that long_compile includes: 60 MiB of statements, which the
// compile takes some seconds to take in.
void WriteLongInclude(const TempFolder& folder) {
  std::string line;
  for (int i = 0; i < 16; ++i) line += "x=1;";
  line += "\n";
  std::string text;
  while (text.size() + line.size() <= std::size_t{60} << 20) text += line;
  std::ofstream out(folder.path() + "long.txt", std::ios::binary);
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

// Until the program holds `kib` or more, the mark of a compile well under
// way; false when it ended first or after `timeoutMs`.
bool WaitUntilHolding(const PlayerProcess& process, long kib, int timeoutMs = 30000) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (process.ResidentKib() < kib) {
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

class QuitTest : public testing::TestWithParam<std::string> {};

// Each signal, to a copy of the game of its own, once the game has saved
// Ready (a game that cannot, half a second after its start): the game ends
// within the watch's 2 seconds, though the test waits far longer, in order
// (the settings of its expected.sav are whole, none without one), and then
// by the signal it was sent. How long each took is recorded beside the result.
TEST_P(QuitTest, EachSignalEndsTheGameInOrder) {
  const fs::path game = kGames / GetParam();
  const bool savesReady = ReadTextFile(game / "expected.sav").find("Ready=") != std::string::npos;
  const int signals[] = {SIGTERM, SIGINT, SIGHUP};
  struct Player {
    TempFolder folder;
    std::unique_ptr<PlayerProcess> process;
  };
  std::vector<Player> players(std::size(signals));
  for (Player& player : players) {
    CopyGame(game, player.folder);
    if (GetParam() == "long_compile") WriteLongInclude(player.folder);
    player.process = std::make_unique<PlayerProcess>(player.folder);
  }
  for (std::size_t i = 0; i < players.size(); ++i) {
    SCOPED_TRACE(signals[i]);
    Player& player = players[i];
    if (savesReady) {
      ASSERT_TRUE(WaitForText(player.folder, "Config.sav", EncodeStorageText(0, "Ready"))) << player.process->Output();
    } else if (GetParam() == "long_compile") {
      ASSERT_TRUE(WaitUntilHolding(*player.process, 200 << 10)) << player.process->Output();
    } else {
      ASSERT_TRUE(WaitForText(player.folder, "Caps.txt", "<General>")) << player.process->Output();
      std::this_thread::sleep_for(std::chrono::milliseconds(500));
    }
    const auto asked = std::chrono::steady_clock::now();
    player.process->Signal(signals[i]);
    int endSignal = 0;
    EXPECT_EQ(player.process->Wait(20000, &endSignal), -1);
    const auto took = std::chrono::steady_clock::now() - asked;
    RecordProperty("ms_to_end_" + std::to_string(signals[i]),
                   static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(took).count()));
    EXPECT_EQ(endSignal, signals[i]) << player.process->Output();
    EXPECT_EQ(player.folder.Read("Config.sav"),
              savesReady ? ExpectedSettings(game / "expected.sav") : std::string("<missing>"));
  }
}

INSTANTIATE_TEST_SUITE_P(Games, QuitTest, testing::ValuesIn(ListCaseFolders(kGames)),
                         [](const testing::TestParamInfo<std::string>& param) { return param.param; });

}  // namespace
