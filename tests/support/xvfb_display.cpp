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

namespace {

constexpr int kStartTimeoutMs = 15000;

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
  Display* display = XOpenDisplay(name_.c_str());
  if (display == nullptr) return false;
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  const Status sent = XSendEvent(display, window, False, NoEventMask, &event);
  XSync(display, False);
  XCloseDisplay(display);
  return sent != 0;
}

bool XvfbDisplay::Screenshot(unsigned long window, Picture* out) const {
  Display* display = XOpenDisplay(name_.c_str());
  if (display == nullptr) return false;
  // A window that went away between two calls is an answer (no picture), not
  // a reason for Xlib's default handler to end the test program.
  const XErrorHandler previous = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
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
  XSync(display, False);
  XSetErrorHandler(previous);
  XCloseDisplay(display);
  return read;
}

unsigned long XvfbDisplay::Root() const {
  Display* display = XOpenDisplay(name_.c_str());
  if (display == nullptr) return 0;
  const Window root = DefaultRootWindow(display);
  XCloseDisplay(display);
  return root;
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
  Display* display = XOpenDisplay(name_.c_str());
  if (display == nullptr) return false;
  const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
  bool running = false;
  for (int waited = 0; !running && waited < kStartTimeoutMs; waited += 50) {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    running = XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False, XA_WINDOW, &type, &format,
                                 &count, &after, &data) == Success &&
              count == 1;
    if (data != nullptr) XFree(data);
    if (!running) usleep(50000);
  }
  XCloseDisplay(display);
  return running;
}

std::vector<ShownWindow> XvfbDisplay::ShownWindows() const {
  std::vector<ShownWindow> shown;
  Display* display = XOpenDisplay(name_.c_str());
  if (display == nullptr) return shown;
  // A window may go away while it is looked at.
  const XErrorHandler previous = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
  const Atom windowType = XInternAtom(display, "_NET_WM_WINDOW_TYPE", False);
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
      Atom type = 0;
      int format = 0;
      unsigned long items = 0, after = 0;
      unsigned char* types = nullptr;
      if (XGetWindowProperty(display, children[i], windowType, 0, 64, False, XA_ATOM, &type, &format, &items, &after,
                             &types) == Success &&
          types != nullptr && format == 32) {
        const auto* atoms = reinterpret_cast<const Atom*>(types);
        for (unsigned long k = 0; k < items; ++k) window.dialog = window.dialog || atoms[k] == dialogType;
      }
      if (types != nullptr) XFree(types);
      shown.push_back(window);
    }
    if (children != nullptr) XFree(children);
  }
  XSync(display, False);
  XSetErrorHandler(previous);
  XCloseDisplay(display);
  return shown;
}
