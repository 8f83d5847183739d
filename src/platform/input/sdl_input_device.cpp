// Key and joystick events into per-key latches, read once per poll.
#include "platform/input/sdl_input_device.h"

#include <SDL.h>

#include <cstdlib>

static_assert(SDL_NUM_SCANCODES == 512, "the scancode set is sized in the header");

namespace {

constexpr int kAxisX = 0;
constexpr int kAxisY = 1;
constexpr int kAxisFull = SDL_JOYSTICK_AXIS_MAX;
constexpr int kAxisDeadZone = kAxisFull / 2;

// SDL's -32768..32767 to -1000..1000, the inner half reading 0. Outside it the
// rest of the travel is spread over 1..1000, rounding up so that any
// deflection past the dead zone reads as one.
int ScaleAxis(int raw) {
  int magnitude = std::abs(raw);
  if (magnitude > kAxisFull) magnitude = kAxisFull;
  if (magnitude <= kAxisDeadZone) return 0;
  constexpr int span = kAxisFull - kAxisDeadZone;
  const int scaled = ((magnitude - kAxisDeadZone) * kJoystickAxisRange + span - 1) / span;
  return raw < 0 ? -scaled : scaled;
}

}  // namespace

void EdgeLatch::Set(bool down) {
  if (down == down_) return;
  down_ = down;
  // A third change before the read cancels the first two: what stays is the
  // device's state and an odd or even number of changes to report.
  pending_ = pending_ < 2 ? static_cast<std::uint8_t>(pending_ + 1) : std::uint8_t{1};
}

bool EdgeLatch::Read() {
  if (pending_ > 0) {
    --pending_;
    reported_ = !reported_;
  }
  return reported_;
}

bool SdlInputDevice::Open() {
  if (open_) return true;
  if (SDL_InitSubSystem(SDL_INIT_EVENTS) != 0) return false;
  // The joystick is read whether or not the window has the focus.
  SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
  joysticksStarted_ = SDL_InitSubSystem(SDL_INIT_JOYSTICK) == 0;
  if (joysticksStarted_) OpenFirstJoystick();
  open_ = true;
  return true;
}

void SdlInputDevice::Close() {
  if (!open_) return;
  CloseJoystick();
  if (joysticksStarted_) SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
  joysticksStarted_ = false;
  SDL_QuitSubSystem(SDL_INIT_EVENTS);
  keys_ = {};
  scancodesDown_.reset();
  scancodesPerKey_ = {};
  open_ = false;
}

bool SdlInputDevice::Read(InputState* state) {
  if (!open_) return false;
  SDL_PumpEvents();
  struct EventRange {
    Uint32 first;
    Uint32 last;
  };
  // Key and joystick events only: the window's events and text input stay
  // queued for the window's pump.
  constexpr EventRange kRanges[] = {{SDL_KEYDOWN, SDL_KEYUP}, {SDL_JOYAXISMOTION, SDL_CONTROLLERAXISMOTION - 1}};
  SDL_Event events[64];
  for (const EventRange& range : kRanges) {
    int count;
    while ((count = SDL_PeepEvents(events, 64, SDL_GETEVENT, range.first, range.last)) > 0)
      for (int i = 0; i < count; ++i) HandleEvent(events[i]);
  }

  for (std::size_t key = 0; key < keys_.size(); ++key)
    if (keys_[key].Read()) state->keys[key] = kInputDown;
  if (joystick_) {
    const int axes = SDL_JoystickNumAxes(joystick_);
    if (axes > kAxisX) state->joystick.x = ScaleAxis(SDL_JoystickGetAxis(joystick_, kAxisX));
    if (axes > kAxisY) state->joystick.y = ScaleAxis(SDL_JoystickGetAxis(joystick_, kAxisY));
    for (std::size_t button = 0; button < buttons_.size(); ++button)
      if (buttons_[button].Read()) state->joystick.buttons[button] = kInputDown;
  }
  return true;
}

bool SdlInputDevice::HandleEvent(const SDL_Event& event) {
  switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      // Auto-repeat is no change of state.
      if (!event.key.repeat) SetScancode(event.key.keysym.scancode, event.type == SDL_KEYDOWN);
      return true;
    case SDL_JOYBUTTONDOWN:
    case SDL_JOYBUTTONUP:
      if (joystick_ && event.jbutton.which == joystickId_ && event.jbutton.button < kJoystickButtonCount)
        buttons_[event.jbutton.button].Set(event.jbutton.state == SDL_PRESSED);
      return true;
    case SDL_JOYDEVICEADDED:
      if (!joystick_) OpenJoystick(event.jdevice.which);
      return true;
    case SDL_JOYDEVICEREMOVED:
      if (joystick_ && event.jdevice.which == joystickId_) {
        CloseJoystick();
        OpenFirstJoystick();
      }
      return true;
    default:
      return event.type >= SDL_JOYAXISMOTION && event.type < SDL_CONTROLLERAXISMOTION;
  }
}

void SdlInputDevice::SetScancode(int scancode, bool down) {
  const int key = KeyCodeFromScancode(scancode);
  if (key == kKeyNone || scancodesDown_[static_cast<std::size_t>(scancode)] == down) return;
  scancodesDown_[static_cast<std::size_t>(scancode)] = down;
  std::uint8_t& count = scancodesPerKey_[static_cast<std::size_t>(key)];
  count = static_cast<std::uint8_t>(down ? count + 1 : count - 1);
  keys_[static_cast<std::size_t>(key)].Set(count > 0);
}

bool SdlInputDevice::OpenJoystick(int deviceIndex) {
  SDL_Joystick* joystick = SDL_JoystickOpen(deviceIndex);
  if (!joystick) return false;
  joystick_ = joystick;
  joystickId_ = SDL_JoystickInstanceID(joystick);
  buttons_ = {};
  // Buttons already held when the joystick arrives read as pressed now.
  const int count = SDL_JoystickNumButtons(joystick);
  for (int button = 0; button < count && button < kJoystickButtonCount; ++button)
    buttons_[static_cast<std::size_t>(button)].Set(SDL_JoystickGetButton(joystick, button) != 0);
  return true;
}

void SdlInputDevice::OpenFirstJoystick() {
  const int count = SDL_NumJoysticks();
  for (int index = 0; index < count; ++index)
    if (OpenJoystick(index)) return;
}

void SdlInputDevice::CloseJoystick() {
  if (joystick_) SDL_JoystickClose(joystick_);
  joystick_ = nullptr;
  joystickId_ = -1;
  buttons_ = {};
}
