// The game's SDL window with its OpenGL 3.3 core context, and the displays
// it can be shown on. The GL device presents into it; start-up creates it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/gpu/device_types.h"

struct SDL_Window;

struct DisplayMode {
  int width = 0, height = 0, refreshRate = 0;
  TextureFormat format = TextureFormat::Unknown;
};

class GlWindow {
 public:
  // A window whose client area is the given size, with a current GL 3.3
  // core context and a swap interval of one. Null with the reason in *error
  // (may be null) when video, the window or the context cannot be had.
  static std::unique_ptr<GlWindow> Create(const char* titleUtf8, int clientWidth, int clientHeight,
                                          std::string* error);
  ~GlWindow();
  GlWindow(const GlWindow&) = delete;
  GlWindow& operator=(const GlWindow&) = delete;

  // Full screen is a desktop-sized window without borders; the device
  // scales the back buffer into it.
  void SetFullScreen(bool fullScreen);
  bool IsFullScreen() const;
  void SetClientSize(int width, int height);
  void GetClientSize(int* width, int* height) const;
  void GetDrawableSize(int* width, int* height) const;
  void SwapBuffers();
  SDL_Window* GetSdlWindow() const { return window_; }

  // The displays as SDL reports them; display 0 is the default adapter.
  int GetDisplayCount() const;
  std::vector<DisplayMode> GetDisplayModes(int display) const;
  bool GetDesktopMode(int display, DisplayMode* mode) const;
  // Names that identify the GL driver, for the capability report.
  std::string GetRendererName() const;
  std::string GetVendorName() const;
  std::string GetVersionName() const;

 private:
  GlWindow() = default;
  SDL_Window* window_ = nullptr;
  void* context_ = nullptr;
};
