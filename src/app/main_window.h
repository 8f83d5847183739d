// The game's one window: made from the program's string table with an
// 800x600 client area; its activation, which holds the game still while the
// window is away; the close button, which quits; the function keys; and the
// two screen sizes. Start-up owns it and the run loop pumps it.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>

#include "platform/gpu/window_shell.h"
#include "platform/system/quit_request.h"
#include "scene/run_host.h"

class Graphics;
class Scene;
class SdlInputDevice;

class MainWindow : public WindowPump {
 public:
  static constexpr int kScreen800x600 = 0;
  static constexpr int kScreen640x480 = 1;

  // The quit is the window's own, or the program's, which signals ask too.
  MainWindow() = default;
  explicit MainWindow(QuitRequest& quit) : quit_(quit) {}
  ~MainWindow() override;
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Loads the title and the class name from the string table (the title is
  // from then on the caption of every box) and makes the window, which
  // follows later title changes. False, with the reason on standard error,
  // when no window can be made.
  bool Create();
  // Null before Create.
  GlWindow* GetGlWindow() const { return shell_ ? &shell_->GetGlWindow() : nullptr; }

  // What the window acts on, borrowed; either may be null. The scene's active
  // flag follows the window from here on.
  void Attach(Scene* scene, Graphics* graphics);
  Scene* GetScene() const { return scene_; }
  Graphics* GetGraphics() const { return graphics_; }
  // Key and joystick events the pump takes from the queue go to this device;
  // without one they are dropped.
  void SetInputDevice(SdlInputDevice* device) { input_ = device; }

  // The client area and the back buffers at 800x600 (kScreen800x600) or
  // 640x480 (kScreen640x480); in full screen the window takes the size when
  // it returns to a window. The mode is kept whatever the outcome; false when
  // the back buffers could not change.
  bool SetScreenSize(int mode);
  int GetScreenSizeMode() const { return screenSizeMode_; }

  // Focused, shown and not minimised: the game moves only then.
  bool IsActive() const { return focused_ && !minimized_ && !hidden_; }
  // One message of the window, as the pump hands them on.
  void OnWindowEvent(const WindowEvent& event);

  // Every waiting message; true once the window has been closed or the
  // program asked to end. From then on the game is ending (ScriptMustStop).
  bool PumpMessages() override;
  bool QuitAsked() override;
  // The scripts' attention hook: looks for a close request, leaving every
  // other message to PumpMessages, and answers whether the script that runs
  // must stop. Once a quit has been asked, what runs stops, so that the scene
  // ends; while the game then ends (the scene's and the scenario's end
  // scripts), scripts run again, but only until kEndScriptsMs after the ask.
  bool ScriptMustStop();
  static constexpr std::int64_t kEndScriptsMs = 1000;
  // The frame-rate text shows while the time of whole passes, measured from
  // pump to pump, is counted; the run loop clears it every 60 frames.
  bool ShowsFrameRate() const override { return passTime_.count() != 0; }
  void ClearProfileCounters() override { passTime_ = {}; }

 private:
  std::unique_ptr<WindowShell> shell_;
  Scene* scene_ = nullptr;
  Graphics* graphics_ = nullptr;
  SdlInputDevice* input_ = nullptr;
  // 640x480 until start-up sets 800x600, so that its switch resizes.
  int screenSizeMode_ = kScreen640x480;
  bool focused_ = true;
  bool minimized_ = false;
  bool hidden_ = false;
  QuitRequest ownQuit_;
  QuitRequest& quit_ = ownQuit_;
  bool quitHeard_ = false;  // the game has learnt of the quit and is ending
  std::chrono::steady_clock::duration passTime_{};
  std::chrono::steady_clock::time_point lastPump_{};
  bool pumped_ = false;
};
