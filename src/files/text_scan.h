// Shift-JIS stepping shared by the line reader, the markup parser and writer:
// character widths that never pass the end, cuts that never split a character.
#pragma once

#include <cstddef>
#include <string_view>

#include "platform/system/shift_jis.h"

// Width of the character at p in NUL-terminated text: 2 for a lead byte with a
// byte after it, else 1. A lead byte right before the NUL stands alone, so a
// scan never steps over the terminator.
inline std::size_t CharWidthAt(const char* p) {
  return (IsShiftJisLeadByte(static_cast<unsigned char>(p[0])) && p[1] != '\0') ? 2 : 1;
}

// The same within a view: a lead byte in the last position stands alone.
inline std::size_t CharWidthIn(std::string_view text, std::size_t i) {
  return (IsShiftJisLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) ? 2 : 1;
}

// Length of the longest prefix of `text` of at most `limit` bytes that ends on
// a character boundary.
inline std::size_t WholeCharPrefix(std::string_view text, std::size_t limit) {
  std::size_t n = 0;
  while (n < text.size()) {
    std::size_t width = CharWidthIn(text, n);
    if (n + width > limit) break;
    n += width;
  }
  return n;
}
