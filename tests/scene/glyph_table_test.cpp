// Glyph tables: look-up with glyph 0 for absent codes, text widths over
// one- and two-byte characters, and a text that ends inside a character.
#include <gtest/gtest.h>

#include <string>

#include "scene/text/glyph_table.h"

namespace {

Glyph G(std::uint16_t code, int width, int extra) { return {code, 0, 0, width, 16, extra}; }

TEST(GlyphTable, MeasuresEveryCharacterWithGlyphZeroForAbsentCodes) {
  // Given out of order: the table sorts, so glyph 0 is the lowest code, "!".
  const GlyphTable table({G('b', 10, 0), G(0x82A0, 16, 2), G('a', 8, 1), G('!', 3, 0), G(0xA6, 7, 0)});
  const struct {
    const char* name;
    std::string text;
    float length;
  } cases[] = {
      {"single bytes with extra advance", "ab", 9 + 10},
      {"two-byte character", "\x82\xA0" "a", 18 + 9},
      {"absent codes measure as glyph 0", "z\x82\xA1", 3 + 3},
      {"a high single byte is its own code", "\xA6", 7},
      {"line breaks are characters too", "a\nb", 9 + 3 + 10},
      {"lead byte before the NUL stands alone", "a\x82", 9 + 3},
      {"empty text", "", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(table.GetCharacterLength(c.text.c_str()), c.length) << c.name;
  EXPECT_EQ(table.FindGlyph('a'), 1);
  EXPECT_EQ(table.FindGlyph('c'), -1);
  EXPECT_EQ(table.GlyphFor('c').code, '!');
  EXPECT_EQ(GlyphTable().GetCharacterLength("abc"), 0.0f);
  EXPECT_EQ(GlyphTable().FindGlyph('a'), -1);
}

}  // namespace
