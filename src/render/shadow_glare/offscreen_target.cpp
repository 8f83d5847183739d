// Drawing into the render target and reading it back.
#include "render/shadow_glare/offscreen_target.h"

#include "platform/gpu/device.h"
#include "render/render_resources.h"
#include "render/scene_renderer.h"

Texture* BeginTargetDrawing(const FrameState& frame, std::uint32_t clearFlags, std::uint32_t color) {
  GraphicsDevice& d = *frame.device;
  Texture* replaced = d.GetRenderTarget();
  Texture& target = *frame.resources->renderTarget;
  d.SetRenderTarget(&target);
  // The device has made the whole target the viewport already, as the
  // platform does; set again here so that a trace shows the one in force.
  d.SetViewport({0, 0, target.GetWidth(), target.GetHeight(), 0.0f, 1.0f});
  d.Clear(clearFlags, color, 1.0f);
  return replaced;
}

void EndTargetDrawing(const FrameState& frame, Texture* replaced) {
  GraphicsDevice& d = *frame.device;
  d.SetRenderTarget(replaced);
  d.SetViewport(frame.viewport);
  d.SetTransform(TransformState::View, frame.view);
  d.SetTransform(TransformState::Projection, frame.projection);
}

bool BlurTargetIntoDynamicTexture(const FrameState& frame, TargetBlur blur) {
  const RenderResources& r = *frame.resources;
  if (!r.renderTarget || !r.systemMemorySurface || !r.dynamicTexture) return false;
  Texture& copy = *r.systemMemorySurface;
  Texture& texture = *r.dynamicTexture;
  frame.device->GetRenderTargetData(*r.renderTarget, copy);
  const Texture::LockedRect source = copy.LockRect();
  const Texture::LockedRect destination = texture.LockRect();
  const bool locked = source.pixels && destination.pixels;
  if (locked) {
    blur({source.pixels, source.pitch}, {destination.pixels, destination.pitch}, texture.GetWidth(),
         texture.GetHeight());
  }
  copy.UnlockRect();
  texture.UnlockRect();
  return locked;
}
