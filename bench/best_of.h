// The timing the benchmarks share.
#pragma once

#include <algorithm>
#include <chrono>

// Best of `runs`, in seconds, so a busy moment of the machine does not count.
template <typename F>
double BestOf(int runs, F&& body) {
  double best = 1e30;
  for (int i = 0; i < runs; ++i) {
    const auto start = std::chrono::steady_clock::now();
    body();
    best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  return best;
}
