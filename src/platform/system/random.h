// The program's pseudo-random generator (the classic linear congruential one)
// and its shared instance. Used by System.Random, the settings codec and start-up.
#pragma once

#include <cstdint>

// state := state x 214013 + 2531011 (mod 2^32); each draw yields bits 16 to 30
// of the new state, a value from 0 to 32767.
class RandomGenerator {
 public:
  static constexpr int kMax = 0x7FFF;

  explicit RandomGenerator(std::uint32_t seed = 1) : state_(seed) {}
  void Seed(std::uint32_t seed) { state_ = seed; }
  int Next() {
    state_ = state_ * 214013u + 2531011u;
    return static_cast<int>((state_ >> 16) & 0x7FFF);
  }

 private:
  std::uint32_t state_;
};

// The one generator that scripts draw from; both script hosts share it.
RandomGenerator& SharedRandom();

// Seeds the shared generator with the millisecond tick count, as start-up
// does and as the settings members do after each use of the codec.
void SeedSharedRandomFromClock();
