// The layout of "Caps.txt": section rules, flag lists indented by a fixed
// number of blanks per list, and an empty line after each field.
#include "render/caps_report.h"

#include <cinttypes>
#include <cstdarg>
#include <cstdio>

namespace {

void Append(std::string& out, const char* format, ...) __attribute__((format(printf, 2, 3)));
void Append(std::string& out, const char* format, ...) {
  char buffer[512];
  va_list args;
  va_start(args, format);
  const int length = std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  if (length > 0) out.append(buffer, std::min<std::size_t>(static_cast<std::size_t>(length), sizeof buffer - 1));
}

// How each flag list is written: the blanks after the tab, whether its last
// name carries a blank before the line break, and whether an empty line
// follows it (all but one do).
struct ListLayout {
  CapsList list;
  const char* name;
  int blanks;
  bool lastNameBlank;
  bool emptyLineAfter;
};

void FlagList(std::string& out, const DeviceCaps& caps, const ListLayout& layout) {
  Append(out, "%s:\n", layout.name);
  const auto names = CapsListNames(layout.list);
  const std::uint64_t flags = caps.flags[static_cast<int>(layout.list)];
  for (std::size_t i = 0; i < names.size(); ++i) {
    if ((flags >> i & 1) == 0) continue;
    const bool blank = layout.lastNameBlank && i + 1 == names.size();
    Append(out, "\t%*s%.*s%s\n", layout.blanks, "", static_cast<int>(names[i].size()), names[i].data(),
           blank ? " " : "");
  }
  if (layout.emptyLineAfter) out += "\n";
}

void Lists(std::string& out, const DeviceCaps& caps, std::initializer_list<ListLayout> layouts) {
  for (const ListLayout& layout : layouts) FlagList(out, caps, layout);
}

void Value(std::string& out, const char* name, std::uint32_t value) { Append(out, "%s:%u\n\n", name, value); }
void Value(std::string& out, const char* name, float value) {
  Append(out, "%s:%0.0f\n\n", name, static_cast<double>(value));
}
void Hex(std::string& out, const char* name, std::uint32_t value) { Append(out, "%s:%08x\n\n", name, value); }

void ShaderCaps(std::string& out, const char* prefix, const ShaderCaps20& caps) {
  Append(out, "%s.Caps:%08x\n", prefix, caps.caps);
  Append(out, "%s.DynamicFlowControlDepth:%08x\n", prefix, caps.dynamicFlowControlDepth);
  Append(out, "%s.NumTemps:%08x\n", prefix, caps.numTemps);
  Append(out, "%s.StaticFlowControlDepth:%08x\n\n", prefix, caps.staticFlowControlDepth);
}

void DeviceSection(std::string& out, const DeviceCaps& caps) {
  out += "DeviceType:\n";
  if (caps.deviceType == kDeviceTypeHal) out += "\tD3DDEVTYPE_HAL\n";
  if (caps.deviceType == kDeviceTypeRef) out += "\tD3DDEVTYPE_REF\n";
  if (caps.deviceType == kDeviceTypeSw) out += "\tD3DDEVTYPE_SW\n";
  out += "\n";
  Lists(out, caps,
        {{CapsList::Caps, "Caps", 0, false, true},
         {CapsList::Caps2, "Caps2", 0, false, true},
         {CapsList::Caps3, "Caps3", 0, false, true},
         {CapsList::PresentationIntervals, "PresentationIntervals", 0, false, true},
         {CapsList::CursorCaps, "CursorCaps", 0, false, true},
         {CapsList::DevCaps, "DevCaps", 0, false, true},
         {CapsList::PrimitiveMiscCaps, "PrimitiveMiscCaps", 0, true, true},
         {CapsList::RasterCaps, "RasterCaps", 1, false, true},
         {CapsList::ZCmpCaps, "ZCmpCaps", 1, false, true},
         {CapsList::SrcBlendCaps, "SrcBlendCaps", 1, false, false},
         {CapsList::DestBlendCaps, "DestBlendCaps", 1, false, true},
         {CapsList::AlphaCmpCaps, "AlphaCmpCaps", 1, false, true},
         {CapsList::ShadeCaps, "ShadeCaps", 1, false, true},
         {CapsList::TextureCaps, "TextureCaps", 1, false, true},
         {CapsList::TextureFilterCaps, "TextureFilterCaps", 1, true, true},
         {CapsList::CubeTextureFilterCaps, "CubeTextureFilterCaps", 2, true, true},
         {CapsList::VolumeTextureFilterCaps, "VolumeTextureFilterCaps", 2, true, true},
         {CapsList::TextureAddressCaps, "TextureAddressCaps", 3, false, true},
         {CapsList::VolumeTextureAddressCaps, "VolumeTextureAddressCaps", 3, false, true},
         {CapsList::LineCaps, "LineCaps", 3, false, true}});
  Value(out, "MaxTextureWidth", caps.maxTextureWidth);
  Value(out, "MaxTextureHeight", caps.maxTextureHeight);
  Value(out, "MaxVolumeExtent", caps.maxVolumeExtent);
  Value(out, "MaxTextureRepeat", caps.maxTextureRepeat);
  Value(out, "MaxTextureAspectRatio", caps.maxTextureAspectRatio);
  Value(out, "MaxAnisotropy", caps.maxAnisotropy);
  Value(out, "MaxVertexW", caps.maxVertexW);
  Value(out, "GuardBandLeft", caps.guardBandLeft);
  Value(out, "GuardBandTop", caps.guardBandTop);
  Value(out, "GuardBandRight", caps.guardBandRight);
  Value(out, "GuardBandBottom", caps.guardBandBottom);
  Value(out, "ExtentsAdjust", caps.extentsAdjust);
  Lists(out, caps,
        {{CapsList::StencilCaps, "StencilCaps", 3, false, true},
         {CapsList::FVFCaps, "FVFCaps", 3, false, true},
         {CapsList::TextureOpCaps, "TextureOpCaps", 3, false, true}});
  Value(out, "MaxTextureBlendStages", caps.maxTextureBlendStages);
  Value(out, "MaxSimultaneousTextures", caps.maxSimultaneousTextures);
  Lists(out, caps, {{CapsList::VertexProcessingCaps, "VertexProcessingCaps", 3, true, true}});
  Value(out, "MaxActiveLights", caps.maxActiveLights);
  Value(out, "MaxUserClipPlanes", caps.maxUserClipPlanes);
  Value(out, "MaxVertexBlendMatrices", caps.maxVertexBlendMatrices);
  Value(out, "MaxVertexBlendMatrixIndex", caps.maxVertexBlendMatrixIndex);
  Value(out, "MaxPointSize", caps.maxPointSize);
  Value(out, "MaxPrimitiveCount", caps.maxPrimitiveCount);
  Value(out, "MaxVertexIndex", caps.maxVertexIndex);
  Value(out, "MaxStreams", caps.maxStreams);
  Value(out, "MaxStreamStride", caps.maxStreamStride);
  Hex(out, "VertexShaderVersion", caps.vertexShaderVersion);
  Value(out, "MaxVertexShaderConst", caps.maxVertexShaderConst);
  Hex(out, "PixelShaderVersion", caps.pixelShaderVersion);
  Value(out, "PixelShader1xMaxValue", caps.pixelShader1xMaxValue);
  Lists(out, caps, {{CapsList::DevCaps2, "DevCaps2", 3, true, true}});
  Value(out, "MaxNpatchTessellationLevel", caps.maxNpatchTessellationLevel);
  Value(out, "MasterAdapterOrdinal", caps.masterAdapterOrdinal);
  Value(out, "AdapterOrdinalInGroup", caps.adapterOrdinalInGroup);
  Value(out, "NumberOfAdaptersInGroup", caps.numberOfAdaptersInGroup);
  Lists(out, caps, {{CapsList::DeclTypes, "DeclTypes", 4, true, true}});
  Value(out, "NumSimultaneousRTs", caps.numSimultaneousRTs);
  Lists(out, caps, {{CapsList::StretchRectFilterCaps, "StretchRectFilterCaps", 5, true, true}});
  ShaderCaps(out, "VS20Caps", caps.vs20Caps);
  ShaderCaps(out, "PS20Caps", caps.ps20Caps);
  Lists(out, caps, {{CapsList::VertexTextureFilterCaps, "VertexTextureFilterCaps", 7, true, true}});
  Value(out, "MaxVShaderInstructionsExecuted", caps.maxVShaderInstructionsExecuted);
  Value(out, "MaxPShaderInstructionsExecuted", caps.maxPShaderInstructionsExecuted);
  Value(out, "MaxVertexShader30InstructionSlots", caps.maxVertexShader30InstructionSlots);
  Value(out, "MaxPixelShader30InstructionSlots", caps.maxPixelShader30InstructionSlots);
}

void Memory(std::string& out, const char* name, std::uint64_t bytes) {
  Append(out, "%s: %dMB + %dKB\n", name, static_cast<int>(bytes >> 20), static_cast<int>(bytes / 1024 % 1024));
}

}  // namespace

