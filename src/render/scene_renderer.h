// SceneRenderer: how a scene is drawn on the program's Graphics device. Each
// frame: the light, viewport, camera and projection, the render list and each
// cast's passes, the shadow and glare sections, the fades, then the scene's
// text slots; around a scene's run and a device reset, the render resources.
// Start-up hands it to the scene's host as its SceneDrawing.
#pragma once

#include <cstdint>
#include <string>

#include "platform/gpu/device.h"
#include "render/shadow_glare/glare_pass.h"
#include "render/graphics.h"
#include "render/render_list.h"
#include "render/render_resources.h"
#include "render/shadow_glare/shadow_pass.h"
#include "render/text/text_renderer.h"
#include "scene/run_host.h"

class ArchiveManager;

// What the sections of one frame share: the device and the scene's
// resources, the camera, the scene light, and the scene's settings.
struct FrameState {
  GraphicsDevice* device = nullptr;
  const RenderResources* resources = nullptr;
  Matrix view;
  Matrix projection;
  Matrix viewProjection;
  DeviceViewport viewport;
  Light light;          // the scene light as set on the device
  bool running = false;  // the scene's frame counter is not "not running"
  std::uint32_t renderFlags = 0;
};

// The camera of a frame drawn around a point instead of from the scene's view.
struct OrbitView {
  Vector3 target{0.0f, 0.0f, 0.0f};
  float yawDegrees = 0.0f;
  float pitchDegrees = 0.0f;
  float distance = 0.0f;
};

class SceneRenderer : public SceneDrawing {
 public:
  // Resource files come from the program's archives and folder; the
  // graphics must outlive the renderer.
  explicit SceneRenderer(Graphics& graphics);
  SceneRenderer(Graphics& graphics, const ArchiveManager& archives, std::string folder);
  SceneRenderer(const SceneRenderer&) = delete;
  SceneRenderer& operator=(const SceneRenderer&) = delete;

  // The render resources and the system font, then the device copies of
  // every class's model. 0, or kRenderResourcesFailed (the scene does not start).
  int CreateResources(Scene& scene) override;
  // The render resources and the textures of the scene's character sets.
  void ReleaseResources(Scene& scene) override;
  // A frame from the scene's own view: RenderFrame without an orbit.
  void Render(Scene& scene) override;
  // The text slots in the scene's character sets.
  void RenderCharacterSlots(Scene& scene) override;

  // One frame between the device's BeginScene and EndScene. The view is the
  // scene's, or the orbit's when one is given.
  void RenderFrame(Scene& scene, const OrbitView* orbit);

  // The text of the frame: the slots, and the system font of the run
  // loop's frame-rate line.
  TextRenderer& GetText() { return text_; }

 private:
  // After the casts, before the fades: the cast shadows laid onto the
  // obstacles below them, and the glow of glaring casts added over the
  // picture.
  void RenderShadowSection(Scene& scene, const FrameState& frame) { shadows_.Render(scene, frame, list_); }
  void RenderGlareSection(const FrameState& frame) { glare_.Render(frame, list_); }

  Graphics& graphics_;
  const ArchiveManager* archives_ = nullptr;  // null: the program's
  std::string folder_;
  RenderResources resources_;
  TextRenderer text_;
  // Rebuilt every frame; the sections after the casts walk it too. Its cast
  // pointers hold only during the frame that built it.
  RenderList list_;
  ShadowPass shadows_;
  GlarePass glare_;
};
