// The graphics device: a small Direct3D-9-like device, exactly as large as the
// renderer, shadows, glare, text and fades need. Backends: OpenGL (gl_device.h)
// and a recording device for tests (recording_device.h). Graphics owns the one device.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gpu/device_caps.h"
#include "platform/gpu/device_types.h"
#include "platform/math/math_types.h"
#include "platform/mesh/frame_hierarchy.h"
#include "platform/mesh/mesh.h"

class GraphicsDevice;

// What a resource knows of its device: whether it is still there (GL objects
// are deleted only while their context lives) and how many default-pool
// textures exist. A resource destroyed while bound is unbound first.
struct DeviceLink {
  GraphicsDevice* device = nullptr;
  int defaultPoolTextures = 0;
};

// A texture with a CPU copy of level 0 (ARGB words, top row first). Kinds:
// managed (lockable, survives a reset), render target (default pool, not
// lockable, filled by drawing), dynamic (default pool, lockable) and
// system memory (CPU only, never bound: the read-back destination). Default-
// pool textures must be released before a reset, as on the platform. A
// backend whose device keeps the pixels of managed textures across resets
// lets their CPU copy go after each upload (a lock reads it back first).
// What a texture holds, both copies, is counted in the image memory.
class Texture {
 public:
  struct LockedRect {
    std::uint32_t* pixels = nullptr;  // null when the lock failed
    std::uint32_t pitch = 0;          // pixels from one row to the next
  };

  virtual ~Texture();
  Texture(const Texture&) = delete;
  Texture& operator=(const Texture&) = delete;

  std::uint32_t GetWidth() const { return width_; }
  std::uint32_t GetHeight() const { return height_; }
  std::uint32_t GetLevelCount() const { return levels_; }
  TextureFormat GetFormat() const { return format_; }
  TexturePool GetPool() const { return pool_; }
  std::uint32_t GetUsage() const { return usage_; }
  bool IsRenderTarget() const { return (usage_ & kUsageRenderTarget) != 0; }
  // Made by this device, which still lives.
  bool BelongsTo(const GraphicsDevice& device) const { return link_->device == &device; }
  // The name traces and failing tests show ("toon.bmp").
  const std::string& GetName() const { return name_; }
  void SetName(std::string name) { name_ = std::move(name); }

  // Level 0 for writing; render targets refuse (an empty rect). Unlock
  // sends the pixels to the device and rebuilds the smaller levels.
  LockedRect LockRect();
  void UnlockRect();
  bool IsLocked() const { return locked_; }
  // The CPU copy as last written or read back; empty once let go.
  const std::vector<std::uint32_t>& Pixels() const { return pixels_; }

 protected:
  // `deviceBytes`: what the device's own copy takes.
  Texture(std::shared_ptr<DeviceLink> link, std::uint32_t width, std::uint32_t height, std::uint32_t levels,
          std::uint32_t usage, TextureFormat format, TexturePool pool, std::uint64_t deviceBytes);
  // The backend's copy follows the CPU copy.
  virtual void Upload() {}
  // Whether the CPU copy stays after an upload: where the device holds the
  // only other copy, or the copy is rewritten every frame, it does.
  virtual bool KeepsCpuCopyAfterUpload() const { return true; }
  // Level 0 from the device's copy, for a lock after the CPU copy went.
  virtual void Download(std::uint32_t* pixels) {}
  bool DeviceAlive() const;

 private:
  friend class GraphicsDevice;
  std::shared_ptr<DeviceLink> link_;
  std::uint32_t width_, height_, levels_, usage_;
  TextureFormat format_;
  TexturePool pool_;
  std::string name_;
  std::vector<std::uint32_t> pixels_;
  std::uint64_t deviceBytes_;
  bool locked_ = false;
};

// What the levels of a texture take at four bytes a texel, level 0 and each
// smaller one down to `levels`.
std::uint64_t TextureLevelBytes(std::uint32_t width, std::uint32_t height, std::uint32_t levels);

// A vertex program in GLSL over `uniform vec4 c[96]`, so that constant
// registers keep their numbers. The text defines `void ShaderMain()`, which
// reads the inputs inPosition (vec4; w is 1 for three coordinates),
// inNormal (vec3), inDiffuse (vec4) and inTexCoord (vec2), and writes oPos
// (clip position in the platform's convention, 0 <= z <= w), oD0 (colour,
// clamped; white when unwritten), oT0 and oT1 (texture coordinates of
// stages 0 and 1). The texture stages then run as without a shader.
class VertexShader {
 public:
  virtual ~VertexShader();
  VertexShader(const VertexShader&) = delete;
  VertexShader& operator=(const VertexShader&) = delete;
  const std::string& GetName() const { return name_; }
  const std::string& GetSource() const { return source_; }

