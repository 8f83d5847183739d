// TextRenderer: the text the renderer and the run loop draw, the 64 text
// slots in the scene's script character sets and the frame-rate line in the
// system font. The frame renderer owns one; its character-slot pass and the
// run loop's overlay call it.
#pragma once

#include <array>
#include <cstdint>

#include "render/text/character_set.h"
#include "render/graphics.h"
#include "render/render_resources.h"
#include "scene/scene.h"

// Text slot coordinates are pixels of a screen this wide; other back buffers
// scale them by their width over it.
constexpr float kTextScreenWidth = 800.0f;

class TextRenderer {
 public:
  // The font the render resources read from "ASCII16.png"; one without a
  // texture (an unreadable image) leaves the font as it was.
  void SetSystemFont(SystemFont font);
  CharacterSet& GetSystemFont() { return systemFont_; }

  // Every slot in use, in slot order, each through its script set (cleared,
  // filled, drawn): the old text fading out and the new one in on a text
  // change, else one text gliding from the old state to the new. Scaled by
  // the back buffer's width / 800. A set's texture is made from the scene's
  // image when the set changed since it was last drawn.
  void DrawCharacterSlots(Scene& scene, Graphics& graphics);
  // One line of the system font at (x, y) in 800-wide units times `scale`;
  // the batch is drawn and cleared.
  void DrawOverlayText(Graphics& graphics, const char* text, float x, float y, std::uint32_t color, float scale);

  // The script sets' textures go; they are made again when next drawn.
  // (The system font stays: it belongs to the program, not to a scene.)
  void ReleaseSetTextures();
  // The script set as last drawn.
  const CharacterSet& ScriptSet(int set) const { return sets_[static_cast<std::size_t>(set)]; }

 private:
  CharacterSet& UpToDateSet(const Scene& scene, int set, GraphicsDevice& device);
  void DrawSlot(const CharacterSlot& slot, CharacterSet& set, float screenScale);

  CharacterSet systemFont_;
  std::array<CharacterSet, kCharacterSetCount> sets_;
  // The scene version each set was made from; a set is made again for
  // another scene whatever the numbers say.
  std::array<std::uint64_t, kCharacterSetCount> versions_{};
  const Scene* madeFor_ = nullptr;
};
