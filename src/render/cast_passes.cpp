// One cast's passes: pose, silhouette, toon or fixed-function shading, outline.
#include "render/cast_passes.h"

#include <algorithm>

#include "motion/model.h"
#include "motion/object_class.h"
#include "platform/math/matrix.h"
#include "platform/math/vector.h"
#include "render/scene_renderer.h"
#include "scene/cast/cast.h"
#include "scene/cast/motion_query.h"

namespace {

// The vertex-program registers the passes fill.
constexpr std::uint32_t kToonUntexturedColorRegister = 1;
constexpr std::uint32_t kToonTexturedColorRegister = 8;
constexpr std::uint32_t kOutlineWidthRegister = 1;
constexpr std::uint32_t kRampRegister = 2;
constexpr std::uint32_t kLightRegister = 3;
constexpr std::uint32_t kTransformRegister = 4;  // four rows
constexpr int kNoColorRegister = -1;

constexpr std::uint32_t kOutlineColor = 0x6C3E32u;
// The first draw reaches just short of the second and tests with LESS: the
// second, a little wider, closes the line where the first left gaps.
constexpr float kOutlineInnerWidth = 1.0f / 256.0f - 0.001f;
constexpr float kOutlineOuterWidth = 1.0f / 256.0f + 0.001f;
constexpr std::uint32_t kWhite = 0xFFFFFFFFu;

void SetConstant(GraphicsDevice& d, std::uint32_t reg, float x, float y, float z, float w) {
  const float v[4] = {x, y, z, w};
  d.SetVertexShaderConstantF(reg, v, 1);
}

// The programs read the transposed world x view x projection in c4 to c7
// and, for toon shading, the light direction in model space in c3.
void SetTransformConstants(GraphicsDevice& d, const Matrix& world, const Matrix& viewProjection) {
  const Matrix t = MatrixTranspose(world * viewProjection);
  d.SetVertexShaderConstantF(kTransformRegister, &t.m[0][0], 4);
}

void SetLightConstant(GraphicsDevice& d, const Matrix& world, const Vector3& light) {
  // Transformed as a normal by the transpose: into the model's own axes.
  const Vector3 l = Vec3TransformNormal(light, MatrixTranspose(world));
  SetConstant(d, kLightRegister, l.x, l.y, l.z, 0.0f);
}

// Puts a container drawn at a matrix of its own where the vertex programs
// will read it.
class ShaderPlacement : public ModelPlacement {
 public:
  ShaderPlacement(const Matrix& world, const Matrix& viewProjection, const Vector3* light)
      : ModelPlacement(world), viewProjection_(viewProjection), light_(light) {}
  void Place(GraphicsDevice& device, const Matrix& world) const override {
    ModelPlacement::Place(device, world);
    SetTransformConstants(device, world, viewProjection_);
    if (light_) SetLightConstant(device, world, *light_);
  }

