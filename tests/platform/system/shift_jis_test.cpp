#include "platform/system/shift_jis.h"

#include <gtest/gtest.h>

namespace {

TEST(ShiftJis, LeadBytesAreTheFixedCp932Ranges) {
  for (int c = 0; c < 256; ++c) {
    bool expected = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
    EXPECT_EQ(IsShiftJisLeadByte(static_cast<unsigned char>(c)), expected) << c;
  }
}

TEST(ShiftJis, ConvertsBothWaysAndBadBytesBecomeReplacements) {
  enum Ways { kBoth, kToUtf8, kToShiftJis };
  std::string longSjis, longUtf8;
  for (int i = 0; i < 2000; ++i) {
    longSjis += "\x82\xA0x";  // hiragana a
    longUtf8 += "\xE3\x81\x82x";
  }
  struct Case {
    std::string sjis, utf8;
    Ways ways;
  } cases[] = {
      {"", "", kBoth},
      {"abc 123", "abc 123", kBoth},
      {"\x90\xB3\x8F\xED", "\xE6\xAD\xA3\xE5\xB8\xB8", kBoth},  // two kanji
      {"\x83\x5C", "\xE3\x82\xBD", kBoth},                      // trail byte equal to a backslash
      {"a\\b", "a\\b", kBoth},                                  // backslash stays a backslash
      {"\xB1", "\xEF\xBD\xB1", kBoth},                          // half-width katakana
      {longSjis, longUtf8, kBoth},
      // A lone lead byte at the end, an invalid trail byte, a NUL.
      {"ab\x81", "ab\xEF\xBF\xBD", kToUtf8},
      {"\x81 z", "\xEF\xBF\xBD z", kToUtf8},
      {std::string("x\0y", 3), std::string("x\0y", 3), kToUtf8},
      // Invalid UTF-8 and characters CP932 lacks become '?'.
      {"a?b", "a\xFF" "b", kToShiftJis},
      {"?!", "\xF0\x9F\x98\x80!", kToShiftJis},  // an emoji
      {"?", "\xE6\xAD", kToShiftJis},            // cut sequence
  };
  for (const Case& c : cases) {
    if (c.ways != kToShiftJis) {
      EXPECT_EQ(ShiftJisToUtf8(c.sjis), c.utf8) << c.sjis.substr(0, 20);
    }
    if (c.ways != kToUtf8) {
      EXPECT_EQ(Utf8ToShiftJis(c.utf8), c.sjis) << c.utf8.substr(0, 20);
    }
  }
}

}  // namespace
