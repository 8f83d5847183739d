// The device's CPU half, shared by every backend: states and their defaults,
// the checks that refuse what the device does not support, resource
// bookkeeping, the lost and not-reset states, and the call trace.
#include "platform/gpu/device.h"

#include <algorithm>
#include <cassert>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <new>

#include "platform/image/image_memory.h"

namespace {

// How a state's value is checked and written in a trace.
enum class Kind { Bool, Fill, Cull, Blend, BlendOp, Cmp, Color, Byte, MaterialSource, Op, Arg, Ttff, Address,
                  Filter, MipFilter, Float };

struct StateInfo {
  std::uint32_t id;
  const char* name;
  Kind kind;
  std::uint32_t initial;
};

constexpr StateInfo kRenderStates[] = {
    {7, "ZENABLE", Kind::Bool, 1},
    {8, "FILLMODE", Kind::Fill, kFillSolid},
    {14, "ZWRITEENABLE", Kind::Bool, 1},
    {15, "ALPHATESTENABLE", Kind::Bool, 0},
    {16, "LASTPIXEL", Kind::Bool, 1},
    {19, "SRCBLEND", Kind::Blend, kBlendOne},
    {20, "DESTBLEND", Kind::Blend, kBlendZero},
    {22, "CULLMODE", Kind::Cull, kCullCcw},
    {23, "ZFUNC", Kind::Cmp, kCmpLessEqual},
    {24, "ALPHAREF", Kind::Byte, 0},
    {25, "ALPHAFUNC", Kind::Cmp, kCmpAlways},
    {27, "ALPHABLENDENABLE", Kind::Bool, 0},
    {60, "TEXTUREFACTOR", Kind::Color, 0xFFFFFFFFu},
    {137, "LIGHTING", Kind::Bool, 1},
    {139, "AMBIENT", Kind::Color, 0},
    {141, "COLORVERTEX", Kind::Bool, 1},
    {142, "LOCALVIEWER", Kind::Bool, 1},
    {145, "DIFFUSEMATERIALSOURCE", Kind::MaterialSource, kMaterialSourceColor1},
    {147, "AMBIENTMATERIALSOURCE", Kind::MaterialSource, kMaterialSourceMaterial},
    {171, "BLENDOP", Kind::BlendOp, kBlendOpAdd},
    {176, "ANTIALIASEDLINEENABLE", Kind::Bool, 0},
};

// Stage 1 starts disabled; the initial values here are stage 0's.
constexpr StateInfo kStageStates[] = {
    {1, "COLOROP", Kind::Op, kTopModulate},       {2, "COLORARG1", Kind::Arg, kTaTexture},
    {3, "COLORARG2", Kind::Arg, kTaCurrent},      {4, "ALPHAOP", Kind::Op, kTopSelectArg1},
    {5, "ALPHAARG1", Kind::Arg, kTaTexture},      {6, "ALPHAARG2", Kind::Arg, kTaCurrent},
    {24, "TEXTURETRANSFORMFLAGS", Kind::Ttff, kTtffDisable},
};

constexpr StateInfo kSamplerStates[] = {
    {1, "ADDRESSU", Kind::Address, kAddressWrap}, {2, "ADDRESSV", Kind::Address, kAddressWrap},
    {5, "MAGFILTER", Kind::Filter, kTexFilterPoint}, {6, "MINFILTER", Kind::Filter, kTexFilterPoint},
    {7, "MIPFILTER", Kind::MipFilter, kTexFilterNone}, {8, "MIPMAPLODBIAS", Kind::Float, 0},
};

template <std::size_t N>
const StateInfo* FindState(const StateInfo (&table)[N], std::uint32_t id) {
  for (const StateInfo& info : table)
    if (info.id == id) return &info;
  return nullptr;
}

const char* Named(std::uint32_t value, std::initializer_list<const char*> names, std::uint32_t first) {
  if (value < first || value - first >= names.size()) return nullptr;
  return names.begin()[value - first];
}

// Writes the value's name into `text`; false when the device does not support
// the value. Every state call validates through here, so it allocates nothing.
bool ValueText(Kind kind, std::uint32_t value, char (&text)[32]) {
  const char* name = nullptr;
  switch (kind) {
    case Kind::Bool: name = Named(value, {"FALSE", "TRUE"}, 0); break;
    case Kind::Fill: name = value == kFillSolid ? "SOLID" : nullptr; break;
    case Kind::Cull: name = Named(value, {"NONE", "CW", "CCW"}, 1); break;
    case Kind::Blend:
      name = Named(value, {"ZERO", "ONE", "SRCCOLOR", "INVSRCCOLOR", "SRCALPHA", "INVSRCALPHA", "DESTALPHA",
                           "INVDESTALPHA", "DESTCOLOR", "INVDESTCOLOR"}, 1);
      break;
    case Kind::BlendOp: name = value == kBlendOpAdd ? "ADD" : nullptr; break;
    case Kind::Cmp:
      name = Named(value, {"NEVER", "LESS", "EQUAL", "LESSEQUAL", "GREATER", "NOTEQUAL", "GREATEREQUAL", "ALWAYS"}, 1);
      break;
    case Kind::MaterialSource: name = Named(value, {"MATERIAL", "COLOR1"}, 0); break;
    case Kind::Op:
      name = value == kTopModulate ? "MODULATE" : Named(value, {"DISABLE", "SELECTARG1"}, 1);
      break;
    case Kind::Arg: name = Named(value, {"DIFFUSE", "CURRENT", "TEXTURE", "TFACTOR"}, 0); break;
    case Kind::Ttff:
      name = value == kTtffDisable ? "DISABLE" : value == kTtffCount3Projected ? "COUNT3|PROJECTED" : nullptr;
      break;
    case Kind::Address: name = value == kAddressWrap ? "WRAP" : value == kAddressClamp ? "CLAMP" : nullptr; break;
    case Kind::Filter: name = Named(value, {"POINT", "LINEAR"}, 1); break;
    case Kind::MipFilter: name = Named(value, {"NONE", "POINT", "LINEAR"}, 0); break;
    case Kind::Color:
      std::snprintf(text, sizeof text, "0x%08" PRIx32, value);
      return true;
    case Kind::Byte:
      if (value > 255) return false;
      std::snprintf(text, sizeof text, "%" PRIu32, value);
      return true;
    case Kind::Float: {
      float f;
      std::memcpy(&f, &value, sizeof f);
      std::snprintf(text, sizeof text, "%g", static_cast<double>(f));
      return true;
    }
  }
  if (name == nullptr) return false;
  std::snprintf(text, sizeof text, "%s", name);
  return true;
}

std::string ColorWordText(std::uint32_t color) {
  char text[32];
  ValueText(Kind::Color, color, text);
  return text;
}

std::string Number(float value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%g", static_cast<double>(value));
  return buffer;
}

std::string ColorText(const ColorValue& c) {
  return "(" + Number(c.r) + ", " + Number(c.g) + ", " + Number(c.b) + ", " + Number(c.a) + ")";
}

std::string VectorText(const Vector3& v) { return "(" + Number(v.x) + ", " + Number(v.y) + ", " + Number(v.z) + ")"; }

std::string Hex(std::uint32_t value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "0x%" PRIx32, value);
  return buffer;
}

