// Laying text into a character set's batch and drawing the batch.
#include "render/text/character_set.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "render/cast_passes.h"

namespace {

constexpr std::uint32_t kTextVertexStride = sizeof(TextVertex);

struct TexelRect {
  float uLeft, vTop, uRight, vBottom;
};

// The left and top edges address texel centres, the right and bottom ones
// the texel edge: a grid glyph 8 texels wide (right = left + 7) spans 7.5.
TexelRect TexelsOf(const Glyph& glyph, float width, float height) {
  return {(static_cast<float>(glyph.left) + 0.5f) / width, (static_cast<float>(glyph.top) + 0.5f) / height,
          static_cast<float>(glyph.right) / width, static_cast<float>(glyph.bottom) / height};
}

TextVertex Vertex(float x, float y, std::uint32_t color, float u, float v) { return {x, y, 0.0f, 1.0f, color, u, v}; }

// A CR right before an LF belongs to the line break (a string list's "\n"
// becomes CR LF): it is no character of its own.
bool IsBreakCr(const char* p) { return p[0] == '\r' && p[1] == '\n'; }

}  // namespace

CharacterSet::CharacterSet() { vertices_.reserve(kTextBatchVertices); }

void CharacterSet::SetFont(std::shared_ptr<Texture> texture, GlyphTable glyphs) {
  texture_ = std::move(texture);
  glyphs_ = std::move(glyphs);
  textureWidth_ = texture_ ? static_cast<float>(texture_->GetWidth()) : 0.0f;
  textureHeight_ = texture_ ? static_cast<float>(texture_->GetHeight()) : 0.0f;
  vertices_.clear();
}

bool CharacterSet::AddGlyphQuad(const Glyph& glyph, float x, float y, std::uint32_t color, float scale) {
  if (!HasRoomForQuad() || textureWidth_ == 0.0f || textureHeight_ == 0.0f) return false;
  const TexelRect t = TexelsOf(glyph, textureWidth_, textureHeight_);
  const float x0 = x * scale, y0 = y * scale;
  const float x1 = (x + static_cast<float>(glyph.Width())) * scale;
  const float y1 = (y + static_cast<float>(glyph.Height())) * scale;
  vertices_.insert(vertices_.end(), {Vertex(x0, y0, color, t.uLeft, t.vTop), Vertex(x1, y0, color, t.uRight, t.vTop),
                                     Vertex(x0, y1, color, t.uLeft, t.vBottom),
                                     Vertex(x1, y1, color, t.uRight, t.vBottom),
                                     Vertex(x0, y1, color, t.uLeft, t.vBottom),
                                     Vertex(x1, y0, color, t.uRight, t.vTop)});
  return true;
}

void CharacterSet::DrawString(int x, int y, const char* text, std::uint32_t color, float scale) {
  if (glyphs_.Empty()) return;
  // Whole units as the layout keeps them; 64 bits, so content's huge
  // advances cannot overflow.
  std::int64_t cursorX = x, cursorY = y, lineHeight = 0;
  for (TextCharacter c = ReadTextCharacter(text); c.length != 0; c = ReadTextCharacter(text += c.length)) {
    if (c.code == '\n') {
      cursorX = x;
      cursorY += lineHeight;
      lineHeight = 0;
      continue;
    }
    if (IsBreakCr(text)) continue;
    const Glyph& glyph = glyphs_.GlyphFor(c.code);
    cursorX += glyph.extra;
    if (!AddGlyphQuad(glyph, static_cast<float>(cursorX), static_cast<float>(cursorY), color, scale)) return;
    cursorX += glyph.Width();
    lineHeight = std::max<std::int64_t>(lineHeight, glyph.Height());
  }
}

