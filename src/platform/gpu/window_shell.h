// The program's main window on SDL: the GL window made with the program's
// class name and title, the cursor hidden over it and text input off; its
// events translated into the program's own, with the function keys seen as
// SDL queues them. The app's window owns one.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>

#include "platform/gpu/gl_window.h"

union SDL_Event;

// Virtual key codes of the platform: F1 is 112, F12 is 123.
constexpr int kVirtualKeyF1 = 112;
constexpr int kVirtualKeyF12 = 123;

struct WindowEvent {
  enum Kind {
    kClose,  // the close button, or the system asking the program to end
    kFocusGained,
    kFocusLost,
    kMinimized,
    kRestored,  // from minimised (or maximised)
    kShown,
    kHidden,
    kKeyDown,  // a function key, auto-repeats included
  };
  Kind kind = kClose;
  int virtualKey = 0;  // kKeyDown only
  bool repeat = false;
};

class WindowShell {
 public:
  // A window whose client area is the given size; its GL context is made
  // with the graphics device (GlWindow::CreateContext). `className` names the
  // window's class to the desktop; the title is Shift-JIS. Null with the
  // reason in *error (may be null).
  static std::unique_ptr<WindowShell> Create(const char* className, const char* titleShiftJis, int clientWidth,
                                             int clientHeight, std::string* error);
  ~WindowShell();
  WindowShell(const WindowShell&) = delete;
  WindowShell& operator=(const WindowShell&) = delete;

  GlWindow& GetGlWindow() { return *window_; }
  void SetTitle(const char* titleShiftJis);

  // Takes every waiting event from SDL's queue. Window events go to
  // `onWindow` in the order they came, then the function-key presses since
  // the last pump; key and joystick events go to `onInput` (the input
  // device's); the rest is dropped. Function keys reach `onWindow` even when
  // the input device took their events from the queue first.
  void PumpEvents(const std::function<void(const WindowEvent&)>& onWindow,
                  const std::function<void(const SDL_Event&)>& onInput);
  // Reads what the system has sent into SDL's queue and leaves it there for
  // PumpEvents; true once a close request (or the system asking the program
  // to end) has come, whoever pumped it. For a script that runs long.
  bool PumpCloseRequest();

 private:
  WindowShell() = default;
  static int WatchEvents(void* shell, SDL_Event* event);

  // More presses than this inside one frame are more than hands make; the
  // rest are dropped rather than allocated inside SDL's callback.
  static constexpr std::size_t kPendingKeyCount = 64;

  std::unique_ptr<GlWindow> window_;
  // Keyboard and window events are pushed by SDL's pump on the main thread,
  // the only one that reads these: no lock. (The program catches the signals
  // that SDL would turn into a quit from its own handler.)
  std::array<WindowEvent, kPendingKeyCount> pendingKeys_{};
  std::size_t pendingKeyCount_ = 0;
  bool closeRequested_ = false;
};
