// The passes that draw one cast of the render list: the see-through
// silhouette, toon shading or fixed-function shading with its blending, and
// the outline. Every pass sets each device state it depends on, so no cast
// inherits another's states. Used by the frame renderer; the shadow and
// glare passes share its posing and its state helpers.
#pragma once

#include <cstdint>

#include "render/render_list.h"

class Cast;
class GraphicsDevice;
struct FrameState;

// Poses the entry's cast (skinning only when its pose changed since its
// model was last skinned for it) and draws its passes.
void DrawCastPasses(const FrameState& frame, const RenderEntry& entry);
// Poses the cast's model at its motion time for the draws that follow (the
// cast's own skinned copy, made again only when its pose changed) and sets
// its world matrix, with the angular step, which it returns. The cast has a
// class with a model.
Matrix PoseCast(const FrameState& frame, Cast& cast);

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
void SetBlend(GraphicsDevice& device, std::uint32_t source, std::uint32_t destination);
// How a draw meets the picture: alpha blending, adding, or multiplying the
// picture by its colour.
enum class PictureBlend { Alpha, Add, Multiply };
// Stage 0 and the blend factors of that way: the texture times the diffuse
// colour and alpha blended over or added; or, to multiply, stage 0's
// defaults, the picture times their colour.
void SetPictureBlend(GraphicsDevice& device, PictureBlend blend);
// Diffuse and ambient colour from the material, not from the vertices.
void SetMaterialSources(GraphicsDevice& device);
// Both texture directions of a sampler.
void SetAddress(GraphicsDevice& device, std::uint32_t sampler, std::uint32_t address);
void SetLinearFilters(GraphicsDevice& device, std::uint32_t sampler);
