// The scene's full-screen fades, drawn over the picture after the casts.
// Used by the frame renderer.
#pragma once

#include <cstdint>

#include "scene/scene_timer.h"

class GraphicsDevice;

// The fade's colour this frame (ARGB): colour 1 until the fade-in end,
// colour 2 from the fade-out start, blended between them.
std::uint32_t FadeColor(const FadeSlot& fade);

// The fade over the whole viewport when its slot is active; unknown blend
// modes draw as alpha blending.
void DrawFade(GraphicsDevice& device, const FadeSlot& fade);
