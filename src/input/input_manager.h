// The input manager: the key bytes and the 24-bit button mask of the last two
// polls, hold counts, the key map and the pad's enable mask. The program owns
// one for the whole run; the scene's frame, the control word and the Input class read it.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "platform/input/input_device.h"

// Button mask bits (the pad word): the four directions, then buttons 1 to 20
// from 0x10 up. The directions are not in key-map order: entry 0 (up) sets
// 0x8, entries 1 to 3 set 0x1, 0x2 and 0x4.
constexpr std::uint32_t kPadDown = 0x1;
constexpr std::uint32_t kPadLeft = 0x2;
constexpr std::uint32_t kPadRight = 0x4;
constexpr std::uint32_t kPadUp = 0x8;
constexpr std::uint32_t kPadStick = 0xF;
constexpr std::uint32_t kPadButtons1To8 = 0xFF0;

// The low eight mask bits are mirrored as key codes 0xE0 to 0xE7 (down,
// left, right, up, buttons 1 to 4), overwriting whatever key has those codes.
constexpr int kPseudoKeyFirst = 0xE0;
constexpr int kPseudoKeyCount = 8;

class InputManager {
 public:
  // Entries 0 to 23: key codes (0 none) for mask bits up, down, left, right,
  // then buttons 1 to 20; entries 24 to 43: joystick buttons (-1 none) for
  // buttons 1 to 20.
  static constexpr int kKeyMapSize = 44;
  static constexpr int kKeyEntryCount = 24;
  static constexpr int kJoystickEntryFirst = 24;
  static constexpr int kNoJoystickButton = -1;
  // There is one pad, 0; every other pad number is refused or reads as none.
  static constexpr int kPadCount = 1;
  using KeyMap = std::array<std::int32_t, kKeyMapSize>;

  // The arrows and Z X C V A S D F; joystick buttons 0 to 7 for buttons 1 to 8.
  static KeyMap DefaultKeyMap();

  InputManager();
  ~InputManager() { Release(); }
  InputManager(const InputManager&) = delete;
  InputManager& operator=(const InputManager&) = delete;

  // Opens `device` and reads through it from now on; false (and the device
  // dropped) when it cannot be opened. Until then, and after Release, every
  // poll reads keys and pad at rest.
  bool Initialize(std::unique_ptr<InputDevice> device);
  void Release();

  // Reads the devices into the newer of the two history slots. False when a
  // device could not be read; the poll still completes with what it has.
  bool Poll();

  // The mask of `back` polls ago (0 the newest, 1 the one before; larger or
  // negative numbers wrap round the two slots), ANDed with the enable mask.
  std::uint32_t GetJoy(int pad, int back) const;
  // Overwrites a stored mask (the frame's input replay). The pseudo keys and
  // hold counts of that poll stay as read.
  void SetJoy(std::uint32_t mask, int pad, int back);
  // Bits of GetJoy set now and clear at the poll before, and the reverse.
  std::uint32_t GetJoyPressed(int pad) const;
  std::uint32_t GetJoyReleased(int pad) const;

  // Keys outside 0..255 are up, never held and never released.
  int IsKeyDown(int key, int back) const;
  bool IsKeyReleased(int key) const;
  int GetHoldCount(int key) const;

  // The pad's enable mask. It filters GetJoy and the edges, not the stored
  // history, the pseudo keys or the hold counts.
  bool SetJoyMask(int pad, std::uint32_t mask);
  // The whole map, stored as given: an entry outside 0..255 (keys) or 0..31
  // (joystick buttons) is kept but reads nothing.
  bool SetKeyMap(int pad, const KeyMap& map);
  bool GetKeyMap(int pad, KeyMap* map) const;
  // Sets every key entry whose mask bit is in `buttons` to `key`; bits above
  // the 24 of the mask are ignored, the joystick entries are not touched.
  bool MapButtonsToKey(int pad, std::uint32_t buttons, std::int32_t key);

 private:
  using KeyBytes = std::array<std::uint8_t, kKeyCodeCount>;

  // Two slots: `back` counts modulo 2, negative numbers too.
  int Slot(int back) const { return current_ ^ (back & 1); }
  std::uint32_t BuildMask(const InputState& state) const;

  std::unique_ptr<InputDevice> device_;
  KeyMap keyMap_;
  int current_ = 0;
  std::array<KeyBytes, 2> keys_{};
  std::array<std::uint32_t, 2> buttons_{};
  std::array<std::int32_t, kKeyCodeCount> holdCount_{};
  std::uint32_t enableMask_ = 0xFFFFFFFFu;
};