 private:
  Matrix viewProjection_;
  const Vector3* light_;
};

// Only where the cast is hidden behind nearer geometry, in the class's solid colour.
void DrawSilhouette(GraphicsDevice& d, Model& model, const ObjectClass& cls, const Matrix& world) {
  d.SetRenderState(RenderState::ZFunc, kCmpGreater);
  d.SetRenderState(RenderState::TextureFactor, cls.GetSolidColor());
  d.SetRenderState(RenderState::ZWriteEnable, 0);
  SetColorOp(d, 0, kTopSelectArg1, kTaTFactor);
  // The solid colour's own alpha, blended and from both sides of nothing
  // before: not the alpha and culling the cast before left.
  SetAlphaOp(d, 0, kTopSelectArg1, kTaTFactor);
  SetColorOp(d, 1, kTopDisable);
  d.SetTexture(0, nullptr);
  d.SetTexture(1, nullptr);
  d.SetVertexShader(nullptr);
  d.SetRenderState(RenderState::AlphaBlendEnable, 1);
  SetBlend(d, kBlendSrcAlpha, kBlendInvSrcAlpha);
  d.SetRenderState(RenderState::CullMode, kCullCcw);
  model.Draw(d, ModelPlacement(world), kNoColorRegister, true, true, 1.0f);
  SetStageZeroDefaults(d);
  d.SetRenderState(RenderState::TextureFactor, kWhite);
  d.SetRenderState(RenderState::ZFunc, kCmpLessEqual);
}

void DrawToon(const FrameState& frame, Model& model, const Matrix& world, float alpha) {
  GraphicsDevice& d = *frame.device;
  const RenderResources& r = *frame.resources;
  d.SetFVF(model.GetVertexDeclaration());
  const bool textured = model.HasTextures();
  d.SetRenderState(RenderState::AlphaBlendEnable, 1);
  SetBlend(d, kBlendSrcAlpha, kBlendInvSrcAlpha);
  std::uint32_t colorRegister;
  if (textured) {
    d.SetVertexShader(r.toonTexturedShader.get());
    colorRegister = kToonTexturedColorRegister;
    SetColorOp(d, 0, kTopModulate, kTaTexture, kTaDiffuse);
    SetAlphaOp(d, 0, kTopModulate, kTaTexture, kTaDiffuse);
    SetColorOp(d, 1, kTopModulate, kTaTexture, kTaCurrent);
    // Alpha passes through from stage 0: disabling it on a stage whose
    // colour runs is left undefined by the platform.
    SetAlphaOp(d, 1, kTopSelectArg1, kTaCurrent);
    SetAddress(d, 0, kAddressWrap);
    d.SetTexture(1, r.toonTexture.get());
    SetAddress(d, 1, kAddressClamp);
    SetLinearFilters(d, 1);
  } else {
    d.SetVertexShader(r.toonUntexturedShader.get());
    colorRegister = kToonUntexturedColorRegister;
    SetColorOp(d, 0, kTopModulate, kTaDiffuse, kTaTexture);
    SetAlphaOp(d, 0, kTopModulate, kTaDiffuse, kTaTexture);
    SetColorOp(d, 1, kTopDisable);
    SetAlphaOp(d, 1, kTopDisable);
    d.SetTexture(0, r.toonTexture.get());
    d.SetTexture(1, nullptr);
    SetAddress(d, 0, kAddressClamp);
    SetLinearFilters(d, 0);
  }
  d.SetRenderState(RenderState::Lighting, 0);
  d.SetRenderState(RenderState::LocalViewer, 0);
  SetConstant(d, kRampRegister, 0.5f, 0.5f, 0.5f, 0.5f);
  SetLightConstant(d, world, frame.light.direction);
  SetTransformConstants(d, world, frame.viewProjection);
  d.SetRenderState(RenderState::CullMode, kCullCcw);
  SetMaterialSources(d);
  model.Draw(d, ShaderPlacement(world, frame.viewProjection, &frame.light.direction),
             static_cast<int>(colorRegister), false, !textured, alpha);
  SetAddress(d, 0, kAddressWrap);
}

// The material of a fixed-function cast: white, or the colours of the
// "COLR" key of its motion's first track at its time.
Material CastMaterial(const Cast& cast) {
  Material material;
  material.diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
  material.emissive = {1.0f, 1.0f, 1.0f, 1.0f};
  const MotionFrame* track = FirstTrack(cast.GetCurrentMotion());
  MotionKey key;
  if (track && track->GetKey(kKindColor, cast.GetMotionTime(), key, false)) {
    // Stored A, R, G, B: ambient first, then diffuse.
    material.ambient = {key.GetFloat(1), key.GetFloat(2), key.GetFloat(3), key.GetFloat(0)};
    material.diffuse = {key.GetFloat(5), key.GetFloat(6), key.GetFloat(7), key.GetFloat(4)};
  }
  return material;
}

void DrawFixedFunction(const FrameState& frame, Cast& cast, Model& model, const Matrix& world,
                       std::uint32_t flags) {
  GraphicsDevice& d = *frame.device;
  d.SetRenderState(RenderState::LocalViewer, 1);
  d.SetRenderState(RenderState::CullMode, kCullCcw);
  d.SetTexture(1, nullptr);
  // Model textures repeat, whatever the pass before left on the sampler.
  SetAddress(d, 0, kAddressWrap);
  d.SetVertexShader(nullptr);
  const Material material = CastMaterial(cast);
  d.SetMaterial(material);
  SetMaterialSources(d);
  SetColorOp(d, 1, kTopDisable);
  const bool add = (flags & kFlagAddBlending) != 0;
  const bool multiply = !add && (flags & kFlagSubBlending) != 0;
  const bool blended = add || multiply || (flags & kFlagAlphaBlending) != 0;
  SetPictureBlend(d, add ? PictureBlend::Add : multiply ? PictureBlend::Multiply : PictureBlend::Alpha);
  d.SetRenderState(RenderState::TextureFactor, kWhite);
  d.SetRenderState(RenderState::AlphaBlendEnable, 1);
  d.SetRenderState(RenderState::Lighting, blended ? 0 : 1);
  // Blended casts take their colour from the material through the flat
  // program; without it they draw with the vertex colour.
  VertexShader* flat = frame.resources->flatColorShader.get();
  if (blended && flat) {
    SetConstant(d, 0, material.diffuse.r, material.diffuse.g, material.diffuse.b, material.diffuse.a);
    SetTransformConstants(d, world, frame.viewProjection);
    d.SetVertexShader(flat);
    model.Draw(d, ShaderPlacement(world, frame.viewProjection, nullptr), kNoColorRegister, false, false, 1.0f);
  } else {
    model.Draw(d, ModelPlacement(world), kNoColorRegister, false, false, 1.0f);
  }
  SetBlend(d, kBlendSrcAlpha, kBlendInvSrcAlpha);
  d.SetVertexShader(nullptr);
}

// The back faces pushed out a fixed width on the screen, in the outline colour.
void DrawOutline(const FrameState& frame, Model& model, const Matrix& world, float alpha) {
  GraphicsDevice& d = *frame.device;
  SetConstant(d, 0, 0.0f, 0.0f, 0.0f, 0.0f);
  SetTransformConstants(d, world, frame.viewProjection);
  // An opacity above 1 draws the line opaque instead of wrapping into the colour bits.
  const auto opacity = static_cast<std::uint32_t>(std::min(255.0f, 255.0f * alpha));
  d.SetRenderState(RenderState::TextureFactor, opacity << 24 | kOutlineColor);
  Material material;
  material.diffuse = material.emissive = {1.0f, 1.0f, 1.0f, alpha};
  d.SetMaterial(material);
  d.SetFVF(model.GetVertexDeclaration());
  d.SetVertexShader(frame.resources->outlineShader.get());
  d.SetRenderState(RenderState::CullMode, kCullCw);
  d.SetTexture(0, nullptr);
  d.SetTexture(1, nullptr);
  SetColorOp(d, 0, kTopSelectArg1, kTaTFactor);
  SetAlphaOp(d, 0, kTopSelectArg1, kTaTFactor);
  SetColorOp(d, 1, kTopDisable);
  d.SetRenderState(RenderState::AlphaBlendEnable, 1);
  SetBlend(d, kBlendSrcAlpha, kBlendInvSrcAlpha);
  const ShaderPlacement placement(world, frame.viewProjection, nullptr);
  SetConstant(d, kOutlineWidthRegister, kOutlineInnerWidth, 0.0f, 0.0f, 0.0f);
  d.SetRenderState(RenderState::ZFunc, kCmpLess);
  model.Draw(d, placement, kNoColorRegister, true, true, 1.0f);
  d.SetRenderState(RenderState::ZFunc, kCmpLessEqual);
  SetConstant(d, kOutlineWidthRegister, kOutlineOuterWidth, 0.0f, 0.0f, 0.0f);
  d.SetRenderState(RenderState::BlendOp, kBlendOpAdd);
  model.Draw(d, placement, kNoColorRegister, true, true, 1.0f);
  d.SetRenderState(RenderState::TextureFactor, kWhite);
}

}  // namespace

