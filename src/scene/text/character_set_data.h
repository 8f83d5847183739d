// The scene's 32 script character sets as data: the glyph table the Scene
// members measure with and the image file the renderer makes the set's
// texture from. Filled by Scene.LoadCharacterSet, drawn by the text slots.
#pragma once

#include <cstdint>
#include <vector>

#include "scene/text/glyph_table.h"

constexpr int kCharacterSetCount = 32;

struct CharacterSetData {
  GlyphTable glyphs;
  // The image file's bytes; empty when the set has no image or it could not
  // be read (the set then draws nothing).
  std::vector<unsigned char> image;
  // Changes with every change of the set, so the renderer knows when to make
  // its texture again; 0 for a set that was never filled.
  std::uint64_t version = 0;
};
