// The full-screen fades: their colour, their states and their quad.
#include "render/screen_fades.h"

#include <algorithm>

#include "platform/gpu/device.h"
#include "render/cast_passes.h"

namespace {

// Pre-transformed position and colour: format 0x44.
struct ScreenVertex {
  float x, y, z, rhw;
  std::uint32_t color;
};
static_assert(sizeof(ScreenVertex) == 20);

// Every state the quad depends on: its blend, both texture stages (the
// vertex colour on stage 0), no vertex program, front faces only, no depth test.
void SetScreenQuadStates(GraphicsDevice& d, PictureBlend blend) {
  d.SetRenderState(RenderState::DiffuseMaterialSource, kMaterialSourceColor1);
  d.SetRenderState(RenderState::AmbientMaterialSource, kMaterialSourceMaterial);
  d.SetRenderState(RenderState::TextureFactor, 0xFFFFFFFFu);
  d.SetRenderState(RenderState::AlphaBlendEnable, 1);
  d.SetRenderState(RenderState::CullMode, kCullCcw);
  SetColorOp(d, 1, kTopDisable);
  SetPictureBlend(d, blend);
  d.SetTexture(0, nullptr);
  d.SetTexture(1, nullptr);
  d.SetVertexShader(nullptr);
  // Over everything drawn before, whatever depths it left.
  d.SetRenderState(RenderState::ZEnable, 0);
}

}  // namespace

std::uint32_t FadeColor(const FadeSlot& fade) {
  // Signed, and wide: before the fade-in ends the elapsed count lies below
  // its mark, which must give colour 1, not a wrapped factor past colour 2.
  const std::int64_t done = static_cast<std::int64_t>(fade.elapsed) - fade.inEnd;
  const std::int64_t span = static_cast<std::int64_t>(fade.outStart) - fade.inEnd;
  // A fade without a blend between switches at its mark.
  const double t = span <= 0 ? (done >= 0 ? 1.0 : 0.0)
                             : std::clamp(static_cast<double>(done) / static_cast<double>(span), 0.0, 1.0);
  std::uint32_t argb = 0;
  for (std::size_t i = 0; i < 4; ++i) {
    const double from = fade.color1[i], to = fade.color2[i];
    argb = argb << 8 | static_cast<std::uint32_t>(from + t * (to - from));
  }
  return argb;
}

void DrawFade(GraphicsDevice& d, const FadeSlot& fade) {
  if ((fade.active & 0xFFu) != 1) return;
  const DeviceViewport& viewport = d.GetViewport();
  const auto w = static_cast<float>(viewport.width), h = static_cast<float>(viewport.height);
  const std::uint32_t color = FadeColor(fade);
  // 1 adds, 2 multiplies the picture by the colour; 0, and a mode the
  // system does not know, blend as alpha rather than with whatever states
  // the pass before left.
  const PictureBlend blend = fade.blendMode == 1   ? PictureBlend::Add
                             : fade.blendMode == 2 ? PictureBlend::Multiply
                                                   : PictureBlend::Alpha;
  SetScreenQuadStates(d, blend);
  d.SetFVF(kFvfScreenColor);
  const ScreenVertex quad[6] = {{0, 0, 0, 1, color}, {w, 0, 0, 1, color}, {0, h, 0, 1, color},
                                {w, h, 0, 1, color}, {0, h, 0, 1, color}, {w, 0, 0, 1, color}};
  d.DrawPrimitiveUP(PrimitiveType::TriangleList, 2, quad, sizeof(ScreenVertex));
}
