// The graphics device on OpenGL 3.3 core. The back buffer is an offscreen
// framebuffer kept top row first and flipped into the window at Present, so
// render targets, read-backs and screenshots are plain copies.
#include "platform/gpu/gl_device.h"

#include <epoxy/gl.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/gpu/gl_programs.h"
#include "platform/math/matrix.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
// llvmpipe (Mesa 22 on LLVM 15) loses two small blocks when it compiles the
// code for a draw, out of reach of any frame pointer. They are the driver's,
// not ours: the leak checker does not count what a draw allocates.
using DriverAllocations = __lsan::ScopedDisabler;
#else
struct DriverAllocations {};
#endif

namespace {

// Uploads go through a unit the draws never use, so no binding of theirs changes.
constexpr GLenum kUploadUnit = GL_TEXTURE2;

GLint InternalFormat(TextureFormat format) {
  // Without an alpha channel, sampling and blending read alpha as 1.
  return format == TextureFormat::A8R8G8B8 ? GL_RGBA8 : GL_RGB8;
}

class GlTexture : public Texture {
 public:
  GlTexture(std::shared_ptr<DeviceLink> link, std::uint32_t width, std::uint32_t height, std::uint32_t levels,
            std::uint32_t usage, TextureFormat format, TexturePool pool)
      : Texture(std::move(link), width, height, levels, usage, format, pool,
                pool == TexturePool::SystemMem ? 0 : TextureLevelBytes(width, height, levels)) {
    if (pool == TexturePool::SystemMem) return;
    glGenTextures(1, &id);
    glActiveTexture(kUploadUnit);
    glBindTexture(GL_TEXTURE_2D, id);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(levels - 1));
    // Storage once: size and format never change, so an unlock (every frame
    // for the blurred copy) replaces the pixels without a new allocation.
    glTexImage2D(GL_TEXTURE_2D, 0, InternalFormat(format), static_cast<GLsizei>(width),
                 static_cast<GLsizei>(height), 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
    Upload();
  }
  ~GlTexture() override {
    if (!DeviceAlive()) return;
    if (fbo != 0) glDeleteFramebuffers(1, &fbo);
    if (id != 0) glDeleteTextures(1, &id);
  }

  void Upload() override {
    if (id == 0) return;
    glActiveTexture(kUploadUnit);
    glBindTexture(GL_TEXTURE_2D, id);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, static_cast<GLsizei>(GetWidth()), static_cast<GLsizei>(GetHeight()),
                    GL_BGRA, GL_UNSIGNED_BYTE, Pixels().data());
    if (GetLevelCount() > 1) glGenerateMipmap(GL_TEXTURE_2D);
  }
  // GL keeps a managed texture's pixels through every reset, so its CPU copy
  // would only double what the texture takes. A dynamic texture is rewritten
  // every frame, a render target never locked.
  bool KeepsCpuCopyAfterUpload() const override { return GetPool() != TexturePool::Managed; }
  void Download(std::uint32_t* pixels) override {
    if (id == 0 || !DeviceAlive()) return;
    glActiveTexture(kUploadUnit);
    glBindTexture(GL_TEXTURE_2D, id);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_BGRA, GL_UNSIGNED_BYTE, pixels);
  }

  GLuint id = 0;
  GLuint fbo = 0;       // render targets, made when first drawn into
  GLuint fboDepth = 0;  // the depth buffer attached to it
};

class GlShader : public VertexShader {
 public:
  GlShader(std::shared_ptr<DeviceLink> link, std::string_view name, std::string_view source, GLuint linked)
      : VertexShader(std::move(link), name, source), program(linked) {}
  ~GlShader() override {
    if (DeviceAlive()) glDeleteProgram(program);
  }
  GLuint program;
};

struct AttributeSpec {
  GLint size;
  GLenum type;
  GLboolean normalized;
  int offset;  // -1: absent
};

