// The shared generator and its seeding from the clock.
#include "platform/system/random.h"

#include <chrono>

RandomGenerator& SharedRandom() {
  static RandomGenerator generator;
  return generator;
}

void SeedSharedRandomFromClock() {
  // A millisecond count that, like a tick count, differs from run to run; only
  // its low 32 bits matter.
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
  SharedRandom().Seed(static_cast<std::uint32_t>(ms));
}
