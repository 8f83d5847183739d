#include "platform/system/content_path.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "platform/system/shift_jis.h"
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
    return FindFileOnDisk(folder_.path() + name, found) ? Relative(found) : "<none>";
  }
  std::string Relative(const std::string& path) const {
    return path.compare(0, folder_.path().size(), folder_.path()) == 0 ? path.substr(folder_.path().size())
                                                                       : "<outside> " + path;
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

// Names on the disk as a Windows game unpacked on Linux has them (UTF-8), as
// copied byte for byte (Shift-JIS), and both.
class JapaneseNamesOnDiskTest : public FindFileOnDiskTest {
 protected:
  void SetUp() override {
    ASSERT_FALSE(folder_.path().empty());
    folder_.Write("ステージ.scn", "utf8");
    folder_.Write("表/キャラ.txt", "utf8");
    folder_.Write("\x83\x82\x83\x66\x83\x8B.X", "sjis");
    folder_.Write("\x97\xBC\x95\xFB.txt", "sjis");
    folder_.Write("両方.txt", "utf8");
    folder_.Write("ミA.txt", "utf8");
    folder_.Write("\x85\x40.txt", "bad");
    folder_.Write("\xEF\xBF\xBD" "A.txt", "replacement");
    folder_.Write("\x83\x4C\x83\x83\x83\x89/ステージ.scn", "mixed");
    folder_.Write("\x89\xB9/b.txt", "sjis");
    folder_.Write("音/a.txt", "utf8");
    folder_.Write("data/x.txt", "ascii");
  }
};

TEST_F(JapaneseNamesOnDiskTest, FindsEachComponentByItsBytesOrItsUtf8Form) {
  for (const auto& row : ReadTableRows(kTables / "japanese_names.rows", 3, 20)) {
    const std::string name = folder_.path() + row[1];
    const std::string found = row[0] == "find" ? Find(row[1]) : Relative(DiskPathToWrite(name));
    EXPECT_EQ(found, row[2]) << row[0] << " " << ShiftJisToUtf8(row[1]);
  }
}

// Both forms of a name present: the reads and the write meet in one file.
TEST_F(JapaneseNamesOnDiskTest, OpeningReadsTheFileTheWriterWouldReplace) {
  const std::string name = folder_.path() + "\x97\xBC\x95\xFB.txt";
  std::uint64_t size = 0;
  ASSERT_TRUE(OpenContentFile(name, &size));
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(Relative(DiskPathToWrite(name)), "\x97\xBC\x95\xFB.txt");
}

// Games beside their twins: a folder differing only in case, a game unpacked
// twice in both encodings, "Downloads" beside "downloads"; and a folder name
// that holds a backslash.
class ProgramFolderOnDiskTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(folder_.path().empty());
    folder_.Write("MyGame/RootScenairo.csc", "own");
    folder_.Write("MyGame/models/b.x", "own");
    folder_.Write("mygame/stage.scn", "twin");
    folder_.Write("mygame/Models/a.x", "twin");
    folder_.Write("mygame/Sounds/s.wav", "twin");
    folder_.Write("\x83\x51\x81\x5B\x83\x80/RootScenairo.csc", "own");
    folder_.Write("ゲーム/stage.scn", "twin");
    folder_.Write("Downloads/game/root.csc", "own");
    folder_.Write("downloads/game/stage.scn", "twin");
    folder_.Write("back\\slash/x.txt", "own");
    folder_.Write("back\\slash/Sub/y.txt", "own");
    folder_.Write("back/slash/x.txt", "other");
  }
  void TearDown() override { SetProgramDir(""); }

  TempFolder folder_;
};

TEST_F(ProgramFolderOnDiskTest, OnlyTheContentsNameIsMatchedLoosely) {
  for (const auto& row : ReadTableRows(kTables / "program_folder.rows", 4, 18)) {
    SetProgramDir(folder_.path() + row[1]);
    const std::string name = ProgramDir() + row[2];
    std::string found = "<none>";
    if (row[0] == "write") {
      found = DiskPathToWrite(name);
    } else if (!FindFileOnDisk(name, found)) {
      found = "<none>";
    }
    if (found.rfind(folder_.path(), 0) == 0) found.erase(0, folder_.path().size());
    EXPECT_EQ(found, row[3]) << row[0] << " " << row[1] << " " << row[2];
  }
}

// The system's name bounds count what the content names, never the folder
// the game stands in.
TEST(ContentNameLengthTest, CountsOnlyWhatFollowsTheProgramFolder) {
  const std::string deep = "/" + std::string(300, 'd') + "/";
  SetProgramDir(deep);
  EXPECT_EQ(ContentNameLength(deep + "scenes\\a.scn"), 12u);
  EXPECT_EQ(ContentNameLength(deep), 0u);
  EXPECT_EQ(ContentNameLength("/elsewhere/a.scn"), 16u);
  SetProgramDir("");
}

// Climbs and links out of a game are the object class's conversion cases;
// here what the walk meets on the way.
TEST(LiesInsideFolderTest, ResolvesWhatExistsAndRefusesWhatDoesNotResolve) {
  TempFolder folder;
  ASSERT_FALSE(folder.path().empty());
  const std::string game = folder.MakeFolder("game") + "/";
  folder.Write("game/file", "x");
  ASSERT_EQ(symlink("/nonexistent/t3d", (game + "dangling").c_str()), 0);
  ASSERT_EQ(symlink("loop", (game + "loop").c_str()), 0);
  ASSERT_EQ(symlink(game.c_str(), (folder.path() + "game-link").c_str()), 0);
  const std::pair<std::string, bool> cases[] = {
      {game + "missing/deeper/a.x", true},
      {folder.path() + "game-link/a.x", true},  // the folder named through a link
      {game, false},                            // the folder itself
      {game + "dangling/a.x", false},
      {game + "loop/a.x", false},
      {game + "file/a.x", false},  // a file on the way
  };
  for (const auto& [path, inside] : cases) EXPECT_EQ(LiesInsideFolder(path, game), inside) << path;
  EXPECT_TRUE(LiesInsideFolder(game + "a.x", folder.path() + "game-link"));
  EXPECT_FALSE(LiesInsideFolder(game + "a.x", folder.path() + "missing"));
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