// Where each attribute of a vertex format sits.
void FormatAttributes(std::uint32_t fvf, AttributeSpec (&specs)[4]) {
  if ((fvf & kFvfXyzRhw) != 0) {
    specs[kAttribPosition] = {4, GL_FLOAT, GL_FALSE, 0};
    specs[kAttribNormal] = {3, GL_FLOAT, GL_FALSE, -1};
    specs[kAttribDiffuse] = {GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, 16};
    specs[kAttribTexCoord] = {2, GL_FLOAT, GL_FALSE, fvf == kFvfScreenColorTex ? 20 : -1};
    return;
  }
  VertexLayout layout;
  GetVertexLayout(fvf, &layout);
  specs[kAttribPosition] = {3, GL_FLOAT, GL_FALSE, 0};
  specs[kAttribNormal] = {3, GL_FLOAT, GL_FALSE, layout.normalOffset};
  // Colours are ARGB words; GL reads their bytes in BGRA order as RGBA.
  specs[kAttribDiffuse] = {GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, layout.diffuseOffset};
  specs[kAttribTexCoord] = {2, GL_FLOAT, GL_FALSE, layout.texCoordOffset};
}

// Points the bound array buffer's attributes at a format; absent ones read
// their constant values (see SetAttributeDefaults).
void PointAttributes(std::uint32_t fvf, std::uint32_t stride, std::size_t base) {
  AttributeSpec specs[4];
  FormatAttributes(fvf, specs);
  for (GLuint i = 0; i < 4; ++i) {
    if (specs[i].offset < 0) {
      glDisableVertexAttribArray(i);
      continue;
    }
    glEnableVertexAttribArray(i);
    glVertexAttribPointer(i, specs[i].size, specs[i].type, specs[i].normalized, static_cast<GLsizei>(stride),
                          reinterpret_cast<const void*>(base + static_cast<std::size_t>(specs[i].offset)));
  }
}

class GlMesh : public DeviceMesh {
 public:
  GlMesh(std::shared_ptr<DeviceLink> link, const Mesh& mesh, std::string_view name)
      : DeviceMesh(mesh, name), link_(std::move(link)) {
    glGenVertexArrays(1, &vao);
    glGenBuffers(1, &vbo);
    glGenBuffers(1, &ibo);
    glBindVertexArray(vao);
    glBindBuffer(GL_ARRAY_BUFFER, vbo);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(mesh.VertexBytes().size()), mesh.VertexBytes().data(),
                 GL_DYNAMIC_DRAW);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, ibo);
    if (mesh.Has32BitIndices()) {
      glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(mesh.Indices32().size_bytes()),
                   mesh.Indices32().data(), GL_STATIC_DRAW);
    } else {
      glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(mesh.Indices16().size_bytes()),
                   mesh.Indices16().data(), GL_STATIC_DRAW);
    }
    PointAttributes(mesh.GetFvf(), mesh.GetNumBytesPerVertex(), 0);
    glBindVertexArray(0);
  }
  ~GlMesh() override {
    if (link_->device == nullptr) return;
    glDeleteVertexArrays(1, &vao);
    glDeleteBuffers(1, &vbo);
    glDeleteBuffers(1, &ibo);
  }
  void UpdateVertices() override {
    if (link_->device == nullptr) return;
    glBindBuffer(GL_ARRAY_BUFFER, vbo);
    glBufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(GetMesh().VertexBytes().size()),
                    GetMesh().VertexBytes().data());
  }

  GLuint vao = 0, vbo = 0, ibo = 0;

 private:
  std::shared_ptr<DeviceLink> link_;
};

GLenum CompareFunction(std::uint32_t cmp) {
  static constexpr GLenum kFunctions[] = {GL_NEVER, GL_LESS, GL_EQUAL, GL_LEQUAL,
                                          GL_GREATER, GL_NOTEQUAL, GL_GEQUAL, GL_ALWAYS};
  return cmp >= 1 && cmp <= 8 ? kFunctions[cmp - 1] : GL_ALWAYS;
}

