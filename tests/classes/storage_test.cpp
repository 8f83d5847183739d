// The settings codec and file: the encodings and entries of
// tables/storage.rows, the golden "Config.sav", and long program folders.
#include <gtest/gtest.h>

#include <filesystem>

#include "classes/class_runner.h"
#include "classes/storage_class.h"
#include "classes/storage_codec.h"
#include "platform/system/content_path.h"
#include "platform/system/temp_folder.h"
#include "support/case_files.h"

namespace {

const std::string kSource = T3D_SOURCE_DIR;

// A program folder of its own for one test, and the default key again after.
class ProgramFolder {
 public:
  ProgramFolder() { SetProgramDir(folder.path()); }
  ~ProgramFolder() {
    SetProgramDir("");
    SetStorageKey(kDefaultStorageKey);
  }
  // What LoadString and LoadNumber give for the entry "Name" of "Config"
  // under key 42 when the file holds `value` (and the lines `more`) for it:
  // "<TEXT> NUMBER".
  std::string LoadName(const std::string& value, const std::string& more = "") {
    folder.Write("Config.sav", "[F8E52223936034]\r\nF7E721267B=" + value + "\r\n" + more);
    const std::string answer =
        RunClassFragment("Storage.SetEncodeKey(42); $r = \"<\" + Storage.LoadString(empty, \"Name\", \"dflt\") + "
                         "\"> \" + Storage.LoadNumber(empty, \"Name\", 0.125);");
    return answer.substr(1, answer.size() - 2);  // without the quotes of a string
  }
  TempFolder folder;
};

TEST(StorageTest, EveryRowOfTheTable) {
  const auto rows = ReadTableRows(kSource + "/tests/classes/tables/storage.rows");
  ASSERT_FALSE(rows.empty());
  for (const auto& row : rows) {
    ASSERT_EQ(row.size(), row[0] == "stored" ? 3u : 4u) << row[0];
    std::string plain = "kept";
    if (row[0] == "codec") {
      EXPECT_EQ(EncodeStorageText(std::stoi(row[1]), row[2]), row[3]) << row[1] << " " << row[2];
      EXPECT_TRUE(DecodeStorageText(std::stoi(row[1]), row[3], plain)) << row[3];
      EXPECT_EQ(plain, row[2]);
    } else if (row[0] == "decode") {
      const bool decoded = DecodeStorageText(std::stoi(row[1]), row[2], plain);
      EXPECT_EQ((decoded ? "" : "refused ") + plain, row[3]) << '"' << row[2] << '"';
    } else {
      EXPECT_EQ(ProgramFolder().LoadName(row[1]), row[2]) << row[1];
    }
  }
}

TEST(StorageTest, EveryByteRoundTripsUnderEveryKey) {
  std::string all;
  for (int c = 0; c < 256; ++c) all += static_cast<char>(c);
  for (int key = 0; key < 256; ++key) {
    std::string plain;
    ASSERT_TRUE(DecodeStorageText(key, EncodeStorageText(key, all), plain)) << key;
    ASSERT_EQ(plain, all) << key;
  }
}

// Values that verify but Storage would not read back whole: one longer than
// any it writes (beside a good entry, and alone), and one holding a NUL byte,
// where the text ends.
TEST(StorageTest, LongValuesReadAsMissingAndTextEndsAtANul) {
  ProgramFolder program;
  const std::string longValue = EncodeStorageText(42, std::string(128, 'x'));
  EXPECT_EQ(program.LoadName("F5E42D4297B329", "long=" + longValue + "\r\n"), "<Player> 0");
  EXPECT_EQ(program.LoadName(longValue), "<dflt> 0.125");
  EXPECT_EQ(program.LoadName(EncodeStorageText(42, std::string("ab\0cd", 5))), "<ab> 0");
}

TEST(StorageTest, WritesTheGoldenSettingsFile) {
  ProgramFolder program;
  EXPECT_EQ(RunClassFragment("Storage.SetEncodeKey(42); $r = Storage.SaveValue(empty, \"Name\", \"Player\") + "
                             "Storage.SaveValue(\"Scores\", \"Best\", 1234.5) + "
                             "Storage.SaveValue(empty, \"Blank\", \"\") + "
                             "Storage.SaveValue(\"Scores\", \"Best\", 99) + "
                             "Storage.SaveValue(\"Scores\", \"Runs\", 3);"),
            "5");
  EXPECT_EQ(program.folder.Read("Config.sav"), ReadTextFile(kSource + "/tests/classes/golden/config_key42.sav"));
}

// Settings under a program folder of any length are kept; an unwritable one saves nothing.
TEST(StorageTest, ProgramFoldersOfAnyLength) {
  ProgramFolder program;
  std::string deep;
  while (deep.size() < 400) deep += "a-rather-long-folder-name/";
  std::filesystem::create_directories(program.folder.path() + deep);
  SetProgramDir(program.folder.path() + deep);
  EXPECT_GT(SettingsFilePath().size(), 400u);
  EXPECT_EQ(RunClassFragment("$r = \"\" + Storage.SaveValue(empty, \"Deep\", \"yes\") + "
                             "Storage.LoadString(empty, \"Deep\", \"no\");"),
            "\"1yes\"");
  EXPECT_TRUE(std::filesystem::exists(program.folder.path() + deep + "Config.sav"));
  SetProgramDir(program.folder.path() + "no-such-folder/");
  EXPECT_EQ(RunClassFragment("$r = \"\" + Storage.SaveValue(empty, \"Key\", \"v\") + "
                             "Storage.LoadString(empty, \"Key\", \"d\");"),
            "\"0d\"");
}

}  // namespace
