// The scene's 32 script character sets as data: the glyph table the Scene
// members measure with and the image the renderer puts on the device for the
// set. Filled by Scene.LoadCharacterSet, drawn by the text slots.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/gpu/texture_store.h"
#include "scene/text/glyph_table.h"

constexpr int kCharacterSetCount = 32;

struct CharacterSetData {
  GlyphTable glyphs;
  // The image file, decoded and shared with every set that names it; null
  // when the set has no image or it could not be loaded (the set then draws
  // nothing).
  std::shared_ptr<SharedTexture> image;
  // Changes with every change of the set, so the renderer knows when to make
  // its texture again; 0 for a set that was never filled.
  std::uint64_t version = 0;
};
