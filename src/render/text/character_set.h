// CharacterSet: a bitmap font on the device (a texture and a glyph table) and
// the batch of screen quads that text is laid into and then drawn in one
// call. The system font's text and the text slots draw through it.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "platform/gpu/device.h"
#include "scene/text/glyph_table.h"

// A pre-transformed vertex of the 0x144 format.
struct TextVertex {
  float x, y, z, rhw;
  std::uint32_t color;  // ARGB
  float u, v;
};
static_assert(sizeof(TextVertex) == 28);

// A batch holds 2048 vertices; a quad is added only while six more leave
// one to spare, so 341 glyphs at most.
constexpr int kTextBatchVertices = 2048;

// Where a text slot's text stands: its start turned about the pivot by
// `angle`, glyphs sized by scaleX, each glyph turned `angleStep` further
// than the one before, so a step bends the line into an arc. Radians.
struct TextPlacement {
  float x = 0, y = 0;
  float pivotX = 0, pivotY = 0;
  float scaleX = 1, scaleY = 1;
  float angle = 0, angleStep = 0;
};

class CharacterSet {
 public:
  CharacterSet();

  // Replaces the texture (null: none; the set may share it) and the glyphs;
  // the batch empties.
  void SetFont(std::shared_ptr<Texture> texture, GlyphTable glyphs);
  Texture* GetTexture() const { return texture_.get(); }
  const GlyphTable& Glyphs() const { return glyphs_; }

  // One glyph's texels as an upright quad at (x, y), all times `scale`.
  // False when the batch is full or there is no texture to address.
  bool AddGlyphQuad(const Glyph& glyph, float x, float y, std::uint32_t color, float scale);
  // Lays the text out left to right from (x, y) in whole units; a line break
  // returns to x one line lower (by the tallest glyph of the line). A full
  // batch cuts the text short.
  void DrawString(int x, int y, const char* text, std::uint32_t color, float scale);
  // Lays a text slot's text out as the placement says, every coordinate
  // times screenScale. A full batch cuts the text short.
  void AddString(const char* text, const TextPlacement& placement, std::uint32_t color, float screenScale);

  void Clear() { vertices_.clear(); }
  // Draws the batch with the font's texture; nothing without one. The batch
  // stays until the next Clear.
  void Flush(GraphicsDevice& device);
  std::span<const TextVertex> Vertices() const { return vertices_; }

 private:
  bool HasRoomForQuad() const { return vertices_.size() + 6 < static_cast<std::size_t>(kTextBatchVertices); }
  void DrawBatch(GraphicsDevice& device);

  std::shared_ptr<Texture> texture_;
  GlyphTable glyphs_;
  // Texel counts the coordinates are divided by: the texture's level 0.
  float textureWidth_ = 0, textureHeight_ = 0;
  std::vector<TextVertex> vertices_;  // capacity kTextBatchVertices, never more
};
