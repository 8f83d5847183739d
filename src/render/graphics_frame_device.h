// GraphicsFrameDevice: the program's Graphics device as the scene's run loop
// drives it (its state, the reset after a loss, clear, the scene brackets,
// present, the back-buffer width and the frame-rate overlay). Start-up hands
// it to the scene's host beside the SceneRenderer.
#pragma once

#include <cstdint>

#include "render/graphics.h"
#include "render/text/text_renderer.h"
#include "scene/run_host.h"

class GraphicsFrameDevice : public FrameDevice {
 public:
  // The overlay is drawn in the text's system font. Both must outlive this.
  GraphicsFrameDevice(Graphics& graphics, TextRenderer& text) : graphics_(graphics), text_(text) {}

  // Lost while the graphics have no device.
  State TestCooperativeLevel() override;
  // With the set in use, then the states each scene's frame starts from.
  // Refused while default-pool textures live: the run loop releases the
  // render resources first and creates them again after.
  bool Reset() override;
  // The target and the depth buffer.
  void Clear(std::uint32_t color, float depth) override;
  bool BeginScene() override;
  void EndScene() override;
  void Present() override;
  // Of the set in use.
  int GetBackBufferWidth() const override;
  // One line in the system font.
  void DrawOverlayText(const char* text, float x, float y, std::uint32_t color, float scale) override;

 private:
  Graphics& graphics_;
  TextRenderer& text_;
};
