// The frame wait shared by every clock (sleep while the deadline is far, poll
// the last two milliseconds so the deadline stays exact) and the real clock.
#include "scene/run_host.h"

#include <chrono>
#include <thread>

namespace {

// Closer than this the wait polls instead of sleeping: a sleep may overshoot.
constexpr std::int32_t kSpinMs = 2;
// No frame lasts longer; a deadline further away means the clock jumped.
constexpr std::int32_t kLongestWaitMs = 1000;

std::int64_t SteadyNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace

void FrameClock::WaitUntil(std::uint32_t deadline) {
  const std::uint32_t start = NowMs();
  std::int32_t left = static_cast<std::int32_t>(deadline - start);
  if (left <= 0) return;
  // From here the deadline is at most a second ahead, so the signed
  // difference below cannot mistake it for one long past.
  if (left > kLongestWaitMs) deadline = start + kLongestWaitMs;
  for (;;) {
    left = static_cast<std::int32_t>(deadline - NowMs());
    if (left <= 0) return;
    if (left > kSpinMs) SleepMs(static_cast<std::uint32_t>(left - kSpinMs));
  }
}

SteadyClock::SteadyClock() : originNs_(SteadyNs()) {}

std::uint32_t SteadyClock::NowMs() {
  // Truncated to 32 bits, as the counter wraps in the rest of the program.
  return static_cast<std::uint32_t>(static_cast<std::uint64_t>((SteadyNs() - originNs_) / 1000000));
}

void SteadyClock::SleepMs(std::uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

