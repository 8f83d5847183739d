// The run loop's input source and sound step over the program's managers.
#include "scene/game_managers.h"

#include "input/input_manager.h"
#include "sound/sound_manager.h"

bool ManagerInput::Poll() { return manager_.Poll(); }

int ManagerInput::GetHoldCount(int key) const { return manager_.GetHoldCount(key); }

bool ManagerInput::IsKeyReleased(int key) const { return manager_.IsKeyReleased(key); }

std::uint32_t ManagerInput::GetPadButtons() const { return manager_.GetJoy(0, 0); }

void ManagerInput::SetPadButtons(std::uint32_t buttons) { manager_.SetJoy(buttons, 0, 0); }

void ManagerSoundPump::UpdateFrame() { manager_.Update(); }
