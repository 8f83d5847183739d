// The grid glyph table.
#include "scene/text/glyph_table.h"

namespace {

// The table covers the 7-bit codes only, whatever the caller asks.
constexpr int kMaxGridGlyphs = 128;

}  // namespace

int MakeGridGlyphTable(Glyph* glyphs, int n, int cellWidth, int cellHeight, int columns) {
  const int count = n < kMaxGridGlyphs ? n : kMaxGridGlyphs;
  for (int i = 0; i < count; ++i) {
    Glyph& g = glyphs[i];
    g.code = static_cast<std::uint16_t>(i);
    g.left = (i % columns) * cellWidth;
    g.top = (i / columns) * cellHeight;
    g.right = g.left + cellWidth - 1;
    g.bottom = g.top + cellHeight - 1;
    g.extra = 0;
  }
  return count > 0 ? count : 0;
}
