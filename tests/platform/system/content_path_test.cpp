#include "platform/system/content_path.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "platform/system/temp_folder.h"

namespace {

TEST(ContentPathTest, NormalizesSeparatorsDotsAndRepeats) {
  struct Case {
    const char* name;
    const char* expected;
  };
  const Case cases[] = {
      {"a\\b\\c.txt", "a/b/c.txt"},
      {"a//b\\\\/c", "a/b/c"},
      {"/game/./scene/", "/game/scene/"},
      {"a/b/../c", "a/c"},
      {"a/b/../../../c", "../c"},
      {"../a", "../a"},
      {"/../a", "/a"},
      {"/game/x/..", "/game"},
      {"a/..", ""},
      {"", ""},
      {"\\\\", "/"},
      {"scene\\", "scene/"},
      {"./a", "a"},
      // 0x95 0x5C is one double-byte character: its second byte is no separator.
      {"\x95\\\\x.txt", "\x95\\/x.txt"},
      {"d/\x95\\/../e", "d/e"},
      // A lead byte at the very end stands alone.
      {"a/\x95", "a/\x95"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(NormalizeContentPath(c.name), c.expected) << "name: " << c.name;
  }
}

TEST(ContentPathTest, CaseFoldingLeavesSecondBytesExact) {
  EXPECT_TRUE(EqualsIgnoreAsciiCase("Scene/A.TXT", "scene/a.txt"));
  EXPECT_FALSE(EqualsIgnoreAsciiCase("scene/a.txt", "scene/a.txs"));
  EXPECT_FALSE(EqualsIgnoreAsciiCase("abc", "abcd"));
  EXPECT_TRUE(EqualsIgnoreAsciiCase("\x83" "a", "\x83" "a"));
  EXPECT_FALSE(EqualsIgnoreAsciiCase("\x83" "a", "\x83" "A"));
  EXPECT_TRUE(StartsWithIgnoreAsciiCase("/GAME/Scene/a", "/game/"));
  EXPECT_FALSE(StartsWithIgnoreAsciiCase("/ga", "/game/"));
}

class FindFileOnDiskTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(folder_.path().empty());
    folder_.Write("Scene/Sub/File.TXT", "file");
    folder_.Write("exact.txt", "lower");
    folder_.Write("Exact.txt", "mixed");
    folder_.MakeFolder("Dir.txt");
    folder_.Write("Mixed/other.txt", "other");
    folder_.Write("mixed/only.txt", "only");
    ASSERT_EQ(mkfifo((folder_.path() + "pipe").c_str(), 0600), 0);
  }

  // The found path relative to the folder, or "<none>".
  std::string Find(const std::string& name) {
    std::string found;
    if (!FindFileOnDisk(folder_.path() + name, found)) return "<none>";
    return found.substr(0, folder_.path().size()) == folder_.path() ? found.substr(folder_.path().size())
                                                                    : "<outside> " + found;
  }

  TempFolder folder_;
};

TEST_F(FindFileOnDiskTest, MatchesEachComponentWithoutCaseRegularFilesOnly) {
  struct Case {
    const char* name;
    const char* expected;
  };
  const Case cases[] = {
      {"Scene/Sub/File.TXT", "Scene/Sub/File.TXT"},
      {"scene/sub/file.txt", "Scene/Sub/File.TXT"},
      {"SCENE\\SUB\\FILE.TXT", "Scene/Sub/File.TXT"},
      {"scene//sub/./../Sub/file.txt", "Scene/Sub/File.TXT"},
      {"exact.txt", "exact.txt"},
      {"Exact.txt", "Exact.txt"},
      {"EXACT.TXT", "Exact.txt"},  // of several, the first in byte order
      {"dir.txt", "<none>"},
      {"Dir.txt", "<none>"},
      {"scene/sub", "<none>"},
      {"scene/sub/", "<none>"},
      {"MIXED/ONLY.TXT", "mixed/only.txt"},  // the folder that holds the file
      {"mixed/other.txt", "Mixed/other.txt"},
      {"pipe", "<none>"},
      {"PIPE", "<none>"},
      {"missing.txt", "<none>"},
      {"scene/sub/file.txt/x", "<none>"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Find(c.name), c.expected) << "name: " << c.name;
  }
}

TEST_F(FindFileOnDiskTest, SeesFilesMadeAfterTheFolderWasListed) {
  EXPECT_EQ(Find("scene/new.txt"), "<none>");
  folder_.Write("Scene/New.TXT", "1");
  EXPECT_EQ(Find("scene/new.txt"), "Scene/New.TXT");
  std::filesystem::remove(folder_.path() + "Scene/New.TXT");
  folder_.Write("Scene/NEW.txt", "2");
  EXPECT_EQ(Find("scene/new.txt"), "Scene/NEW.txt");
  DropDirectoryCache();
  EXPECT_EQ(Find("SCENE/NEW.TXT"), "Scene/NEW.txt");
}

TEST_F(FindFileOnDiskTest, OpensTheFoundFileWithItsSize) {
  std::uint64_t size = 0;
  FilePtr file = OpenContentFile(folder_.path() + "scene\\SUB\\file.txt", &size);
  ASSERT_TRUE(file);
  EXPECT_EQ(size, 4u);
  char bytes[8] = {};
  EXPECT_EQ(std::fread(bytes, 1, sizeof bytes, file.get()), 4u);
  EXPECT_STREQ(bytes, "file");
  EXPECT_FALSE(OpenContentFile(folder_.path() + "pipe"));
  EXPECT_FALSE(OpenContentFile(folder_.path() + "dir.txt"));
}

TEST(ProgramDirTest, IsTheExecutablesFolderUnlessSet) {
  std::string dir = ProgramDir();
  ASSERT_FALSE(dir.empty());
  EXPECT_EQ(dir.back(), '/');
  EXPECT_EQ(access((dir + "system_tests").c_str(), X_OK), 0) << dir;
  SetProgramDir("/some/where");
  EXPECT_EQ(ProgramDir(), "/some/where/");
  SetProgramDir("/other/");
  EXPECT_EQ(ProgramDir(), "/other/");
  SetProgramDir("");
  EXPECT_EQ(ProgramDir(), dir);
}

}  // namespace