GLenum BlendFactor(std::uint32_t blend) {
  static constexpr GLenum kFactors[] = {GL_ZERO, GL_ONE, GL_SRC_COLOR, GL_ONE_MINUS_SRC_COLOR,
                                        GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_DST_ALPHA,
                                        GL_ONE_MINUS_DST_ALPHA, GL_DST_COLOR, GL_ONE_MINUS_DST_COLOR};
  return blend >= 1 && blend <= 10 ? kFactors[blend - 1] : GL_ONE;
}

void CopyColor(const ColorValue& c, float (&out)[4]) {
  out[0] = c.r;
  out[1] = c.g;
  out[2] = c.b;
  out[3] = c.a;
}

void CopyMatrix(const Matrix& m, float (&out)[16]) { std::memcpy(out, m.m, sizeof out); }

// A uniform buffer that is sent again only when its contents change.
template <typename Block>
struct UniformBuffer {
  GLuint id = 0;
  Block last{};
  bool valid = false;

  void Create(GLuint binding) {
    glGenBuffers(1, &id);
    glBindBuffer(GL_UNIFORM_BUFFER, id);
    glBufferData(GL_UNIFORM_BUFFER, sizeof(Block), nullptr, GL_DYNAMIC_DRAW);
    glBindBufferBase(GL_UNIFORM_BUFFER, binding, id);
  }
  void Send(const Block& block) {
    if (valid && std::memcmp(&block, &last, sizeof block) == 0) return;
    glBindBuffer(GL_UNIFORM_BUFFER, id);
    glBufferSubData(GL_UNIFORM_BUFFER, 0, sizeof block, &block);
    last = block;
    valid = true;
  }
};

class GlDevice : public GraphicsDevice {
 public:
  explicit GlDevice(GlWindow& window) : window_(window) {}
  ~GlDevice() override;

  bool Create(const PresentParameters& parameters, std::string* error);

  std::unique_ptr<Texture> CreateTexture(std::uint32_t width, std::uint32_t height, std::uint32_t levels,
                                         std::uint32_t usage, TextureFormat format, TexturePool pool) override {
    if (!TextureRequestValid(width, height, levels, usage, format, pool)) return nullptr;
    if (levels == 0) levels = MipLevelCount(width, height);
    return std::make_unique<GlTexture>(Link(), width, height, levels, usage, format, pool);
  }

  std::unique_ptr<VertexShader> CreateVertexShader(std::string_view name, std::string_view source,
                                                   std::string* errors) override {
    const GLuint program = BuildProgram(source.empty() ? "invalid" : source, errors);
    currentProgram_ = 0;
    if (program == 0) return nullptr;
    Warm(program);
    return std::make_unique<GlShader>(Link(), name, source, program);
  }

  std::unique_ptr<DeviceMesh> CreateMesh(const Mesh& mesh, std::string_view name) override {
    if (VertexSizeOfFvf(mesh.GetFvf()) == 0) return nullptr;
    return std::make_unique<GlMesh>(Link(), mesh, name);
  }

  bool ReadBackBuffer(std::vector<std::uint32_t>* pixels) override {
    const PresentParameters& p = GetPresentParameters();
    ReadPixels(backFbo_, p.backBufferWidth, p.backBufferHeight, pixels);
    return true;
  }

 protected:
  void DoClear(std::uint32_t flags, std::uint32_t color, float z) override;
  void DoDraw(std::uint32_t vertexCount, const std::uint8_t* vertices, std::uint32_t stride) override;
  void DoDrawSubset(DeviceMesh& mesh, const AttributeRange& range) override;
  void DoReadRenderTarget(Texture& renderTarget, std::vector<std::uint32_t>* pixels) override {
    auto& target = static_cast<GlTexture&>(renderTarget);
    ReadPixels(TargetFramebuffer(target), target.GetWidth(), target.GetHeight(), pixels);
  }
  void DoPresent() override;
  bool DoReset(const PresentParameters& parameters) override { return MakeBackBuffer(parameters); }

