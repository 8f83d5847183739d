// Device creation, the start-up states and the mode switches.
#include "render/graphics.h"

#include <cstdio>

#include "files/archive.h"
#include "platform/gpu/gl_device.h"
#include "platform/math/matrix.h"
#include "platform/math/vector.h"
#include "platform/system/atomic_file.h"
#include "platform/system/message_box.h"
#include "render/caps_report.h"

namespace {

// "Direct3DCreate9()に失敗しました。" in Shift-JIS.
constexpr char kNoGraphics[] =
    "Direct3DCreate9()\x82\xC9\x8E\xB8\x94s\x82\xB5\x82\xDC\x82\xB5\x82\xBD\x81" "B";

constexpr std::uint32_t kStartWidth = 640, kStartHeight = 480;

// Full-screen formats in order of preference.
constexpr TextureFormat kFullScreenFormats[] = {TextureFormat::X8R8G8B8, TextureFormat::A8R8G8B8,
                                                TextureFormat::X1R5G5B5, TextureFormat::A1R5G5B5,
                                                TextureFormat::R5G6B5};

// The first format of the table in which display 0 offers 640x480. A
// desktop-sized window shows any size, so without such a mode the desktop's
// own format serves.
TextureFormat ChooseFullScreenFormat(const GlWindow& window, TextureFormat desktopFormat) {
  const std::vector<DisplayMode> modes = window.GetDisplayModes(0);
  for (TextureFormat format : kFullScreenFormats)
    for (const DisplayMode& mode : modes)
      if (mode.format == format && mode.width == 640 && mode.height == 480) return format;
  return desktopFormat;
}

}  // namespace

Graphics::Graphics() = default;
Graphics::~Graphics() = default;

bool Graphics::Initialize(GlWindow* window, bool, bool writeCapsReport) {
  // The context stands where the platform had its Direct3D object: without
  // one nothing else can be asked, not even what goes into the report.
  std::string error;
  if (window == nullptr || !window->CreateContext(&error)) {
    if (!error.empty()) std::fprintf(stderr, "t3dplayer: %s\n", error.c_str());
    ShowMessageBox(kNoGraphics, "", MessageBoxStyle{window != nullptr ? window->GetSdlWindow() : nullptr, true});
    return false;
  }
  window_ = window;
  if (writeCapsReport) WriteCapsReport();
  DisplayMode desktop;
  if (!window->GetDesktopMode(0, &desktop)) return false;
  if (desktop.format == TextureFormat::Unknown) desktop.format = TextureFormat::X8R8G8B8;
  FillPresentParameters(desktop.format, ChooseFullScreenFormat(*window, desktop.format));
  device_ = CreateGlDevice(*window, presentParameters_[static_cast<std::size_t>(mode_)], &error);
  if (!device_) {
    std::fprintf(stderr, "graphics: %s\n", error.c_str());
    return false;
  }
  SetStartupStates();
  ClearToWhite();
  caps_ = device_->GetCaps();
  return true;
}

bool Graphics::InitializeWithDevice(std::unique_ptr<GraphicsDevice> device, TextureFormat desktopFormat) {
  if (!device) return false;
  FillPresentParameters(desktopFormat, desktopFormat);
  device_ = std::move(device);
  device_->Reset(presentParameters_[static_cast<std::size_t>(mode_)]);
  SetStartupStates();
  ClearToWhite();
  caps_ = device_->GetCaps();
  return true;
}

void Graphics::FillPresentParameters(TextureFormat desktopFormat, TextureFormat fullScreenFormat) {
  for (int mode : {kWindowed, kFullScreen}) {
    PresentParameters& p = presentParameters_[static_cast<std::size_t>(mode)];
    p = PresentParameters{};
    p.backBufferWidth = kStartWidth;
    p.backBufferHeight = kStartHeight;
    p.backBufferFormat = mode == kWindowed ? desktopFormat : fullScreenFormat;
    p.backBufferCount = 1;
    p.windowed = mode == kWindowed;
    p.enableAutoDepthStencil = true;
    p.presentationInterval = 1;
  }
}

