// The ten device resources the frame renderer needs beyond the models' own:
// the five vertex programs, "shadow.bmp" and "toon.bmp", the 128x128 render
// target with its system-memory copy and a dynamic texture for the CPU blurs;
// and the system font made from "ASCII16.png". The scene creates them when it
// starts running and after every reset, and releases them before a reset and
// when it ends.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/gpu/device.h"
#include "scene/scenario_scene.h"
#include "scene/text/glyph_table.h"

class ArchiveManager;

// The result of a failed creation, which fails the scene's start and ends
// the scenario.
constexpr int kRenderResourcesFailed = ScenarioScene::kRunNoRenderResources;
// The render target's size; the blurs' border rules assume it.
constexpr std::uint32_t kRenderTargetSize = 128;

// The scene's system character set before it is handed to the text code:
// the "ASCII16.png" texture and its 128-glyph grid. It outlives a release of
// the resources; a creation whose font image cannot be read leaves it as it was.
struct SystemFont {
  std::unique_ptr<Texture> texture;
  std::vector<Glyph> glyphs;
};

class RenderResources {
 public:
  // In the order they are released.
  std::unique_ptr<Texture> renderTarget;
  std::unique_ptr<VertexShader> shadowVertexShader;
  std::unique_ptr<Texture> shadowTexture;  // "shadow.bmp"
  std::unique_ptr<Texture> toonTexture;    // "toon.bmp"
  std::unique_ptr<VertexShader> toonTexturedShader;
  std::unique_ptr<VertexShader> toonUntexturedShader;
  std::unique_ptr<VertexShader> outlineShader;
  std::unique_ptr<VertexShader> flatColorShader;
  std::unique_ptr<Texture> systemMemorySurface;
  std::unique_ptr<Texture> dynamicTexture;

  // 0, or kRenderResourcesFailed when the device lacks vertex shader 1.1,
  // the render target cannot be made, or "shadow.bmp", "toon.bmp" or
  // "ASCII16.png" is missing (the two bitmaps also when they are not
  // images), which standard error is told naming the file. Files are read
  // from `folder` (archives first, then the disk).
  // A shader that does not build stays null, with its messages on standard
  // error. Callers release first.
  int Create(GraphicsDevice& device, const ArchiveManager& archives, const std::string& folder,
             SystemFont* systemFont);
  // The program's archives and folder.
  int Create(GraphicsDevice& device, SystemFont* systemFont);
  void Release();

  // The toon and outline passes need all four.
  bool HasToonResources() const {
    return toonTexture && toonTexturedShader && toonUntexturedShader && outlineShader;
  }
};

// Resets the device with `parameters` and, when that succeeds, sets the
// states every scene's frame starts from (lighting, depth, blending...).
// Default-pool textures must be released first.
DeviceResult ResetWithDefaultStates(GraphicsDevice& device, const PresentParameters& parameters);
// After a loss: release, reset with `parameters`, the default states, create
// again. 0, the reset's failure (a non-zero DeviceResult), or the creation's code.
int ResetDevice(GraphicsDevice& device, const PresentParameters& parameters, RenderResources& resources,
                const ArchiveManager& archives, const std::string& folder, SystemFont* systemFont);
