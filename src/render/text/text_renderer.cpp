// The text slots and the overlay line on the device.
#include "render/text/text_renderer.h"

#include <cassert>
#include <string>

#include "platform/system/numbers.h"

namespace {

TextPlacement PlacementOf(const TextState& state) {
  return {state.x, state.y, state.pivotX, state.pivotY, state.scaleX, state.scaleY, state.angle, state.angleStep};
}

std::uint32_t Argb(std::uint32_t alpha, const std::array<std::uint8_t, 4>& color) {
  return alpha << 24 | std::uint32_t{color[1]} << 16 | std::uint32_t{color[2]} << 8 | color[3];
}

}  // namespace

void TextRenderer::SetSystemFont(SystemFont font) {
  if (!font.texture) return;
  systemFont_.SetFont(std::move(font.texture), GlyphTable(std::move(font.glyphs)));
}

void TextRenderer::ReleaseSetTextures() {
  for (CharacterSet& set : sets_) set.SetFont(nullptr, GlyphTable());
  versions_ = {};
  madeFor_ = nullptr;
}

CharacterSet& TextRenderer::UpToDateSet(const Scene& scene, int index, GraphicsDevice& device) {
  assert(index >= 0 && index < kCharacterSetCount);
  if (madeFor_ != &scene) {
    ReleaseSetTextures();
    madeFor_ = &scene;
  }
  const auto i = static_cast<std::size_t>(index);
  const CharacterSetData& data = scene.CharacterSetAt(index);
  if (versions_[i] != data.version) {
    // A set without an image, or whose image the device cannot take, keeps
    // its glyphs and draws nothing. A texture on the device stays while the
    // set holds it, with the image it was made from.
    Texture* texture = data.image ? data.image->TextureOn(device) : nullptr;
    sets_[i].SetFont(texture ? std::shared_ptr<Texture>(data.image, texture) : nullptr, data.glyphs);
    versions_[i] = data.version;
  }
  return sets_[i];
}

void TextRenderer::DrawSlot(const CharacterSlot& slot, CharacterSet& set, float screenScale) {
  const float t = TransitionFactor(slot);
  TextState look = slot.oldState;
  BlendTextState(look, slot.newState, t);
  const TextPlacement placement = PlacementOf(look);
  // Each text at its share of the blended alpha; a share of nothing lays nothing.
  auto lay = [&](const TextState& state, float share) {
    const float alpha = static_cast<float>(look.color[0]) * share;
    if (state.text[0] == '\0' || alpha == 0.0f) return;
    set.AddString(state.text.data(), placement, Argb(static_cast<std::uint32_t>(TruncateToInt32(alpha)), look.color),
                  screenScale);
  };
  set.Clear();
  if (slot.flags & kTextSlotCrossFade) {
    lay(slot.oldState, 1.0f - t);
    lay(slot.newState, t);
  } else {
    lay(slot.newState, 1.0f);
  }
}

void TextRenderer::DrawCharacterSlots(Scene& scene, Graphics& graphics) {
  GraphicsDevice* device = graphics.GetDevice();
  if (!device) return;
  const float screenScale = static_cast<float>(graphics.GetPresentParameters().backBufferWidth) / kTextScreenWidth;
  for (int i = 0; i < kTextSlotCount; ++i) {
    const CharacterSlot& slot = scene.TextSlot(i);
    if (!(slot.flags & kTextSlotInUse)) continue;
    // Slots sharing a set each clear, fill and draw it in turn.
    CharacterSet& set = UpToDateSet(scene, slot.characterSet, *device);
    DrawSlot(slot, set, screenScale);
    set.Flush(*device);
  }
}

void TextRenderer::DrawOverlayText(Graphics& graphics, const char* text, float x, float y, std::uint32_t color,
                                   float scale) {
  GraphicsDevice* device = graphics.GetDevice();
  if (!device) return;
  systemFont_.Clear();
  systemFont_.DrawString(TruncateToInt32(x), TruncateToInt32(y), text, color, scale);
  systemFont_.Flush(*device);
  systemFont_.Clear();
}