void Graphics::SetStartupStates() {
  GraphicsDevice& d = *device_;
  d.SetRenderState(RenderState::Lighting, 1);
  d.SetRenderState(RenderState::CullMode, kCullCcw);
  d.SetRenderState(RenderState::Ambient, 0x33333333u);
  d.SetRenderState(RenderState::FillMode, kFillSolid);
  d.SetRenderState(RenderState::AlphaBlendEnable, 1);
  d.SetRenderState(RenderState::SrcBlend, kBlendSrcAlpha);
  d.SetRenderState(RenderState::DestBlend, kBlendInvSrcAlpha);
  d.SetRenderState(RenderState::LocalViewer, 0);
  d.SetRenderState(RenderState::AlphaTestEnable, 1);
  d.SetRenderState(RenderState::ColorVertex, 1);
  d.SetSamplerState(0, SamplerState::MagFilter, kTexFilterLinear);
  d.SetSamplerState(0, SamplerState::MinFilter, kTexFilterLinear);
  Light light;
  light.type = kLightDirectional;
  light.diffuse = ColorValue{1.0f, 1.0f, 1.0f, 0.0f};
  light.direction = Vec3Normalize(Vector3{1.0f, -1.0f, -2.0f});
  light.position = Vector3{0.0f, -1.0f, -1.0f};
  light.range = 1000.0f;
  d.SetLight(0, light);
  d.LightEnable(0, true);
  d.SetTransform(TransformState::View, MatrixLookAtLH({3.0f, 3.0f, 3.0f}, {0.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}));
  d.SetTransform(TransformState::Projection, MatrixPerspectiveFovLH(0.7853982f, 1.3333334f, 3.0f, 100.0f));
}

void Graphics::ClearToWhite() { device_->Clear(kClearTarget | kClearZBuffer, 0xFFFFFFFFu, 1.0f); }

bool Graphics::SetFullScreen(int mode) {
  if (mode == mode_) return true;
  mode_ = mode;
  if (device_) {
    // A failed reset is the run loop's to mend, through its lost-device path.
    device_->Reset(GetPresentParameters());
    ClearToWhite();
  }
  if (mode == kWindowed && window_ != nullptr) {
    const PresentParameters& windowed = presentParameters_[kWindowed];
    window_->SetClientSize(static_cast<int>(windowed.backBufferWidth), static_cast<int>(windowed.backBufferHeight));
  }
  return true;
}

bool Graphics::SetBackBufferSize(int width, int height) {
  if (!device_ || width <= 0 || height <= 0) return false;
  for (PresentParameters& p : presentParameters_) {
    p.backBufferWidth = static_cast<std::uint32_t>(width);
    p.backBufferHeight = static_cast<std::uint32_t>(height);
  }
  const bool reset = device_->Reset(GetPresentParameters()) == DeviceResult::Ok;
  ClearToWhite();
  return reset;
}

void Graphics::SetCapsReportOptions(std::string folder, bool measureClock) {
  reportFolder_ = std::move(folder);
  measureClock_ = measureClock;
}

void Graphics::WriteCapsReport() {
  std::vector<AdapterReport> adapters;
  if (window_ != nullptr) {
    // Every display is driven by the one GL driver, with the same abilities.
    const DeviceCaps hal = ReadGlDeviceCaps();
    for (int display = 0; display < window_->GetDisplayCount(); ++display) {
      AdapterReport adapter;
      adapter.driver = window_->GetVersionName();
      adapter.description = window_->GetRendererName();
      for (const DisplayMode& mode : window_->GetDisplayModes(display))
        if (mode.format == TextureFormat::X8R8G8B8) adapter.modes.push_back(mode);
      adapter.caps[0] = hal;
      adapters.push_back(std::move(adapter));
    }
  }
  const std::string folder = reportFolder_.empty() ? GetProgramDir() : reportFolder_;
  WriteFileAtomically(folder + "Caps.txt", FormatCapsReport(ReadMachineInfo(measureClock_), adapters));
}