std::string TextureText(const Texture* texture) { return texture != nullptr ? texture->GetName() : "null"; }

bool IsMeshFvf(std::uint32_t fvf) {
  VertexLayout layout;
  return GetVertexLayout(fvf, &layout);
}

}  // namespace

std::uint32_t VertexSizeOfFvf(std::uint32_t fvf) {
  if (fvf == kFvfScreenColor) return 20;
  if (fvf == kFvfScreenColorTex) return 28;
  VertexLayout layout;
  return GetVertexLayout(fvf, &layout) ? layout.stride : 0;
}

// ---- resources ----

std::uint64_t TextureLevelBytes(std::uint32_t width, std::uint32_t height, std::uint32_t levels) {
  std::uint64_t bytes = 0;
  // A 32-bit size has no level past 31, however many are asked for.
  for (std::uint32_t level = 0; level < levels && level < 32; ++level) {
    bytes += std::uint64_t{std::max(width >> level, 1u)} * std::max(height >> level, 1u) * 4;
  }
  return bytes;
}

Texture::Texture(std::shared_ptr<DeviceLink> link, std::uint32_t width, std::uint32_t height, std::uint32_t levels,
                 std::uint32_t usage, TextureFormat format, TexturePool pool, std::uint64_t deviceBytes)
    : link_(std::move(link)), width_(width), height_(height), levels_(levels), usage_(usage), format_(format),
      pool_(pool), pixels_(static_cast<std::size_t>(width) * height, 0xFF000000u), deviceBytes_(deviceBytes) {
  GetImageMemory().Take(deviceBytes_ + pixels_.size() * sizeof(std::uint32_t));
  if (pool_ == TexturePool::Default) ++link_->defaultPoolTextures;
  char name[32];
  std::snprintf(name, sizeof name, "texture%ux%u", width, height);
  name_ = name;
}

