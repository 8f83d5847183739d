// What a graphics device can do, in the terms of the platform's capability
// record: flag lists by name and limits by value. Filled by each backend;
// written to the capability report and checked by the render resources.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string_view>

// The flag lists of the record, in the order the report writes them.
enum class CapsList {
  Caps, Caps2, Caps3, PresentationIntervals, CursorCaps, DevCaps, PrimitiveMiscCaps, RasterCaps,
  ZCmpCaps, SrcBlendCaps, DestBlendCaps, AlphaCmpCaps, ShadeCaps, TextureCaps, TextureFilterCaps,
  CubeTextureFilterCaps, VolumeTextureFilterCaps, TextureAddressCaps, VolumeTextureAddressCaps,
  LineCaps, StencilCaps, FVFCaps, TextureOpCaps, VertexProcessingCaps, DevCaps2, DeclTypes,
  StretchRectFilterCaps, VertexTextureFilterCaps,
};
constexpr int kCapsListCount = static_cast<int>(CapsList::VertexTextureFilterCaps) + 1;

// The device types a report lists, by the platform's numbers; 0 is none.
constexpr std::uint32_t kDeviceTypeHal = 1, kDeviceTypeRef = 2, kDeviceTypeSw = 3;

// Vertex shader model 1.1 as the platform encodes it: what the render
// resources require before they build their shaders.
constexpr std::uint32_t kVertexShaderVersion11 = 0xFFFE0101;

struct ShaderCaps20 {
  std::uint32_t caps = 0, dynamicFlowControlDepth = 0, numTemps = 0, staticFlowControlDepth = 0;
};

struct DeviceCaps {
  std::uint32_t deviceType = 0;
  // Bit i of a list is the i-th name of CapsListNames(list): a flag is held
  // by name, so nothing depends on the platform's bit values.
  std::array<std::uint64_t, kCapsListCount> flags{};
  std::uint32_t maxTextureWidth = 0, maxTextureHeight = 0, maxVolumeExtent = 0, maxTextureRepeat = 0,
                maxTextureAspectRatio = 0, maxAnisotropy = 0;
  float maxVertexW = 0, guardBandLeft = 0, guardBandTop = 0, guardBandRight = 0, guardBandBottom = 0,
        extentsAdjust = 0;
  std::uint32_t maxTextureBlendStages = 0, maxSimultaneousTextures = 0;
  std::uint32_t maxActiveLights = 0, maxUserClipPlanes = 0, maxVertexBlendMatrices = 0,
                maxVertexBlendMatrixIndex = 0;
  float maxPointSize = 0;
  std::uint32_t maxPrimitiveCount = 0, maxVertexIndex = 0, maxStreams = 0, maxStreamStride = 0;
  std::uint32_t vertexShaderVersion = 0, maxVertexShaderConst = 0, pixelShaderVersion = 0;
  float pixelShader1xMaxValue = 0;
  float maxNpatchTessellationLevel = 0;
  std::uint32_t masterAdapterOrdinal = 0, adapterOrdinalInGroup = 0, numberOfAdaptersInGroup = 0;
  std::uint32_t numSimultaneousRTs = 0;
  ShaderCaps20 vs20Caps, ps20Caps;
  std::uint32_t maxVShaderInstructionsExecuted = 0, maxPShaderInstructionsExecuted = 0,
                maxVertexShader30InstructionSlots = 0, maxPixelShader30InstructionSlots = 0;
};

// The limits a backend reads from its driver; the rest of the record is
// what this device supports, whatever the driver could do beyond it.
struct DeviceLimits {
  std::uint32_t maxTextureSize = 4096;
  std::uint32_t maxStreamStride = 2048;
};
DeviceCaps DescribeDeviceCaps(const DeviceLimits& limits);

// The names of a list, in report order.
std::span<const std::string_view> CapsListNames(CapsList list);
// Sets the named flags; a name the list lacks is a mistake of ours (asserted).
void AddCapsFlags(DeviceCaps& caps, CapsList list, std::initializer_list<std::string_view> names);
bool HasCapsFlag(const DeviceCaps& caps, CapsList list, std::string_view name);
