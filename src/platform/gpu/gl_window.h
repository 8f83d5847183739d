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

class X11Window;

class GlWindow {
 public:
  // A window whose client area is the given size, with a current GL 3.3
  // core context and a swap interval of one. Null with the reason in *error
  // (may be null) when video, the window or the context cannot be had.
  static std::unique_ptr<GlWindow> Create(const char* titleUtf8, int clientWidth, int clientHeight,
                                          std::string* error);
  // The window alone; its context comes from CreateContext, so that a window
  // that cannot have one can still own the box that says so. A display that
  // the environment names and that cannot be opened is a failure here.
  static std::unique_ptr<GlWindow> CreateWithoutContext(const char* titleUtf8, int clientWidth, int clientHeight,
                                                        std::string* error);
  // Makes the GL 3.3 core context current, once; true when the window has
  // one, else false with the reason in *error (may be null).
  bool CreateContext(std::string* error);
  ~GlWindow();
  GlWindow(const GlWindow&) = delete;
  GlWindow& operator=(const GlWindow&) = delete;

  // Full screen is a desktop-sized window without borders, with or without
  // a window manager; the device scales the back buffer into it.
  void SetFullScreen(bool fullScreen);
  bool IsFullScreen() const;
  // In full screen the size is kept for the return to a window.
  void SetClientSize(int width, int height);
  void GetClientSize(int* width, int* height) const;
  // The size the window's drawable has now, which the device presents into.
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
  std::unique_ptr<X11Window> x11_;
  // The client size out of full screen, and where the window was before it
  // (for a return without a window manager).
  int clientWidth_ = 0, clientHeight_ = 0;
  int windowedX_ = 0, windowedY_ = 0;
};
