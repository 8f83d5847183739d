// The display test, the headless drivers and SDL's message box.
#include "platform/gpu/display.h"

#include <SDL.h>

#include <cstdlib>
#include <cstring>

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

void UseHeadlessDriversWithoutDisplay() {
  if (IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY")) return;
  // The third argument 0 keeps a driver the environment already names.
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
}

void ShowDisplayMessageBox(const char* textUtf8, const char* captionUtf8) {
  // Allowed before SDL is started; a failure leaves the standard error line
  // the caller has written as the only trace.
  const BoxProcessScope endsWithTheProgram;
  SDL_ShowSimpleMessageBox(0, captionUtf8 != nullptr ? captionUtf8 : "", textUtf8 != nullptr ? textUtf8 : "",
                           nullptr);
}