 private:
  bool MakeBackBuffer(const PresentParameters& parameters);
  GLuint TargetFramebuffer(GlTexture& target);
  void BindTarget();
  void Prepare(std::uint32_t fvf);
  void ApplyRaster();
  void BindTextures();
  void FillFixedBlock(std::uint32_t fvf, FixedBlock* block) const;
  void FillPixelBlock(PixelBlock* block) const;
  void UseProgram(GLuint program);
  void Warm(GLuint program);
  void ReadPixels(GLuint framebuffer, std::uint32_t width, std::uint32_t height, std::vector<std::uint32_t>* out);

  GlWindow& window_;
  GLuint backFbo_ = 0, backColor_ = 0, backDepth_ = 0;
  GLuint scratchFbo_ = 0, scratchColor_ = 0;
  GLuint upVao_ = 0, upVbo_ = 0;
  GLuint fixedProgram_ = 0, currentProgram_ = 0;
  GLuint white_ = 0;
  GLuint samplers_[kTextureStageCount] = {};
  std::uint32_t samplerKeys_[kTextureStageCount][6] = {};
  bool samplersValid_ = false;
  UniformBuffer<TargetBlock> targetBlock_;
  UniformBuffer<FixedBlock> fixedBlock_;
  UniformBuffer<ConstantsBlock> constantsBlock_;
  UniformBuffer<PixelBlock> pixelBlock_;
};

GlDevice::~GlDevice() {
  glDeleteFramebuffers(1, &backFbo_);
  glDeleteRenderbuffers(1, &backColor_);
  glDeleteRenderbuffers(1, &backDepth_);
  glDeleteFramebuffers(1, &scratchFbo_);
  glDeleteRenderbuffers(1, &scratchColor_);
  glDeleteVertexArrays(1, &upVao_);
  glDeleteBuffers(1, &upVbo_);
  glDeleteProgram(fixedProgram_);
  glDeleteTextures(1, &white_);
  glDeleteSamplers(kTextureStageCount, samplers_);
  for (GLuint id : {targetBlock_.id, fixedBlock_.id, constantsBlock_.id, pixelBlock_.id}) glDeleteBuffers(1, &id);
}

bool GlDevice::Create(const PresentParameters& parameters, std::string* error) {
  if (epoxy_gl_version() < 33) {
    if (error != nullptr) *error = "OpenGL 3.3 is required";
    return false;
  }
  caps_ = ReadGlDeviceCaps();

  glGenVertexArrays(1, &upVao_);
  glGenBuffers(1, &upVbo_);
  glGenSamplers(kTextureStageCount, samplers_);
  targetBlock_.Create(kBlockTarget);
  fixedBlock_.Create(kBlockFixed);
  constantsBlock_.Create(kBlockConstants);
  pixelBlock_.Create(kBlockPixel);
  const std::uint32_t white = 0xFFFFFFFFu;
  glGenTextures(1, &white_);
  glActiveTexture(kUploadUnit);
  glBindTexture(GL_TEXTURE_2D, white_);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_BGRA, GL_UNSIGNED_BYTE, &white);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
  glGenFramebuffers(1, &scratchFbo_);
  glGenRenderbuffers(1, &scratchColor_);
  glBindRenderbuffer(GL_RENDERBUFFER, scratchColor_);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_RGB8, 1, 1);
  glBindFramebuffer(GL_FRAMEBUFFER, scratchFbo_);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, scratchColor_);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glFrontFace(GL_CCW);

  fixedProgram_ = BuildProgram({}, error);
  if (fixedProgram_ == 0 || !MakeBackBuffer(parameters)) return false;
  Start(parameters);
  Warm(fixedProgram_);
  return true;
}

bool GlDevice::MakeBackBuffer(const PresentParameters& parameters) {
  const auto width = static_cast<GLsizei>(parameters.backBufferWidth);
  const auto height = static_cast<GLsizei>(parameters.backBufferHeight);
  if (backFbo_ == 0) {
    glGenFramebuffers(1, &backFbo_);
    glGenRenderbuffers(1, &backColor_);
    glGenRenderbuffers(1, &backDepth_);
  }
  glBindRenderbuffer(GL_RENDERBUFFER, backColor_);
  glRenderbufferStorage(GL_RENDERBUFFER, InternalFormat(parameters.backBufferFormat), width, height);
  glBindRenderbuffer(GL_RENDERBUFFER, backDepth_);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT16, width, height);
  glBindFramebuffer(GL_FRAMEBUFFER, backFbo_);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, backColor_);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, backDepth_);
  if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) return false;
  window_.SetFullScreen(!parameters.windowed);
  return true;
}

