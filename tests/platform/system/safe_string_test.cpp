#include "platform/system/safe_string.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <cstring>
#include <string>
#include <vector>

#include "support/case_files.h"

namespace {

const std::filesystem::path kTables = std::filesystem::path(T3D_SOURCE_DIR) / "tests/platform/system/tables";

TEST(SafeString, CopyAndCatKeepOnlyWhatFitsAndNeverWritePastTheBuffer) {
  for (const auto& row : ReadTableRows(kTables / "safe_copy.rows", 3, 9)) {
    char buffer[9];
    std::memset(buffer, 'X', sizeof buffer);
    const std::size_t size = std::stoul(row[1]);
    // The source in a block of its own size, so that the sanitizer sees a read past its end.
    const std::vector<char> source(row[0].c_str(), row[0].c_str() + row[0].size() + 1);
    SafeStrCopy(buffer, source.data(), size);
    EXPECT_EQ(std::string(buffer, size + 1), row[2] + "X") << row[0] << " size " << size;
  }
  for (const auto& row : ReadTableRows(kTables / "safe_cat.rows", 4, 7)) {
    char buffer[9];
    std::memset(buffer, 'X', sizeof buffer);
    std::memcpy(buffer, row[0].c_str(), row[0].size() + 1);
    const std::size_t size = std::stoul(row[2]);
    SafeStrCat(buffer, row[1].c_str(), size);
    EXPECT_STREQ(buffer, row[3].c_str()) << row[0] << " + " << row[1];
    EXPECT_EQ(buffer[size], 'X') << "wrote past the buffer";
  }
}

TEST(SafeString, UnterminatedOrZeroSizedBuffersAreNeverOverrun) {
  char buffer[5];
  std::memset(buffer, 'A', sizeof buffer);
  SafeStrCat(buffer, "z", sizeof buffer);
  EXPECT_EQ(std::string(buffer, 5), std::string("AAAA\0", 5));
  SafeStrCopy(buffer, "abc", 0);
  SafeStrCat(buffer, "abc", 0);
  EXPECT_EQ(std::string(buffer, 5), std::string("AAAA\0", 5));
}

}  // namespace