 protected:
  VertexShader(std::shared_ptr<DeviceLink> link, std::string_view name, std::string_view source);
  bool DeviceAlive() const;

 private:
  std::shared_ptr<DeviceLink> link_;
  std::string name_;
  std::string source_;
};

// The device's copy of a CPU mesh, drawn by attribute range. The mesh stays
// the caller's and must outlive this; after it changes the vertices (CPU
// skinning), UpdateVertices sends them again.
class DeviceMesh {
 public:
  virtual ~DeviceMesh() = default;
  const Mesh& GetMesh() const { return *mesh_; }
  const std::string& GetName() const { return name_; }
  virtual void UpdateVertices() {}

 protected:
  DeviceMesh(const Mesh& mesh, std::string_view name) : mesh_(&mesh), name_(name) {}

 private:
  const Mesh* mesh_;
  std::string name_;
};

// Number of vertex shader constant registers.
constexpr std::uint32_t kVertexShaderConstantCount = 96;
// Texture stages and samplers.
constexpr std::uint32_t kTextureStageCount = 2;

// The device. States are kept on the CPU and readable; each setter checks
// its state and value against what the device supports and refuses anything
// else loudly: an assertion in debug builds, InvalidCall otherwise, the state
// unchanged. Resources are owned by whoever creates them.
//
// Conventions, the platform's: row-vector matrices; clip depth 0 <= z <= w;
// pixel centres on integer coordinates (a quad from -0.5 to w - 0.5 maps
// texels to pixels one to one); render targets, textures and read-backs are
// top row first; CULLMODE CCW culls triangles that turn counter-clockwise
// on the screen; X8R8G8B8 reads alpha as 1; vertex colours are ARGB words.
class GraphicsDevice {
 public:
  virtual ~GraphicsDevice();
  GraphicsDevice(const GraphicsDevice&) = delete;
  GraphicsDevice& operator=(const GraphicsDevice&) = delete;

  // ---- states ----
  DeviceResult SetRenderState(RenderState state, std::uint32_t value);
  std::uint32_t GetRenderState(RenderState state) const;
  DeviceResult SetTextureStageState(std::uint32_t stage, TextureStageState state, std::uint32_t value);
  std::uint32_t GetTextureStageState(std::uint32_t stage, TextureStageState state) const;
  DeviceResult SetSamplerState(std::uint32_t sampler, SamplerState state, std::uint32_t value);
  std::uint32_t GetSamplerState(std::uint32_t sampler, SamplerState state) const;
  DeviceResult SetTransform(TransformState state, const Matrix& matrix);
  const Matrix& GetTransform(TransformState state) const;
  // Light 0 only, directional only.
  DeviceResult SetLight(std::uint32_t index, const Light& light);
  const Light& GetLight() const { return light_; }
  DeviceResult LightEnable(std::uint32_t index, bool enable);
  bool IsLightEnabled() const { return lightEnabled_; }
  DeviceResult SetMaterial(const Material& material);
  const Material& GetMaterial() const { return material_; }
  // Must lie within the current render target.
  DeviceResult SetViewport(const DeviceViewport& viewport);
  const DeviceViewport& GetViewport() const { return viewport_; }
  // Null samples opaque white. System-memory textures cannot be bound.
  DeviceResult SetTexture(std::uint32_t stage, Texture* texture);
  Texture* GetTexture(std::uint32_t stage) const;
  // The vertex format of the draws to come: 0x44, 0x144 or a mesh format
  // (which stands for a mesh's vertex declaration too); 0 for none.
  DeviceResult SetFVF(std::uint32_t fvf);
  std::uint32_t GetFVF() const { return fvf_; }
  // Null returns to fixed-function transform and lighting.
  DeviceResult SetVertexShader(VertexShader* shader);
  VertexShader* GetVertexShader() const { return shader_; }
  DeviceResult SetVertexShaderConstantF(std::uint32_t startRegister, const float* data, std::uint32_t count);
  const Vector4& GetVertexShaderConstant(std::uint32_t reg) const;
  // A render-target texture, or null for the back buffer. As on the
  // platform, the viewport becomes the whole of the new target.
  DeviceResult SetRenderTarget(Texture* target);
  Texture* GetRenderTarget() const { return renderTarget_; }

  // ---- resources ----
  // The levels of the whole chain of a texture of that size, down to 1x1.
  static std::uint32_t MipLevelCount(std::uint32_t width, std::uint32_t height);
  // Levels 0 makes the whole chain down to 1x1. Formats: A8R8G8B8,
  // X8R8G8B8. Null (and a result) on a bad request or without memory.
  virtual std::unique_ptr<Texture> CreateTexture(std::uint32_t width, std::uint32_t height, std::uint32_t levels,
                                                 std::uint32_t usage, TextureFormat format, TexturePool pool) = 0;
  // Null with the compiler's messages in *errors (may be null).
  virtual std::unique_ptr<VertexShader> CreateVertexShader(std::string_view name, std::string_view source,
                                                           std::string* errors) = 0;
  virtual std::unique_ptr<DeviceMesh> CreateMesh(const Mesh& mesh, std::string_view name) = 0;

