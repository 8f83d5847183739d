#include "platform/system/stack_guard.h"

#include <gtest/gtest.h>

#include <pthread.h>

#include <thread>

namespace {

// Recurses until the guard says stop; returns the depth reached. Overflowing
// the stack instead would crash the test.
// The write after the call keeps an optimising build from turning the
// recursion into a loop that never deepens the stack.
__attribute__((noinline)) int RecurseUntilGuarded(std::uintptr_t limit, int depth) {
  volatile char pad[1024];  // NOLINT: only its size matters
  pad[0] = static_cast<char>(depth);
  if (NativeStackExhausted(limit)) return depth;
  int reached = RecurseUntilGuarded(limit, depth + 1);
  pad[1023] = static_cast<char>(reached);
  (void)pad;
  return reached;
}

TEST(StackGuard, EachThreadHasItsOwnLimitBelowItsFrames) {
  std::uintptr_t limit = NativeStackLimit();
  EXPECT_LT(limit, reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0)));
  EXPECT_FALSE(NativeStackExhausted(limit));
  std::uintptr_t otherLimit = 0;
  std::thread([&] { otherLimit = NativeStackLimit(); }).join();
  EXPECT_NE(limit, otherLimit);
}

TEST(StackGuard, DeepRecursionStopsBeforeOverflowOnASmallThreadStack) {
  int depth = 0;
  pthread_attr_t attr;
  ASSERT_EQ(pthread_attr_init(&attr), 0);
  ASSERT_EQ(pthread_attr_setstacksize(&attr, 1 << 20), 0);
  pthread_t thread;
  auto body = [](void* arg) -> void* {
    *static_cast<int*>(arg) = RecurseUntilGuarded(NativeStackLimit(64 * 1024), 0);
    return nullptr;
  };
  ASSERT_EQ(pthread_create(&thread, &attr, body, &depth), 0);
  pthread_join(thread, nullptr);
  pthread_attr_destroy(&attr);
  EXPECT_GT(depth, 10);
}

}  // namespace
