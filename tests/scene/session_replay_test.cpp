// The recording file of the attract sequence: whole little-endian words or a
// clear refusal, for each row of tables/session_replay.rows. What a session
// does with the words is a game case (cases/games/session_replay).
#include <gtest/gtest.h>

#include <cstdio>
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
    std::string out = load == RecordingLoad::kLoaded    ? "loaded"
                      : load == RecordingLoad::kMissing ? "missing"
                                                        : "broken";
    for (const std::uint32_t word : words) {
      char text[16];
      std::snprintf(text, sizeof text, " %x", word);
      out += text;
    }
    EXPECT_EQ(out + (error.empty() ? "" : ", an error"), row[2]) << row[0];
  }
}

}  // namespace
