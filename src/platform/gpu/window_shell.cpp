// SDL's window events and key presses into the program's own.
#include "platform/gpu/window_shell.h"

#include <SDL.h>

#include <cstdlib>

#include "platform/system/shift_jis.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
// SDL's video start-up on X11 asks D-Bus for the session bus, and libdbus
// keeps a block of that attempt to the end, out of reach: the leak checker
// does not count what the window's creation allocates.
using SystemLibraryAllocations = __lsan::ScopedDisabler;
#else
struct SystemLibraryAllocations {};
#endif

namespace {

static_assert(SDL_SCANCODE_F12 - SDL_SCANCODE_F1 == kVirtualKeyF12 - kVirtualKeyF1,
              "the function keys are numbered alike on both sides");

// The events the input device reads: keys, and everything of the joystick.
bool IsInputEvent(Uint32 type) {
  return type == SDL_KEYDOWN || type == SDL_KEYUP || (type >= SDL_JOYAXISMOTION && type < SDL_CONTROLLERAXISMOTION);
}

bool KindOfWindowEvent(Uint8 event, WindowEvent::Kind* kind) {
  switch (event) {
    case SDL_WINDOWEVENT_CLOSE: *kind = WindowEvent::kClose; return true;
    case SDL_WINDOWEVENT_FOCUS_GAINED: *kind = WindowEvent::kFocusGained; return true;
    case SDL_WINDOWEVENT_FOCUS_LOST: *kind = WindowEvent::kFocusLost; return true;
    case SDL_WINDOWEVENT_MINIMIZED: *kind = WindowEvent::kMinimized; return true;
    case SDL_WINDOWEVENT_RESTORED: *kind = WindowEvent::kRestored; return true;
    case SDL_WINDOWEVENT_SHOWN: *kind = WindowEvent::kShown; return true;
    case SDL_WINDOWEVENT_HIDDEN: *kind = WindowEvent::kHidden; return true;
    default: return false;
  }
}

}  // namespace

std::unique_ptr<WindowShell> WindowShell::Create(const char* className, const char* titleShiftJis, int clientWidth,
                                                 int clientHeight, std::string* error) {
  // Read when video starts: the class SDL gives its windows on X11 and Wayland.
  if (className != nullptr && className[0] != '\0') {
    setenv("SDL_VIDEO_X11_WMCLASS", className, 1);
    setenv("SDL_VIDEO_WAYLAND_WMCLASS", className, 1);
  }
  const std::string title = ShiftJisToUtf8(titleShiftJis != nullptr ? titleShiftJis : "");
  std::unique_ptr<GlWindow> window;
  {
    [[maybe_unused]] const SystemLibraryAllocations library;
    window = GlWindow::CreateWithoutContext(title.c_str(), clientWidth, clientHeight, error);
  }
  if (!window) return nullptr;
  std::unique_ptr<WindowShell> shell(new WindowShell);
  shell->window_ = std::move(window);
  // The game draws no pointer: hidden over the window, the desktop's own
  // outside it. Typed text is not wanted either, so no input method opens.
  SDL_ShowCursor(SDL_DISABLE);
  SDL_StopTextInput();
  SDL_AddEventWatch(WatchEvents, shell.get());
  return shell;
}

WindowShell::~WindowShell() { SDL_DelEventWatch(WatchEvents, this); }

void WindowShell::SetTitle(const char* titleShiftJis) {
  SDL_SetWindowTitle(window_->GetSdlWindow(), ShiftJisToUtf8(titleShiftJis != nullptr ? titleShiftJis : "").c_str());
}

// Sees each event as it enters the queue, before the input device or the
// pump takes it out.
int WindowShell::WatchEvents(void* data, SDL_Event* event) {
  auto* shell = static_cast<WindowShell*>(data);
  if (event->type == SDL_QUIT ||
      (event->type == SDL_WINDOWEVENT && event->window.event == SDL_WINDOWEVENT_CLOSE)) {
    shell->closeRequested_ = true;
    return 0;
  }
  if (event->type != SDL_KEYDOWN) return 0;
  const int scancode = event->key.keysym.scancode;
  if (scancode < SDL_SCANCODE_F1 || scancode > SDL_SCANCODE_F12) return 0;
  if (shell->pendingKeyCount_ == kPendingKeyCount) return 0;
  WindowEvent& key = shell->pendingKeys_[shell->pendingKeyCount_++];
  key.kind = WindowEvent::kKeyDown;
  key.virtualKey = kVirtualKeyF1 + (scancode - SDL_SCANCODE_F1);
  key.repeat = event->key.repeat != 0;
  return 0;
}

void WindowShell::PumpEvents(const std::function<void(const WindowEvent&)>& onWindow,
                             const std::function<void(const SDL_Event&)>& onInput) {
  SDL_Event event;
  while (SDL_PollEvent(&event)) {
    WindowEvent translated;
    if (event.type == SDL_QUIT) {
      onWindow(translated);
    } else if (event.type == SDL_WINDOWEVENT) {
      if (KindOfWindowEvent(event.window.event, &translated.kind)) onWindow(translated);
    } else if (IsInputEvent(event.type)) {
      onInput(event);
    }
  }
  // Copied out first: a handler may pump SDL again (a mode switch) and add more.
  const std::size_t count = pendingKeyCount_;
  const std::array<WindowEvent, kPendingKeyCount> keys = pendingKeys_;
  pendingKeyCount_ = 0;
  for (std::size_t i = 0; i < count; ++i) onWindow(keys[i]);
}

bool WindowShell::PumpCloseRequest() {
  SDL_PumpEvents();
  return closeRequested_;
}
