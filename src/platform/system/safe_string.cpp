// Bounded copy and append that never split a double-byte character.
#include "platform/system/safe_string.h"

#include <cstring>

#include "platform/system/shift_jis.h"

namespace {

// Copies characters of `source` into `destination` while they fit in `room`
// bytes; returns the number of bytes written. A lead byte followed by the
// terminator counts as a one-byte character.
std::size_t CopyWholeCharacters(char* destination, const char* source, std::size_t room) {
  std::size_t n = 0;
  while (source[n] != '\0') {
    std::size_t width =
        (IsShiftJisLeadByte(static_cast<unsigned char>(source[n])) && source[n + 1] != '\0') ? 2 : 1;
    if (n + width > room) break;
    std::memcpy(destination + n, source + n, width);
    n += width;
  }
  return n;
}

}  // namespace

void SafeStrCopy(char* destination, const char* source, std::size_t size) {
  if (destination == nullptr || size == 0) return;
  destination[size - 1] = '\0';
  std::size_t n = source != nullptr ? CopyWholeCharacters(destination, source, size - 1) : 0;
  std::memset(destination + n, 0, size - n);
}

void SafeStrCat(char* destination, const char* source, std::size_t size) {
  if (destination == nullptr || size == 0) return;
  destination[size - 1] = '\0';
  std::size_t length = std::strlen(destination);
  if (source == nullptr) return;
  std::size_t n = CopyWholeCharacters(destination + length, source, size - 1 - length);
  destination[length + n] = '\0';
}
