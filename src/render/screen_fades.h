// The scene's full-screen fades, drawn over the picture after the casts, and
// the states of a pre-transformed screen quad that they (and any other
// screen-space drawing) start from. Used by the frame renderer.
#pragma once

#include <cstdint>

#include "scene/scene_timer.h"

class GraphicsDevice;
class Texture;

// How a screen quad meets the picture: 0 alpha blending, 1 adding, 2
// multiplying the picture by its colour.
enum class ScreenBlend : std::uint32_t { Alpha = 0, Add = 1, Multiply = 2 };

// Every state a screen quad of vertex format 0x44 or 0x144 depends on: the
// blend, both texture stages (the vertex colour times `texture` on stage 0,
// null for none), no vertex program, front faces only, no depth test.
void SetScreenQuadStates(GraphicsDevice& device, ScreenBlend blend, Texture* texture);

// The fade's colour this frame (ARGB): colour 1 until the fade-in end,
// colour 2 from the fade-out start, blended between them.
std::uint32_t FadeColor(const FadeSlot& fade);

// The fade over the whole viewport when its slot is active; unknown blend
// modes draw as alpha blending.
void DrawFade(GraphicsDevice& device, const FadeSlot& fade);
