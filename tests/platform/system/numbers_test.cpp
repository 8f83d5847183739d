#include "platform/system/numbers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "support/case_files.h"

namespace {

std::vector<std::vector<std::string>> Rows(const char* name, std::size_t fields) {
  auto rows = ReadTableRows(std::filesystem::path(T3D_SOURCE_DIR) / "tests/platform/system/tables" / name);
  EXPECT_GT(rows.size(), 20u) << name;
  for (const auto& row : rows) EXPECT_EQ(row.size(), fields) << name << ": " << row[0];
  return rows;
}

TEST(Numbers, ReadDecimalReadsLikeTheStandardConversion) {
  for (const auto& row : Rows("read_decimal.rows", 3)) {
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
  for (const auto& row : Rows("read_integer.rows", 4)) {
    const char* text = row[1].c_str();
    const char* end = nullptr;
    const std::int64_t value = row[0] == "hex" ? std::int64_t{ReadHex32(text, &end)} : ReadDecimalInt32(text, &end);
    EXPECT_EQ(value, std::stoll(row[2], nullptr, 0)) << text;
    EXPECT_EQ(end - text, std::stoi(row[3])) << text;
  }
}

TEST(Numbers, TruncateToInt32IsDefinedEverywhere) {
  struct Case {
    double value;
    std::int32_t expected;
  } cases[] = {
      {0.0, 0},
      {1.9, 1},
      {-1.9, -1},
      {2147483647.0, 2147483647},
      {2147483648.0, INT32_MIN},           // 2^31 keeps its bit pattern
      {4294967295.0, -1},                  // unsigned literal keeps its bits
      {4294967296.0, INT32_MIN},           // 2^32 is out of range
      {-2147483648.0, INT32_MIN},
      {-2147483648.5, INT32_MIN},          // truncates into range
      {-2147483649.0, INT32_MIN},          // -2^31-1 is out of range
      {1e300, INT32_MIN},
      {std::numeric_limits<double>::quiet_NaN(), INT32_MIN},
      {std::numeric_limits<double>::infinity(), INT32_MIN},
      {-std::numeric_limits<double>::infinity(), INT32_MIN},
  };
  for (const Case& c : cases) EXPECT_EQ(TruncateToInt32(c.value), c.expected) << c.value;
}

}  // namespace
