// One poll turns the device state into key bytes, the button mask, the pseudo
// keys and hold counts; the queries read the two-slot history.
#include "input/input_manager.h"

#include <iterator>
#include <limits>
#include <utility>

namespace {

constexpr int kDirectionEntryCount = 4;
// Joystick entry e sets the bit of key entry e - 20: entries 24..43 are
// buttons 1 to 20, as key entries 4..23 are.
constexpr int kJoystickEntryShift = 20;

std::uint32_t EntryBit(int entry) {
  constexpr std::uint32_t kDirectionBits[kDirectionEntryCount] = {kPadUp, kPadDown, kPadLeft, kPadRight};
  if (entry < kDirectionEntryCount) return kDirectionBits[entry];
  if (entry < InputManager::kKeyEntryCount) return 1u << entry;
  return 1u << (entry - kJoystickEntryShift);
}

bool IsKeyCode(int key) { return key >= 0 && key < kKeyCodeCount; }

bool IsDown(std::uint8_t state) { return (state & kInputDown) != 0; }

}  // namespace

InputManager::KeyMap InputManager::DefaultKeyMap() {
  KeyMap map{};
  const std::int32_t keys[] = {kKeyUp, kKeyDown, kKeyLeft, kKeyRight, kKeyZ, kKeyX,
                               kKeyC,  kKeyV,    kKeyA,    kKeyS,     kKeyD, kKeyF};
  for (std::size_t entry = 0; entry < std::size(keys); ++entry) map[entry] = keys[entry];
  for (int entry = kJoystickEntryFirst; entry < kKeyMapSize; ++entry) map[entry] = kNoJoystickButton;
  // Buttons 1 to 8 also come from joystick buttons 0 to 7.
  for (int button = 0; button < 8; ++button) map[kJoystickEntryFirst + button] = button;
  return map;
}

InputManager::InputManager() : keyMap_(DefaultKeyMap()) {}

bool InputManager::Initialize(std::unique_ptr<InputDevice> device) {
  Release();
  if (!device || !device->Open()) return false;
  device_ = std::move(device);
  return true;
}

void InputManager::Release() {
  if (device_) device_->Close();
  device_.reset();
}

bool InputManager::Poll() {
  current_ ^= 1;
  InputState state;
  const bool read = device_ ? device_->Read(&state) : true;
  KeyBytes& keys = keys_[current_];
  keys = state.keys;
  const std::uint32_t mask = BuildMask(state);
  buttons_[current_] = mask;
  // The mask is built from the real keys first; only then do the pseudo keys
  // overwrite theirs.
  for (int bit = 0; bit < kPseudoKeyCount; ++bit)
    keys[kPseudoKeyFirst + bit] = (mask >> bit & 1u) != 0 ? kInputDown : std::uint8_t{0};
  for (int key = 0; key < kKeyCodeCount; ++key) {
    std::int32_t& hold = holdCount_[key];
    if (!IsDown(keys[key]))
      hold = 0;
    else if (hold < std::numeric_limits<std::int32_t>::max())
      ++hold;
  }
  return read;
}

std::uint32_t InputManager::BuildMask(const InputState& state) const {
  std::uint32_t mask = 0;
  for (int entry = 0; entry < kKeyEntryCount; ++entry) {
    const std::int32_t key = keyMap_[entry];
    if (key != kKeyNone && IsKeyCode(key) && IsDown(state.keys[key])) mask |= EntryBit(entry);
  }
  // The device's dead zone has already made small deflections 0.
  if (state.joystick.y < 0) mask |= kPadUp;
  if (state.joystick.y > 0) mask |= kPadDown;
  if (state.joystick.x < 0) mask |= kPadLeft;
  if (state.joystick.x > 0) mask |= kPadRight;
  for (int entry = kJoystickEntryFirst; entry < kKeyMapSize; ++entry) {
    const std::int32_t button = keyMap_[entry];
    if (button >= 0 && button < kJoystickButtonCount && IsDown(state.joystick.buttons[button]))
      mask |= EntryBit(entry);
  }
  return mask;
}

std::uint32_t InputManager::GetJoy(int pad, int back) const {
  if (pad != 0) return 0;
  return buttons_[Slot(back)] & enableMask_;
}

void InputManager::SetJoy(std::uint32_t mask, int pad, int back) {
  if (pad == 0) buttons_[Slot(back)] = mask;
}

std::uint32_t InputManager::GetJoyPressed(int pad) const { return GetJoy(pad, 0) & ~GetJoy(pad, 1); }

std::uint32_t InputManager::GetJoyReleased(int pad) const { return ~GetJoy(pad, 0) & GetJoy(pad, 1); }

int InputManager::IsKeyDown(int key, int back) const {
  return IsKeyCode(key) && IsDown(keys_[Slot(back)][key]) ? 1 : 0;
}

bool InputManager::IsKeyReleased(int key) const { return IsKeyDown(key, 1) != 0 && IsKeyDown(key, 0) == 0; }

int InputManager::GetHoldCount(int key) const { return IsKeyCode(key) ? holdCount_[key] : 0; }

bool InputManager::SetJoyMask(int pad, std::uint32_t mask) {
  if (pad != 0) return false;
  enableMask_ = mask;
  return true;
}

bool InputManager::SetKeyMap(int pad, const KeyMap& map) {
  if (pad != 0) return false;
  keyMap_ = map;
  return true;
}

bool InputManager::GetKeyMap(int pad, KeyMap* map) const {
  if (pad != 0) return false;
  *map = keyMap_;
  return true;
}

bool InputManager::MapButtonsToKey(int pad, std::uint32_t buttons, std::int32_t key) {
  KeyMap map;
  if (!GetKeyMap(pad, &map)) return false;
  for (int entry = 0; entry < kKeyEntryCount; ++entry)
    if ((buttons & EntryBit(entry)) != 0) map[entry] = key;
  return SetKeyMap(pad, map);
}