GLuint GlDevice::TargetFramebuffer(GlTexture& target) {
  if (target.fbo == 0) glGenFramebuffers(1, &target.fbo);
  glBindFramebuffer(GL_FRAMEBUFFER, target.fbo);
  // The back buffer's depth buffer serves every target, as the one
  // automatic depth buffer does on the platform.
  if (target.fboDepth != backDepth_) {
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, target.id, 0);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, backDepth_);
    target.fboDepth = backDepth_;
  }
  return target.fbo;
}

void GlDevice::BindTarget() {
  Texture* target = GetRenderTarget();
  if (target != nullptr) {
    TargetFramebuffer(static_cast<GlTexture&>(*target));
  } else {
    glBindFramebuffer(GL_FRAMEBUFFER, backFbo_);
  }
  const DeviceViewport& v = GetViewport();
  glViewport(static_cast<GLint>(v.x), static_cast<GLint>(v.y), static_cast<GLsizei>(v.width),
             static_cast<GLsizei>(v.height));
  glDepthRange(v.minZ, v.maxZ);
  TargetBlock block{{static_cast<float>(v.x), static_cast<float>(v.y), static_cast<float>(v.width),
                     static_cast<float>(v.height)}};
  targetBlock_.Send(block);
}

void GlDevice::ApplyRaster() {
  if (GetRenderState(RenderState::ZEnable) != 0) {
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(CompareFunction(GetRenderState(RenderState::ZFunc)));
  } else {
    glDisable(GL_DEPTH_TEST);
  }
  glDepthMask(GetRenderState(RenderState::ZWriteEnable) != 0 ? GL_TRUE : GL_FALSE);
  if (GetRenderState(RenderState::AlphaBlendEnable) != 0) {
    glEnable(GL_BLEND);
    glBlendFunc(BlendFactor(GetRenderState(RenderState::SrcBlend)),
                BlendFactor(GetRenderState(RenderState::DestBlend)));
    glBlendEquation(GL_FUNC_ADD);
  } else {
    glDisable(GL_BLEND);
  }
  // The picture is stored upside down for GL, which turns every triangle's
  // direction round: the platform's counter-clockwise is GL's clockwise.
  const std::uint32_t cull = GetRenderState(RenderState::CullMode);
  if (cull == kCullNone) {
    glDisable(GL_CULL_FACE);
  } else {
    glEnable(GL_CULL_FACE);
    glCullFace(cull == kCullCcw ? GL_BACK : GL_FRONT);
  }
}

void GlDevice::BindTextures() {
  for (std::uint32_t unit = 0; unit < kTextureStageCount; ++unit) {
    auto* texture = static_cast<GlTexture*>(GetTexture(unit));
    glActiveTexture(GL_TEXTURE0 + unit);
    glBindTexture(GL_TEXTURE_2D, texture != nullptr ? texture->id : white_);
    const std::uint32_t key[6] = {GetSamplerState(unit, SamplerState::AddressU),
                                  GetSamplerState(unit, SamplerState::AddressV),
                                  GetSamplerState(unit, SamplerState::MagFilter),
                                  GetSamplerState(unit, SamplerState::MinFilter),
                                  GetSamplerState(unit, SamplerState::MipFilter),
                                  GetSamplerState(unit, SamplerState::MipMapLodBias)};
    if (!samplersValid_ || std::memcmp(key, samplerKeys_[unit], sizeof key) != 0) {
      const GLuint s = samplers_[unit];
      glSamplerParameteri(s, GL_TEXTURE_WRAP_S, key[0] == kAddressClamp ? GL_CLAMP_TO_EDGE : GL_REPEAT);
      glSamplerParameteri(s, GL_TEXTURE_WRAP_T, key[1] == kAddressClamp ? GL_CLAMP_TO_EDGE : GL_REPEAT);
      glSamplerParameteri(s, GL_TEXTURE_MAG_FILTER, key[2] == kTexFilterLinear ? GL_LINEAR : GL_NEAREST);
      const bool linear = key[3] == kTexFilterLinear;
      const GLint min = key[4] == kTexFilterNone    ? (linear ? GL_LINEAR : GL_NEAREST)
                        : key[4] == kTexFilterPoint ? (linear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST)
                                                    : (linear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR);
      glSamplerParameteri(s, GL_TEXTURE_MIN_FILTER, min);
      float bias;
      std::memcpy(&bias, &key[5], sizeof bias);
      glSamplerParameterf(s, GL_TEXTURE_LOD_BIAS, bias);
      std::memcpy(samplerKeys_[unit], key, sizeof key);
    }
    glBindSampler(unit, samplers_[unit]);
  }
  samplersValid_ = true;
}

