// An X server of the test's own (Xvfb), on a display number the server finds
// free, and commands run against it: xdotool for real key presses, the
// request a window manager sends when the close button is clicked, the
// windows and properties a window manager reads, and screenshots. Tests that
// need a display start one and fail when it does not start.
#pragma once

#include <string>
#include <vector>

struct Picture;

// A window shown on the screen, as a window manager sees it.
struct ShownWindow {
  unsigned long id = 0;
  std::string name;       // WM_NAME
  std::string className;  // the class of WM_CLASS
  unsigned long owner = 0;  // WM_TRANSIENT_FOR: the window it belongs to; 0: none
  bool dialog = false;      // its _NET_WM_WINDOW_TYPE says dialog: a message box
};

class XvfbDisplay {
 public:
  // A screen of `screen` ("WxHxDEPTH"); returns once the server accepts
  // clients (or failed).
  explicit XvfbDisplay(const std::string& screen = "1024x768x24");
  ~XvfbDisplay();
  XvfbDisplay(const XvfbDisplay&) = delete;
  XvfbDisplay& operator=(const XvfbDisplay&) = delete;

  bool IsRunning() const { return !name_.empty(); }
  // ":N"; empty when the server did not start, and then Error says why.
  const std::string& Name() const { return name_; }
  const std::string& Error() const { return error_; }

  // Runs a shell command with DISPLAY naming this server; its standard output.
  // *exitCode (may be null) gets its exit code.
  std::string Run(const std::string& command, int* exitCode = nullptr) const;
  // The id of the first window of that X11 class (xdotool's --sync waits up
  // to 20 s for it); 0 when none came.
  unsigned long FindWindow(const std::string& className) const;
  // WM_DELETE_WINDOW to the window, as the close button asks a window to close.
  bool RequestClose(unsigned long window) const;
  // The window's pixels as the server holds them (what a person sees there),
  // opaque ARGB; false when they cannot be read. Root() gives the whole screen.
  bool Screenshot(unsigned long window, Picture* out) const;
  unsigned long Root() const;
  // The values of a window's property of format 32 and type CARDINAL (such as
  // _NET_WM_ICON: width, height, then ARGB pixels), as a window manager reads
  // them; empty when it has none.
  std::vector<unsigned long> CardinalProperty(unsigned long window, const std::string& property) const;

  // Starts openbox on the server and returns once it manages the screen;
  // false when it did not start. It ends with the server.
  bool StartWindowManager();
  // The windows shown on the screen without a window manager: the root's
  // children that are mapped, bottom first.
  std::vector<ShownWindow> ShownWindows() const;

 private:
  int pid_ = -1;
  int windowManagerPid_ = -1;
  std::string name_;
  std::string error_;
};
