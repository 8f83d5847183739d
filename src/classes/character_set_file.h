// The character-set file that Scene.LoadCharacterSet reads: IMAGE and CHAR
// lines giving a set's image file and glyph rectangles. Used by the Scene class members.
#pragma once

#include <string>
#include <vector>

#include "scene/text/glyph_table.h"

constexpr int kMaxCharacterGlyphs = 1024;

struct CharacterSetFile {
  std::string image;  // the last IMAGE line's file name; empty without one
  std::vector<Glyph> glyphs;  // in file order, at most kMaxCharacterGlyphs
};

// Reads NUL-terminated text. Lines that do not read as IMAGE or CHAR lines,
// and what follows a line's fields, are skipped.
CharacterSetFile ParseCharacterSetFile(const char* text);
