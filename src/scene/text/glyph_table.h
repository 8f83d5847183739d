// A glyph of a bitmap font and the grid table of the system font. Used by
// the render resources and the character sets that draw text.
#pragma once

#include <cstdint>

// Texel rectangle of one character in its font's texture; width is
// right - left, height bottom - top.
struct Glyph {
  std::uint16_t code = 0;
  std::int32_t left = 0, top = 0, right = 0, bottom = 0;
  std::int32_t extra = 0;  // added to the advance before the glyph
};

// Glyphs for codes 0 .. min(n, 128) - 1 in cells of cellWidth x cellHeight,
// `columns` to a row; right and bottom are inclusive edges, so a cell of 8
// spans left to left + 7. Returns the number made.
int MakeGridGlyphTable(Glyph* glyphs, int n, int cellWidth, int cellHeight, int columns);
