#include "files/archive.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "files/archive_writer.h"
#include "support/case_files.h"

namespace {

const std::string kBinary("\x00\x01\xFE\xFF\x7F\x80 end", 10);

std::vector<TestArchiveEntry> SampleEntries() {
  return {
      {"SCENE\\A.TXT", "scene a"},
      {"B.BIN", kBinary},
      {"SCENE\\A.TXT", "shadowed duplicate"},
      {"\x95\\\\X.TXT", "double-byte folder"},
  };
}

std::vector<char> Bytes(const std::string& text) { return std::vector<char>(text.begin(), text.end()); }

// The entry's bytes through ReadEntry with room for exactly its size.
std::string ReadWhole(const Archive& archive, const std::string& name) {
  int index = archive.FindEntry(name);
  if (index < 0) return "<absent>";
  std::string bytes(archive.GetEntrySize(index), '?');
  if (!archive.ReadEntry(name, bytes.data(), bytes.size())) return "<unreadable>";
  return bytes;
}

using ArchiveTest = ProgramFolderTest;

TEST_F(ArchiveTest, OpensRelativeToTheProgramFolderAndReadsEntriesBack) {
  folder_.Write("data/Pack.dat", BuildTestArchive(SampleEntries()));
  Archive archive;
  ASSERT_TRUE(archive.Open("DATA\\pack.DAT"));
  EXPECT_TRUE(archive.IsOpen());
  EXPECT_EQ(archive.GetPath(), folder_.path() + "DATA/pack.DAT");
  EXPECT_EQ(archive.GetFolder(), folder_.path() + "DATA/");
  EXPECT_EQ(archive.GetVersion(), 0x0100);
  EXPECT_EQ(archive.GetEntryCount(), 4u);
  EXPECT_EQ(ReadWhole(archive, "scene/a.txt"), "scene a");
  EXPECT_EQ(ReadWhole(archive, "b.bin"), kBinary);
  EXPECT_EQ(ReadWhole(archive, "\x95\\/x.txt"), "double-byte folder");

  // A smaller buffer takes the start of the entry.
  char start[4] = {};
  EXPECT_TRUE(archive.ReadEntry("B.BIN", start, 3));
  EXPECT_EQ(std::string(start, 3), kBinary.substr(0, 3));

  archive.Close();
  EXPECT_FALSE(archive.IsOpen());
  EXPECT_EQ(archive.GetPath(), "");
  EXPECT_EQ(archive.GetFolder(), "");
  EXPECT_EQ(archive.FindEntry("scene/a.txt"), -1);
}

TEST_F(ArchiveTest, FindsEntryNamesInAnyCaseSeparatorAndDotDot) {
  Archive archive;
  ASSERT_TRUE(archive.OpenImage(folder_.path() + "Data.dat", Bytes(BuildTestArchive(SampleEntries()))));
  auto rows = ReadTableRows(std::filesystem::path(T3D_SOURCE_DIR) / "tests/files/tables/entry_names.rows");
  // 260 characters or more are never found.
  rows.push_back({std::string(251, 'x') + "/../b.bin", "-1"});
  rows.push_back({std::string(250, 'x') + "/../b.bin", "1"});
  for (const auto& row : rows) {
    ASSERT_EQ(row.size(), 2u) << row[0];
    EXPECT_EQ(archive.FindEntry(row[0]), std::stoi(row[1])) << row[0];
  }
}

TEST_F(ArchiveTest, RefusesArchivesWithBadHeaders) {
  struct Case {
    const char* name;
    std::string bytes;
  };
  const Case cases[] = {
      {"magic differs", BuildTestArchive(SampleEntries(), {.magic = std::string("TAVO Archive File\r\r\0", 20)})},
      {"magic without its NUL", BuildTestArchive(SampleEntries(), {.magic = "TAVO Archive File\r\nX"})},
      {"version 0x00FF", BuildTestArchive(SampleEntries(), {.version = 0x00FF})},
      {"directory shorter than its count", BuildTestArchive({{"A", ""}}, {.count = 5})},
      {"header cut short", BuildTestArchive(SampleEntries()).substr(0, 43)},
      {"empty file", ""},
  };
  for (const Case& c : cases) {
    folder_.Write("Bad.dat", c.bytes);
    Archive archive;
    EXPECT_FALSE(archive.Open("Bad.dat")) << c.name;
    EXPECT_FALSE(archive.IsOpen()) << c.name;
    EXPECT_EQ(archive.GetFolder(), "") << c.name;
    EXPECT_FALSE(archive.OpenImage("/x/Bad.dat", Bytes(c.bytes))) << c.name;
  }
  Archive archive;
  EXPECT_FALSE(archive.Open("Missing.dat"));
  folder_.MakeFolder("Folder.dat");
  EXPECT_FALSE(archive.Open("Folder.dat"));
  folder_.Write("Newer.dat", BuildTestArchive({}, {.version = 0x0200}));
  EXPECT_TRUE(archive.Open("Newer.dat"));
  EXPECT_EQ(archive.GetEntryCount(), 0u);
}

TEST_F(ArchiveTest, CorruptEntriesFailAloneWithoutOverrun) {
  std::vector<TestArchiveEntry> entries = {
      {"UNTERMINATED", "x", {}, {}, true},
      {"HUGE.TXT", "data", 0xFFFFFFFFu},
      {"FAR.TXT", "data", {}, 0x7FFFFFF0u},
      {"WRAPS.TXT", "data", 0x20u, 0xFFFFFFF0u},
      {"EMPTY.TXT", ""},
      {"GOOD.TXT", "good"},
      {"LONG.TXT", "data", 5u},  // one byte past the end of the file
  };
  std::string bytes = BuildTestArchive(entries);
  folder_.Write("Corrupt.dat", bytes);
  Archive fromDisk;
  ASSERT_TRUE(fromDisk.Open("Corrupt.dat"));
  Archive fromMemory;
  ASSERT_TRUE(fromMemory.OpenImage(folder_.path() + "Corrupt.dat", Bytes(bytes)));
  for (const Archive* archive : {&fromDisk, &fromMemory}) {
    std::string unterminated = "UNTERMINATED" + std::string(36, 'Z');
    EXPECT_EQ(archive->FindEntry(unterminated), -1);
    EXPECT_EQ(archive->FindEntry(unterminated + "HUGE.TXT"), -1);
    for (const char* name : {"HUGE.TXT", "FAR.TXT", "WRAPS.TXT", "LONG.TXT"}) {
      EXPECT_GE(archive->FindEntry(name), 0) << name;
      EXPECT_EQ(archive->GetEntrySize(name), 0u) << name;
      char buffer[64];
      EXPECT_FALSE(archive->ReadEntry(name, buffer, sizeof buffer)) << name;
    }
    EXPECT_EQ(archive->GetEntrySize("EMPTY.TXT"), 0u);
    EXPECT_EQ(ReadWhole(*archive, "good.txt"), "good");
  }
}

}  // namespace
