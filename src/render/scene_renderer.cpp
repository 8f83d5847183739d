// The frame: light, viewport, camera, common states, the render list and its
// casts, the sections after them, the fades and the text slots.
#include "render/scene_renderer.h"

#include <bit>
#include <cmath>

#include "motion/model.h"
#include "motion/object_class.h"
#include "platform/math/matrix.h"
#include "platform/math/vector.h"
#include "render/cast_passes.h"
#include "render/screen_fades.h"
#include "scene/scene.h"

namespace {

constexpr float kNearDistance = 50.0f;
constexpr float kFarDistance = 20000.0f;
constexpr float kDegrees = 0.017453292f;

// The scene light: white from above and a little aside, ambient white.
Light SceneLight() {
  Light light;
  light.type = kLightDirectional;
  light.diffuse = {1.0f, 1.0f, 1.0f, 0.0f};
  light.ambient = {1.0f, 1.0f, 1.0f, 0.0f};
  light.specular = {0.0f, 0.0f, 0.0f, 0.0f};
  light.range = 1000.0f;
  light.direction = Vec3Normalize(Vector3{0.25f, -1.0f, -0.25f});
  return light;
}

Matrix OrbitViewMatrix(const OrbitView& orbit) {
  const float yaw = orbit.yawDegrees * kDegrees, pitch = orbit.pitchDegrees * kDegrees;
  const float d = orbit.distance;
  const Vector3 eye = orbit.target + Vector3{d * std::cos(pitch) * std::cos(yaw), d * std::sin(pitch),
                                             d * std::cos(pitch) * std::sin(yaw)};
  return MatrixLookAtLH(eye, orbit.target, {0.0f, 1.0f, 0.0f});
}

void SetCommonStates(GraphicsDevice& d) {
  SetBlend(d, kBlendSrcAlpha, kBlendInvSrcAlpha);
  d.SetRenderState(RenderState::AntialiasedLineEnable, 0);
  d.SetRenderState(RenderState::AlphaTestEnable, 1);
  d.SetRenderState(RenderState::AlphaRef, 0);
  d.SetRenderState(RenderState::AlphaFunc, kCmpGreaterEqual);
  d.SetRenderState(RenderState::LocalViewer, 1);
  d.SetRenderState(RenderState::Ambient, 0xFFFFFFFFu);
  d.SetRenderState(RenderState::LastPixel, 1);
  for (std::uint32_t sampler : {0u, 1u}) SetLinearFilters(d, sampler);
  // Model textures a little sharper than the mip level would give.
  d.SetSamplerState(0, SamplerState::MipMapLodBias, std::bit_cast<std::uint32_t>(-1.0f));
  d.SetSamplerState(0, SamplerState::MipFilter, kTexFilterLinear);
}

}  // namespace

SceneRenderer::SceneRenderer(Graphics& graphics) : graphics_(graphics) {}

SceneRenderer::SceneRenderer(Graphics& graphics, const ArchiveManager& archives, std::string folder)
    : graphics_(graphics), archives_(&archives), folder_(std::move(folder)) {}

int SceneRenderer::CreateResources(Scene& scene) {
  GraphicsDevice* device = graphics_.GetDevice();
  if (!device) return kRenderResourcesFailed;
  // A font image that does not decode leaves the font as it was.
  SystemFont font;
  const int code = archives_ ? resources_.Create(*device, *archives_, folder_, &font)
                             : resources_.Create(*device, &font);
  text_.SetSystemFont(std::move(font));
  // Uploaded before the first frame rather than during it; a class loaded
  // later is uploaded at its first draw.
  for (int i = 0; i < kClassTableSize; ++i) {
    const ObjectClass* cls = scene.ClassAt(i);
    if (Model* model = cls ? cls->GetModel() : nullptr) model->CreateDeviceResources(*device);
  }
  return code;
}

void SceneRenderer::ReleaseResources(Scene&) {
  resources_.Release();
  text_.ReleaseSetTextures();
}

void SceneRenderer::Render(Scene& scene) { RenderFrame(scene, nullptr); }

void SceneRenderer::RenderCharacterSlots(Scene& scene) { text_.DrawCharacterSlots(scene, graphics_); }

void SceneRenderer::RenderFrame(Scene& scene, const OrbitView* orbit) {
  GraphicsDevice* device = graphics_.GetDevice();
  if (!device) return;
  GraphicsDevice& d = *device;
  FrameState frame;
  frame.device = &d;
  frame.resources = &resources_;
  frame.running = scene.IsRunning();
  frame.renderFlags = scene.GetRenderFlags();

  frame.light = SceneLight();
  d.SetRenderState(RenderState::Lighting, 1);
  d.SetLight(0, frame.light);
  d.LightEnable(0, true);

  // The device's own size: the same as the set in use once a reset took it.
  const PresentParameters& parameters = d.GetPresentParameters();
  frame.viewport = {0, 0, parameters.backBufferWidth, parameters.backBufferHeight, 0.0f, 1.0f};
  d.SetViewport(frame.viewport);

  // The camera the frame update chose, unless the frame orbits a point.
  d.SetTransform(TransformState::View, orbit ? OrbitViewMatrix(*orbit) : scene.GetViewMatrix());
  const float aspect = static_cast<float>(frame.viewport.width) / static_cast<float>(frame.viewport.height);
  frame.projection = MatrixPerspectiveFovLH(kFieldOfView, aspect, kNearDistance, kFarDistance);
  d.SetTransform(TransformState::Projection, frame.projection);

  SetCommonStates(d);
  frame.view = d.GetTransform(TransformState::View);
  frame.viewProjection = frame.view * frame.projection;

  BuildRenderList(scene, frame.view, aspect, &list_);
  for (int i = 0; i < list_.count; ++i) DrawCastPasses(frame, list_.entries[static_cast<std::size_t>(i)]);

  RenderShadowSection(scene, frame);
  RenderGlareSection(frame);

  if (frame.running) {
    for (int i = 0; i < kFadeSlotCount; ++i) DrawFade(d, scene.Fade(i));
  }
  // Through the scene, which a game's scene may override.
  scene.RenderCharacterSlots();
}
