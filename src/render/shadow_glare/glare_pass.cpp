// The glare section: which casts glare, their glow drawn into the render
// target, blurred, and added over the picture.
#include "render/shadow_glare/glare_pass.h"

#include <cmath>

#include "motion/model.h"
#include "motion/object_class.h"
#include "platform/math/matrix.h"
#include "platform/math/vector.h"
#include "platform/mesh/mesh_queries.h"
#include "render/cast_passes.h"
#include "render/shadow_glare/offscreen_target.h"
#include "render/scene_renderer.h"
#include "scene/cast/cast.h"
#include "scene/cast/obstacles.h"

namespace {

// The light is looked for from this high above a cast's position, so that
// the ground it stands on does not count as in the way.
constexpr float kShadowRayRise = 50.0f;
// Entries that neither glare nor hide glare while the scene runs, and
// obstacles that cast no glare shadow.
constexpr std::uint32_t kNotInGlare = kCastDeletedWhileRunning | kBlendingFlags;

// Pre-transformed position, colour and texture coordinate: format 0x144.
struct ScreenVertex {
  float x, y, z, rhw;
  std::uint32_t color;
  float u, v;
};
static_assert(sizeof(ScreenVertex) == 28);

}  // namespace

void GlarePass::Render(const FrameState& frame, const RenderList& list) {
  const RenderResources& r = *frame.resources;
  if (!(frame.renderFlags & kRenderGlare) || !r.renderTarget || !r.systemMemorySurface || !r.dynamicTexture) return;
  // Adding a black glow changes no pixel: without a glaring cast the whole
  // section, and its read-back, is left out.
  if (!WeighEntries(frame, list)) return;
  DrawIntoTarget(frame, list);
  if (BlurTargetIntoDynamicTexture(frame, BlurGlare)) AddOverPicture(frame);
}

bool GlarePass::WeighEntries(const FrameState& frame, const RenderList& list) {
  occluderCount_ = -1;
  bool any = false;
  for (int k = 0; k < list.count; ++k) {
    const RenderEntry& entry = list.entries[static_cast<std::size_t>(k)];
    const auto slot = static_cast<std::size_t>(k);
    drawn_[slot] = !(frame.running && (entry.flags & kNotInGlare));
    float intensity = drawn_[slot] ? static_cast<float>(entry.cast->GetClass()->GetGlare()) / 255.0f : 0.0f;
    if (intensity != 0.0f && InShadow(list, *entry.cast, frame.light.direction)) intensity = 0.0f;
    intensity_[slot] = intensity;
    any = any || intensity != 0.0f;
  }
  return any;
}

void GlarePass::ListOccluders(const RenderList& list) {
  occluderCount_ = 0;
  for (int k = 0; k < list.count; ++k) {
    const RenderEntry& entry = list.entries[static_cast<std::size_t>(k)];
    if (!(entry.flags & kFlagObstacle) || (entry.flags & kNotInGlare)) continue;
    Occluder& occluder = occluders_[static_cast<std::size_t>(occluderCount_)];
    occluder.cast = entry.cast;
    occluder.mesh = ObstacleMesh(entry.cast->GetClass());
    // A collapsed obstacle has no inside to send a ray into.
    if (occluder.mesh && MatrixInverse(&occluder.inverseWorld, nullptr, entry.cast->GetWorldMatrix(false)))
      ++occluderCount_;
  }
}

bool GlarePass::InShadow(const RenderList& list, const Cast& cast, const Vector3& light) {
  if (occluderCount_ < 0) ListOccluders(list);
  const Vector3 origin = cast.GetPosition() + Vector3{0.0f, kShadowRayRise, 0.0f};
  for (int k = 0; k < occluderCount_; ++k) {
    const Occluder& occluder = occluders_[static_cast<std::size_t>(k)];
    if (occluder.cast == &cast) continue;
    RayHit hit;
    if (IntersectMesh(*occluder.mesh, Vec3TransformCoord(origin, occluder.inverseWorld),
                      Vec3TransformNormal(-light, occluder.inverseWorld), &hit))
      return true;
  }
  return false;
}

