// Helpers the image decoders share: failure messages, little-endian reads and
// the TGA header check that format detection also needs. Used only by image/.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "platform/image/image.h"

namespace image_internal {

// Clears *out, stores the message and gives false, so every decoder leaves
// the same state behind on failure.
bool Fail(Image* out, std::string* error, const char* format, const std::string& why);

inline std::uint16_t ReadU16(std::span<const std::uint8_t> bytes, std::size_t at) {
  return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}
inline std::uint32_t ReadU32(std::span<const std::uint8_t> bytes, std::size_t at) {
  return static_cast<std::uint32_t>(bytes[at]) | (static_cast<std::uint32_t>(bytes[at + 1]) << 8) |
         (static_cast<std::uint32_t>(bytes[at + 2]) << 16) |
         (static_cast<std::uint32_t>(bytes[at + 3]) << 24);
}

// True when the first bytes read as a TGA header of a kind the decoder knows.
bool LooksLikeTga(std::span<const std::uint8_t> file);

}  // namespace image_internal
