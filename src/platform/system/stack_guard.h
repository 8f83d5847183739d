// How deep native recursion may go on the current thread. Recursive parsers of
// content (the script interpreter above all) compare the address of a local
// against this limit and fail cleanly instead of overflowing the stack.
#pragma once

#include <cstddef>
#include <cstdint>

// The lowest stack address the current thread may use while leaving `reserve`
// bytes free for the code that runs after the check (error reporting, library
// calls). Cached per thread.
std::uintptr_t NativeStackLimit(std::size_t reserve = 256 * 1024);

inline bool NativeStackExhausted(std::uintptr_t limit) {
  return reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0)) < limit;
}
