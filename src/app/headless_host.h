// Stand-ins for the window's clock, input, device and message pump, so a whole
// scene runs without a window in tests.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "scene/run_host.h"

// A clock that moves only when it is told to, or when someone sleeps or waits on it.
class VirtualClock : public FrameClock {
 public:
  explicit VirtualClock(std::uint32_t start = 0) : now_(start) {}
  std::uint32_t NowMs() override { return now_; }
  void SleepMs(std::uint32_t ms) override { now_ += ms; }
  void WaitUntil(std::uint32_t deadline) override;
  void Advance(std::uint32_t ms) { now_ += ms; }

 private:
  std::uint32_t now_;
};

// Keys and pad words that change at given polls (poll 1 is the first).
class ScriptedInput : public InputSource {
 public:
  // From poll `poll` on, the key is down (or up).
  void KeyAt(int poll, int key, bool down);
  // From poll `poll` on, pad 0 gives `buttons`.
  void PadAt(int poll, std::uint32_t buttons);
  int GetPollCount() const { return polls_; }

  bool Poll() override;
  int GetHoldCount(int key) const override;
  bool IsKeyReleased(int key) const override;
  std::uint32_t GetPadButtons() const override { return pad_; }
  void SetPadButtons(std::uint32_t buttons) override { pad_ = buttons; }

 private:
  struct Change {
    int poll;
    int key;  // -1: the pad word
    std::uint32_t value;
  };
  std::vector<Change> changes_;
  std::array<bool, kKeyCount> down_{};
  std::array<bool, kKeyCount> wasDown_{};
  std::array<int, kKeyCount> hold_{};
  std::uint32_t pad_ = 0;
  std::uint32_t padSetting_ = 0;
  int polls_ = 0;
};

// A device that is always ready and draws nothing; it counts what it was
// asked to do and keeps the last overlay text.
class NullDevice : public FrameDevice {
 public:
  State TestCooperativeLevel() override { return kReady; }
  bool Reset() override { return true; }
  void Clear(std::uint32_t, float) override {}
  bool BeginScene() override { return true; }
  void EndScene() override {}
  void Present() override { ++presents_; }
  int GetBackBufferWidth() const override { return 800; }
  void DrawOverlayText(const char* text, float, float, std::uint32_t, float) override { overlay_ = text; }

  int GetPresentCount() const { return presents_; }
  const std::string& GetOverlayText() const { return overlay_; }

 private:
  int presents_ = 0;
  std::string overlay_;
};

// A window that never quits, or quits at a given pump (1 is the first).
class HeadlessWindow : public WindowPump {
 public:
  void QuitAtPump(int pump) { quitAt_ = pump; }
  void SetShowsFrameRate(bool show) { showsFrameRate_ = show; }
  bool PumpMessages() override;
  bool ShowsFrameRate() const override { return showsFrameRate_; }

 private:
  int pumps_ = 0;
  int quitAt_ = 0;  // 0: never
  bool showsFrameRate_ = false;
};
