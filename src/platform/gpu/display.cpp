// The display test, the headless drivers and SDL's message box.
#include "platform/gpu/display.h"

#include <SDL.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/gpu/box_process.h"

namespace {

bool IsSet(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && value[0] != '\0';
}

bool IsUnseenVideoDriver(const char* driver) {
  return driver != nullptr && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
}

}  // namespace

bool HasDisplay() {
  return (IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY")) && !IsUnseenVideoDriver(std::getenv("SDL_VIDEODRIVER"));
}

void ChooseVideoDrivers() {
  const bool x11 = IsSet("DISPLAY"), wayland = IsSet("WAYLAND_DISPLAY");
  if (!x11 && !wayland) {
    // The third argument 0 keeps a driver the environment already names.
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    return;
  }
  // Left to itself, SDL goes on to drivers that show nothing when the named
  // display cannot be opened, and the game would play unseen.
  setenv("SDL_VIDEODRIVER", x11 && wayland ? "x11,wayland" : x11 ? "x11" : "wayland", 0);
}

std::string DescribeNamedDisplays() {
  std::string text;
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
    if (!IsSet(name)) continue;
    text += text.empty() ? "the display \"" : " or the display \"";
    text += std::getenv(name);
    text += "\" (";
    text += name;
    text += ")";
  }
  return text;
}

void ShowDisplayMessageBox(const char* textUtf8, const char* captionUtf8, const MessageBoxStyle& style) {
  // Allowed before SDL is started; a failure leaves the standard error line
  // the caller has written as the only trace. SDL has no box above every
  // window: one owned by the window stays above that window.
  const BoxProcessScope endsWithTheProgram;
  SDL_ShowSimpleMessageBox(style.error ? SDL_MESSAGEBOX_ERROR : 0, captionUtf8 != nullptr ? captionUtf8 : "",
                           textUtf8 != nullptr ? textUtf8 : "", static_cast<SDL_Window*>(style.owner));
}
