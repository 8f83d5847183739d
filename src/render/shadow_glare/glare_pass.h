// The glare section of a frame: the casts whose class has a Glare value,
// lit by the scene light and with every other unblended cast in black in
// front of or behind them, drawn into the render target, blurred and
// brightened on the CPU, and added over the whole picture in a warm tint. A
// cast that an obstacle hides from the light does not glare. The frame
// renderer runs it after the shadows.
#pragma once

#include <array>
#include <cstdint>

#include "platform/math/math_types.h"
#include "scene/scene_limits.h"

class Cast;
class Mesh;
struct FrameState;
struct RenderList;

// The tint the glow is added in.
constexpr std::uint32_t kGlareTint = 0xFFFCF5CCu;

class GlarePass {
 public:
  // Nothing without the render target, its system-memory copy and the
  // dynamic texture, or without RenderFlags' glare bit; nothing either when
  // no cast of the list glares (none has a Glare value, or every one that
  // has stands in an obstacle's shadow), so that such a frame is exactly
  // the frame without glare. Otherwise one read-back of the render target.
  void Render(const FrameState& frame, const RenderList& list);

 private:
  // An unblended obstacle of the list, which can hide a glaring cast from the light.
  struct Occluder {
    const Cast* cast = nullptr;
    const Mesh* mesh = nullptr;
    Matrix inverseWorld;
  };

  // The entries' intensities (Glare / 255, 0 when in shadow); false when
  // none glares.
  bool WeighEntries(const FrameState& frame, const RenderList& list);
  void ListOccluders(const RenderList& list);
  // An obstacle of the list meets the ray from above the cast towards the light.
  bool InShadow(const RenderList& list, const Cast& cast, const Vector3& light);
  void DrawIntoTarget(const FrameState& frame, const RenderList& list);
  void AddOverPicture(const FrameState& frame);

  std::array<bool, kCastTableSize> drawn_{};
  std::array<float, kCastTableSize> intensity_{};
  std::array<Occluder, kCastTableSize> occluders_{};
  int occluderCount_ = 0;  // -1: not listed yet this frame
};
