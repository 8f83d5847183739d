// Xlib calls on SDL's own connection. Kept to this file: Xlib's macros
// (None, Bool, Status) clash with names elsewhere.
#include "platform/gpu/x11_window.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <vector>

namespace {

Display* DisplayOf(void* display) { return static_cast<Display*>(display); }

// The items of a window property of 32-bit format (Xlib hands them as longs)
// and of the given type; none when the window lacks it or does not exist.
std::vector<unsigned long> ReadProperty(Display* display, Window window, const char* name, Atom type) {
  constexpr long kMostItems = 4096;
  Atom actualType = 0;
  int actualFormat = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  std::vector<unsigned long> items;
  if (XGetWindowProperty(display, window, XInternAtom(display, name, False), 0, kMostItems, False, type,
                         &actualType, &actualFormat, &count, &after, &data) == Success &&
      data != nullptr && actualType == type && actualFormat == 32) {
    const auto* values = reinterpret_cast<const unsigned long*>(data);
    items.assign(values, values + count);
  }
  if (data != nullptr) XFree(data);
  return items;
}

// A window named by a stale property may be gone: that is an answer, not a
// reason for Xlib's default handler to end the program.
int IgnoreError(Display*, XErrorEvent*) { return 0; }

}  // namespace

X11Window::X11Window(SDL_Window* window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (SDL_GetWindowWMInfo(window, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11) return;
  display_ = info.info.x11.display;
  window_ = info.info.x11.window;
}

bool X11Window::ManagerTakesFullScreen() const {
  Display* display = DisplayOf(display_);
  const Window root = DefaultRootWindow(display);
  // A running manager names a window of its own on the root, and that window
  // names itself: a name left behind by a manager that ended does not.
  const std::vector<unsigned long> named = ReadProperty(display, root, "_NET_SUPPORTING_WM_CHECK", XA_WINDOW);
  if (named.empty()) return false;
  XSync(display, False);
  const XErrorHandler previous = XSetErrorHandler(IgnoreError);
  const std::vector<unsigned long> self = ReadProperty(display, named[0], "_NET_SUPPORTING_WM_CHECK", XA_WINDOW);
  XSync(display, False);
  XSetErrorHandler(previous);
  if (self.empty() || self[0] != named[0]) return false;
  const unsigned long fullScreen = XInternAtom(display, "_NET_WM_STATE_FULLSCREEN", False);
  for (unsigned long atom : ReadProperty(display, root, "_NET_SUPPORTED", XA_ATOM))
    if (atom == fullScreen) return true;
  return false;
}

void X11Window::Place(int x, int y, int width, int height) const {
  Display* display = DisplayOf(display_);
  XMoveResizeWindow(display, window_, x, y, static_cast<unsigned>(width), static_cast<unsigned>(height));
  XRaiseWindow(display, window_);
  XFlush(display);
}