std::string FormatCapsReport(const MachineInfo& machine, const std::vector<AdapterReport>& adapters) {
  std::string out;
  out += "------------------------<General>---------------------\n";
  Append(out, "NumberOfProcessors:%d\n", machine.numberOfProcessors);
  if (machine.processorType == 386) out += "ProcessorType:PROCESSOR_INTEL_386\n";
  if (machine.processorType == 486) out += "ProcessorType:PROCESSOR_INTEL_486\n";
  if (machine.processorType == 586) out += "ProcessorType:PROCESSOR_INTEL_PENTIUM\n";
  Append(out, "ProcessorClock:%0.0fMHz\n", machine.processorClockMHz);
  // The system is none of the versions the report knows, has no build
  // number and no service pack.
  out += "OS Version: Unknown\n";
  out += "BuildNumber: 0\n";
  out += "CSDVersion: \n";
  Memory(out, "TotalPhysicalMemory", machine.totalPhysicalMemory);
  Memory(out, "FreePhysicalMemory", machine.freePhysicalMemory);
  Memory(out, "TotalVirtualMemory", machine.totalVirtualMemory);
  Memory(out, "FreeVirtualMemory", machine.freeVirtualMemory);
  static const char* const kDeviceHeaders[3] = {
      "-----------------------------<DeviceCaps(HAL)>----------------------\n",
      "-----------------------------<DeviceCaps(REF)>----------------------\n",
      "-----------------------------<DeviceCaps(SW)>-----------------------\n"};
  for (std::size_t n = 0; n < adapters.size(); ++n) {
    const AdapterReport& adapter = adapters[n];
    Append(out, "------------------------<AdapterIdentifier #%d>---------------------\n", static_cast<int>(n));
    Append(out, "Driver:%s\n", adapter.driver.c_str());
    Append(out, "Description:%s\n", adapter.description.c_str());
    Append(out, "DriverVersion:%08x-%08x\n", adapter.driverVersionHigh, adapter.driverVersionLow);
    Append(out, "VendorId:%08x\n", adapter.vendorId);
    Append(out, "DeviceId:%08x\n", adapter.deviceId);
    Append(out, "SubSysId:%08x\n", adapter.subSysId);
    Append(out, "Revision:%08x\n", adapter.revision);
    Append(out, "WHQLLevel:%08x\n", adapter.whqlLevel);
    out += "---------------------------<AdapterModes>-------------------------\n";
    for (const DisplayMode& mode : adapter.modes)
      Append(out, "\t%4d x %4d (%d) D3DFMT_X8R8G8B8\n", mode.width, mode.height, mode.refreshRate);
    for (int type = 0; type < 3; ++type) {
      out += kDeviceHeaders[type];
      DeviceSection(out, adapter.caps[static_cast<std::size_t>(type)]);
    }
  }
  std::string crlf;
  crlf.reserve(out.size() + out.size() / 16);
  for (char c : out) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  return crlf;
}
