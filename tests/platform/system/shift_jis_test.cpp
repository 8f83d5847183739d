#include "platform/system/shift_jis.h"

#include <gtest/gtest.h>

namespace {

TEST(ShiftJis, LeadBytesAreTheFixedCp932Ranges) {
  for (int c = 0; c < 256; ++c) {
    bool expected = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
    EXPECT_EQ(IsShiftJisLeadByte(static_cast<unsigned char>(c)), expected) << c;
  }
}

TEST(ShiftJis, ConvertsBothWays) {
  struct Case {
    const char* sjis;
    const char* utf8;
  } cases[] = {
      {"", ""},
      {"abc 123", "abc 123"},
      {"\x90\xB3\x8F\xED", "\xE6\xAD\xA3\xE5\xB8\xB8"},  // two kanji
      {"\x83\x5C", "\xE3\x82\xBD"},                      // trail byte equal to a backslash
      {"a\\b", "a\\b"},                                  // backslash stays a backslash
      {"\xB1", "\xEF\xBD\xB1"},                          // half-width katakana
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ShiftJisToUtf8(c.sjis), c.utf8) << c.sjis;
    EXPECT_EQ(Utf8ToShiftJis(c.utf8), c.sjis) << c.utf8;
  }
}

TEST(ShiftJis, BadBytesBecomeReplacementsAndConversionGoesOn) {
  // A lone lead byte at the end, an invalid trail byte, and an undefined byte.
  EXPECT_EQ(ShiftJisToUtf8("ab\x81"), "ab\xEF\xBF\xBD");
  EXPECT_EQ(ShiftJisToUtf8("\x81 z"), "\xEF\xBF\xBD z");
  EXPECT_EQ(ShiftJisToUtf8(std::string_view("x\0y", 3)), std::string("x\0y", 3));
  // Invalid UTF-8 and characters CP932 lacks become '?'.
  EXPECT_EQ(Utf8ToShiftJis("a\xFF" "b"), "a?b");
  EXPECT_EQ(Utf8ToShiftJis("\xF0\x9F\x98\x80!"), "?!");  // an emoji
  EXPECT_EQ(Utf8ToShiftJis("\xE6\xAD"), "?");           // cut sequence
}

TEST(ShiftJis, LongTextConvertsWhole) {
  std::string sjis;
  std::string utf8;
  for (int i = 0; i < 2000; ++i) {
    sjis += "\x82\xA0x";  // hiragana a
    utf8 += "\xE3\x81\x82x";
  }
  EXPECT_EQ(ShiftJisToUtf8(sjis), utf8);
  EXPECT_EQ(Utf8ToShiftJis(utf8), sjis);
}

}  // namespace
