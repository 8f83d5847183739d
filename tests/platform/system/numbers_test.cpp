#include "platform/system/numbers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace {

TEST(Numbers, ReadDecimalReadsLikeTheStandardConversion) {
  struct Case {
    const char* text;
    double value;
    int consumed;
  } cases[] = {
      {"1.5e3", 1500.0, 5},
      {" -2", -2.0, 3},
      {"", 0.0, 0},
      {".", 0.0, 0},
      {"-", 0.0, 0},
      {"  +", 0.0, 0},
      {"e5", 0.0, 0},
      {"+.5", 0.5, 3},
      {"5.", 5.0, 2},
      {"1.5.3", 1.5, 3},
      {"1e", 1.0, 1},       // an exponent without digits is not read
      {"1e+", 1.0, 1},
      {"2E-2x", 0.02, 4},
      {"12ab", 12.0, 2},
      {"\t\n7", 7.0, 3},
      {"inf", 0.0, 0},      // no special forms
      {"nan", 0.0, 0},
      {"0x10", 0.0, 1},     // no hexadecimal form: reads the 0
      {"0.1", 0.1, 3},      // correctly rounded
      {"-0", -0.0, 2},
      {"1e999", std::numeric_limits<double>::infinity(), 5},
      {"-1e999", -std::numeric_limits<double>::infinity(), 6},
      {"1e-999", 0.0, 6},
      {"0.000e99999", 0.0, 11},
      {"123456789012345678901234567890", 1.2345678901234568e29, 30},
  };
  for (const Case& c : cases) {
    const char* end = nullptr;
    double value = ReadDecimal(c.text, &end);
    EXPECT_EQ(value, c.value) << c.text;
    EXPECT_EQ(std::signbit(value), std::signbit(c.value)) << c.text;
    EXPECT_EQ(end - c.text, c.consumed) << c.text;
  }
  EXPECT_EQ(ReadDecimal("3.25"), 3.25);  // end may be null
}

// The integer readers saturate; a sign, leading zeros and what follows the
// digits behave as in the standard conversions.
TEST(Numbers, IntegerReadersSaturateAt32Bits) {
  struct Case {
    bool hex;
    const char* text;
    std::int64_t value;
    int consumed;
  } cases[] = {
      {true, "ff", 0xFF, 2},
      {true, "0x1G", 1, 3},
      {true, "0XaBc", 0xABC, 5},
      {true, "  FF000000", 0xFF000000u, 10},
      {true, "FFFFFFFF", 0xFFFFFFFFu, 8},
      {true, "100000000", 0xFFFFFFFFu, 9},
      {true, "123456789ABCDEF0", 0xFFFFFFFFu, 16},
      {true, "00000000000000001", 1, 17},  // leading zeros do not saturate
      {true, "0x", 0, 1},                  // "0" read, "x" left
      {true, "g", 0, 0},
      {true, "", 0, 0},
      {true, "-1", 0xFFFFFFFFu, 2},
      {true, "-100000000", 0xFFFFFFFFu, 10},  // saturation wins over the sign
      {false, "42", 42, 2},
      {false, " -17x", -17, 4},
      {false, "+5", 5, 2},
      {false, "2147483647", 2147483647, 10},
      {false, "2147483648", 2147483647, 10},
      {false, "-2147483648", INT32_MIN, 11},
      {false, "-99999999999999999999", INT32_MIN, 21},
      {false, "1.5", 1, 1},
      {false, "-", 0, 0},
      {false, "x", 0, 0},
      {false, "", 0, 0},
  };
  for (const Case& c : cases) {
    const char* end = nullptr;
    const std::int64_t value = c.hex ? std::int64_t{ReadHex32(c.text, &end)} : ReadDecimalInt32(c.text, &end);
    EXPECT_EQ(value, c.value) << c.text;
    EXPECT_EQ(end - c.text, c.consumed) << c.text;
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
