// The shadow section of a frame: under each cast of the render list whose
// flags have ShadowRender, on the obstacle below it along the light, either
// the cast's own shape seen from the light and blurred on the CPU (soft
// shadows) or the blob image "shadow.bmp", projected onto lifted copies of
// the receiving faces and multiplied into the picture. The frame renderer
// runs it after the casts.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "platform/math/math_types.h"
#include "render/shadow_glare/shadow_receivers.h"

class Cast;
class Scene;
class Texture;
struct FrameState;
struct RenderList;

class ShadowPass {
 public:
  // Nothing without the render target, the dynamic texture and the shadow
  // vertex program (never bound: its presence is what switches shadows on).
  // A cast without a receiver casts no shadow. Soft shadows read the render
  // target back once per shadow that has faces to fall on.
  void Render(Scene& scene, const FrameState& frame, const RenderList& list);

 private:
  // The caster's shape in the shadow's grey, seen from `eye` across 2 x
  // `halfSize`, blurred into the dynamic texture. False when it cannot be.
  bool RenderSoftShape(const FrameState& frame, Cast& caster, float receiverDistance, const Vector3& eye,
                       float halfSize);
  void DrawReceivingTriangles(const FrameState& frame, Texture* shadow, std::size_t vertexCount);

  // Reused from frame to frame, so that drawing shadows allocates nothing.
  std::vector<std::uint32_t> candidateFaces_;
  std::array<ShadowVertex, kMaxShadowVertices> vertices_{};
};
