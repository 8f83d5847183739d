// Helpers the image decoders share: failure messages, little-endian reads,
// colour channels given by bit masks, and the header checks that format
// detection also needs. Used only by image/.
#pragma once

#include <bit>
#include <cstdint>
#include <new>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

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

// One colour channel of a pixel word, given by its bit mask (BMP bit fields,
// DDS pixel formats). A value v of the mask's range becomes the 8-bit value
// nearest to v / max, as a texture unit reads a normalised channel.
struct Channel {
  std::uint32_t mask = 0;
  int shift = 0;
  std::uint32_t max = 0;  // the mask's value range, 0 when there is no mask

  explicit Channel(std::uint32_t m = 0) : mask(m) {
    if (!mask) return;
    shift = std::countr_zero(mask);
    max = mask >> shift;
  }
  // Scaled to 0..255; a missing channel gives `absent`.
  std::uint8_t Get(std::uint32_t pixel, std::uint8_t absent) const {
    if (!max) return absent;
    return static_cast<std::uint8_t>(
        (static_cast<std::uint64_t>((pixel & mask) >> shift) * 255 + max / 2) / max);
  }
};

// True when the first bytes read as a TGA header of a kind the decoder knows.
bool LooksLikeTga(std::span<const std::uint8_t> file);

// The size each format's header gives (ReadImageSize); false for a header the
// decoder would refuse first.
bool ReadPngSize(std::span<const std::uint8_t> file, std::uint32_t* width, std::uint32_t* height);
bool ReadJpegSize(std::span<const std::uint8_t> file, std::uint32_t* width, std::uint32_t* height);
bool ReadBmpSize(std::span<const std::uint8_t> file, std::uint32_t* width, std::uint32_t* height);
bool ReadTgaSize(std::span<const std::uint8_t> file, std::uint32_t* width, std::uint32_t* height);
bool ReadDdsSize(std::span<const std::uint8_t> file, std::uint32_t* width, std::uint32_t* height);

// A resize that answers false when memory runs out, for the decoders that
// must release a C library's state before they let std::bad_alloc go on.
template <typename T>
bool TryResize(std::vector<T>& items, std::size_t count) {
  try {
    items.resize(count);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  } catch (const std::length_error&) {
    return false;
  }
}

}  // namespace image_internal