void GlarePass::DrawIntoTarget(const FrameState& frame, const RenderList& list) {
  GraphicsDevice& d = *frame.device;
  d.SetRenderState(RenderState::ZEnable, 1);
  d.SetRenderState(RenderState::ZFunc, kCmpLessEqual);
  d.SetRenderState(RenderState::ZWriteEnable, 1);
  d.SetRenderState(RenderState::TextureFactor, 0xFFFFFFFFu);
  SetColorOp(d, 0, kTopSelectArg1, kTaDiffuse);
  SetColorOp(d, 1, kTopDisable);
  d.SetRenderState(RenderState::AlphaBlendEnable, 0);
  d.SetRenderState(RenderState::Lighting, 1);
  d.SetRenderState(RenderState::CullMode, kCullCcw);
  d.SetRenderState(RenderState::LocalViewer, 1);
  SetBlend(d, kBlendZero, kBlendSrcColor);
  SetMaterialSources(d);
  d.SetVertexShader(nullptr);
  d.SetTexture(0, nullptr);
  d.SetTexture(1, nullptr);
  // The camera's whole picture, over the whole target: the quad that adds
  // it back stretches the target over the whole screen, so the glow lies
  // on the casts it comes from.
  Texture* replaced = BeginTargetDrawing(frame, kClearTarget | kClearZBuffer, 0);
  d.SetTransform(TransformState::View, frame.view);
  d.SetTransform(TransformState::Projection, frame.projection);
  Light light;
  light.diffuse = light.ambient = {1.0f, 1.0f, 1.0f, 1.0f};
  light.range = 1000.0f;
  for (int k = 0; k < list.count; ++k) {
    const auto slot = static_cast<std::size_t>(k);
    if (!drawn_[slot]) continue;
    // Casts of no glare are drawn black: they hide the glow behind them.
    // A negative value glows as if lit from the opposite side.
    const float intensity = std::fabs(intensity_[slot]);
    light.direction = intensity_[slot] < 0.0f ? -frame.light.direction : frame.light.direction;
    d.SetLight(0, light);
    Material material;
    material.diffuse = {intensity, intensity, intensity, 1.0f};
    material.emissive = {0.0f, 0.0f, 0.0f, 1.0f};
    d.SetMaterial(material);
    Cast& cast = *list.entries[slot].cast;
    const Matrix world = PoseCast(frame, cast);
    cast.GetClass()->GetModel()->Draw(d, ModelPlacement(world), -1, true, true, 1.0f);
  }
  EndTargetDrawing(frame, replaced);
  d.SetTransform(TransformState::World, MatrixIdentity());
  d.SetLight(0, frame.light);
}

void GlarePass::AddOverPicture(const FrameState& frame) {
  GraphicsDevice& d = *frame.device;
  SetMaterialSources(d);
  SetColorOp(d, 1, kTopDisable);
  SetColorOp(d, 0, kTopModulate, kTaTexture, kTaDiffuse);
  SetAlphaOp(d, 0, kTopModulate, kTaTexture, kTaDiffuse);
  d.SetRenderState(RenderState::TextureFactor, 0xFFFFFFFFu);
  d.SetRenderState(RenderState::AlphaBlendEnable, 1);
  SetBlend(d, kBlendSrcAlpha, kBlendOne);
  d.SetRenderState(RenderState::CullMode, kCullCcw);
  // Over everything drawn, as the fades are, whatever depths are left.
  d.SetRenderState(RenderState::ZEnable, 0);
  d.SetVertexShader(nullptr);
  d.SetTexture(0, frame.resources->dynamicTexture.get());
  d.SetTexture(1, nullptr);
  // The screen's edges take the texture's edges, not the opposite ones.
  SetAddress(d, 0, kAddressClamp);
  SetLinearFilters(d, 0);
  d.SetFVF(kFvfScreenColorTex);
  const DeviceViewport& v = frame.viewport;
  const auto x0 = static_cast<float>(v.x), y0 = static_cast<float>(v.y);
  const float x1 = x0 + static_cast<float>(v.width), y1 = y0 + static_cast<float>(v.height);
  const ScreenVertex quad[6] = {{x0, y0, 0, 1, kGlareTint, 0, 0}, {x1, y0, 0, 1, kGlareTint, 1, 0},
                                {x0, y1, 0, 1, kGlareTint, 0, 1}, {x1, y1, 0, 1, kGlareTint, 1, 1},
                                {x0, y1, 0, 1, kGlareTint, 0, 1}, {x1, y0, 0, 1, kGlareTint, 1, 0}};
  d.DrawPrimitiveUP(PrimitiveType::TriangleList, 2, quad, sizeof(ScreenVertex));
  d.SetRenderState(RenderState::Lighting, 1);
}