Texture::~Texture() {
  GetImageMemory().Give(deviceBytes_ + pixels_.size() * sizeof(std::uint32_t));
  if (pool_ == TexturePool::Default) --link_->defaultPoolTextures;
  if (link_->device != nullptr) link_->device->Forget(this);
}

bool Texture::DeviceAlive() const { return link_->device != nullptr; }

Texture::LockedRect Texture::LockRect() {
  if (IsRenderTarget() || locked_) {
    assert(!"a render target cannot be locked, nor a texture twice");
    return {};
  }
  if (pixels_.empty()) {
    try {
      pixels_.resize(static_cast<std::size_t>(width_) * height_);
    } catch (const std::bad_alloc&) {
      return {};
    }
    GetImageMemory().Take(pixels_.size() * sizeof(std::uint32_t));
    Download(pixels_.data());
  }
  locked_ = true;
  return {pixels_.data(), width_};
}

void Texture::UnlockRect() {
  if (!locked_) return;
  locked_ = false;
  if (pool_ == TexturePool::SystemMem) return;
  Upload();
  if (!KeepsCpuCopyAfterUpload()) {
    GetImageMemory().Give(pixels_.size() * sizeof(std::uint32_t));
    std::vector<std::uint32_t>().swap(pixels_);
  }
}

VertexShader::VertexShader(std::shared_ptr<DeviceLink> link, std::string_view name, std::string_view source)
    : link_(std::move(link)), name_(name), source_(source) {}

VertexShader::~VertexShader() {
  if (link_->device != nullptr) link_->device->Forget(this);
}

bool VertexShader::DeviceAlive() const { return link_->device != nullptr; }

// ---- the device ----

GraphicsDevice::GraphicsDevice() : link_(std::make_shared<DeviceLink>()) { link_->device = this; }

GraphicsDevice::~GraphicsDevice() { link_->device = nullptr; }

void GraphicsDevice::Start(const PresentParameters& parameters) {
  parameters_ = parameters;
  state_ = DeviceState::Ready;
  SetDefaultStates();
}

void GraphicsDevice::SetDefaultStates() {
  renderStates_.fill(0);
  for (const StateInfo& info : kRenderStates) renderStates_[info.id] = info.initial;
  for (std::uint32_t stage = 0; stage < kTextureStageCount; ++stage) {
    for (const StateInfo& info : kStageStates) stageStates_[stage][info.id] = info.initial;
    for (const StateInfo& info : kSamplerStates) samplerStates_[stage][info.id] = info.initial;
  }
  stageStates_[1][static_cast<int>(TextureStageState::ColorOp)] = kTopDisable;
  stageStates_[1][static_cast<int>(TextureStageState::AlphaOp)] = kTopDisable;
  world_ = view_ = projection_ = MatrixIdentity();
  light_ = Light{};
  lightEnabled_ = false;
  material_ = Material{};
  textures_.fill(nullptr);
  fvf_ = 0;
  shader_ = nullptr;
  constants_.fill(Vector4{0, 0, 0, 0});
  renderTarget_ = nullptr;
  viewport_ = DeviceViewport{0, 0, parameters_.backBufferWidth, parameters_.backBufferHeight, 0.0f, 1.0f};
  inScene_ = false;
}

void GraphicsDevice::SetTrace(std::vector<std::string>* lines, bool vertices) {
  trace_ = lines;
  traceVertices_ = vertices;
}

void GraphicsDevice::Trace(const std::string& line) {
  if (trace_ != nullptr) trace_->push_back(line);
}

DeviceResult GraphicsDevice::Refuse(const std::string& call) {
  Trace("refused: " + call);
  std::fprintf(stderr, "graphics device: refused %s\n", call.c_str());
  assert(!"the graphics device does not support this call");
  return DeviceResult::InvalidCall;
}

