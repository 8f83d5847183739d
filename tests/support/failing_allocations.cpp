// The replaced operator new and delete, and the switch that makes large
// requests fail.
#include "support/failing_allocations.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

// 0: no request fails.
std::atomic<std::size_t> failFrom{0};
std::atomic<int> toSkip{0};
std::atomic<int> failed{0};

void* Allocate(std::size_t bytes) {
  const std::size_t from = failFrom.load();
  if (from != 0 && bytes >= from && toSkip.fetch_sub(1) <= 0) {
    failed.fetch_add(1);
    throw std::bad_alloc();
  }
  if (void* memory = std::malloc(bytes != 0 ? bytes : 1)) return memory;
  throw std::bad_alloc();
}

}  // namespace

void FailingAllocations::Arm(std::size_t bytes, int skip) {
  failed = 0;
  toSkip = skip;
  failFrom = bytes;
}

FailingAllocations::~FailingAllocations() { failFrom = 0; }

int FailingAllocations::Failed() const { return failed.load(); }

void* operator new(std::size_t bytes) { return Allocate(bytes); }
void* operator new[](std::size_t bytes) { return Allocate(bytes); }
void* operator new(std::size_t bytes, const std::nothrow_t&) noexcept {
  try {
    return Allocate(bytes);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
void* operator new[](std::size_t bytes, const std::nothrow_t& tag) noexcept { return operator new(bytes, tag); }
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete(void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
void operator delete[](void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
