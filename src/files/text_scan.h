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

// The folder part of a content path: up to and including its last "\" or "/",
// empty when it has neither. A second byte 0x5C of a double-byte character is
// not a separator; a "/" never is a second byte, also after the UTF-8 name of
// a folder on the disk that ends in a byte of the lead range.
inline std::string_view ContentFolderOf(std::string_view path) {
  std::size_t end = 0;
  for (std::size_t i = 0; i < path.size(); i += StartsShiftJisPairInPath(path, i) ? 2 : 1) {
    if (path[i] == '\\' || path[i] == '/') end = i + 1;
  }
  return path.substr(0, end);
}