void GlDevice::FillFixedBlock(std::uint32_t fvf, FixedBlock* block) const {
  std::memset(block, 0, sizeof *block);
  const Matrix& view = GetTransform(TransformState::View);
  const Matrix worldView = GetTransform(TransformState::World) * view;
  CopyMatrix(worldView, block->worldView);
  CopyMatrix(GetTransform(TransformState::Projection), block->projection);
  Matrix inverse;
  float determinant = 0.0f;
  if (!MatrixInverse(&inverse, &determinant, worldView)) inverse = MatrixIdentity();
  CopyMatrix(MatrixTranspose(inverse), block->normalMatrix);
  const Material& material = GetMaterial();
  CopyColor(material.diffuse, block->materialDiffuse);
  CopyColor(material.ambient, block->materialAmbient);
  CopyColor(material.emissive, block->materialEmissive);
  const bool lightOn = IsLightEnabled();
  const Light& light = GetLight();
  ColorValue ambient = ColorFromArgb(GetRenderState(RenderState::Ambient));
  if (lightOn) {
    ambient.r += light.ambient.r;
    ambient.g += light.ambient.g;
    ambient.b += light.ambient.b;
  }
  CopyColor(ambient, block->ambient);
  CopyColor(light.diffuse, block->lightDiffuse);
  // The direction into view space, where the normals are lit.
  const Vector3& d = light.direction;
  Vector3 v{d.x * view.m[0][0] + d.y * view.m[1][0] + d.z * view.m[2][0],
            d.x * view.m[0][1] + d.y * view.m[1][1] + d.z * view.m[2][1],
            d.x * view.m[0][2] + d.y * view.m[1][2] + d.z * view.m[2][2]};
  const float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
  if (length > 0.0f) v = Vector3{v.x / length, v.y / length, v.z / length};
  block->lightDirection[0] = v.x;
  block->lightDirection[1] = v.y;
  block->lightDirection[2] = v.z;
  const bool hasColor = (fvf & kFvfDiffuse) != 0;
  const bool lighting = GetRenderState(RenderState::Lighting) != 0;
  const bool colorVertex = lighting && hasColor && GetRenderState(RenderState::ColorVertex) != 0;
  block->mode[0] = (fvf & kFvfXyzRhw) != 0;
  block->mode[1] = lighting;
  block->mode[2] = hasColor;
  block->mode[3] = lightOn;
  block->sources[0] = colorVertex && GetRenderState(RenderState::DiffuseMaterialSource) == kMaterialSourceColor1;
  block->sources[1] = colorVertex && GetRenderState(RenderState::AmbientMaterialSource) == kMaterialSourceColor1;
}

