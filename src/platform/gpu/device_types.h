// The vocabulary of the graphics device: its states, their values, lights,
// viewports, presentation parameters and results. Used by every backend of
// the device and by the renderer, text and window code that drive it.
#pragma once

#include <cstdint>

#include "platform/math/math_types.h"
#include "platform/mesh/frame_hierarchy.h"

// The numbers are the platform's own, so traces, content and the renderer
// speak of states exactly as the system does. Only what the renderer uses is
// here; any other number is refused by the device.
enum class RenderState : std::uint32_t {
  ZEnable = 7,
  FillMode = 8,
  ZWriteEnable = 14,
  AlphaTestEnable = 15,
  LastPixel = 16,  // lines only: kept, without effect on triangles
  SrcBlend = 19,
  DestBlend = 20,
  CullMode = 22,
  ZFunc = 23,
  AlphaRef = 24,
  AlphaFunc = 25,
  AlphaBlendEnable = 27,
  TextureFactor = 60,
  Lighting = 137,
  Ambient = 139,
  ColorVertex = 141,
  LocalViewer = 142,  // specular only: kept, without effect (no specular here)
  DiffuseMaterialSource = 145,
  AmbientMaterialSource = 147,
  BlendOp = 171,
  AntialiasedLineEnable = 176,  // lines only
};

enum class TextureStageState : std::uint32_t {
  ColorOp = 1,
  ColorArg1 = 2,
  ColorArg2 = 3,
  AlphaOp = 4,
  AlphaArg1 = 5,
  AlphaArg2 = 6,
  TextureTransformFlags = 24,
};

enum class SamplerState : std::uint32_t {
  AddressU = 1,
  AddressV = 2,
  MagFilter = 5,
  MinFilter = 6,
  MipFilter = 7,
  MipMapLodBias = 8,  // a float's bits
};

enum class TransformState : std::uint32_t { View = 2, Projection = 3, World = 256 };

// Values of the states above.
constexpr std::uint32_t kFillSolid = 3;
constexpr std::uint32_t kCullNone = 1, kCullCw = 2, kCullCcw = 3;
constexpr std::uint32_t kBlendZero = 1, kBlendOne = 2, kBlendSrcColor = 3, kBlendInvSrcColor = 4,
                        kBlendSrcAlpha = 5, kBlendInvSrcAlpha = 6, kBlendDestAlpha = 7,
                        kBlendInvDestAlpha = 8, kBlendDestColor = 9, kBlendInvDestColor = 10;
constexpr std::uint32_t kBlendOpAdd = 1;
constexpr std::uint32_t kCmpNever = 1, kCmpLess = 2, kCmpEqual = 3, kCmpLessEqual = 4, kCmpGreater = 5,
                        kCmpNotEqual = 6, kCmpGreaterEqual = 7, kCmpAlways = 8;
constexpr std::uint32_t kMaterialSourceMaterial = 0, kMaterialSourceColor1 = 1;
constexpr std::uint32_t kTopDisable = 1, kTopSelectArg1 = 2, kTopModulate = 4;
constexpr std::uint32_t kTaDiffuse = 0, kTaCurrent = 1, kTaTexture = 2, kTaTFactor = 3;
// COUNT3 | PROJECTED. The device has no texture matrices, so two coordinates
// extend to (u, v, 1) and the projection divides by 1: the state is accepted
// for the shadow receivers and changes nothing.
constexpr std::uint32_t kTtffDisable = 0, kTtffCount3Projected = 3 | 256;
constexpr std::uint32_t kTexFilterNone = 0, kTexFilterPoint = 1, kTexFilterLinear = 2;
constexpr std::uint32_t kAddressWrap = 1, kAddressClamp = 3;

// Vertex formats as flexible-vertex-format bits (the mesh layer's kFvf*
// constants, plus pre-transformed positions). The device draws the
// pre-transformed 0x44 and 0x144, and any mesh format: position, then
// optional normal, diffuse and one texture coordinate pair.
constexpr std::uint32_t kFvfXyzRhw = 0x004;
constexpr std::uint32_t kFvfScreenColor = 0x044;         // x, y, z, rhw, colour: 20 bytes
constexpr std::uint32_t kFvfScreenColorTex = 0x144;      // ... and u, v: 28 bytes
constexpr std::uint32_t kFvfPositionNormalTex = 0x112;   // x, y, z, normal, u, v: 32 bytes

enum class PrimitiveType : std::uint32_t { TriangleList = 4 };

enum class TextureFormat : std::uint32_t {
  Unknown = 0,
  A8R8G8B8 = 21,
  X8R8G8B8 = 22,  // the alpha byte reads as 255 wherever the texture is sampled or read
  R5G6B5 = 23,    // display formats only: textures are always 32-bit
  X1R5G5B5 = 24,
  A1R5G5B5 = 25,
};

enum class TexturePool : std::uint32_t { Default = 0, Managed = 1, SystemMem = 2 };

// Usage bits of a texture.
constexpr std::uint32_t kUsageRenderTarget = 0x1;
constexpr std::uint32_t kUsageDynamic = 0x200;

// Clear flags.
constexpr std::uint32_t kClearTarget = 0x1, kClearZBuffer = 0x2;

// The one light kind the renderer uses.
constexpr std::uint32_t kLightDirectional = 3;

struct Light {
  std::uint32_t type = kLightDirectional;
  ColorValue diffuse{1.0f, 1.0f, 1.0f, 0.0f};
  ColorValue specular{0.0f, 0.0f, 0.0f, 0.0f};
  ColorValue ambient{0.0f, 0.0f, 0.0f, 0.0f};
  Vector3 position{0.0f, 0.0f, 0.0f};
  Vector3 direction{0.0f, 0.0f, 1.0f};
  float range = 0.0f, falloff = 0.0f;
  float attenuation0 = 0.0f, attenuation1 = 0.0f, attenuation2 = 0.0f;
  float theta = 0.0f, phi = 0.0f;
};

// Pixels of the current render target; depth range of the projection.
struct DeviceViewport {
  std::uint32_t x = 0, y = 0, width = 0, height = 0;
  float minZ = 0.0f, maxZ = 1.0f;
};

// The device's answer to "may I draw?", as the run loop asks it.
enum class DeviceState { Ready, Lost, NotReset };

enum class DeviceResult { Ok, InvalidCall, DeviceLost, DeviceNotReset, OutOfMemory };

// What the device is created and reset with. Windowed false means a
// desktop-sized full-screen window that shows the back buffer scaled.
struct PresentParameters {
  std::uint32_t backBufferWidth = 0;
  std::uint32_t backBufferHeight = 0;
  TextureFormat backBufferFormat = TextureFormat::X8R8G8B8;
  std::uint32_t backBufferCount = 1;
  bool windowed = true;
  bool enableAutoDepthStencil = true;  // always a 16-bit depth buffer
  std::uint32_t presentationInterval = 1;  // one: wait for the vertical blank
};

// The size of one vertex of a format the device draws; 0 for any other.
std::uint32_t VertexSizeOfFvf(std::uint32_t fvf);

// An ARGB word as the four floats of a colour.
inline ColorValue ColorFromArgb(std::uint32_t argb) {
  return {static_cast<float>((argb >> 16) & 0xFF) / 255.0f, static_cast<float>((argb >> 8) & 0xFF) / 255.0f,
          static_cast<float>(argb & 0xFF) / 255.0f, static_cast<float>(argb >> 24) / 255.0f};
}
