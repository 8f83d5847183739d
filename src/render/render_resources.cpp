// Creation and release of the render resources.
#include "render/render_resources.h"

#include <cstdio>

#include "files/archive.h"
#include "platform/gpu/texture_loader.h"
#include "platform/system/content_report.h"
#include "render/shaders.h"

namespace {

constexpr int kSystemFontGlyphs = 128;

// Shader messages go where the platform's debugger output would.
std::unique_ptr<VertexShader> BuildShader(GraphicsDevice& device, const char* name, const char* text) {
  std::string errors;
  std::unique_ptr<VertexShader> shader = device.CreateVertexShader(name, text, &errors);
  if (!shader) std::fprintf(stderr, "%s: %s\n", name, errors.c_str());
  return shader;
}

// Null when the file is missing or does not load (it is no image, or the
// images would pass their bound); either way the author is told which file
// and why, and for the files no scene starts without (`mustDecode`, and any
// that is missing) that too.
std::unique_ptr<Texture> LoadTexture(GraphicsDevice& device, const ArchiveManager& archives,
                                     const std::string& folder, const char* name, const TextureLoadOptions& options,
                                     bool mustDecode, bool* missing) {
  FileData file;
  *missing = !archives.LoadFile(folder + name, file);
  if (*missing) {
    ReportContentFault(folder + name, 0, "cannot be read; no scene starts without it");
    return nullptr;
  }
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(file.data());
  std::string why;
  std::unique_ptr<Texture> texture = CreateTextureFromFileInMemory(device, {bytes, file.size()}, options, &why);
  if (texture) {
    texture->SetName(name);
  } else {
    ReportContentFault(folder + name, 0, mustDecode ? why + "; no scene starts without it" : why);
  }
  return texture;
}

void Named(const std::unique_ptr<Texture>& texture, const char* name) {
  if (texture) texture->SetName(name);
}

}  // namespace

void RenderResources::Release() {
  renderTarget.reset();
  shadowVertexShader.reset();
  shadowTexture.reset();
  toonTexture.reset();
  toonTexturedShader.reset();
  toonUntexturedShader.reset();
  outlineShader.reset();
  flatColorShader.reset();
  systemMemorySurface.reset();
  dynamicTexture.reset();
}

int RenderResources::Create(GraphicsDevice& device, SystemFont* systemFont) {
  return Create(device, GetArchiveManager(), GetProgramDir(), systemFont);
}

int RenderResources::Create(GraphicsDevice& device, const ArchiveManager& archives, const std::string& folder,
                            SystemFont* systemFont) {
  // The order is the platform's: a failure leaves what was made before it.
  if (device.GetCaps().vertexShaderVersion >= kVertexShaderVersion11) {
    shadowVertexShader.reset();
    toonTexture.reset();
    toonTexturedShader.reset();
    toonUntexturedShader.reset();
    outlineShader.reset();
    systemMemorySurface.reset();
    dynamicTexture.reset();

    shadowVertexShader = BuildShader(device, "ShadowVertexShader", kShadowShaderText);
    renderTarget = device.CreateTexture(kRenderTargetSize, kRenderTargetSize, 1, kUsageRenderTarget,
                                        TextureFormat::X8R8G8B8, TexturePool::Default);
    if (!renderTarget) return kRenderResourcesFailed;
    renderTarget->SetName("render target");

    bool missing = false;
    TextureLoadOptions shadow;
    shadow.width = shadow.height = kRenderTargetSize;
    shadow.format = TextureFormat::X8R8G8B8;
    shadowTexture = LoadTexture(device, archives, folder, "shadow.bmp", shadow, true, &missing);
    if (!shadowTexture) return kRenderResourcesFailed;

    toonTexturedShader = BuildShader(device, "ToonTexturedShader", kToonTexturedShaderText);
    toonUntexturedShader = BuildShader(device, "ToonUntexturedShader", kToonUntexturedShaderText);
    toonTexture = LoadTexture(device, archives, folder, "toon.bmp", TextureLoadOptions{}, true, &missing);
    if (!toonTexture) return kRenderResourcesFailed;
    outlineShader = BuildShader(device, "OutlineShader", kOutlineShaderText);
    flatColorShader = BuildShader(device, "FlatColorShader", kFlatColorShaderText);
  }
  if (!renderTarget) return kRenderResourcesFailed;
  systemMemorySurface = device.CreateTexture(renderTarget->GetWidth(), renderTarget->GetHeight(), 1, 0,
                                             renderTarget->GetFormat(), TexturePool::SystemMem);
  dynamicTexture = device.CreateTexture(renderTarget->GetWidth(), renderTarget->GetHeight(), 1, kUsageDynamic,
                                        renderTarget->GetFormat(), TexturePool::Default);
  if (!systemMemorySurface || !dynamicTexture) {
    // Without either, the glare and the soft shadows stay off.
    systemMemorySurface.reset();
    dynamicTexture.reset();
  }
  Named(systemMemorySurface, "system memory");
  Named(dynamicTexture, "dynamic");

  bool missing = false;
  std::unique_ptr<Texture> font =
      LoadTexture(device, archives, folder, "ASCII16.png", TextureLoadOptions{}, false, &missing);
  if (missing) return kRenderResourcesFailed;
  // An unreadable font image keeps the font the set had.
  if (font && systemFont != nullptr) {
    systemFont->glyphs.assign(kSystemFontGlyphs, Glyph{});
    MakeGridGlyphTable(systemFont->glyphs.data(), kSystemFontGlyphs, 8, 16, 16);
    systemFont->texture = std::move(font);
  }
  return 0;
}

DeviceResult ResetWithDefaultStates(GraphicsDevice& device, const PresentParameters& parameters) {
  const DeviceResult reset = device.Reset(parameters);
  if (reset != DeviceResult::Ok) return reset;
  device.SetRenderState(RenderState::Lighting, 1);
  device.SetRenderState(RenderState::ZEnable, 1);
  device.SetRenderState(RenderState::CullMode, kCullCcw);
  device.SetRenderState(RenderState::Ambient, 0x33333333u);
  device.SetSamplerState(0, SamplerState::MagFilter, kTexFilterLinear);
  device.SetSamplerState(0, SamplerState::MinFilter, kTexFilterLinear);
  device.SetRenderState(RenderState::FillMode, kFillSolid);
  device.SetRenderState(RenderState::AlphaBlendEnable, 1);
  device.SetRenderState(RenderState::SrcBlend, kBlendSrcAlpha);
  device.SetRenderState(RenderState::DestBlend, kBlendInvSrcAlpha);
  device.SetRenderState(RenderState::LocalViewer, 0);
  device.SetRenderState(RenderState::AlphaTestEnable, 1);
  return DeviceResult::Ok;
}

int ResetDevice(GraphicsDevice& device, const PresentParameters& parameters, RenderResources& resources,
                const ArchiveManager& archives, const std::string& folder, SystemFont* systemFont) {
  resources.Release();
  // The system font's texture is a managed one and survives the reset.
  const DeviceResult reset = ResetWithDefaultStates(device, parameters);
  if (reset != DeviceResult::Ok) return static_cast<int>(reset);
  return resources.Create(device, archives, folder, systemFont);
}