void GlDevice::FillPixelBlock(PixelBlock* block) const {
  std::memset(block, 0, sizeof *block);
  std::int32_t* stages[2][2] = {{block->stage0, block->stage0Alpha}, {block->stage1, block->stage1Alpha}};
  for (std::uint32_t s = 0; s < kTextureStageCount; ++s) {
    auto get = [&](TextureStageState state) { return static_cast<std::int32_t>(GetTextureStageState(s, state)); };
    stages[s][0][0] = get(TextureStageState::ColorOp);
    stages[s][0][1] = get(TextureStageState::ColorArg1);
    stages[s][0][2] = get(TextureStageState::ColorArg2);
    stages[s][0][3] = get(TextureStageState::AlphaOp);
    stages[s][1][0] = get(TextureStageState::AlphaArg1);
    stages[s][1][1] = get(TextureStageState::AlphaArg2);
  }
  CopyColor(ColorFromArgb(GetRenderState(RenderState::TextureFactor)), block->textureFactor);
  block->alphaTest[0] = GetRenderState(RenderState::AlphaTestEnable) != 0;
  block->alphaTest[1] = static_cast<std::int32_t>(GetRenderState(RenderState::AlphaFunc));
  block->alphaTest[2] = static_cast<std::int32_t>(GetRenderState(RenderState::AlphaRef));
}

void GlDevice::UseProgram(GLuint program) {
  if (program == currentProgram_) return;
  glUseProgram(program);
  currentProgram_ = program;
}

void GlDevice::Prepare(std::uint32_t fvf) {
  BindTarget();
  ApplyRaster();
  BindTextures();
  PixelBlock pixel;
  FillPixelBlock(&pixel);
  pixelBlock_.Send(pixel);
  if (auto* shader = static_cast<GlShader*>(GetVertexShader())) {
    UseProgram(shader->program);
    ConstantsBlock constants;
    for (std::uint32_t i = 0; i < kVertexShaderConstantCount; ++i) {
      const Vector4& c = GetVertexShaderConstant(i);
      constants.c[i][0] = c.x;
      constants.c[i][1] = c.y;
      constants.c[i][2] = c.z;
      constants.c[i][3] = c.w;
    }
    constantsBlock_.Send(constants);
  } else {
    UseProgram(fixedProgram_);
    FixedBlock fixed;
    FillFixedBlock(fvf, &fixed);
    fixedBlock_.Send(fixed);
  }
  // What an absent attribute reads: no normal, a white colour, (0, 0).
  glVertexAttrib3f(kAttribNormal, 0.0f, 0.0f, 0.0f);
  glVertexAttrib4f(kAttribDiffuse, 1.0f, 1.0f, 1.0f, 1.0f);
  glVertexAttrib2f(kAttribTexCoord, 0.0f, 0.0f);
}

void GlDevice::DoClear(std::uint32_t flags, std::uint32_t color, float z) {
  BindTarget();
  const DeviceViewport& v = GetViewport();
  // Only the viewport is cleared, and whatever the write masks say.
  glEnable(GL_SCISSOR_TEST);
  glScissor(static_cast<GLint>(v.x), static_cast<GLint>(v.y), static_cast<GLsizei>(v.width),
            static_cast<GLsizei>(v.height));
  const ColorValue c = ColorFromArgb(color);
  glClearColor(c.r, c.g, c.b, c.a);
  glClearDepth(z);
  glDepthMask(GL_TRUE);
  glClear(((flags & kClearTarget) != 0 ? GL_COLOR_BUFFER_BIT : 0u) |
          ((flags & kClearZBuffer) != 0 ? GL_DEPTH_BUFFER_BIT : 0u));
  glDisable(GL_SCISSOR_TEST);
}

void GlDevice::DoDraw(std::uint32_t vertexCount, const std::uint8_t* vertices, std::uint32_t stride) {
  Prepare(GetFVF());
  glBindVertexArray(upVao_);
  glBindBuffer(GL_ARRAY_BUFFER, upVbo_);
  const auto size = static_cast<GLsizeiptr>(vertexCount) * stride;
  // A fresh store for every draw, so the driver never waits for the last one.
  glBufferData(GL_ARRAY_BUFFER, size, vertices, GL_STREAM_DRAW);
  PointAttributes(GetFVF(), stride, 0);
  [[maybe_unused]] const DriverAllocations driver;
  glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(vertexCount));
}

