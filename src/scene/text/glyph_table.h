// Glyph tables of the bitmap fonts: the glyph record, the table sorted by
// code with its look-up and text measure, the Shift-JIS step that drawing and
// measuring share, and the grid table of the system font. Used by the scene's
// character sets, the script classes that measure with them and the renderer.
#pragma once

#include <cstdint>
#include <vector>

// Texel rectangle of one character in its font's texture; width is
// right - left, height bottom - top.
struct Glyph {
  std::uint16_t code = 0;
  std::int32_t left = 0, top = 0, right = 0, bottom = 0;
  std::int32_t extra = 0;  // added to the advance before the glyph

  // Modulo 2^32, as the file's sums were made: a forged rectangle never
  // overflows.
  std::int32_t Width() const { return Wrapped(right, left); }
  std::int32_t Height() const { return Wrapped(bottom, top); }
  static std::int32_t Wrapped(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) - static_cast<std::uint32_t>(b));
  }
};

// One character of NUL-terminated Shift-JIS text: a lead byte and the byte
// after it make one code, lead byte high; any other byte is its own code
// 0..255 (the unsigned reading, for character-set files and drawing alike).
// A lead byte right before the NUL gives lead << 8 and a length of 1, so no
// walk ever steps over the terminator.
struct TextCharacter {
  std::uint16_t code = 0;
  int length = 0;  // bytes; 0 at the NUL
};
TextCharacter ReadTextCharacter(const char* text);

// A font's glyphs sorted by code. Codes a table lacks are drawn and measured
// as its first glyph; an empty table draws and measures nothing.
class GlyphTable {
 public:
  GlyphTable() = default;
  // Sorted here; of two glyphs with one code, the earlier one is found.
  explicit GlyphTable(std::vector<Glyph> glyphs);

  bool Empty() const { return glyphs_.empty(); }
  int Count() const { return static_cast<int>(glyphs_.size()); }
  const std::vector<Glyph>& Glyphs() const { return glyphs_; }
  // The glyph's index, or -1.
  int FindGlyph(std::uint16_t code) const;
  // The code's glyph, else glyph 0. Only on a table that is not empty.
  const Glyph& GlyphFor(std::uint16_t code) const;
  // The text's width: extra advance plus width of every character up to the
  // NUL, line breaks measured as characters like any other; 0 when empty.
  float GetCharacterLength(const char* text) const;

 private:
  std::vector<Glyph> glyphs_;
};

// Glyphs for codes 0 .. min(n, 128) - 1 in cells of cellWidth x cellHeight,
// `columns` to a row; right and bottom are inclusive edges, so a cell of 8
// spans left to left + 7. Returns the number made.
int MakeGridGlyphTable(Glyph* glyphs, int n, int cellWidth, int cellHeight, int columns);
