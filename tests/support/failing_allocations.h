// Allocations that fail on purpose, as they fail when memory runs out: once
// a FailingAllocations is armed, and until it goes, operator new throws
// std::bad_alloc for every request of at least `bytes` bytes after the first
// `skip` of them. Linked into a suite, it replaces the global operator new of
// that suite's program; every other request goes to malloc as before.
#pragma once

#include <cstddef>

class FailingAllocations {
 public:
  FailingAllocations() = default;
  ~FailingAllocations();
  void Arm(std::size_t bytes, int skip = 0);
  FailingAllocations(const FailingAllocations&) = delete;
  FailingAllocations& operator=(const FailingAllocations&) = delete;

  // How many requests have failed so far.
  int Failed() const;
};