void SetColorOp(GraphicsDevice& d, std::uint32_t stage, std::uint32_t op, std::uint32_t arg1, std::uint32_t arg2) {
  d.SetTextureStageState(stage, TextureStageState::ColorOp, op);
  if (arg1 != kUnusedArgument) d.SetTextureStageState(stage, TextureStageState::ColorArg1, arg1);
  if (arg2 != kUnusedArgument) d.SetTextureStageState(stage, TextureStageState::ColorArg2, arg2);
}

void SetAlphaOp(GraphicsDevice& d, std::uint32_t stage, std::uint32_t op, std::uint32_t arg1, std::uint32_t arg2) {
  d.SetTextureStageState(stage, TextureStageState::AlphaOp, op);
  if (arg1 != kUnusedArgument) d.SetTextureStageState(stage, TextureStageState::AlphaArg1, arg1);
  if (arg2 != kUnusedArgument) d.SetTextureStageState(stage, TextureStageState::AlphaArg2, arg2);
}

void SetBlend(GraphicsDevice& d, std::uint32_t source, std::uint32_t destination) {
  d.SetRenderState(RenderState::SrcBlend, source);
  d.SetRenderState(RenderState::DestBlend, destination);
}

void SetPictureBlend(GraphicsDevice& d, PictureBlend blend) {
  if (blend == PictureBlend::Multiply) {
    SetStageZeroDefaults(d);
    SetBlend(d, kBlendZero, kBlendSrcColor);
    return;
  }
  SetColorOp(d, 0, kTopModulate, kTaTexture, kTaDiffuse);
  SetAlphaOp(d, 0, kTopModulate, kTaTexture, kTaDiffuse);
  SetBlend(d, kBlendSrcAlpha, blend == PictureBlend::Add ? kBlendOne : kBlendInvSrcAlpha);
}

