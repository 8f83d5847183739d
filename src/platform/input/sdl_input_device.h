// The keyboard and joystick 0 over SDL2. Start-up gives it to the input
// manager; tests drive it with pushed SDL events and virtual joysticks.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>

#include "platform/input/input_device.h"

union SDL_Event;
struct _SDL_Joystick;

// Each press and each release between two reads is seen by one read, in the
// order they came: a tap inside one frame reads down, then up at the next read.
class EdgeLatch {
 public:
  // The device's state changed (or repeated itself, which is no change).
  void Set(bool down);
  // The state this read reports.
  bool Read();

 private:
  bool down_ = false;
  bool reported_ = false;
  // Changes not reported yet. Two at most, a press and its release: of a
  // longer burst inside one frame only the last state and its parity count.
  std::uint8_t pending_ = 0;
};

class SdlInputDevice final : public InputDevice {
 public:
  SdlInputDevice() = default;
  SdlInputDevice(const SdlInputDevice&) = delete;
  SdlInputDevice& operator=(const SdlInputDevice&) = delete;
  ~SdlInputDevice() override { Close(); }

  // Starts SDL's events, and its joysticks when it can; the first joystick
  // attached takes the one slot.
  bool Open() override;
  void Close() override;
  // Takes the key and joystick events waiting in SDL's queue (other events
  // stay for the window), then reads.
  bool Read(InputState* state) override;

  // One event, for a window pump that empties the queue itself; true when it
  // was a key or joystick event. A joystick unplugged empties the slot and
  // leaves every button and axis at rest; another attached or plugged in
  // later takes the slot.
  bool HandleEvent(const SDL_Event& event);
  bool HasJoystick() const { return joystick_ != nullptr; }

 private:
  void SetScancode(int scancode, bool down);
  bool OpenJoystick(int deviceIndex);
  void OpenFirstJoystick();
  void CloseJoystick();

  bool open_ = false;
  bool joysticksStarted_ = false;
  std::array<EdgeLatch, kKeyCodeCount> keys_{};
  // Which scancodes are down, and how many of a key's scancodes: a key with
  // two names stays down until both are up.
  std::bitset<512> scancodesDown_;
  std::array<std::uint8_t, kKeyCodeCount> scancodesPerKey_{};
  _SDL_Joystick* joystick_ = nullptr;
  std::int32_t joystickId_ = -1;
  std::array<EdgeLatch, kJoystickButtonCount> buttons_{};
};
