#include "sdl_input_script.h"

#include <SDL.h>

#include "platform/input/key_codes.h"

void PushScancode(int scancode, bool down, bool repeat) {
  SDL_Event event{};
  event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
  event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
  event.key.repeat = repeat ? 1 : 0;
  event.key.keysym.scancode = static_cast<SDL_Scancode>(scancode);
  SDL_PushEvent(&event);
}

int KeyByName(const std::string& name) { return KeyCodeFromScancode(SDL_GetScancodeFromName(name.c_str())); }

void PushKey(int key, bool down) {
  for (int scancode = 0; scancode < SDL_NUM_SCANCODES; ++scancode) {
    if (KeyCodeFromScancode(scancode) == key) {
      PushScancode(scancode, down);
      return;
    }
  }
}

VirtualJoystick::VirtualJoystick(int axes, int buttons) {
  const int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, axes, buttons, 0);
  if (index < 0) return;
  handle_ = SDL_JoystickOpen(index);
  if (handle_) id_ = SDL_JoystickInstanceID(handle_);
}

void VirtualJoystick::SetAxis(int axis, int value) {
  if (handle_) SDL_JoystickSetVirtualAxis(handle_, axis, static_cast<Sint16>(value));
}

void VirtualJoystick::SetButton(int button, bool down) {
  if (handle_) SDL_JoystickSetVirtualButton(handle_, button, down ? SDL_PRESSED : SDL_RELEASED);
}

void VirtualJoystick::PushButtonEvent(int button, bool down) {
  SDL_Event event{};
  event.type = down ? SDL_JOYBUTTONDOWN : SDL_JOYBUTTONUP;
  event.jbutton.which = id_;
  event.jbutton.button = static_cast<Uint8>(button);
  event.jbutton.state = down ? SDL_PRESSED : SDL_RELEASED;
  SDL_PushEvent(&event);
}

void VirtualJoystick::Unplug() {
  if (!handle_) return;
  for (int index = 0; index < SDL_NumJoysticks(); ++index) {
    if (SDL_JoystickGetDeviceInstanceID(index) == id_) {
      SDL_JoystickDetachVirtual(index);
      break;
    }
  }
  SDL_JoystickClose(handle_);
  handle_ = nullptr;
}