void GlDevice::DoDrawSubset(DeviceMesh& deviceMesh, const AttributeRange& range) {
  auto& mesh = static_cast<GlMesh&>(deviceMesh);
  Prepare(mesh.GetMesh().GetFvf());
  glBindVertexArray(mesh.vao);
  const bool wide = mesh.GetMesh().Has32BitIndices();
  const std::size_t offset = static_cast<std::size_t>(range.faceStart) * 3 * (wide ? 4 : 2);
  [[maybe_unused]] const DriverAllocations driver;
  glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(range.faceCount * 3),
                 wide ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT, reinterpret_cast<const void*>(offset));
}

void GlDevice::DoPresent() {
  const PresentParameters& p = GetPresentParameters();
  int width = 0, height = 0;
  window_.GetDrawableSize(&width, &height);
  // The whole picture, as large as fits and centred; the rest black.
  const double scale = std::min(static_cast<double>(width) / p.backBufferWidth,
                                static_cast<double>(height) / p.backBufferHeight);
  const int w = static_cast<int>(p.backBufferWidth * scale), h = static_cast<int>(p.backBufferHeight * scale);
  const int x = (width - w) / 2, y = (height - h) / 2;
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, backFbo_);
  const bool same = w == static_cast<int>(p.backBufferWidth) && h == static_cast<int>(p.backBufferHeight);
  // The stored first row is the top: it goes to the window's top.
  glBlitFramebuffer(0, 0, static_cast<GLint>(p.backBufferWidth), static_cast<GLint>(p.backBufferHeight), x, y + h,
                    x + w, y, GL_COLOR_BUFFER_BIT, same ? GL_NEAREST : GL_LINEAR);
  window_.SwapBuffers();
  glBindFramebuffer(GL_FRAMEBUFFER, backFbo_);
}

void GlDevice::ReadPixels(GLuint framebuffer, std::uint32_t width, std::uint32_t height,
                          std::vector<std::uint32_t>* out) {
  out->resize(static_cast<std::size_t>(width) * height);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
  glReadPixels(0, 0, static_cast<GLsizei>(width), static_cast<GLsizei>(height), GL_BGRA, GL_UNSIGNED_BYTE,
               out->data());
  glBindFramebuffer(GL_FRAMEBUFFER, backFbo_);
}

// llvmpipe compiles a program's code at its first draw; one draw into a
// private pixel here keeps that stall out of the first frame of a scene.
void GlDevice::Warm(GLuint program) {
  static constexpr float kTriangle[] = {0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 1, 1, 0, 0, 1, 0, 0, 1, 1, 0, 1, 0, 1, 0};
  glBindFramebuffer(GL_FRAMEBUFFER, scratchFbo_);
  glViewport(0, 0, 1, 1);
  glUseProgram(program);
  currentProgram_ = program;
  glBindVertexArray(upVao_);
  glBindBuffer(GL_ARRAY_BUFFER, upVbo_);
  glBufferData(GL_ARRAY_BUFFER, sizeof kTriangle, kTriangle, GL_STREAM_DRAW);
  PointAttributes(kFvfPositionNormalTex, 32, 0);
  [[maybe_unused]] const DriverAllocations driver;
  glDrawArrays(GL_TRIANGLES, 0, 3);
  glFinish();
  glBindFramebuffer(GL_FRAMEBUFFER, backFbo_);
}

}  // namespace

DeviceCaps ReadGlDeviceCaps() {
  DeviceLimits limits;
  GLint value = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &value);
  limits.maxTextureSize = static_cast<std::uint32_t>(value);
  if (epoxy_gl_version() >= 44) {
    glGetIntegerv(GL_MAX_VERTEX_ATTRIB_STRIDE, &value);
    limits.maxStreamStride = static_cast<std::uint32_t>(value);
  }
  return DescribeDeviceCaps(limits);
}

std::unique_ptr<GraphicsDevice> CreateGlDevice(GlWindow& window, const PresentParameters& parameters,
                                               std::string* error) {
  auto device = std::make_unique<GlDevice>(window);
  if (!device->Create(parameters, error)) return nullptr;
  return device;
}