DeviceResult GraphicsDevice::SetRenderState(RenderState state, std::uint32_t value) {
  const StateInfo* info = FindState(kRenderStates, static_cast<std::uint32_t>(state));
  char text[32];
  if (info == nullptr || !ValueText(info->kind, value, text)) {
    return Refuse("SetRenderState(" + std::to_string(static_cast<std::uint32_t>(state)) + ", " +
                  std::to_string(value) + ")");
  }
  if (Tracing()) Trace(std::string("SetRenderState(") + info->name + ", " + text + ")");
  renderStates_[info->id] = value;
  return DeviceResult::Ok;
}

std::uint32_t GraphicsDevice::GetRenderState(RenderState state) const {
  const auto id = static_cast<std::uint32_t>(state);
  return id < renderStates_.size() ? renderStates_[id] : 0;
}

DeviceResult GraphicsDevice::SetTextureStageState(std::uint32_t stage, TextureStageState state,
                                                  std::uint32_t value) {
  const StateInfo* info = FindState(kStageStates, static_cast<std::uint32_t>(state));
  char text[32];
  if (info == nullptr || stage >= kTextureStageCount || !ValueText(info->kind, value, text)) {
    return Refuse("SetTextureStageState(" + std::to_string(stage) + ", " +
                  std::to_string(static_cast<std::uint32_t>(state)) + ", " + std::to_string(value) + ")");
  }
  if (Tracing()) Trace("SetTextureStageState(" + std::to_string(stage) + ", " + info->name + ", " + text + ")");
  stageStates_[stage][info->id] = value;
  return DeviceResult::Ok;
}

std::uint32_t GraphicsDevice::GetTextureStageState(std::uint32_t stage, TextureStageState state) const {
  const auto id = static_cast<std::uint32_t>(state);
  return stage < kTextureStageCount && id < 32 ? stageStates_[stage][id] : 0;
}

DeviceResult GraphicsDevice::SetSamplerState(std::uint32_t sampler, SamplerState state, std::uint32_t value) {
  const StateInfo* info = FindState(kSamplerStates, static_cast<std::uint32_t>(state));
  char text[32];
  if (info == nullptr || sampler >= kTextureStageCount || !ValueText(info->kind, value, text)) {
    return Refuse("SetSamplerState(" + std::to_string(sampler) + ", " +
                  std::to_string(static_cast<std::uint32_t>(state)) + ", " + std::to_string(value) + ")");
  }
  if (Tracing()) Trace("SetSamplerState(" + std::to_string(sampler) + ", " + info->name + ", " + text + ")");
  samplerStates_[sampler][info->id] = value;
  return DeviceResult::Ok;
}

std::uint32_t GraphicsDevice::GetSamplerState(std::uint32_t sampler, SamplerState state) const {
  const auto id = static_cast<std::uint32_t>(state);
  return sampler < kTextureStageCount && id < 16 ? samplerStates_[sampler][id] : 0;
}

DeviceResult GraphicsDevice::SetTransform(TransformState state, const Matrix& matrix) {
  Matrix* target = state == TransformState::World        ? &world_
                   : state == TransformState::View       ? &view_
                   : state == TransformState::Projection ? &projection_
                                                         : nullptr;
  const char* name = state == TransformState::World ? "WORLD" : state == TransformState::View ? "VIEW" : "PROJECTION";
  if (target == nullptr) return Refuse("SetTransform(" + std::to_string(static_cast<std::uint32_t>(state)) + ")");
  if (Tracing()) {
    std::string line = std::string("SetTransform(") + name + ",";
    for (int r = 0; r < 4; ++r) {
      line += r == 0 ? " [" : " |";
      for (int c = 0; c < 4; ++c) line += " " + Number(matrix.m[r][c]);
    }
    Trace(line + " ])");
  }
  *target = matrix;
  return DeviceResult::Ok;
}

const Matrix& GraphicsDevice::GetTransform(TransformState state) const {
  return state == TransformState::View ? view_ : state == TransformState::Projection ? projection_ : world_;
}

DeviceResult GraphicsDevice::SetLight(std::uint32_t index, const Light& light) {
  if (index != 0 || light.type != kLightDirectional) return Refuse("SetLight(" + std::to_string(index) + ")");
  if (Tracing()) {
    Trace("SetLight(0, direction " + VectorText(light.direction) + ", diffuse " + ColorText(light.diffuse) +
          ", ambient " + ColorText(light.ambient) + ")");
  }
  light_ = light;
  return DeviceResult::Ok;
}

