// The recording file of the attract sequence: whole little-endian words or a
// clear refusal. What a session does with the words is a game case
// (cases/games/session_replay).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/system/temp_folder.h"
#include "scene/session_replay.h"

namespace {

struct RecordingCase {
  const char* name;
  std::string bytes;  // the file, written only when `present`
  bool present;
  RecordingLoad load;
  std::vector<std::uint32_t> words;
};

TEST(SessionReplay, RecordingFileReadsWholeWordsOrIsRefused) {
  const std::vector<RecordingCase> cases = {
      {"two words", std::string("\x08\x00\x00\x00\x10\x00\x00\x80", 8), true, RecordingLoad::kLoaded,
       {0x8, 0x80000010}},
      {"missing", "", false, RecordingLoad::kMissing, {}},
      {"empty, as good as none", "", true, RecordingLoad::kMissing, {}},
      {"a word and a byte", std::string("\x01\x00\x00\x00\x02", 5), true, RecordingLoad::kBroken, {}},
  };
  for (const RecordingCase& c : cases) {
    TempFolder folder;
    const std::string path = c.present ? folder.Write("Attract.rec", c.bytes) : folder.path() + "/Attract.rec";
    std::vector<std::uint32_t> words;
    std::string error;
    EXPECT_EQ(LoadPadRecording(path, words, error), c.load) << c.name;
    EXPECT_EQ(words, c.words) << c.name;
    EXPECT_EQ(error.empty(), c.load != RecordingLoad::kBroken) << c.name;
  }
}

}  // namespace
