#include "platform/system/numbers.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/case_files.h"

namespace {

const std::filesystem::path kTables = std::filesystem::path(T3D_SOURCE_DIR) / "tests/platform/system/tables";

TEST(Numbers, ReadDecimalReadsLikeTheStandardConversion) {
  for (const auto& row : ReadTableRows(kTables / "read_decimal.rows", 3, 20)) {
    const char* text = row[0].c_str();
    const char* end = nullptr;
    const double value = ReadDecimal(text, &end);
    const double expected = std::strtod(row[1].c_str(), nullptr);
    EXPECT_EQ(value, expected) << text;
    EXPECT_EQ(std::signbit(value), std::signbit(expected)) << text;
    EXPECT_EQ(end - text, std::stoi(row[2])) << text;
  }
  EXPECT_EQ(ReadDecimal("3.25"), 3.25);  // end may be null
}

TEST(Numbers, IntegerReadersSaturateAt32Bits) {
  for (const auto& row : ReadTableRows(kTables / "read_integer.rows", 4, 20)) {
    const char* text = row[1].c_str();
    const char* end = nullptr;
    const std::int64_t value = row[0] == "hex" ? std::int64_t{ReadHex32(text, &end)} : ReadDecimalInt32(text, &end);
    EXPECT_EQ(value, std::stoll(row[2], nullptr, 0)) << text;
    EXPECT_EQ(end - text, std::stoi(row[3])) << text;
  }
}

TEST(Numbers, TruncateToInt32IsDefinedEverywhere) {
  for (const auto& row : ReadTableRows(kTables / "truncate.rows", 2, 14))
    EXPECT_EQ(TruncateToInt32(std::strtod(row[0].c_str(), nullptr)), std::stoi(row[1])) << row[0];
}

}  // namespace
