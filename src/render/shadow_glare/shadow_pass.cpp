// The shadow section: receivers, the soft shape or the blob, the projection
// onto the receiving faces.
#include "render/shadow_glare/shadow_pass.h"

#include <algorithm>

#include "motion/model.h"
#include "motion/object_class.h"
#include "platform/math/matrix.h"
#include "platform/math/vector.h"
#include "render/cast_passes.h"
#include "render/shadow_glare/offscreen_target.h"
#include "render/scene_renderer.h"
#include "scene/cast/cast.h"

namespace {

// Nearly straight down: a view exactly along the up vector (0, 1, 0) would
// have no side direction.
constexpr Vector3 kStraightDown{0.00001f, -1.0f, 0.00001f};
constexpr Vector3 kUp{0.0f, 1.0f, 0.0f};
// The shadow is seen from this far back along the light.
constexpr float kEyeBack = 100.0f;
// How far the shadow texture reaches, in bounding radii: a rendered shape's
// this far to each side of the caster, where the model just fits; the blob
// image this wide in all, its soft edge well past the caster's.
constexpr float kSoftHalfSize = 1.05f;
constexpr float kBlobSize = 5.05f;
// The light's view takes in everything this far before and behind the caster.
constexpr float kDepthReach = 5000.0f;
// The soft shadow's grey: 128 up to this distance, lighter towards the
// receivers' reach.
constexpr float kFadeStart = 500.0f;
constexpr std::uint32_t kDarkest = 128;
constexpr std::uint32_t kWhite = 0xFFFFFFFFu;

std::uint32_t ShadowGrey(float receiverDistance) {
  if (!(receiverDistance > kFadeStart)) return kDarkest;
  const float g = (receiverDistance - kFadeStart) * 128.0f / (kShadowReach - kFadeStart) + 128.0f;
  return std::min<std::uint32_t>(255, static_cast<std::uint32_t>(g));
}

}  // namespace

void ShadowPass::Render(Scene& scene, const FrameState& frame, const RenderList& list) {
  const RenderResources& r = *frame.resources;
  if (!r.renderTarget || !r.shadowVertexShader || !r.dynamicTexture) return;
  const Vector3 light = (frame.renderFlags & kRenderShadowsStraightDown) ? kStraightDown : frame.light.direction;
  const bool soft = (frame.renderFlags & kRenderSoftShadows) != 0;
  for (int i = 0; i < list.count; ++i) {
    Cast& caster = *list.entries[static_cast<std::size_t>(i)].cast;
    if (!(caster.GetFlags() & kFlagShadowRender)) continue;
    ShadowReceiver receiver;
    if (!FindShadowReceiver(scene, caster, light, frame.viewProjection, &receiver)) continue;

    const Vector3 position = caster.GetPosition();
    const float radius = caster.GetClass()->GetBoundingRadius();
    const Vector3 eye = position - light * kEyeBack;
    // The texture covers `size` units across, centred on the caster as the
    // light sees it.
    const float size = soft ? 2.0f * kSoftHalfSize * radius : kBlobSize * radius;
    const Matrix textureMatrix =
        MatrixLookAtLH(eye, position, kUp) * MatrixOrthoRH(size, -size, -kDepthReach, kDepthReach);
    const std::size_t count = CollectReceivingTriangles(
        *receiver.mesh, {receiver.faces.data(), static_cast<std::size_t>(receiver.faceCount)},
        receiver.cast->GetWorldMatrix(true), position, light, textureMatrix, &candidateFaces_, vertices_);
    // The faces first: a shadow with nothing to fall on is neither rendered
    // nor read back.
    if (count == 0) continue;
    Texture* shadow = r.shadowTexture.get();
    if (soft) {
      if (!RenderSoftShape(frame, caster, receiver.distance, eye, kSoftHalfSize * radius)) continue;
      shadow = r.dynamicTexture.get();
    }
    if (shadow) DrawReceivingTriangles(frame, shadow, count);
  }
}

bool ShadowPass::RenderSoftShape(const FrameState& frame, Cast& caster, float receiverDistance, const Vector3& eye,
                                 float halfSize) {
  GraphicsDevice& d = *frame.device;
  const std::uint32_t g = ShadowGrey(receiverDistance);
  d.SetRenderState(RenderState::ZEnable, 0);
  d.SetRenderState(RenderState::TextureFactor, 0xFF000000u | g << 16 | g << 8 | g);
  SetColorOp(d, 0, kTopSelectArg1, kTaTFactor);
  SetColorOp(d, 1, kTopDisable);
  d.SetRenderState(RenderState::AlphaBlendEnable, 0);
  // The outline of the cast, whichever of its faces make it: the view
  // below is mirrored, and an open model has no back faces to stand in.
  d.SetRenderState(RenderState::CullMode, kCullNone);
  d.SetVertexShader(nullptr);
  Texture* replaced = BeginTargetDrawing(frame, kClearTarget, kWhite);
  // Seen from the light; the negative width mirrors the right-handed view
  // back, so the shape lies in the target as the texture matrix reads it.
  const Vector3 position = caster.GetPosition();
  d.SetTransform(TransformState::View, MatrixLookAtRH(eye, position, kUp));
  d.SetTransform(TransformState::Projection,
                 MatrixOrthoRH(-2.0f * halfSize, 2.0f * halfSize, -kDepthReach, kDepthReach));
  const Matrix world = PoseCast(frame, caster);
  caster.GetClass()->GetModel()->Draw(d, ModelPlacement(world), -1, true, true, 1.0f);
  EndTargetDrawing(frame, replaced);
  d.SetRenderState(RenderState::ZEnable, 1);
  // The receiving faces are drawn next, with every state they need.
  return BlurTargetIntoDynamicTexture(frame, BlurShadowShape);
}

void ShadowPass::DrawReceivingTriangles(const FrameState& frame, Texture* shadow, std::size_t vertexCount) {
  GraphicsDevice& d = *frame.device;
  d.SetTexture(0, shadow);
  d.SetTexture(1, nullptr);
  // Beyond the texture the shadow image is white: nothing changes there.
  SetAddress(d, 0, kAddressClamp);
  SetLinearFilters(d, 0);
  SetColorOp(d, 1, kTopDisable);
  SetStageZeroDefaults(d);
  d.SetTextureStageState(0, TextureStageState::TextureTransformFlags, kTtffCount3Projected);
  d.SetRenderState(RenderState::ZEnable, 1);
  d.SetRenderState(RenderState::ZFunc, kCmpLessEqual);
  d.SetRenderState(RenderState::ZWriteEnable, 1);
  d.SetRenderState(RenderState::TextureFactor, kWhite);
  d.SetRenderState(RenderState::AlphaBlendEnable, 1);
  d.SetRenderState(RenderState::CullMode, kCullCcw);
  d.SetRenderState(RenderState::Lighting, 0);
  d.SetRenderState(RenderState::LocalViewer, 1);
  // The shadow's colour multiplies what is drawn there.
  SetBlend(d, kBlendZero, kBlendSrcColor);
  d.SetVertexShader(nullptr);
  d.SetTransform(TransformState::World, MatrixIdentity());
  d.SetFVF(kFvfPositionNormalTex);
  d.DrawPrimitiveUP(PrimitiveType::TriangleList, static_cast<std::uint32_t>(vertexCount / 3), vertices_.data(),
                    sizeof(ShadowVertex));
  d.SetRenderState(RenderState::Lighting, 1);
  d.SetTextureStageState(0, TextureStageState::TextureTransformFlags, kTtffDisable);
  SetAddress(d, 0, kAddressWrap);
}
