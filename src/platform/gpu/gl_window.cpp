// The SDL window and its GL context.
#include "platform/gpu/gl_window.h"

#include <SDL.h>
#include <epoxy/gl.h>

#include "platform/gpu/display.h"
#include "platform/gpu/x11_window.h"

namespace {

TextureFormat FormatOfPixels(Uint32 format) {
  switch (format) {
    case SDL_PIXELFORMAT_RGB888: return TextureFormat::X8R8G8B8;
    case SDL_PIXELFORMAT_ARGB8888: return TextureFormat::A8R8G8B8;
    case SDL_PIXELFORMAT_RGB565: return TextureFormat::R5G6B5;
    case SDL_PIXELFORMAT_RGB555: return TextureFormat::X1R5G5B5;
    case SDL_PIXELFORMAT_ARGB1555: return TextureFormat::A1R5G5B5;
    default: return TextureFormat::Unknown;
  }
}

DisplayMode ModeOf(const SDL_DisplayMode& mode) {
  return DisplayMode{mode.w, mode.h, mode.refresh_rate, FormatOfPixels(mode.format)};
}

std::string GlString(GLenum name) {
  const GLubyte* text = glGetString(name);
  return text != nullptr ? reinterpret_cast<const char*>(text) : "";
}

}  // namespace

std::unique_ptr<GlWindow> GlWindow::Create(const char* titleUtf8, int clientWidth, int clientHeight,
                                           std::string* error) {
  std::unique_ptr<GlWindow> window = CreateWithoutContext(titleUtf8, clientWidth, clientHeight, error);
  if (window && !window->CreateContext(error)) return nullptr;
  return window;
}

std::unique_ptr<GlWindow> GlWindow::CreateWithoutContext(const char* titleUtf8, int clientWidth, int clientHeight,
                                                         std::string* error) {
  auto fail = [error](const std::string& what) {
    if (error != nullptr) *error = what + ": " + SDL_GetError();
    return nullptr;
  };
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    // SDL's own words for this ("x11 not available") do not say which display.
    const std::string named = DescribeNamedDisplays();
    if (!named.empty() && error != nullptr) *error = named + " cannot be opened";
    return named.empty() ? fail("no video") : nullptr;
  }
  std::unique_ptr<GlWindow> window(new GlWindow);
  // Asked before the window is made: on X11 they choose its visual.
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  // The device draws into framebuffers of its own; the window's needs no depth.
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
  window->window_ = SDL_CreateWindow(titleUtf8 != nullptr ? titleUtf8 : "", SDL_WINDOWPOS_CENTERED,
                                     SDL_WINDOWPOS_CENTERED, clientWidth, clientHeight, SDL_WINDOW_OPENGL);
  if (window->window_ == nullptr) return fail("no window");
  window->clientWidth_ = clientWidth;
  window->clientHeight_ = clientHeight;
  window->x11_ = std::make_unique<X11Window>(window->window_);
  return window;
}

bool GlWindow::CreateContext(std::string* error) {
  if (context_ != nullptr) return true;
  context_ = SDL_GL_CreateContext(window_);
  if (context_ == nullptr) {
    if (error != nullptr) *error = std::string("no OpenGL 3.3 core context: ") + SDL_GetError();
    return false;
  }
  SDL_GL_MakeCurrent(window_, context_);
  SDL_GL_SetSwapInterval(1);
  return true;
}

GlWindow::~GlWindow() {
  if (context_ != nullptr) SDL_GL_DeleteContext(context_);
  if (window_ != nullptr) SDL_DestroyWindow(window_);
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

void GlWindow::SetFullScreen(bool fullScreen) {
  if (fullScreen == IsFullScreen()) return;
  if (fullScreen) SDL_GetWindowPosition(window_, &windowedX_, &windowedY_);
  SDL_SetWindowFullscreen(window_, fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
  // Full screen on X11 is a request to the window manager, and SDL takes the
  // desktop's size as granted. Where no manager takes the request, the window
  // is placed here, and put back where it was when it returns.
  const bool placedHere = x11_->IsValid() && !x11_->ManagerTakesFullScreen();
  if (fullScreen) {
    SDL_Rect bounds;
    if (placedHere && SDL_GetDisplayBounds(SDL_GetWindowDisplayIndex(window_), &bounds) == 0)
      x11_->Place(bounds.x, bounds.y, bounds.w, bounds.h);
    return;
  }
  if (placedHere) SDL_SetWindowPosition(window_, windowedX_, windowedY_);
  // A size asked for in full screen is only noted by SDL; a manager brings
  // back the size from before full screen, and without one nothing changes.
  SDL_SetWindowSize(window_, clientWidth_, clientHeight_);
}

bool GlWindow::IsFullScreen() const { return (SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN_DESKTOP) != 0; }

void GlWindow::SetClientSize(int width, int height) {
  clientWidth_ = width;
  clientHeight_ = height;
  SDL_SetWindowSize(window_, width, height);
}

void GlWindow::GetClientSize(int* width, int* height) const { SDL_GetWindowSize(window_, width, height); }

void GlWindow::GetDrawableSize(int* width, int* height) const { SDL_GL_GetDrawableSize(window_, width, height); }

void GlWindow::SwapBuffers() { SDL_GL_SwapWindow(window_); }

int GlWindow::GetDisplayCount() const { return SDL_GetNumVideoDisplays(); }

std::vector<DisplayMode> GlWindow::GetDisplayModes(int display) const {
  std::vector<DisplayMode> modes;
  const int count = SDL_GetNumDisplayModes(display);
  for (int i = 0; i < count; ++i) {
    SDL_DisplayMode mode;
    // Drivers without a mode list report one empty mode.
    if (SDL_GetDisplayMode(display, i, &mode) == 0 && mode.w > 0 && mode.h > 0) modes.push_back(ModeOf(mode));
  }
  return modes;
}

bool GlWindow::GetDesktopMode(int display, DisplayMode* mode) const {
  SDL_DisplayMode desktop;
  if (SDL_GetDesktopDisplayMode(display, &desktop) != 0) return false;
  *mode = ModeOf(desktop);
  return true;
}

std::string GlWindow::GetRendererName() const { return GlString(GL_RENDERER); }
std::string GlWindow::GetVendorName() const { return GlString(GL_VENDOR); }
std::string GlWindow::GetVersionName() const { return GlString(GL_VERSION); }
