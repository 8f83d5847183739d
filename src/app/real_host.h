// The run loop's host in the program: the real clock, the input and sound
// managers, the main window's pump, the frame renderer that draws the scene
// and the graphics device it draws on. Start-up builds one and hands it to the scene.
#pragma once

#include "app/main_window.h"
#include "render/graphics_frame_device.h"
#include "render/scene_renderer.h"
#include "scene/game_managers.h"
#include "scene/run_host.h"

class Graphics;
class InputManager;
class SoundManager;

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
  // Before the device, which draws the frame-rate line in the renderer's system font.
  SceneRenderer renderer_;
  GraphicsFrameDevice device_;
  RunHost host_;
};
