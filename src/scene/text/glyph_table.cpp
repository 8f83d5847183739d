// Glyph tables: sorting, look-up, measuring, and the grid table.
#include "scene/text/glyph_table.h"

#include <algorithm>
#include <cassert>

#include "platform/system/shift_jis.h"

namespace {

// The table covers the 7-bit codes only, whatever the caller asks.
constexpr int kMaxGridGlyphs = 128;

bool CodeBefore(const Glyph& a, const Glyph& b) { return a.code < b.code; }

}  // namespace

TextCharacter ReadTextCharacter(const char* text) {
  const auto lead = static_cast<unsigned char>(text[0]);
  if (lead == 0) return {0, 0};
  if (!IsShiftJisLeadByte(lead)) return {lead, 1};
  const auto trail = static_cast<unsigned char>(text[1]);
  return {static_cast<std::uint16_t>(lead << 8 | trail), trail == 0 ? 1 : 2};
}

GlyphTable::GlyphTable(std::vector<Glyph> glyphs) : glyphs_(std::move(glyphs)) {
  std::stable_sort(glyphs_.begin(), glyphs_.end(), CodeBefore);
}

int GlyphTable::FindGlyph(std::uint16_t code) const {
  Glyph key;
  key.code = code;
  const auto it = std::lower_bound(glyphs_.begin(), glyphs_.end(), key, CodeBefore);
  return it != glyphs_.end() && it->code == code ? static_cast<int>(it - glyphs_.begin()) : -1;
}

const Glyph& GlyphTable::GlyphFor(std::uint16_t code) const {
  assert(!glyphs_.empty());
  const int index = FindGlyph(code);
  return glyphs_[index < 0 ? 0 : static_cast<std::size_t>(index)];
}

float GlyphTable::GetCharacterLength(const char* text) const {
  if (glyphs_.empty()) return 0.0f;
  float length = 0.0f;
  for (TextCharacter c = ReadTextCharacter(text); c.length != 0; c = ReadTextCharacter(text += c.length)) {
    const Glyph& glyph = GlyphFor(c.code);
    length += static_cast<float>(glyph.extra) + static_cast<float>(glyph.Width());
  }
  return length;
}

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
