// What the shadow and glare passes share: drawing into the render
// resources' 128x128 render target instead of the frame, and bringing it
// back through a CPU blur into the dynamic texture that they then draw with.
#pragma once

#include <cstdint>

#include "render/shadow_glare/blurs.h"

class GraphicsDevice;
class RenderResources;
struct FrameState;

class Texture;

// Makes the render target the device's target and clears it (`clearFlags`,
// to `color` and depth 1); returns the target it replaced. The viewport in
// force becomes the whole target: the platform sets it so whenever a target
// is set, whatever was set before.
Texture* BeginTargetDrawing(const FrameState& frame, std::uint32_t clearFlags, std::uint32_t color);
// The replaced target again, with the frame's viewport, view and projection.
void EndTargetDrawing(const FrameState& frame, Texture* replaced);

using TargetBlur = void (*)(const PixelView& source, PixelView destination, std::uint32_t width, std::uint32_t height);
// Reads the render target back into the system-memory copy and blurs that
// into the dynamic texture. False (the texture as it was) when either cannot
// be locked or is missing.
bool BlurTargetIntoDynamicTexture(const FrameState& frame, TargetBlur blur);