void SetMaterialSources(GraphicsDevice& d) {
  d.SetRenderState(RenderState::DiffuseMaterialSource, kMaterialSourceMaterial);
  d.SetRenderState(RenderState::AmbientMaterialSource, kMaterialSourceMaterial);
}

void SetAddress(GraphicsDevice& d, std::uint32_t sampler, std::uint32_t address) {
  d.SetSamplerState(sampler, SamplerState::AddressU, address);
  d.SetSamplerState(sampler, SamplerState::AddressV, address);
}

void SetLinearFilters(GraphicsDevice& d, std::uint32_t sampler) {
  d.SetSamplerState(sampler, SamplerState::MagFilter, kTexFilterLinear);
  d.SetSamplerState(sampler, SamplerState::MinFilter, kTexFilterLinear);
}

void SetStageZeroDefaults(GraphicsDevice& d) {
  SetColorOp(d, 0, kTopModulate, kTaTexture, kTaCurrent);
  SetAlphaOp(d, 0, kTopSelectArg1, kTaDiffuse);
}

Matrix PoseCast(const FrameState& frame, Cast& cast) {
  Model& model = *cast.GetClass()->GetModel();
  const Matrix world = cast.GetWorldMatrix(true);
  cast.ApplyMotionPose();
  // Casts of a class share the model: its skinned vertices are kept only
  // when they hold this very cast's pose.
  const auto owner = reinterpret_cast<std::uintptr_t>(cast.GetHandle().ToInstance());
  model.KeepSkinFor({owner, cast.GetMotionIndex(), cast.GetMotionTime(), cast.GetPoseRevision()});
  // Outside a run, tools pose casts freely: skin every draw.
  if (!frame.running) model.SetDirty(true);
  frame.device->SetTransform(TransformState::World, world);
  return world;
}

void DrawCastPasses(const FrameState& frame, const RenderEntry& entry) {
  GraphicsDevice& d = *frame.device;
  Cast& cast = *entry.cast;
  const ObjectClass& cls = *cast.GetClass();
  Model& model = *cls.GetModel();
  // Read afresh: the AlphaBlending the list added for opacity only sorts.
  const std::uint32_t flags = cast.GetFlags();
  const bool toonResources = frame.resources->HasToonResources();

  const Matrix world = PoseCast(frame, cast);
  // Every pass tests depth, and the silhouette and outline change the test.
  d.SetRenderState(RenderState::ZEnable, 1);
  d.SetRenderState(RenderState::ZFunc, kCmpLessEqual);

  if (flags & kFlagSolidTRender) DrawSilhouette(d, model, cls, world);
  d.SetRenderState(RenderState::ZWriteEnable, (flags & kFlagNoDepthWrite) ? 0 : 1);
  if (toonResources && (flags & kFlagToonRender)) {
    DrawToon(frame, model, world, entry.alpha);
  } else {
    DrawFixedFunction(frame, cast, model, world, flags);
  }
  d.SetRenderState(RenderState::ZWriteEnable, 1);
  if (toonResources && (flags & kFlagEdgeRender) && (frame.renderFlags & kRenderOutline)) {
    DrawOutline(frame, model, world, entry.alpha);
  }

  d.SetFVF(0);
  d.SetTexture(1, nullptr);
  d.SetVertexShader(nullptr);
  // What the outline left (back faces, the texture factor as colour) would
  // cull or recolour the screen quads drawn after the casts.
  d.SetRenderState(RenderState::CullMode, kCullCcw);
  SetStageZeroDefaults(d);
}
