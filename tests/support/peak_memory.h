// The most memory this process has held at once: the high mark of its
// resident set, which a test starts again before the work it measures.
// Linux only; for tests that show what content can make the player hold.
#pragma once

#include <cstddef>
#include <fstream>
#include <string>

// The high mark starts again from what the process holds now.
inline void ResetPeakMemory() { std::ofstream("/proc/self/clear_refs") << "5"; }

// The high mark since the last reset, in bytes; 0 when the system does not say.
inline std::size_t PeakMemory() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmHWM:", 0) == 0) return std::stoull(line.substr(6)) * 1024;
  return 0;
}

// AddressSanitizer keeps freed memory aside and adds its own: peaks under it
// say nothing about the player's.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kPeaksMeasured = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kPeaksMeasured = false;
#else
constexpr bool kPeaksMeasured = true;
#endif
#else
constexpr bool kPeaksMeasured = true;
#endif
