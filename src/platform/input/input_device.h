// The keyboard and the one joystick as a poll reads them: key bytes, two axes
// and 32 button bytes. The input manager reads them through InputDevice; the
// SDL device is the real one, and a manager without a device reads everything at rest.
#pragma once

#include <array>
#include <cstdint>

#include "platform/input/key_codes.h"

// A state byte with this bit set is down, for keys and joystick buttons alike.
constexpr std::uint8_t kInputDown = 0x80;
constexpr int kJoystickButtonCount = 32;
// Axes read from -kJoystickAxisRange to kJoystickAxisRange; the inner half of
// each axis (the dead zone) reads 0.
constexpr int kJoystickAxisRange = 1000;

struct JoystickState {
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::array<std::uint8_t, kJoystickButtonCount> buttons{};
};

// What one read gives. Without a joystick the joystick part stays at rest.
struct InputState {
  std::array<std::uint8_t, kKeyCodeCount> keys{};
  JoystickState joystick;
};

class InputDevice {
 public:
  virtual ~InputDevice() = default;
  // False when the keyboard cannot be used at all; a missing joystick is no
  // failure.
  virtual bool Open() = 0;
  virtual void Close() = 0;
  // Fills *state, which the caller has cleared, with the state since the last
  // read. A key pressed and released between two reads reads down once, then
  // up. False when a device could not be read; *state then holds what could.
  virtual bool Read(InputState* state) = 0;
};
