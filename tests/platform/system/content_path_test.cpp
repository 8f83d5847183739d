#include "platform/system/content_path.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/system/temp_folder.h"
#include "support/case_files.h"

namespace {

const std::filesystem::path kTables = std::filesystem::path(T3D_SOURCE_DIR) / "tests/platform/system/tables";

TEST(ContentPathTest, NormalizesSeparatorsDotsAndRepeats) {
  for (const auto& row : ReadTableRows(kTables / "normalize.rows", 2, 10))
    EXPECT_EQ(NormalizeContentPath(row[0]), row[1]) << "name: " << row[0];
}

TEST(ContentPathTest, CaseFoldingLeavesSecondBytesExact) {
  for (const auto& row : ReadTableRows(kTables / "case_folding.rows", 3, 7)) {
    const bool prefix = row[2] == "starts" || row[2] == "no-start";
    const bool same = prefix ? StartsWithIgnoreAsciiCase(row[0], row[1]) : EqualsIgnoreAsciiCase(row[0], row[1]);
    EXPECT_EQ(same, row[2] == "equal" || row[2] == "starts") << row[0] << " / " << row[1];
  }
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
  for (const auto& row : ReadTableRows(kTables / "find_on_disk.rows", 2, 10))
    EXPECT_EQ(Find(row[0]), row[1]) << "name: " << row[0];
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
  char bytes[8] = {};
  const std::size_t read = std::fread(bytes, 1, sizeof bytes, file.get());
  EXPECT_EQ(std::to_string(size) + " " + std::string(bytes, read), "4 file");
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
