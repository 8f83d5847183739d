// Stack bounds of the current thread, found once per thread.
#include "platform/system/stack_guard.h"

#include <pthread.h>
#include <sys/resource.h>

namespace {

struct StackBounds {
  std::uintptr_t low = 0;
  std::size_t size = 0;
};

StackBounds FindStackBounds() {
  StackBounds bounds;
  pthread_attr_t attr;
  if (pthread_getattr_np(pthread_self(), &attr) == 0) {
    void* address = nullptr;
    std::size_t size = 0;
    if (pthread_attr_getstack(&attr, &address, &size) == 0 && size > 0) {
      bounds.low = reinterpret_cast<std::uintptr_t>(address);
      bounds.size = size;
    }
    pthread_attr_destroy(&attr);
  }
  if (bounds.size != 0) return bounds;

  // The main thread's stack grows up to the resource limit; measure from here,
  // which is close enough to its top for a guard with a large reserve.
  std::size_t size = 8u << 20;
  rlimit limit{};
  if (getrlimit(RLIMIT_STACK, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY) size = limit.rlim_cur;
  auto here = reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0));
  bounds.size = size > here ? here : size;
  bounds.low = here - bounds.size;
  return bounds;
}

}  // namespace

std::uintptr_t NativeStackLimit(std::size_t reserve) {
  thread_local const StackBounds bounds = FindStackBounds();
  // A reserve larger than the stack itself would put the limit above the top;
  // keep half the stack usable instead.
  if (reserve > bounds.size / 2) reserve = bounds.size / 2;
  return bounds.low + reserve;
}
