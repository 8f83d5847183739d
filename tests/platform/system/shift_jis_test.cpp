#include "platform/system/shift_jis.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/case_files.h"

namespace {

const std::filesystem::path kTables = std::filesystem::path(T3D_SOURCE_DIR) / "tests/platform/system/tables";

TEST(ShiftJis, LeadBytesAreTheFixedCp932Ranges) {
  for (int c = 0; c < 256; ++c) {
    bool expected = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
    EXPECT_EQ(IsShiftJisLeadByte(static_cast<unsigned char>(c)), expected) << c;
  }
}

TEST(ShiftJis, ConvertsBothWaysAndBadBytesBecomeReplacements) {
  auto rows = ReadTableRows(kTables / "shift_jis.rows", 3, 12);
  std::vector<std::string> longText = {"both", "", ""};
  for (int i = 0; i < 2000; ++i) {
    longText[1] += "\x82\xA0x";  // hiragana a
    longText[2] += "\xE3\x81\x82x";
  }
  rows.push_back(longText);
  for (const auto& row : rows) {
    if (row[0] != "to-sjis") {
      EXPECT_EQ(ShiftJisToUtf8(row[1]), row[2]) << row[1].substr(0, 20);
      // The exact form exists only where nothing had to be replaced.
      std::string exact = "unchanged";
      const bool clean = row[2].find("\xEF\xBF\xBD") == std::string::npos;
      EXPECT_EQ(ShiftJisToUtf8Exact(row[1], exact), clean) << row[1].substr(0, 20);
      EXPECT_EQ(exact, clean ? row[2] : "unchanged") << row[1].substr(0, 20);
    }
    if (row[0] != "to-utf8") {
      EXPECT_EQ(Utf8ToShiftJis(row[2]), row[1]) << row[2].substr(0, 20);
    }
  }
}

TEST(ShiftJis, FolderOfPathEndsAtTheLastSeparatorOutsideACharacter) {
  for (const auto& row : ReadTableRows(kTables / "folders.rows", 2, 12)) {
    EXPECT_EQ(FolderOfPath(row[0]), row[1]) << row[0];
  }
}

}  // namespace
