// Graphics: the program's one graphics device, its creation (full screen
// first), the windowed and full-screen presentation parameters, the start-up
// states, and the switches of F6 (back-buffer size) and F7 (full screen).
// Owned by the application; the renderer, text and run loop draw through GetDevice.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "platform/gpu/device.h"
#include "platform/gpu/gl_window.h"

class Graphics {
 public:
  static constexpr int kWindowed = 0, kFullScreen = 1;

  Graphics();
  ~Graphics();
  Graphics(const Graphics&) = delete;
  Graphics& operator=(const Graphics&) = delete;

  // Makes the window's GL context, writes the report when asked, creates
  // the GL device, full screen, and sets the start-up states. Without a
  // window or a context it shows the graphics-creation box, owned by the
  // window, and fails. `softwareVertexProcessingFirst` chose among the
  // platform's device types; there is one device here.
  bool Initialize(GlWindow* window, bool softwareVertexProcessingFirst, bool writeCapsReport);
  // The same steps on a device made elsewhere (tests use a recording
  // device): both parameter sets, the start-up states, the clear.
  bool InitializeWithDevice(std::unique_ptr<GraphicsDevice> device, TextureFormat desktopFormat);

  GraphicsDevice* GetDevice() const { return device_.get(); }
  int GetMode() const { return mode_; }
  // The set in use; the renderer takes the back-buffer size from it.
  PresentParameters& GetPresentParameters() { return presentParameters_[static_cast<std::size_t>(mode_)]; }
  const PresentParameters& GetPresentParameters(int mode) const {
    return presentParameters_[static_cast<std::size_t>(mode)];
  }
  const DeviceCaps& GetCaps() const { return caps_; }

  // Always true; a reset that fails leaves the device to the run loop.
  bool SetFullScreen(int mode);
  // Both sets take the size; false without a device or when the reset fails.
  bool SetBackBufferSize(int width, int height);

  // "Caps.txt" in the program folder; a file that cannot be written is skipped.
  void WriteCapsReport();
  // Tests write the report elsewhere and skip the second of clock measuring.
  void SetCapsReportOptions(std::string folder, bool measureClock);

 private:
  void FillPresentParameters(TextureFormat desktopFormat, TextureFormat fullScreenFormat);
  void SetStartupStates();
  void ClearToWhite();

  GlWindow* window_ = nullptr;
  std::unique_ptr<GraphicsDevice> device_;
  std::array<PresentParameters, 2> presentParameters_{};
  int mode_ = kFullScreen;
  DeviceCaps caps_;
  std::string reportFolder_;  // empty: the program folder
  bool measureClock_ = true;
};
