// Xvfb started with -displayfd, which writes the display number it took once
// it is ready; stopped by its process id.
#include "support/xvfb_display.h"

// Before Xlib, whose macros (None, Bool, Status) would break GoogleTest's headers.
#include "support/gl_pictures.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int kStartTimeoutMs = 15000;

// A connection to the test's server on which a window that went away between
// two calls is an answer (nothing), not a reason for Xlib's default handler
// to end the test program.
class Connection {
 public:
  explicit Connection(const std::string& name)
      : display_(XOpenDisplay(name.c_str())), previous_(XSetErrorHandler([](Display*, XErrorEvent*) { return 0; })) {}
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

// The values of a window's property of format 32 and the given type; empty
// when the window has none or is gone.
std::vector<unsigned long> ReadProperty(Display* display, Window window, const char* property, Atom type) {
  std::vector<unsigned long> values;
  Atom actualType = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(display, window, XInternAtom(display, property, False), 0, 1L << 24, False, type,
                         &actualType, &format, &count, &after, &data) == Success &&
      data != nullptr && format == 32) {
    // Xlib hands format-32 values out as longs, sign-extended on 64-bit machines.
    const auto* longs = reinterpret_cast<const long*>(data);
    for (unsigned long i = 0; i < count; ++i) values.push_back(static_cast<unsigned long>(longs[i]) & 0xFFFFFFFFul);
  }
  if (data != nullptr) XFree(data);
  return values;
}

}  // namespace

XvfbDisplay::XvfbDisplay(const std::string& screen) {
  int fds[2];
  if (pipe(fds) != 0) {
    error_ = "no pipe";
    return;
  }
  const pid_t pid = fork();
  if (pid < 0) {
    error_ = "no fork";
    close(fds[0]);
    close(fds[1]);
    return;
  }
  if (pid == 0) {
    // A test killed before its end takes its server with it.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    close(fds[0]);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, STDOUT_FILENO);
    dup2(null, STDERR_FILENO);
    const std::string fd = std::to_string(fds[1]);
    execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(), "-nolisten", "tcp",
           static_cast<char*>(nullptr));
    _exit(127);
  }
  pid_ = pid;
  close(fds[1]);
  std::string number;
  for (;;) {
    pollfd ready{fds[0], POLLIN, 0};
    if (poll(&ready, 1, kStartTimeoutMs) <= 0) break;
    char c;
    if (read(fds[0], &c, 1) != 1 || c == '\n') break;
    number += c;
  }
  close(fds[0]);
  if (number.empty()) {
    error_ = "Xvfb did not start (is the xvfb package installed?)";
    return;
  }
  name_ = ":" + number;
}

XvfbDisplay::~XvfbDisplay() {
  for (int pid : {windowManagerPid_, pid_}) {
    if (pid <= 0) continue;
    kill(pid, SIGTERM);
    int status;
    waitpid(pid, &status, 0);
  }
}

std::string XvfbDisplay::Run(const std::string& command, int* exitCode) const {
  std::string output;
  const std::string full = "DISPLAY=" + name_ + " " + command;
  FILE* pipe = popen(full.c_str(), "r");
  if (pipe == nullptr) {
    if (exitCode != nullptr) *exitCode = -1;
    return output;
  }
  char buffer[1024];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
  const int status = pclose(pipe);
  if (exitCode != nullptr) *exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return output;
}

unsigned long XvfbDisplay::FindWindow(const std::string& className) const {
  const std::string found = Run("timeout 20 xdotool search --sync --class '^" + className + "$' 2>/dev/null");
  return std::strtoul(found.c_str(), nullptr, 10);
}

bool XvfbDisplay::RequestClose(unsigned long window) const {
  const Connection connection(name_);
  Display* display = connection.Get();
  if (display == nullptr) return false;
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  return XSendEvent(display, window, False, NoEventMask, &event) != 0;
}

