// Script values: the number-to-text rule, number strings, and copies that own
// their own text.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "script/value.h"

namespace {

TEST(NumberToText, FollowsTheTenDigitRule) {
  const struct {
    double value;
    const char* text;
  } cases[] = {
      {3, "3"},
      {-2.5, "-2.5"},
      {0.1, "0.1"},
      {100, "100"},
      {0.5, "0.5"},
      {1.0 / 3, "0.3333333333"},
      {2.0 / 3, "0.6666666667"},
      {1234567890, "1234567890"},
      {9999999999.4, "9999999999"},
      {9999999999.5, "1.e+010"},  // rounding carries into the next exponent
      {12345678901, "1.23456789e+010"},
      {1e10, "1.e+010"},
      {0.05, "5.e-002"},
      {-0.001, "-1.e-003"},
      {0.099999999999, "0.1"},
      {1.5e-300, "1.5e-300"},
      {4294967295.0, "4294967295"},
      {9999999999.0, "9999999999"},
      {-9999999999.0, "-9999999999"},
      {-7, "-7"},
      {1e9, "1000000000"},
      {0, "0"},
      {-0.0, "0"},
      {std::numeric_limits<double>::infinity(), "1.#INF"},
      {-std::numeric_limits<double>::infinity(), "-1.#INF"},
      {std::nan(""), "-1.#IND"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.text, NumberToText(c.value)) << c.value;
}

TEST(IsNumberString, AcceptsOnlyPlainDecimals) {
  for (const char* yes : {"", "-", "+", ".", "12", " 12", "\t-1.5", "3.", ".5", "007"})
    EXPECT_TRUE(IsNumberString(yes)) << '"' << yes << '"';
  for (const char* no : {"12 ", "1e5", "0x10", "1,5", "1.2.3", "--1", "a", "1a", "+ 1"})
    EXPECT_FALSE(IsNumberString(no)) << '"' << no << '"';
}

TEST(ScriptValue, CopiesOwnTheirText) {
  ScriptValue a;
  a.SetString("first");
  ScriptValue b;
  b.Assign(a);
  a.SetString("second");
  EXPECT_STREQ("first", b.text);
  a.Clear();
  EXPECT_STREQ("first", b.text);
  b.Assign(b);
  EXPECT_STREQ("first", b.text);
  b.SetString(b.text + 1);  // from its own text
  EXPECT_STREQ("irst", b.text);
  ScriptValue moved(std::move(b));
  EXPECT_STREQ("irst", moved.text);
  EXPECT_EQ(SVT_None, b.type);  // NOLINT: a moved-from value is None
}

TEST(ScriptValue, NonTextValuesCopyFieldByField) {
  ScriptValue ref;
  ref.SetReference(kStorageLocal, 5);
  ScriptValue copy;
  copy.SetString("replaced");
  copy.Assign(ref);
  EXPECT_EQ(SVT_Reference, copy.type);
  EXPECT_EQ(kStorageLocal, copy.ref.kind);
  EXPECT_EQ(5, copy.ref.index);
}

}  // namespace
