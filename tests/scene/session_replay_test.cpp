// The recording file of the attract sequence: whole little-endian words or a
// clear refusal, for each row of tables/session_replay.rows. What a session
// does with the words is a game case (cases/games/session_replay).
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/system/temp_folder.h"
#include "scene/session_replay.h"
#include "support/case_files.h"

namespace {

TEST(SessionReplay, RecordingFileReadsWholeWordsOrIsRefused) {
  const auto rows = ReadTableRows(std::filesystem::path(T3D_SOURCE_DIR) / "tests/scene/tables/session_replay.rows");
  ASSERT_FALSE(rows.empty());
  for (const auto& row : rows) {
    ASSERT_EQ(row.size(), 3u) << row[0];
    TempFolder folder;
    std::vector<std::uint32_t> words;
    std::string error;
    const RecordingLoad load = LoadPadRecording(
        row[1] == "-" ? folder.path() + "/Attract.rec" : folder.Write("Attract.rec", row[1]), words, error);
    std::string out = std::array{"loaded", "missing", "broken"}[static_cast<std::size_t>(load)];
    for (const std::uint32_t word : words) out += " " + std::to_string(word);
    EXPECT_EQ(out + (error.empty() ? "" : ", an error"), row[2]) << row[0];
  }
}

}  // namespace