DeviceResult GraphicsDevice::LightEnable(std::uint32_t index, bool enable) {
  if (index != 0) return Refuse("LightEnable(" + std::to_string(index) + ")");
  if (Tracing()) Trace(std::string("LightEnable(0, ") + (enable ? "TRUE" : "FALSE") + ")");
  lightEnabled_ = enable;
  return DeviceResult::Ok;
}

DeviceResult GraphicsDevice::SetMaterial(const Material& material) {
  if (Tracing()) {
    Trace("SetMaterial(diffuse " + ColorText(material.diffuse) + ", ambient " + ColorText(material.ambient) +
          ", specular " + ColorText(material.specular) + ", emissive " + ColorText(material.emissive) +
          ", power " + Number(material.power) + ")");
  }
  material_ = material;
  return DeviceResult::Ok;
}

DeviceResult GraphicsDevice::SetViewport(const DeviceViewport& viewport) {
  const std::uint32_t width = renderTarget_ != nullptr ? renderTarget_->GetWidth() : parameters_.backBufferWidth;
  const std::uint32_t height = renderTarget_ != nullptr ? renderTarget_->GetHeight() : parameters_.backBufferHeight;
  auto text = [&] {
    return "SetViewport(" + std::to_string(viewport.x) + ", " + std::to_string(viewport.y) + ", " +
           std::to_string(viewport.width) + ", " + std::to_string(viewport.height) + ", " + Number(viewport.minZ) +
           ", " + Number(viewport.maxZ) + ")";
  };
  if (viewport.width == 0 || viewport.height == 0 || viewport.x > width || viewport.width > width - viewport.x ||
      viewport.y > height || viewport.height > height - viewport.y || !(viewport.minZ >= 0.0f) ||
      !(viewport.maxZ <= 1.0f) || !(viewport.minZ <= viewport.maxZ)) {
    return Refuse(text());
  }
  if (Tracing()) Trace(text());
  viewport_ = viewport;
  return DeviceResult::Ok;
}

DeviceResult GraphicsDevice::SetTexture(std::uint32_t stage, Texture* texture) {
  if (stage >= kTextureStageCount || (texture != nullptr && texture->GetPool() == TexturePool::SystemMem))
    return Refuse("SetTexture(" + std::to_string(stage) + ", " + TextureText(texture) + ")");
  if (Tracing()) Trace("SetTexture(" + std::to_string(stage) + ", " + TextureText(texture) + ")");
  textures_[stage] = texture;
  return DeviceResult::Ok;
}

Texture* GraphicsDevice::GetTexture(std::uint32_t stage) const {
  return stage < kTextureStageCount ? textures_[stage] : nullptr;
}

DeviceResult GraphicsDevice::SetFVF(std::uint32_t fvf) {
  if (fvf != 0 && fvf != kFvfScreenColor && fvf != kFvfScreenColorTex && !IsMeshFvf(fvf))
    return Refuse("SetFVF(" + Hex(fvf) + ")");
  if (Tracing()) Trace("SetFVF(" + Hex(fvf) + ")");
  fvf_ = fvf;
  return DeviceResult::Ok;
}

DeviceResult GraphicsDevice::SetVertexShader(VertexShader* shader) {
  if (Tracing()) Trace("SetVertexShader(" + (shader != nullptr ? shader->GetName() : std::string("null")) + ")");
  shader_ = shader;
  return DeviceResult::Ok;
}

DeviceResult GraphicsDevice::SetVertexShaderConstantF(std::uint32_t startRegister, const float* data,
                                                      std::uint32_t count) {
  if (data == nullptr || startRegister >= kVertexShaderConstantCount ||
      count > kVertexShaderConstantCount - startRegister) {
    return Refuse("SetVertexShaderConstantF(" + std::to_string(startRegister) + ", " + std::to_string(count) + ")");
  }
  std::string line;
  if (Tracing()) line = "SetVertexShaderConstantF(" + std::to_string(startRegister) + ",";
  for (std::uint32_t i = 0; i < count; ++i) {
    const float* v = data + 4 * i;
    constants_[startRegister + i] = Vector4{v[0], v[1], v[2], v[3]};
    if (Tracing())
      line += " (" + Number(v[0]) + ", " + Number(v[1]) + ", " + Number(v[2]) + ", " + Number(v[3]) + ")";
  }
  if (Tracing()) Trace(line + ")");
  return DeviceResult::Ok;
}

