// Bounded copy and append into fixed character buffers; every loader that fills
// a fixed-size name or text field from content goes through these.
#pragma once

#include <cstddef>

// Copies at most size-1 bytes of source, zero-fills the rest of the buffer and
// always terminates it. A double-byte character that would be cut in half is
// dropped whole, so a cut text never ends in a lone lead byte.
void SafeStrCopy(char* destination, const char* source, std::size_t size);

// Appends source to the text already in destination; the result with its
// terminator stays within size bytes, cut (never inside a double-byte
// character) where it does not fit.
void SafeStrCat(char* destination, const char* source, std::size_t size);