  // ---- drawing ----
  // Clears the current viewport of the current target and the depth buffer.
  DeviceResult Clear(std::uint32_t flags, std::uint32_t color, float z);
  bool BeginScene();
  void EndScene();
  DeviceResult DrawPrimitiveUP(PrimitiveType type, std::uint32_t primitiveCount, const void* vertices,
                               std::uint32_t stride);
  // The faces of the range of `attribId` in the mesh's attribute table;
  // nothing when the table lacks it.
  DeviceResult DrawSubset(DeviceMesh& mesh, std::uint32_t attribId);
  // Copies a render target into a system-memory texture of its size.
  DeviceResult GetRenderTargetData(Texture& renderTarget, Texture& destination);
  // The back buffer in ARGB words, top row first.
  virtual bool ReadBackBuffer(std::vector<std::uint32_t>* pixels) = 0;
  DeviceResult Present();

  // ---- lifecycle ----
  DeviceState TestCooperativeLevel() const { return state_; }
  // New presentation parameters; every state back to its default, no
  // texture, shader or format bound, the back buffer as target. Fails (and
  // leaves the device not reset) while default-pool textures exist or the
  // device is lost.
  DeviceResult Reset(const PresentParameters& parameters);
  const PresentParameters& GetPresentParameters() const { return parameters_; }
  const DeviceCaps& GetCaps() const { return caps_; }
  // Tests put the device into a state it would reach when another program
  // takes the screen.
  void ForceState(DeviceState state) { state_ = state; }

  // Every call from now on is appended as one line (null stops); with
  // `vertices`, the vertices of each draw follow their draw line.
  void SetTrace(std::vector<std::string>* lines, bool vertices = false);

 protected:
  GraphicsDevice();
  // The device was created with these; states take their defaults.
  void Start(const PresentParameters& parameters);
  std::shared_ptr<DeviceLink> Link() const { return link_; }
  void Trace(const std::string& line);
  bool Tracing() const { return trace_ != nullptr; }

  virtual void DoClear(std::uint32_t flags, std::uint32_t color, float z) = 0;
  virtual void DoDraw(std::uint32_t vertexCount, const std::uint8_t* vertices, std::uint32_t stride) = 0;
  virtual void DoDrawSubset(DeviceMesh& mesh, const AttributeRange& range) = 0;
  virtual void DoReadRenderTarget(Texture& renderTarget, std::vector<std::uint32_t>* pixels) = 0;
  virtual void DoPresent() = 0;
  virtual bool DoReset(const PresentParameters& parameters) = 0;

  // The request is one this device supports: a known format and usage, a
  // pool that fits the usage, a size within the caps. A size past the caps
  // is quietly false (content can ask for it); anything else is refused.
  bool TextureRequestValid(std::uint32_t width, std::uint32_t height, std::uint32_t levels, std::uint32_t usage,
                           TextureFormat format, TexturePool pool);

  DeviceCaps caps_;
  static std::vector<std::uint32_t>& PixelsOf(Texture& texture) { return texture.pixels_; }

 private:
  friend class Texture;
  friend class VertexShader;
  void Forget(const Texture* texture);
  void Forget(const VertexShader* shader);
  void SetDefaultStates();
  DeviceResult Refuse(const std::string& call);
  bool Drawable() const { return state_ == DeviceState::Ready; }
  std::string TraceVertices(std::uint32_t count, const std::uint8_t* vertices, std::uint32_t stride) const;

  std::shared_ptr<DeviceLink> link_;
  PresentParameters parameters_;
  DeviceState state_ = DeviceState::Ready;
  bool inScene_ = false;

  std::array<std::uint32_t, 256> renderStates_{};
  std::array<std::array<std::uint32_t, 32>, kTextureStageCount> stageStates_{};
  std::array<std::array<std::uint32_t, 16>, kTextureStageCount> samplerStates_{};
  Matrix world_ = MatrixIdentity(), view_ = MatrixIdentity(), projection_ = MatrixIdentity();
  Light light_;
  bool lightEnabled_ = false;
  Material material_;
  DeviceViewport viewport_;
  std::array<Texture*, kTextureStageCount> textures_{};
  std::uint32_t fvf_ = 0;
  VertexShader* shader_ = nullptr;
  std::array<Vector4, kVertexShaderConstantCount> constants_{};
  Texture* renderTarget_ = nullptr;

  std::vector<std::string>* trace_ = nullptr;
  bool traceVertices_ = false;
};
