// The passes that draw one cast of the render list: the see-through
// silhouette, toon shading or fixed-function shading with its blending, and
// the outline. Every pass sets each device state it depends on, so no cast
// inherits another's states. Used by the frame renderer.
#pragma once

#include <cstdint>

#include "render/render_list.h"

class GraphicsDevice;
struct FrameState;

// Poses the entry's cast (skinning only when its pose changed since its
// model was last skinned for it) and draws its passes.
void DrawCastPasses(const FrameState& frame, const RenderEntry& entry);

// A texture stage's colour or alpha operation; arguments the operation does
// not read are left as they are.
constexpr std::uint32_t kUnusedArgument = 0xFFFFFFFFu;
void SetColorOp(GraphicsDevice& device, std::uint32_t stage, std::uint32_t op,
                std::uint32_t arg1 = kUnusedArgument, std::uint32_t arg2 = kUnusedArgument);
void SetAlphaOp(GraphicsDevice& device, std::uint32_t stage, std::uint32_t op,
                std::uint32_t arg1 = kUnusedArgument, std::uint32_t arg2 = kUnusedArgument);
// Stage 0 back to the texture times the current colour with the diffuse
// alpha, the states that the passes after the casts start from.
void SetStageZeroDefaults(GraphicsDevice& device);
