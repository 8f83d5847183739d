// The settings codec and file: known encodings, the golden "Config.sav",
// stored values that must read as missing, and long program folders.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "classes/class_runner.h"
#include "classes/storage_class.h"
#include "classes/storage_codec.h"
#include "platform/system/content_path.h"
#include "platform/system/temp_folder.h"

namespace {

// A program folder of its own for one test, and the default key again after.
class ProgramFolder {
 public:
  ProgramFolder() { SetProgramDir(folder.path()); }
  ~ProgramFolder() {
    SetProgramDir("");
    SetStorageKey(kDefaultStorageKey);
  }
  TempFolder folder;
};

TEST(StorageCodecTest, EncodesAsTheSettingsFileExpects) {
  struct Case {
    int key;
    const char* plain;
    const char* encoded;
  };
  const Case cases[] = {
      {0, "Config", "6B56F96A076FE9"}, {0, "Runs", "7A60F957F4"},       {0, "5", "59A0"},
      {42, "Config", "F8E52223936034"}, {42, "Name", "F7E721267B"},      {42, "Player", "F5E42D4297B329"},
      {42, "", "A5"},                   {0, "", "24"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(EncodeStorageText(c.key, c.plain), c.encoded) << c.key << " " << c.plain;
    std::string plain = "garbage";
    EXPECT_TRUE(DecodeStorageText(c.key, c.encoded, plain)) << c.encoded;
    EXPECT_EQ(plain, c.plain);
  }
}

TEST(StorageCodecTest, EveryByteRoundTripsUnderEveryKey) {
  std::string all;
  for (int c = 0; c < 256; ++c) all += static_cast<char>(c);
  for (int key = 0; key < 256; ++key) {
    std::string plain;
    ASSERT_TRUE(DecodeStorageText(key, EncodeStorageText(key, all), plain)) << key;
    ASSERT_EQ(plain, all) << key;
  }
}

TEST(StorageCodecTest, MalformedTextDoesNotDecode) {
  const char* const cases[] = {
      "",                 // nothing
      "6",                // shorter than one pair
      "6B56F96A076FE",    // odd length
      "6B56F96A076FE9F",  // odd length, one digit more
      "6B56F96A076FEG",   // not a hexadecimal digit
      "6B56F9 A076FE9",   // blank inside
      "6B56F96A076FE8",   // check byte off by one
      "6B56F96A076F",     // last byte taken for the check
  };
  for (const char* text : cases) {
    std::string plain = "kept";
    EXPECT_FALSE(DecodeStorageText(0, text, plain)) << '"' << text << '"';
    EXPECT_EQ(plain, "kept");
  }
  std::string plain;
  EXPECT_TRUE(DecodeStorageText(0, "6b56f96a076fe9", plain));
  EXPECT_EQ(plain, "Config");
}

TEST(StorageFileTest, WritesTheGoldenSettingsFile) {
  ProgramFolder program;
  EXPECT_EQ(RunClassFragment("Storage.SetEncodeKey(42); $r = Storage.SaveValue(empty, \"Name\", \"Player\") + "
                             "Storage.SaveValue(\"Scores\", \"Best\", 1234.5) + "
                             "Storage.SaveValue(empty, \"Blank\", \"\") + "
                             "Storage.SaveValue(\"Scores\", \"Best\", 99) + "
                             "Storage.SaveValue(\"Scores\", \"Runs\", 3);"),
            "5");
  std::ifstream golden(std::string(T3D_SOURCE_DIR) + "/tests/classes/golden/config_key42.sav", std::ios::binary);
  std::stringstream expected;
  expected << golden.rdbuf();
  EXPECT_EQ(program.folder.Read("Config.sav"), expected.str());
}

TEST(StorageFileTest, StoredValuesThatDoNotVerifyReadAsMissing) {
  // Section "Config" and key "Name" under key 42, then values that the codec
  // must not accept; each must give the default text and the default number.
  const char* const values[] = {
      "F5E42D4297B32",    // odd length
      "F5E42D4297B3ZZ",   // not hexadecimal
      "F5E42D4297B328",   // wrong check byte
      "",                 // empty
      "\"F5E42D4297B32\"",  // quoted, then odd
  };
  for (const char* value : values) {
    ProgramFolder program;
    program.folder.Write("Config.sav", std::string("[F8E52223936034]\r\nF7E721267B=") + value + "\r\n");
    EXPECT_EQ(RunClassFragment("Storage.SetEncodeKey(42); $r = Storage.LoadString(empty, \"Name\", \"dflt\");"),
              "\"dflt\"")
        << value;
    EXPECT_EQ(RunClassFragment("Storage.SetEncodeKey(42); $r = Storage.LoadNumber(empty, \"Name\", 0.125);"),
              "0.125")
        << value;
  }
  // The same entry, well formed, for contrast; and one longer than any that
  // Storage writes, though it verifies.
  ProgramFolder program;
  std::string longValue = EncodeStorageText(42, std::string(128, 'x'));
  program.folder.Write("Config.sav", "[F8E52223936034]\r\nF7E721267B=F5E42D4297B329\r\nlong=" + longValue + "\r\n");
  EXPECT_EQ(RunClassFragment("Storage.SetEncodeKey(42); $r = Storage.LoadString(empty, \"Name\", \"dflt\");"),
            "\"Player\"");
  program.folder.Write("Config.sav", "[F8E52223936034]\r\nF7E721267B=" + longValue + "\r\n");
  EXPECT_EQ(RunClassFragment("Storage.SetEncodeKey(42); $r = Storage.LoadString(empty, \"Name\", \"dflt\");"),
            "\"dflt\"");
}

TEST(StorageFileTest, DecodedTextEndsAtItsFirstNulByte) {
  ProgramFolder program;
  program.folder.Write("Config.sav", "[F8E52223936034]\r\nF7E721267B=" +
                                         EncodeStorageText(42, std::string("ab\0cd", 5)) + "\r\n");
  EXPECT_EQ(RunClassFragment("Storage.SetEncodeKey(42); $r = Storage.LoadString(empty, \"Name\", \"dflt\");"),
            "\"ab\"");
}

TEST(StorageFileTest, ProgramFoldersOfAnyLengthKeepTheirSettings) {
  ProgramFolder program;
  std::string deep;
  while (deep.size() < 400) deep += "a-rather-long-folder-name/";
  std::filesystem::create_directories(program.folder.path() + deep);
  SetProgramDir(program.folder.path() + deep);
  EXPECT_GT(SettingsFilePath().size(), 400u);
  EXPECT_EQ(RunClassFragment("$r = Storage.SaveValue(empty, \"Deep\", \"yes\");"), "1");
  EXPECT_EQ(RunClassFragment("$r = Storage.LoadString(empty, \"Deep\", \"no\");"), "\"yes\"");
  EXPECT_TRUE(std::filesystem::exists(program.folder.path() + deep + "Config.sav"));
}

TEST(StorageFileTest, UnwritableSettingsGiveZero) {
  ProgramFolder program;
  SetProgramDir(program.folder.path() + "no-such-folder/");
  EXPECT_EQ(RunClassFragment("$r = Storage.SaveValue(empty, \"Key\", \"v\");"), "0");
  EXPECT_EQ(RunClassFragment("$r = Storage.LoadString(empty, \"Key\", \"d\");"), "\"d\"");
}

}  // namespace
