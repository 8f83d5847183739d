// The scene's fixed-rate run loop with its start and end: deadlines, skipped
// draws, the frame-rate overlay, record and replay, the window's quit.
#include <algorithm>
#include <cstdio>
#include <vector>

#include "scene/scene.h"

namespace {

// Late frames skip at most this many draws in a row.
constexpr int kMaxSkippedDraws = 4;
constexpr std::uint32_t kSecondMs = 1000;
constexpr int kProfileClearFrames = 60;

// Milliseconds per frame. The scene file may give any number: below 1 runs
// at one frame a second, above 1000 at one frame a millisecond.
std::uint32_t FrameStepMs(int fps) {
  if (fps < 1) fps = 1;
  if (fps > 1000) fps = 1000;
  return kSecondMs / static_cast<std::uint32_t>(fps);
}

}  // namespace

int Scene::Run() { return sessionReplay_.empty() ? Run(nullptr, nullptr, nullptr, 0) : RunSessionReplay(); }

int Scene::Run(std::uint32_t* record, std::uint32_t* recordCount, const std::uint32_t* replay,
               std::uint32_t replayCount) {
  FrameDevice* device = host_.device;
  if (!device) return kRunNoDevice;
  SteadyClock ownClock;
  FrameClock& clock = host_.clock ? *host_.clock : ownClock;

  // A scene that fails to start or in a frame still hears the window before
  // it ends: a scenario that names it again and again must see the quit.
  const auto hearWindow = [this] {
    if (host_.window && host_.window->PumpMessages()) quitRequested_ = true;
  };
  frameCounter_ = 0;
  if (const int code = Init(); code != 0) {
    frameCounter_ = kSceneNotRunning;
    hearWindow();
    return code;
  }

  // The deadline's own flag, not 0 for none: 0 is a time like any other
  // once the counter wraps.
  bool hasDeadline = false;
  std::uint32_t deadline = 0;
  int skipped = 0;
  int framesThisSecond = 0;
  int shownFps = 0;
  std::uint32_t nextSecond = clock.NowMs() + kSecondMs;
  const std::uint32_t recordCapacity = record && recordCount ? *recordCount : 0;
  if (!record) recordCount = nullptr;
  if (recordCount) *recordCount = 0;
  int result = 0;

  for (bool running = true; running;) {
    FrameDevice::State state = device->TestCooperativeLevel();
    if (active_ && state == FrameDevice::kReady) {
      if (replay && replayCount <= frameCounter_) {
        frameCounter_ = kSceneNotRunning;
        break;
      }
      const int code = Update(record, recordCapacity, replay, replayCount);
      if (host_.sound) host_.sound->UpdateFrame();
      if (code != 0) {
        result = code;
        hearWindow();
        break;
      }
      if (IsRunning() && !paused_) {
        // The counter never reaches the value that means "not running".
        if (++frameCounter_ == kSceneNotRunning) frameCounter_ = 0;
      }
      // Frames recorded, never more than the buffer holds.
      if (recordCount && IsRunning()) *recordCount = std::min(frameCounter_, recordCapacity);
    }

    const bool skip = !IsRunning() ||
                      (skipped < kMaxSkippedDraws && hasDeadline && TimeReached(clock.NowMs(), deadline));
    if (skip) {
      ++skipped;
    } else {
      ++framesThisSecond;
      const float scale = static_cast<float>(device->GetBackBufferWidth()) / 800.0f;
      // After four skips the schedule restarts from now instead of catching up.
      if (skipped >= kMaxSkippedDraws) hasDeadline = false;
      skipped = 0;
      if (state == FrameDevice::kLost) {
        ReleaseRenderResources();
      } else if (state == FrameDevice::kNotReset) {
        // Released first: the device refuses a reset while the resources
        // that do not survive one still live.
        ReleaseRenderResources();
        if (device->Reset()) {
          CreateRenderResources();
          state = FrameDevice::kReady;
        }
      }
      if (state == FrameDevice::kReady) {
        device->Clear(clearColor_, 1.0f);
        if (device->BeginScene()) {
          Render();
          device->EndScene();
        }
        if (host_.window && host_.window->ShowsFrameRate()) {
          char text[16];
          std::snprintf(text, sizeof text, "%3dFPS", shownFps);
          device->DrawOverlayText(text, 0.0f, 0.0f, 0xFFFFFFFFu, scale);
        }
        if (host_.window && frameCounter_ % kProfileClearFrames == 0) host_.window->ClearProfileCounters();
      }
      if (hasDeadline) clock.WaitUntil(deadline);
      if (state == FrameDevice::kReady) device->Present();
    }

    const std::uint32_t step = FrameStepMs(fps_);
    if (hasDeadline) {
      deadline += step;
    } else {
      deadline = clock.NowMs() + step;
      hasDeadline = true;
    }

    if (host_.window && host_.window->PumpMessages()) {
      result = kRunQuit;
      quitRequested_ = true;
      frameCounter_ = kSceneNotRunning;
    }
    if (!IsRunning()) running = false;

    const std::uint32_t now = clock.NowMs();
    if (TimeReached(now, nextSecond)) {
      nextSecond = now + kSecondMs;
      shownFps = framesThisSecond;
      framesThisSecond = 0;
      for (int i = 0; i < castCount_; ++i) casts_[static_cast<std::size_t>(i)]->RollProfile();
    }
  }

  // However the loop ended (a failed update too), the scene no longer runs:
  // the end's deletes happen at once.
  frameCounter_ = kSceneNotRunning;
  const int exitCode = Exit();
  ClearRunState();
  return exitCode != 0 ? exitCode : result;
}

int Scene::Init() {
  ReleaseRenderResources();
  if (const int code = CreateRenderResources(); code != 0) return code;
  if (host_.input) host_.input->Poll();
  BuildEdgeStopperWalls();
  // Zeroed before the casts start, so that a start hook may begin a fade.
  camera_ = CameraSwitch();
  fades_ = {};
  StartCasts();
  return ExecuteCommand(commands_[kSceneOnBegin], nullptr, nullptr, 0) != 0 ? 4 : 0;
}

int Scene::Exit() {
  if (ExecuteCommand(commands_[kSceneOnEnd], nullptr, nullptr, 0) != 0) return 4;
  // Handles taken first: hooks may delete or add casts, closing the table up.
  std::vector<CastHandle> handles;
  handles.reserve(static_cast<std::size_t>(castCount_));
  for (int i = 0; i < castCount_; ++i) handles.push_back(casts_[static_cast<std::size_t>(i)]->GetHandle());
  for (const CastHandle& handle : handles) {
    Cast* cast = handle.Get();
    if (!cast) continue;
    const std::uint32_t own = cast->GetOwnFlags();
    if (own & kCastAddedWhileRunning) {
      DeleteCast(cast);
    } else if (own & kCastDeletedWhileRunning) {
      // Its delete hook ran when it was deleted; it stays for the next start.
      cast->SetOwnFlags(own & ~kCastDeletedWhileRunning);
    } else if (!cast->IsBeingDeleted()) {
      // Marked while its end hook runs, so a hook deleting its own cast does
      // not run the hook again.
      cast->SetBeingDeleted(true);
      cast->OnDelete(*this);
      if (Cast* still = handle.Get()) still->SetBeingDeleted(false);
    }
  }
  ReleaseEdgeStopperWalls();
  ReleaseRenderResources();
  return 0;
}

void Scene::ResetDevice() {
  if (!host_.device) return;
  ReleaseRenderResources();
  if (host_.device->Reset()) CreateRenderResources();
}
