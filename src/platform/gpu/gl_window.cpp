// The SDL window and its GL context.
#include "platform/gpu/gl_window.h"

#include <SDL.h>
#include <epoxy/gl.h>

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
  auto fail = [error](const char* what) {
    if (error != nullptr) *error = std::string(what) + ": " + SDL_GetError();
    return nullptr;
  };
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return fail("no video");
  std::unique_ptr<GlWindow> window(new GlWindow);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  // The device draws into framebuffers of its own; the window's needs no depth.
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
  window->window_ = SDL_CreateWindow(titleUtf8 != nullptr ? titleUtf8 : "", SDL_WINDOWPOS_CENTERED,
                                     SDL_WINDOWPOS_CENTERED, clientWidth, clientHeight, SDL_WINDOW_OPENGL);
  if (window->window_ == nullptr) return fail("no window");
  window->context_ = SDL_GL_CreateContext(window->window_);
  if (window->context_ == nullptr) return fail("no OpenGL 3.3 core context");
  SDL_GL_MakeCurrent(window->window_, window->context_);
  SDL_GL_SetSwapInterval(1);
  return window;
}

GlWindow::~GlWindow() {
  if (context_ != nullptr) SDL_GL_DeleteContext(context_);
  if (window_ != nullptr) SDL_DestroyWindow(window_);
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

void GlWindow::SetFullScreen(bool fullScreen) {
  SDL_SetWindowFullscreen(window_, fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
}

bool GlWindow::IsFullScreen() const { return (SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN_DESKTOP) != 0; }

void GlWindow::SetClientSize(int width, int height) { SDL_SetWindowSize(window_, width, height); }

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
