// The program's input and sound managers as the scene layer is handed them,
// and the run loop's input and sound step over them. Start-up owns the
// managers and hands them to the scene and the root scenario; tests make their own.
#pragma once

#include <cstdint>

#include "scene/run_host.h"

class InputManager;
class SoundManager;

// Borrowed pointers, living longer than the scene and the scenario that hold
// them. Either may be missing: without input the pad reads at rest and key
// maps go nowhere, without sound the game runs silent.
struct GameManagers {
  InputManager* input = nullptr;
  SoundManager* sound = nullptr;
};

// The run loop's input: the keys and pad 0 of the input manager. The pad word
// is the manager's newest mask under the pad's enable mask, as scripts see it.
class ManagerInput : public InputSource {
 public:
  explicit ManagerInput(InputManager& manager) : manager_(manager) {}
  bool Poll() override;
  int GetHoldCount(int key) const override;
  bool IsKeyReleased(int key) const override;
  std::uint32_t GetPadButtons() const override;
  void SetPadButtons(std::uint32_t buttons) override;

 private:
  InputManager& manager_;
};

// The run loop's sound step: the music fades advance once a frame.
class ManagerSoundPump : public SoundPump {
 public:
  explicit ManagerSoundPump(SoundManager& manager) : manager_(manager) {}
  void UpdateFrame() override;

 private:
  SoundManager& manager_;
};
