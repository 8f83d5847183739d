// The run loop's host in the program: the real clock, the input and sound
// managers, the main window's pump, and the device the frames are shown on.
// Start-up builds one and hands it to the scene.
#pragma once

#include <cstdint>

#include "app/main_window.h"
#include "scene/game_managers.h"
#include "scene/run_host.h"

class Graphics;
class InputManager;
class SoundManager;

// Clears and presents the back buffer through Graphics, and draws no overlay
// text: all the run loop needs of a device to show the scene's clear colour.
class ClearingFrameDevice : public FrameDevice {
 public:
  explicit ClearingFrameDevice(Graphics& graphics) : graphics_(graphics) {}
  State TestCooperativeLevel() override;
  bool Reset() override;
  void Clear(std::uint32_t color, float depth) override;
  bool BeginScene() override;
  void EndScene() override;
  void Present() override;
  int GetBackBufferWidth() const override;
  void DrawOverlayText(const char*, float, float, std::uint32_t, float) override {}

 private:
  Graphics& graphics_;
};

class RealHost {
 public:
  // Everything borrowed lives longer than the host.
  RealHost(Graphics& graphics, MainWindow& window, InputManager& input, SoundManager& sound);
  RealHost(const RealHost&) = delete;
  RealHost& operator=(const RealHost&) = delete;

  const RunHost& Get() const { return host_; }

 private:
  SteadyClock clock_;
  ManagerInput input_;
  ManagerSoundPump sound_;
  ClearingFrameDevice device_;
  RunHost host_;
};