bool XvfbDisplay::Screenshot(unsigned long window, Picture* out) const {
  const Connection connection(name_);
  Display* display = connection.Get();
  if (display == nullptr) return false;
  XWindowAttributes attributes;
  XImage* image = nullptr;
  if (XGetWindowAttributes(display, window, &attributes) != 0 && attributes.map_state == IsViewable)
    image = XGetImage(display, window, 0, 0, static_cast<unsigned>(attributes.width),
                      static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
  const bool read = image != nullptr;
  if (read) {
    // Each channel scaled from its mask to 8 bits, whatever the visual's layout.
    const auto channel = [](unsigned long pixel, unsigned long mask) {
      if (mask == 0) return 0u;
      const auto value = static_cast<std::uint32_t>((pixel & mask) >> std::countr_zero(mask));
      const auto top = static_cast<std::uint32_t>(mask >> std::countr_zero(mask));
      return value * 255u / top;
    };
    out->width = static_cast<std::uint32_t>(image->width);
    out->height = static_cast<std::uint32_t>(image->height);
    out->pixels.clear();
    out->pixels.reserve(static_cast<std::size_t>(out->width) * out->height);
    for (int y = 0; y < image->height; ++y)
      for (int x = 0; x < image->width; ++x) {
        const unsigned long pixel = XGetPixel(image, x, y);
        out->pixels.push_back(0xFF000000u | channel(pixel, image->red_mask) << 16 |
                              channel(pixel, image->green_mask) << 8 | channel(pixel, image->blue_mask));
      }
    XDestroyImage(image);
  }
  return read;
}

unsigned long XvfbDisplay::Root() const {
  const Connection connection(name_);
  return connection.Get() != nullptr ? DefaultRootWindow(connection.Get()) : 0;
}

std::vector<unsigned long> XvfbDisplay::CardinalProperty(unsigned long window, const std::string& property) const {
  const Connection connection(name_);
  if (connection.Get() == nullptr) return {};
  return ReadProperty(connection.Get(), window, property.c_str(), XA_CARDINAL);
}

bool XvfbDisplay::StartWindowManager() {
  const pid_t pid = fork();
  if (pid < 0) return false;
  if (pid == 0) {
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, STDOUT_FILENO);
    dup2(null, STDERR_FILENO);
    setenv("DISPLAY", name_.c_str(), 1);
    execlp("openbox", "openbox", static_cast<char*>(nullptr));
    _exit(127);
  }
  windowManagerPid_ = pid;
  // It manages the screen once it has named its check window on the root.
  const Connection connection(name_);
  Display* display = connection.Get();
  if (display == nullptr) return false;
  bool running = false;
  for (int waited = 0; !running && waited < kStartTimeoutMs; waited += 50) {
    running = ReadProperty(display, DefaultRootWindow(display), "_NET_SUPPORTING_WM_CHECK", XA_WINDOW).size() == 1;
    if (!running) usleep(50000);
  }
  return running;
}

std::vector<ShownWindow> XvfbDisplay::ShownWindows() const {
  std::vector<ShownWindow> shown;
  const Connection connection(name_);
  Display* display = connection.Get();
  if (display == nullptr) return shown;
  const Atom dialogType = XInternAtom(display, "_NET_WM_WINDOW_TYPE_DIALOG", False);
  Window root = 0, parent = 0;
  Window* children = nullptr;
  unsigned int count = 0;
  if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count) != 0) {
    for (unsigned int i = 0; i < count; ++i) {
      XWindowAttributes attributes;
      if (XGetWindowAttributes(display, children[i], &attributes) == 0 || attributes.map_state != IsViewable)
        continue;
      ShownWindow window;
      window.id = children[i];
      XTextProperty name;
      if (XGetWMName(display, children[i], &name) != 0) {
        if (name.value != nullptr) window.name.assign(reinterpret_cast<const char*>(name.value), name.nitems);
        XFree(name.value);
      }
      XClassHint hint;
      if (XGetClassHint(display, children[i], &hint) != 0) {
        window.className = hint.res_class != nullptr ? hint.res_class : "";
        XFree(hint.res_name);
        XFree(hint.res_class);
      }
      Window owner = 0;
      if (XGetTransientForHint(display, children[i], &owner) != 0) window.owner = owner;
      for (unsigned long type : ReadProperty(display, children[i], "_NET_WM_WINDOW_TYPE", XA_ATOM))
        window.dialog = window.dialog || type == dialogType;
      shown.push_back(window);
    }
    if (children != nullptr) XFree(children);
  }
  return shown;
}