void CharacterSet::AddString(const char* text, const TextPlacement& place, std::uint32_t color, float screenScale) {
  if (glyphs_.Empty() || textureWidth_ == 0.0f || textureHeight_ == 0.0f) return;
  const float baseCos = std::cos(place.angle), baseSin = std::sin(place.angle);
  const float dx = place.x - place.pivotX, dy = place.y - place.pivotY;
  const float startX = place.pivotX + (baseCos * dx - baseSin * dy) * place.scaleX;
  const float startY = place.pivotY + (baseSin * dx + baseCos * dy) * place.scaleY;
  float lineX = startX, lineY = startY;
  float cursorX = startX, cursorY = startY;
  float angle = place.angle;
  float lineHeight = 0.0f;
  for (TextCharacter c = ReadTextCharacter(text); c.length != 0 && HasRoomForQuad();
       c = ReadTextCharacter(text += c.length)) {
    if (c.code == '\n') {
      // Down the page of the text's own angle, whatever the arc did.
      lineX += -baseSin * lineHeight;
      lineY += baseCos * lineHeight;
      cursorX = lineX;
      cursorY = lineY;
      angle = place.angle;
      lineHeight = 0.0f;
      continue;
    }
    if (IsBreakCr(text)) continue;
    const Glyph& glyph = glyphs_.GlyphFor(c.code);
    const float cosA = std::cos(angle), sinA = std::sin(angle);
    // Both sizes follow the first scale: the second only moves the start.
    const float w = static_cast<float>(glyph.Width()) * place.scaleX;
    const float h = static_cast<float>(glyph.Height()) * place.scaleX;
    const float px = cursorX + static_cast<float>(glyph.extra) * cosA;
    const float py = cursorY + static_cast<float>(glyph.extra) * sinA;
    // Centred across the line through the cursor.
    const float topX = px + sinA * h / 2, topY = py - cosA * h / 2;
    const float bottomX = px - sinA * h / 2, bottomY = py + cosA * h / 2;
    const float s = screenScale;
    const TexelRect t = TexelsOf(glyph, textureWidth_, textureHeight_);
    const TextVertex topLeft = Vertex(topX * s, topY * s, color, t.uLeft, t.vTop);
    const TextVertex topRight = Vertex((topX + w * cosA) * s, (topY + w * sinA) * s, color, t.uRight, t.vTop);
    const TextVertex bottomLeft = Vertex(bottomX * s, bottomY * s, color, t.uLeft, t.vBottom);
    const TextVertex bottomRight =
        Vertex((bottomX + w * cosA) * s, (bottomY + w * sinA) * s, color, t.uRight, t.vBottom);
    vertices_.insert(vertices_.end(), {topLeft, topRight, bottomLeft, topRight, bottomRight, bottomLeft});
    cursorX = px + w * cosA;
    cursorY = py + w * sinA;
    lineHeight = std::max(lineHeight, h);
    angle += place.angleStep;
  }
}

void CharacterSet::Flush(GraphicsDevice& device) {
  if (texture_ && vertices_.size() >= 3) DrawBatch(device);
}

void CharacterSet::DrawBatch(GraphicsDevice& device) {
  const std::uint32_t materialSource = device.GetRenderState(RenderState::DiffuseMaterialSource);
  const std::uint32_t magFilter = device.GetSamplerState(0, SamplerState::MagFilter);
  const std::uint32_t minFilter = device.GetSamplerState(0, SamplerState::MinFilter);
  device.SetRenderState(RenderState::FillMode, kFillSolid);
  device.SetRenderState(RenderState::AlphaBlendEnable, 1);
  SetBlend(device, kBlendSrcAlpha, kBlendInvSrcAlpha);
  device.SetRenderState(RenderState::DiffuseMaterialSource, kMaterialSourceMaterial);
  // Text quads always turn clockwise on the screen (a negative scale turns
  // them half round, it never mirrors them), so drawing both sides shows
  // nothing more; a pass before that left clockwise faces culled must not
  // hide the text.
  device.SetRenderState(RenderState::CullMode, kCullNone);
  SetLinearFilters(device, 0);
  device.SetTexture(0, texture_.get());
  // The glyph's texels tinted by the vertex colour, alpha and colour alike,
  // whatever stages the passes before left set up.
  SetColorOp(device, 0, kTopModulate, kTaTexture, kTaDiffuse);
  SetAlphaOp(device, 0, kTopModulate, kTaTexture, kTaDiffuse);
  SetColorOp(device, 1, kTopDisable);
  device.SetVertexShader(nullptr);
  device.SetFVF(kFvfScreenColorTex);
  device.DrawPrimitiveUP(PrimitiveType::TriangleList, static_cast<std::uint32_t>(vertices_.size() / 3),
                         vertices_.data(), kTextVertexStride);
  device.SetSamplerState(0, SamplerState::MagFilter, magFilter);
  device.SetSamplerState(0, SamplerState::MinFilter, minFilter);
  device.SetRenderState(RenderState::DiffuseMaterialSource, materialSource);
}
