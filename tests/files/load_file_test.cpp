#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <string>
#include <vector>

#include "files/archive.h"
#include "files/archive_writer.h"
#include "platform/system/content_path.h"
#include "support/case_files.h"

namespace {

class LoadFileTest : public ProgramFolderTest {
 protected:
  // The loaded text, "<missing>" when LoadFile fails. Checks the NUL after it.
  std::string Load(const std::string& name) {
    FileData data;
    if (!manager_.LoadFile(name, data)) return "<missing>";
    EXPECT_EQ(data.data()[data.size()], '\0') << name;
    return std::string(data.view());
  }

  ArchiveManager manager_;
};

TEST_F(LoadFileTest, ArchivesShadowTheDiskForTheirFolderAndBelow) {
  folder_.Write("Data.dat", BuildTestArchive({{"SCENE\\A.TXT", "from Data.dat"},
                                              {"SCENE\\BROKEN.TXT", "x", 0xFFFFFFFFu}, {"EMPTY.TXT", ""}}));
  folder_.Write("sub/Pack.dat", BuildTestArchive({{"X.TXT", "from Pack.dat"}, {"SCENE\\A.TXT", "hidden by Data.dat"}}));
  folder_.Write("Later.dat",
                BuildTestArchive({{"SCENE\\A.TXT", "hidden by Data.dat"}, {"SCENE\\B.TXT", "from Later.dat"}}));
  folder_.Write("scene/a.txt", "from the disk");
  folder_.Write("scene/broken.txt", "from the disk");
  folder_.Write("Scene/Disk Only.txt", "disk only");
  folder_.Write("x.txt", "outside sub");
  folder_.Write("sub/y.txt", "beside Pack.dat");
  folder_.Write("zero.txt", "");
  ASSERT_TRUE(manager_.AddArchiveFile("Data.dat"));
  ASSERT_TRUE(manager_.AddArchiveFile("SUB\\pack.dat"));
  ASSERT_TRUE(manager_.AddArchiveFile("Later.dat"));

  std::string upper = folder_.path();
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  const std::string& dir = folder_.path();
  for (const auto& row : ReadTableRows(std::filesystem::path(T3D_SOURCE_DIR) / "tests/files/tables/lookups.rows")) {
    ASSERT_EQ(row.size(), 3u) << row[0];
    const std::string name = row[0].starts_with("UPPER/") ? upper + row[0].substr(6) : dir + row[0];
    EXPECT_EQ(Load(name) + " " + std::to_string(manager_.GetFileSize(name)), row[1] + " " + row[2]) << name;
  }
  int slot = -1;
  int entry = -1;
  ASSERT_TRUE(manager_.Find(dir + "SUB/X.TXT", slot, entry));
  EXPECT_EQ(slot, 1);
  EXPECT_EQ(entry, 0);
}

// Names of one file (by case, by "..", by the other separator, by a link)
// give one identity; other files, an archive entry that shadows the disk,
// and the same file once rewritten give others; a missing file gives none.
TEST_F(LoadFileTest, EveryNameOfAFileGivesItsIdentityUntilTheFileChanges) {
  folder_.Write("Tex/Skin.png", "skin");
  folder_.Write("Tex/Other.png", "other");
  folder_.Write("Pack.dat", BuildTestArchive({{"SHADOW.PNG", "in the archive"}}));
  folder_.Write("shadow.png", "on the disk");
  ASSERT_TRUE(manager_.AddArchiveFile("Pack.dat"));
  std::filesystem::create_symlink(folder_.path() + "Tex/Skin.png", folder_.path() + "link.png");
  const std::string dir = folder_.path();
  const std::string skin = manager_.FileIdentity(dir + "Tex/Skin.png");
  const std::string archived = manager_.FileIdentity(dir + "shadow.png");
  EXPECT_EQ(skin.rfind("disk ", 0), 0u) << skin;
  EXPECT_EQ(archived.rfind("archive ", 0), 0u) << archived;
  const struct {
    std::string name;
    std::string identity;
  } rows[] = {
      {"tex/skin.PNG", skin},
      {"Tex\\Skin.png", skin},
      {"Tex/../tex/./Skin.png", skin},
      {"link.png", skin},
      {"Tex/Other.png", manager_.FileIdentity(dir + "Tex/Other.png")},
      {"SHADOW.png", archived},
      {"Tex/Missing.png", ""},
  };
  for (const auto& row : rows) EXPECT_EQ(manager_.FileIdentity(dir + row.name), row.identity) << row.name;
  EXPECT_NE(manager_.FileIdentity(dir + "Tex/Other.png"), skin);
  folder_.Write("Tex/Skin.png", "skin, redrawn");
  EXPECT_NE(manager_.FileIdentity(dir + "Tex/Skin.png"), skin);
  EXPECT_NE(manager_.FileIdentity(dir + "Tex/Skin.png"), "");
}

TEST_F(LoadFileTest, SixteenSlotsAndFailedAddsUseNone) {
  folder_.Write("Bad.dat", "not an archive");
  EXPECT_FALSE(manager_.AddArchiveFile("Bad.dat"));
  EXPECT_FALSE(manager_.AddArchiveFile("Startup.dat"));
  for (int i = 0; i < kArchiveSlotCount; ++i) {
    std::string name = "A" + std::to_string(i) + ".dat";
    folder_.Write(name, BuildTestArchive({{"N" + std::to_string(i), "slot " + std::to_string(i)}}));
    EXPECT_TRUE(manager_.AddArchiveFile(name)) << name;
  }
  folder_.Write("A16.dat", BuildTestArchive({}));
  EXPECT_FALSE(manager_.AddArchiveFile("A16.dat"));
  for (int i = 0; i < kArchiveSlotCount; ++i) {
    EXPECT_EQ(manager_.GetArchive(i).GetPath(), folder_.path() + "A" + std::to_string(i) + ".dat");
  }
  EXPECT_EQ(Load(folder_.path() + "n15"), "slot 15");
  manager_.CloseAll();
  EXPECT_EQ(Load(folder_.path() + "n15"), "<missing>");
}

TEST_F(LoadFileTest, FailedLoadLeavesTheBufferAsItWas) {
  FileData data;
  data.Assign("kept");
  EXPECT_FALSE(manager_.LoadFile(folder_.path() + "missing.txt", data));
  EXPECT_EQ(data.view(), "kept");
  folder_.Write("text.txt", std::string("a\0b", 3));
  ASSERT_TRUE(manager_.LoadFile(folder_.path() + "text.txt", data));
  EXPECT_EQ(data.view(), std::string("a\0b", 3));
  EXPECT_EQ(data.data()[3], '\0');
  // The program-wide entry point reads through the same lookup.
  folder_.Write("Global.txt", "global");
  ASSERT_TRUE(LoadFile(GetProgramDir() + "global.txt", data));
  EXPECT_EQ(data.view(), "global");
}

TEST_F(LoadFileTest, ReadFileNeedsRoomForTheWholeDiskFile) {
  folder_.Write("five.txt", "12345");
  char buffer[8] = {};
  EXPECT_FALSE(manager_.ReadFile(folder_.path() + "five.txt", buffer, 4));
  EXPECT_TRUE(manager_.ReadFile(folder_.path() + "FIVE.TXT", buffer, 5));
  EXPECT_EQ(std::string(buffer, 5), "12345");
}

// A 260-character buffer once cut such paths, and the cut path named another
// existing file.
TEST_F(LoadFileTest, LongPathsAreNeverCut) {
  std::string name = std::string(100, 'd') + "/" + std::string(100, 'e') + "/" + std::string(100, 'f') + ".txt";
  std::string full = folder_.path() + name;
  ASSERT_GT(full.size(), 260u);
  folder_.Write(name, "the long one");
  folder_.Write(full.substr(folder_.path().size(), 259 - folder_.path().size()), "the cut one");
  EXPECT_EQ(Load(full), "the long one");
  folder_.Write(std::string(100, 'd') + "/Long.dat", BuildTestArchive({{"IN.TXT", "in the archive"}}));
  ASSERT_TRUE(manager_.AddArchiveFile(std::string(100, 'd') + "\\" + std::string(100, 'e') + "\\..\\Long.dat"));
  EXPECT_EQ(Load(folder_.path() + std::string(100, 'D') + "/in.txt"), "in the archive");
}

}  // namespace
