// What the run loop stands on: clock, input, graphics device, window pump and sound step, and the
// real clock. Used by the scene's run loop and frame update; app/ has the headless stand-ins and the real host.
#pragma once

#include <cstdint>

// A monotonic millisecond counter. It wraps after 2^32 ms: compare two times
// only by the signed difference (TimeReached).
class FrameClock {
 public:
  virtual ~FrameClock() = default;
  virtual std::uint32_t NowMs() = 0;
  // Gives the processor away for about `ms` milliseconds.
  virtual void SleepMs(std::uint32_t ms) = 0;
  // Returns once `deadline` has been reached: sleeps until about 2 ms before
  // it, then polls. A deadline more than a second away (a clock that jumped)
  // is waited for a second at most, so the loop never hangs.
  virtual void WaitUntil(std::uint32_t deadline);
};

// The process's monotonic clock, in milliseconds from its construction.
class SteadyClock : public FrameClock {
 public:
  SteadyClock();
  std::uint32_t NowMs() override;
  void SleepMs(std::uint32_t ms) override;

 private:
  std::int64_t originNs_;
};

// True once `now` is at or past `when`, across the counter's wrap.
inline bool TimeReached(std::uint32_t now, std::uint32_t when) {
  return static_cast<std::int32_t>(now - when) >= 0;
}

// The keyboard and pad as the input manager gives them after each poll.
class InputSource {
 public:
  static constexpr int kKeyCount = 256;
  virtual ~InputSource() = default;
  // Reads the devices once; false when one could not be read (the poll still
  // completes with what it has).
  virtual bool Poll() = 0;
  // Polls in a row the key has been down; 0 when up. Keys outside 0..255 are up.
  virtual int GetHoldCount(int key) const = 0;
  // Down at the poll before the last one and up at the last.
  virtual bool IsKeyReleased(int key) const = 0;
  // The button word of pad 0 of the last poll; the replay overwrites it.
  virtual std::uint32_t GetPadButtons() const = 0;
  virtual void SetPadButtons(std::uint32_t buttons) = 0;
};

// The graphics device as the run loop drives it.
class FrameDevice {
 public:
  enum State { kReady, kLost, kNotReset };
  virtual ~FrameDevice() = default;
  virtual State TestCooperativeLevel() = 0;
  // Resets a device that can be reset; false when it cannot be yet.
  virtual bool Reset() = 0;
  virtual void Clear(std::uint32_t color, float depth) = 0;
  virtual bool BeginScene() = 0;
  virtual void EndScene() = 0;
  virtual void Present() = 0;
  virtual int GetBackBufferWidth() const = 0;
  // A line of the overlay in the system font: at (x, y) in 800-wide screen
  // units, times `scale`.
  virtual void DrawOverlayText(const char* text, float x, float y, std::uint32_t color, float scale) = 0;
};

// The window's side of a pass: its messages, and whether it wants the
// frame-rate overlay.
class WindowPump {
 public:
  virtual ~WindowPump() = default;
  // Handles every waiting message; true once the window has asked to quit
  // (and from then on).
  virtual bool PumpMessages() = 0;
  // True once a quit has been asked, though no message was handled: the
  // program learnt it while a script ran, or from a signal. The scenario asks
  // before each scene.
  virtual bool QuitAsked() { return false; }
  virtual bool ShowsFrameRate() const { return false; }
  // The profiling counters of the window, zeroed every 60 frames.
  virtual void ClearProfileCounters() {}
};

class Scene;

// How a scene is drawn: render/ implements it, start-up or a test hands it to
// the scene through the host. The scene's drawing operations forward to it and
// do nothing without it, so a scene also runs where nothing is drawn.
class SceneDrawing {
 public:
  virtual ~SceneDrawing() = default;
  // Makes what drawing needs on the device (textures, meshes, the scene's
  // character sets); 0, or the code that ends the scene's start.
  virtual int CreateResources(Scene& scene) = 0;
  virtual void ReleaseResources(Scene& scene) = 0;
  // One frame of the scene, between the device's BeginScene and EndScene; its
  // last step is the scene's RenderCharacterSlots.
  virtual void Render(Scene& scene) = 0;
  virtual void RenderCharacterSlots(Scene& scene) = 0;
};

// The sound manager's per-frame step.
class SoundPump {
 public:
  virtual ~SoundPump() = default;
  virtual void UpdateFrame() = 0;
};

// Borrowed pointers, set by start-up or a test and living longer than any run.
// Without a device a scene cannot run; the others may be missing.
struct RunHost {
  FrameClock* clock = nullptr;
  InputSource* input = nullptr;
  FrameDevice* device = nullptr;
  WindowPump* window = nullptr;
  SoundPump* sound = nullptr;
  SceneDrawing* drawing = nullptr;
};