const Vector4& GraphicsDevice::GetVertexShaderConstant(std::uint32_t reg) const {
  assert(reg < kVertexShaderConstantCount);
  return constants_[reg < kVertexShaderConstantCount ? reg : 0];
}

DeviceResult GraphicsDevice::SetRenderTarget(Texture* target) {
  if (target != nullptr && !target->IsRenderTarget()) return Refuse("SetRenderTarget(" + TextureText(target) + ")");
  if (Tracing()) Trace("SetRenderTarget(" + (target != nullptr ? target->GetName() : std::string("back buffer")) + ")");
  renderTarget_ = target;
  viewport_ = DeviceViewport{0, 0, target != nullptr ? target->GetWidth() : parameters_.backBufferWidth,
                             target != nullptr ? target->GetHeight() : parameters_.backBufferHeight, 0.0f, 1.0f};
  return DeviceResult::Ok;
}

bool GraphicsDevice::TextureRequestValid(std::uint32_t width, std::uint32_t height, std::uint32_t levels,
                                         std::uint32_t usage, TextureFormat format, TexturePool pool) {
  const bool renderTarget = usage == kUsageRenderTarget, dynamic = usage == kUsageDynamic;
  const bool fits = usage == 0 ? pool != TexturePool::Default : pool == TexturePool::Default;
  if ((format != TextureFormat::A8R8G8B8 && format != TextureFormat::X8R8G8B8) ||
      (usage != 0 && !renderTarget && !dynamic) || !fits ||
      ((renderTarget || dynamic || pool == TexturePool::SystemMem) && levels != 1)) {
    Refuse("CreateTexture(" + std::to_string(width) + "x" + std::to_string(height) + ", usage " + Hex(usage) +
           ", format " + std::to_string(static_cast<std::uint32_t>(format)) + ")");
    return false;
  }
  return width > 0 && height > 0 && width <= caps_.maxTextureWidth && height <= caps_.maxTextureHeight &&
         levels <= MipLevelCount(width, height);
}

std::uint32_t GraphicsDevice::MipLevelCount(std::uint32_t width, std::uint32_t height) {
  std::uint32_t levels = 1;
  while (width > 1 || height > 1) {
    width = width > 1 ? width / 2 : 1;
    height = height > 1 ? height / 2 : 1;
    ++levels;
  }
  return levels;
}

void GraphicsDevice::Forget(const Texture* texture) {
  for (Texture*& bound : textures_)
    if (bound == texture) bound = nullptr;
  if (renderTarget_ == texture) SetRenderTarget(nullptr);
}

void GraphicsDevice::Forget(const VertexShader* shader) {
  if (shader_ == shader) shader_ = nullptr;
}

DeviceResult GraphicsDevice::Clear(std::uint32_t flags, std::uint32_t color, float z) {
  if (flags == 0 || (flags & ~(kClearTarget | kClearZBuffer)) != 0) return Refuse("Clear(" + Hex(flags) + ")");
  if (Tracing()) {
    std::string what = (flags & kClearTarget) != 0 ? "TARGET" : "";
    if ((flags & kClearZBuffer) != 0) what += what.empty() ? "ZBUFFER" : "|ZBUFFER";
    Trace("Clear(" + what + ", " + ColorWordText(color) + ", " + Number(z) + ")");
  }
  if (Drawable()) DoClear(flags, color, z);
  return DeviceResult::Ok;
}

bool GraphicsDevice::BeginScene() {
  if (inScene_) return Refuse("BeginScene inside a scene") == DeviceResult::Ok;
  Trace("BeginScene");
  if (!Drawable()) return false;
  inScene_ = true;
  return true;
}

void GraphicsDevice::EndScene() {
  if (!inScene_) {
    Refuse("EndScene outside a scene");
    return;
  }
  Trace("EndScene");
  inScene_ = false;
}

