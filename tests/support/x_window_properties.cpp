// Xlib's property reads, with errors turned into empty answers.
#include "support/x_window_properties.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include "support/xvfb_display.h"

namespace {

// A window that went away between two calls is an answer (nothing), not a
// reason for Xlib's default handler to end the test program.
class Connection {
 public:
  explicit Connection(const XvfbDisplay& display)
      : display_(XOpenDisplay(display.Name().c_str())),
        previous_(XSetErrorHandler([](Display*, XErrorEvent*) { return 0; })) {}
  ~Connection() {
    if (display_ != nullptr) {
      XSync(display_, False);
      XCloseDisplay(display_);
    }
    XSetErrorHandler(previous_);
  }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;
  Display* Get() const { return display_; }

 private:
  Display* display_;
  XErrorHandler previous_;
};

std::vector<unsigned long> ReadProperty(Display* display, Window window, Atom property, Atom type) {
  std::vector<unsigned long> values;
  Atom actualType = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(display, window, property, 0, 1L << 24, False, type, &actualType, &format, &count, &after,
                         &data) == Success &&
      data != nullptr && format == 32) {
    // Xlib hands format-32 values out as longs, sign-extended on 64-bit machines.
    const auto* longs = reinterpret_cast<const long*>(data);
    for (unsigned long i = 0; i < count; ++i) values.push_back(static_cast<unsigned long>(longs[i]) & 0xFFFFFFFFul);
  }
  if (data != nullptr) XFree(data);
  return values;
}

}  // namespace

std::vector<unsigned long> CardinalProperty(const XvfbDisplay& display, unsigned long window,
                                            const std::string& property) {
  const Connection connection(display);
  Display* x = connection.Get();
  if (x == nullptr) return {};
  return ReadProperty(x, window, XInternAtom(x, property.c_str(), False), XA_CARDINAL);
}
