// The headless clock, input, device and window.
#include "app/headless_host.h"

void VirtualClock::WaitUntil(std::uint32_t deadline) {
  if (!TimeReached(now_, deadline)) now_ = deadline;
}

void ScriptedInput::KeyAt(int poll, int key, bool down) {
  if (key >= 0 && key < kKeyCount) changes_.push_back({poll, key, down ? 1u : 0u});
}

void ScriptedInput::PadAt(int poll, std::uint32_t buttons) { changes_.push_back({poll, -1, buttons}); }

bool ScriptedInput::Poll() {
  ++polls_;
  wasDown_ = down_;
  for (const Change& change : changes_) {
    if (change.poll != polls_) continue;
    if (change.key < 0)
      padSetting_ = change.value;
    else
      down_[static_cast<std::size_t>(change.key)] = change.value != 0;
  }
  pad_ = padSetting_;
  for (std::size_t k = 0; k < down_.size(); ++k) hold_[k] = down_[k] ? hold_[k] + 1 : 0;
  return true;
}

int ScriptedInput::GetHoldCount(int key) const {
  return key >= 0 && key < kKeyCount ? hold_[static_cast<std::size_t>(key)] : 0;
}

bool ScriptedInput::IsKeyReleased(int key) const {
  if (key < 0 || key >= kKeyCount) return false;
  return wasDown_[static_cast<std::size_t>(key)] && !down_[static_cast<std::size_t>(key)];
}

bool HeadlessWindow::PumpMessages() {
  ++pumps_;
  return quitAt_ > 0 && pumps_ >= quitAt_;
}
