#include "platform/system/terminal_text.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <filesystem>
#include <string>

#include "support/case_files.h"

namespace {

const std::filesystem::path kTables = std::filesystem::path(T3D_SOURCE_DIR) / "tests/platform/system/tables";

TEST(TerminalText, ShowsContentAndDiskNamesInUtf8WithEveryControlWrittenOut) {
  for (const auto& row : ReadTableRows(kTables / "terminal_text.rows", 3, 24)) {
    if (row[0] != "disk") {
      EXPECT_EQ(ContentTextForTerminal(row[1]), row[2]) << row[1];
    }
    if (row[0] != "content") {
      EXPECT_EQ(DiskTextForTerminal(row[1]), row[2]) << row[1];
    }
  }
}

// Whatever two bytes a name holds, no control byte and no C1 control
// reaches the terminal.
::testing::AssertionResult DrivesNoTerminal(const std::string& shown) {
  for (std::size_t i = 0; i < shown.size(); ++i) {
    const auto c = static_cast<unsigned char>(shown[i]);
    const bool c1 = c == 0xC2 && i + 1 < shown.size() && static_cast<unsigned char>(shown[i + 1]) < 0xA0;
    if (c < 0x20 || c == 0x7F || c1) return ::testing::AssertionFailure() << "byte " << int{c} << " at " << i;
  }
  return ::testing::AssertionSuccess();
}

TEST(TerminalText, NoPairOfBytesLeavesAControlUnescaped) {
  for (int first = 0; first < 256; ++first) {
    for (int second = 0; second < 256; ++second) {
      const std::string bytes{static_cast<char>(first), static_cast<char>(second)};
      EXPECT_TRUE(DrivesNoTerminal(ContentTextForTerminal(bytes))) << first << " " << second;
      EXPECT_TRUE(DrivesNoTerminal(DiskTextForTerminal(bytes))) << first << " " << second;
    }
  }
}

}  // namespace
