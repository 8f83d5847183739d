#include "platform/system/profile_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <optional>
#include <vector>

#include "platform/system/atomic_file.h"
#include "platform/system/temp_folder.h"

namespace {

constexpr char kSettings[] =
    "; written by hand\r\n"
    "Stray=before any section\r\n"
    "[Config]\r\n"
    "Key=Value\r\n"
    "  spaced  =  padded value  \r\n"
    "quoted=\"in quotes\"\r\n"
    "single='x'\r\n"
    "half=\"open\r\n"
    "empty=\r\n"
    "noequals\r\n"
    ";Key=commented\r\n"
    "twice=first\r\n"
    "twice=second\r\n"
    "[ Other ]\r\n"
    "Key=other\r\n"
    "[config]\r\n"
    "Later=1\r\n"
    "[Unix]\n"
    "lf=only\n";

TEST(ProfileFileTest, ReadsValuesAsTheProfileFunctionsDid) {
  TempFolder folder;
  std::string file = folder.Write("Config.sav", kSettings);
  struct Case {
    const char* section;
    const char* key;
    const char* expected;
  };
  const Case cases[] = {
      {"Config", "Key", "Value"},
      {"CONFIG", "key", "Value"},
      {" Config ", " Key ", "Value"},
      {"Config", "spaced", "padded value"},
      {"Config", "quoted", "in quotes"},
      {"Config", "single", "x"},
      {"Config", "half", "\"open"},
      {"Config", "empty", ""},
      {"Config", "noequals", "default"},
      {"Config", ";Key", "default"},
      {"Config", "twice", "first"},
      {"Config", "Stray", "default"},
      {"Other", "KEY", "other"},
      {"config", "Later", "default"},  // only the first section of a name counts
      {"Unix", "LF", "only"},
      {"Missing", "Key", "default"},
  };
  for (const Case& c : cases) {
    std::string value = "stale";
    EXPECT_EQ(GetProfileString(file, c.section, c.key, "default", value), std::string(c.expected).size());
    EXPECT_EQ(value, c.expected) << c.section << " / " << c.key;
  }
}

TEST(ProfileFileTest, DefaultsLoseTrailingBlanksAndFixedBuffersKeepWholeCharacters) {
  TempFolder folder;
  std::string value;
  EXPECT_EQ(GetProfileString(folder.path() + "none.sav", "Config", "Key", "  def \t ", value), 5u);
  EXPECT_EQ(value, "  def");
  std::string file = folder.Write("Config.sav", "[S]\r\nascii=Value\r\nkana=\x82\xa0\x82\xa2\r\n");
  char buffer[8];
  EXPECT_EQ(GetProfileString(file, "S", "ascii", "", buffer, 4), 3u);
  EXPECT_STREQ(buffer, "Val");
  EXPECT_EQ(GetProfileString(file, "S", "kana", "", buffer, 4), 2u);
  EXPECT_STREQ(buffer, "\x82\xa0");
  EXPECT_EQ(GetProfileString(file, "S", "ascii", "", buffer, sizeof buffer), 5u);
  EXPECT_STREQ(buffer, "Value");
  EXPECT_EQ(GetProfileString(file, "S", "none", "default!", buffer, sizeof buffer), 7u);
  EXPECT_STREQ(buffer, "default");
}

TEST(ProfileFileTest, WritesEntriesKeepingEveryOtherLine) {
  struct Case {
    const char* name;
    std::optional<std::string> before;
    const char* section;
    const char* key;
    const char* value;
    std::string after;
  };
  const std::vector<Case> cases = {
      {"new file", std::nullopt, "S", "K", "V", "[S]\r\nK=V\r\n"},
      {"empty file", "", "S", "K", "V", "[S]\r\nK=V\r\n"},
      {"replace", "[S]\r\nK=old\r\nz=1\r\n", "S", "K", "V", "[S]\r\nK=V\r\nz=1\r\n"},
      {"replace any case", "[s]\r\n  k = old\r\n", "S", "K", "V", "[s]\r\nK=V\r\n"},
      {"empty value", "[S]\r\nK=old\r\n", "S", "K", "", "[S]\r\nK=\r\n"},
      {"new key after the section's last line",
       "; c\r\n[A]\r\nx=1\r\n\r\n[S]\r\ny=2\r\n\r\n[B]\r\nz=3",
       "S", "K", "V",
       "; c\r\n[A]\r\nx=1\r\n\r\n[S]\r\ny=2\r\nK=V\r\n\r\n[B]\r\nz=3"},
      {"new key in an empty section", "[S]\r\n[B]\r\n", "S", "K", "V", "[S]\r\nK=V\r\n[B]\r\n"},
      {"section ends the file unterminated", "[S]\r\ny=2", "S", "K", "V", "[S]\r\ny=2\r\nK=V\r\n"},
      {"new section after an unterminated line", "[A]\r\nx=1", "S", "K", "V", "[A]\r\nx=1\r\n[S]\r\nK=V\r\n"},
      {"LF lines kept", "[S]\nK=old\nz=2\n", "S", "K", "V", "[S]\nK=V\nz=2\n"},
      {"first section of a name", "[S]\r\na=1\r\n[S]\r\nK=2\r\n", "S", "K", "V",
       "[S]\r\na=1\r\nK=V\r\n[S]\r\nK=2\r\n"},
      {"commented key is not the key", "[S]\r\n;K=1\r\n", "S", "K", "V", "[S]\r\n;K=1\r\nK=V\r\n"},
  };
  for (const Case& c : cases) {
    TempFolder folder;
    if (c.before) folder.Write("Config.sav", *c.before);
    EXPECT_TRUE(WriteProfileString(folder.path() + "Config.sav", c.section, c.key, c.value)) << c.name;
    EXPECT_EQ(folder.Read("Config.sav"), c.after) << c.name;
    std::string value;
    GetProfileString(folder.path() + "Config.sav", c.section, c.key, "default", value);
    EXPECT_EQ(value, c.value) << c.name;
  }
}

TEST(ProfileFileTest, RefusesNamesThatWouldBreakTheLayout) {
  struct Case {
    const char* section;
    const char* key;
    const char* value;
  };
  const Case cases[] = {
      {"S", "a=b", "V"}, {"S", "", "V"},   {"S", "  ", "V"},      {"S", "[K", "V"},   {"S", ";K", "V"},
      {"a]b", "K", "V"}, {"S\r\n", "K", "V"}, {"S", "K\n", "V"}, {"S", "K", "x\r\ny=z"},
  };
  TempFolder folder;
  std::string file = folder.Write("Config.sav", "[S]\r\nK=old\r\n");
  for (const Case& c : cases) {
    EXPECT_FALSE(WriteProfileString(file, c.section, c.key, c.value)) << c.section << " / " << c.key;
  }
  EXPECT_EQ(folder.Read("Config.sav"), "[S]\r\nK=old\r\n");
  // A "]" that is the second byte of a double-byte character is no bracket.
  EXPECT_TRUE(WriteProfileString(file, "\x83]", "K", "V"));
  std::string value;
  GetProfileString(file, "\x83]", "K", "", value);
  EXPECT_EQ(value, "V");
}

TEST(ProfileFileTest, FailedWritesLeaveNoFileBehind) {
  TempFolder folder;
  folder.MakeFolder("Config.sav");
  EXPECT_FALSE(WriteProfileString(folder.path() + "Config.sav", "S", "K", "V"));
  EXPECT_FALSE(WriteProfileString(folder.path() + "missing/Config.sav", "S", "K", "V"));
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
    names.push_back(entry.path().filename().string());
  }
  EXPECT_EQ(names, std::vector<std::string>{"Config.sav"});
}

TEST(AtomicFileTest, ReplacesWholeAndKeepsPermissions) {
  TempFolder folder;
  std::string path = folder.Write("Caps.txt", "old contents");
  ASSERT_EQ(chmod(path.c_str(), 0640), 0);
  EXPECT_TRUE(WriteFileAtomically(path, "new"));
  EXPECT_EQ(folder.Read("Caps.txt"), "new");
  struct stat info;
  ASSERT_EQ(stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
}

}  // namespace
