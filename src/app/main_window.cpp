// Window creation, its messages and the screen-size switch.
#include "app/main_window.h"

#include <cstdio>
#include <string>

#include "app/function_keys.h"
#include "app/program_icon.h"
#include "app/string_table.h"
#include "platform/gpu/window_icon.h"
#include "platform/input/sdl_input_device.h"
#include "platform/system/window_title.h"
#include "render/graphics.h"
#include "scene/scene.h"

namespace {

struct ScreenSize {
  int width, height;
};
constexpr ScreenSize kScreenSizes[] = {{800, 600}, {640, 480}};

}  // namespace

MainWindow::~MainWindow() {
  if (shell_) SetWindowCaptionHook({});
}

bool MainWindow::Create() {
  SetWindowTitle(LoadProgramString(kTitleStringId));
  std::string error;
  const ScreenSize& size = kScreenSizes[kScreen800x600];
  shell_ = WindowShell::Create(LoadProgramString(kClassNameStringId), GetWindowTitle(), size.width, size.height,
                               &error);
  if (!shell_) {
    // No box for this step; the line says why the game did not start.
    std::fprintf(stderr, "t3dplayer: %s\n", error.c_str());
    return false;
  }
  // One image serves as the large and the small icon; the desktop scales it.
  SetWindowIcon(shell_->GetGlWindow(), kProgramIcon, kProgramIconSize, kProgramIconSize);
  SetWindowCaptionHook([this](const char* title) { shell_->SetTitle(title); });
  return true;
}

void MainWindow::Attach(Scene* scene, Graphics* graphics) {
  scene_ = scene;
  graphics_ = graphics;
  if (scene_) scene_->SetActive(IsActive());
}

bool MainWindow::SetScreenSize(int mode) {
  if (mode == screenSizeMode_) return true;
  bool changed = true;
  if (mode == kScreen800x600 || mode == kScreen640x480) {
    const ScreenSize& size = kScreenSizes[mode];
    if (shell_) shell_->GetGlWindow().SetClientSize(size.width, size.height);
    changed = graphics_ != nullptr && graphics_->SetBackBufferSize(size.width, size.height);
  }
  screenSizeMode_ = mode;
  return changed;
}

void MainWindow::OnWindowEvent(const WindowEvent& event) {
  switch (event.kind) {
    case WindowEvent::kClose: quit_.Ask(); return;
    case WindowEvent::kKeyDown: PressFunctionKey(*this, event.virtualKey); return;
    case WindowEvent::kFocusGained: focused_ = true; break;
    case WindowEvent::kFocusLost: focused_ = false; break;
    case WindowEvent::kMinimized: minimized_ = true; break;
    case WindowEvent::kRestored: minimized_ = false; break;
    case WindowEvent::kShown: hidden_ = false; break;
    case WindowEvent::kHidden: hidden_ = true; break;
  }
  if (scene_) scene_->SetActive(IsActive());
}

bool MainWindow::PumpMessages() {
  const auto now = std::chrono::steady_clock::now();
  if (pumped_) passTime_ += now - lastPump_;
  lastPump_ = now;
  pumped_ = true;
  if (shell_) {
    shell_->PumpEvents([this](const WindowEvent& event) { OnWindowEvent(event); },
                       [this](const SDL_Event& event) {
                         if (input_) input_->HandleEvent(event);
                       });
  }
  return QuitAsked();
}

bool MainWindow::QuitAsked() {
  if (quit_.IsAsked()) quitHeard_ = true;
  return quitHeard_;
}

bool MainWindow::ScriptMustStop() {
  if (shell_ && shell_->PumpCloseRequest()) quit_.Ask();
  if (!quit_.IsAsked()) return false;
  return !quitHeard_ || quit_.MsSinceAsked() >= kEndScriptsMs;
}