std::string GraphicsDevice::TraceVertices(std::uint32_t count, const std::uint8_t* vertices,
                                          std::uint32_t stride) const {
  std::string text;
  const bool screen = (fvf_ & kFvfXyzRhw) != 0;
  VertexLayout layout;
  if (!screen) GetVertexLayout(fvf_, &layout);
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint8_t* v = vertices + static_cast<std::size_t>(i) * stride;
    float f[8];
    std::memcpy(f, v, std::min<std::size_t>(stride, sizeof f));
    text += "\n  (" + Number(f[0]) + ", " + Number(f[1]) + ", " + Number(f[2]);
    text += screen ? ", " + Number(f[3]) + ")" : std::string(")");
    std::uint32_t color;
    const int colorOffset = screen ? 16 : layout.diffuseOffset;
    if (colorOffset >= 0) {
      std::memcpy(&color, v + colorOffset, 4);
      text += " " + ColorWordText(color);
    }
    const int texOffset = screen ? (fvf_ == kFvfScreenColorTex ? 20 : -1) : layout.texCoordOffset;
    if (texOffset >= 0) {
      float uv[2];
      std::memcpy(uv, v + texOffset, sizeof uv);
      text += " (" + Number(uv[0]) + ", " + Number(uv[1]) + ")";
    }
  }
  return text;
}

DeviceResult GraphicsDevice::DrawPrimitiveUP(PrimitiveType type, std::uint32_t primitiveCount,
                                             const void* vertices, std::uint32_t stride) {
  auto line = [&] {
    return "DrawPrimitiveUP(TRIANGLELIST, " + std::to_string(primitiveCount) + ", " + std::to_string(stride) + ")";
  };
  if (type != PrimitiveType::TriangleList || vertices == nullptr || primitiveCount == 0 || fvf_ == 0 ||
      stride != VertexSizeOfFvf(fvf_) || primitiveCount > (1u << 24)) {
    return Refuse(line() + " with format " + Hex(fvf_));
  }
  const auto* bytes = static_cast<const std::uint8_t*>(vertices);
  if (Tracing()) Trace(traceVertices_ ? line() + TraceVertices(primitiveCount * 3, bytes, stride) : line());
  if (Drawable()) DoDraw(primitiveCount * 3, bytes, stride);
  return DeviceResult::Ok;
}

DeviceResult GraphicsDevice::DrawSubset(DeviceMesh& mesh, std::uint32_t attribId) {
  if (Tracing()) Trace("DrawSubset(" + mesh.GetName() + ", " + std::to_string(attribId) + ")");
  const AttributeRange* range = mesh.GetMesh().FindAttributeRange(attribId);
  if (range == nullptr || range->faceCount == 0 || !Drawable()) return DeviceResult::Ok;
  DoDrawSubset(mesh, *range);
  return DeviceResult::Ok;
}

DeviceResult GraphicsDevice::GetRenderTargetData(Texture& renderTarget, Texture& destination) {
  auto line = [&] { return "GetRenderTargetData(" + renderTarget.GetName() + ", " + destination.GetName() + ")"; };
  if (!renderTarget.IsRenderTarget() || destination.GetPool() != TexturePool::SystemMem ||
      renderTarget.GetWidth() != destination.GetWidth() || renderTarget.GetHeight() != destination.GetHeight() ||
      renderTarget.GetFormat() != destination.GetFormat() || destination.IsLocked()) {
    return Refuse(line());
  }
  if (Tracing()) Trace(line());
  if (state_ == DeviceState::Lost) return DeviceResult::DeviceLost;
  DoReadRenderTarget(renderTarget, &destination.pixels_);
  return DeviceResult::Ok;
}

DeviceResult GraphicsDevice::Present() {
  Trace("Present");
  if (state_ == DeviceState::Lost) return DeviceResult::DeviceLost;
  if (state_ == DeviceState::NotReset) return DeviceResult::DeviceNotReset;
  DoPresent();
  return DeviceResult::Ok;
}

DeviceResult GraphicsDevice::Reset(const PresentParameters& parameters) {
  Trace("Reset(" + std::to_string(parameters.backBufferWidth) + "x" + std::to_string(parameters.backBufferHeight) +
        (parameters.windowed ? ", windowed)" : ", full screen)"));
  if (state_ == DeviceState::Lost) return DeviceResult::DeviceLost;
  // The platform refuses a reset while default-pool resources live; the
  // run loop then releases them and resets again from the not-reset state.
  if (link_->defaultPoolTextures > 0 || parameters.backBufferWidth == 0 || parameters.backBufferHeight == 0 ||
      !DoReset(parameters)) {
    state_ = DeviceState::NotReset;
    return DeviceResult::InvalidCall;
  }
  parameters_ = parameters;
  state_ = DeviceState::Ready;
  SetDefaultStates();
  return DeviceResult::Ok;
}
