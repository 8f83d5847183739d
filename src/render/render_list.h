// The render list of one frame: the scene's visible casts in drawing order,
// each with the depth, flags, priority and opacity it is drawn with. The
// frame renderer builds it; the shadow and glare sections walk it too.
#pragma once

#include <array>
#include <cstdint>

#include "motion/object_flags.h"
#include "platform/math/math_types.h"
#include "scene/scene_limits.h"

class Cast;
class Scene;

// The scene's RenderFlags bits (function keys F1 to F5 flip the first five).
constexpr std::uint32_t kRenderGlare = 0x1;
constexpr std::uint32_t kRenderSoftShadows = 0x2;  // clear: blob shadows
constexpr std::uint32_t kRenderOutline = 0x4;
constexpr std::uint32_t kRenderDecoration1 = 0x8;
constexpr std::uint32_t kRenderDecoration2 = 0x10;
constexpr std::uint32_t kRenderShadowsStraightDown = 0x20;

// Object-flag bits the renderer reads that have no name.
constexpr std::uint32_t kFlagNearFade = 0x100000u;     // fades out as the camera comes nearer
constexpr std::uint32_t kFlagNoDepthWrite = 0x200000u;
constexpr std::uint32_t kBlendingFlags = kFlagAlphaBlending | kFlagAddBlending | kFlagSubBlending;

// The camera's vertical field of view (pi/3, the float the system uses).
constexpr float kFieldOfView = 1.0471976f;

struct RenderEntry {
  Cast* cast = nullptr;
  float depth = 0.0f;       // view-space z of the bounding-sphere centre
  std::uint32_t flags = 0;  // the effective flags, AlphaBlending added when alpha is not 1
  std::int32_t priority = 0;
  float alpha = 1.0f;       // opacity: near fade times the cast's own; above 0
};

// 256 entries: the size of the cast table, so it never overflows.
struct RenderList {
  std::array<RenderEntry, kCastTableSize> entries{};
  int count = 0;
};

// Higher priority first; within one, unblended entries nearest first, then
// blended ones farthest first. Equal depths compare equal (0).
int CompareRenderEntries(const RenderEntry& a, const RenderEntry& b);

// The scene's casts (table order, up to the first empty slot) that are to be
// drawn this frame, seen through `view` with a viewport of width/height
// `aspect`, sorted by CompareRenderEntries with ties in table order. While
// the scene runs, invisible casts and decoration casts whose RenderFlags bit
// is off are left out; casts deleted during the frame always are, and so are
// casts outside the view cone (unless NoOmitRendering), fully faded ones and
// casts without a model or at no finite place.
void BuildRenderList(Scene& scene, const Matrix& view, float aspect, RenderList* list);
