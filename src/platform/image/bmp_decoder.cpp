// BMP: Windows and OS/2 headers, 1/4/8-bit palettes (also RLE4 and RLE8),
// 16/24/32-bit pixels with or without bit-field masks. Bottom-up and top-down.
#include <cstdint>

#include "platform/image/image.h"
#include "platform/image/image_internal.h"

namespace {

using image_internal::Channel;
using image_internal::ReadU16;
using image_internal::ReadU32;

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kAlphaBitFields = 6;

struct BmpInfo {
  std::int64_t width = 0, height = 0;
  bool topDown = false;
  std::uint32_t bitCount = 0, compression = kRgb;
  std::uint32_t colorsUsed = 0;
  std::size_t paletteOffset = 0, paletteEntrySize = 4;
  Channel red, green, blue, alpha;
  std::size_t pixelOffset = 0;
};

bool ReadHeader(std::span<const std::uint8_t> file, BmpInfo* info, std::string* why) {
  if (file.size() < kFileHeaderSize + 4) return *why = "the header is cut short", false;
  info->pixelOffset = ReadU32(file, 10);
  const std::uint32_t headerSize = ReadU32(file, 14);
  if (headerSize > file.size() - kFileHeaderSize) return *why = "the header is cut short", false;
  const std::size_t h = kFileHeaderSize;
  if (headerSize == 12) {
    info->width = ReadU16(file, h + 4);
    info->height = ReadU16(file, h + 6);
    info->bitCount = ReadU16(file, h + 10);
    info->paletteEntrySize = 3;
  } else if (headerSize >= 40) {
    info->width = static_cast<std::int32_t>(ReadU32(file, h + 4));
    info->height = static_cast<std::int32_t>(ReadU32(file, h + 8));
    info->bitCount = ReadU16(file, h + 14);
    info->compression = ReadU32(file, h + 16);
    info->colorsUsed = ReadU32(file, h + 32);
  } else {
    return *why = "unknown header size " + std::to_string(headerSize), false;
  }
  if (info->height < 0) {
    info->topDown = true;
    info->height = -info->height;
  }
  info->paletteOffset = h + headerSize;
  switch (info->bitCount) {
    case 1: case 4: case 8: case 16: case 24: case 32:
      break;
    default:
      return *why = "unsupported bit count " + std::to_string(info->bitCount), false;
  }
  const std::uint32_t c = info->compression;
  const bool fields = c == kBitFields || c == kAlphaBitFields;
  if (!(c == kRgb || (c == kRle8 && info->bitCount == 8) || (c == kRle4 && info->bitCount == 4) ||
        (fields && (info->bitCount == 16 || info->bitCount == 32)))) {
    return *why = "unsupported compression " + std::to_string(c), false;
  }
  if ((c == kRle8 || c == kRle4) && info->topDown) {
    return *why = "a run-length image cannot be top-down", false;
  }
  if (fields) {
    // The masks sit inside a larger header, or follow a plain one.
    std::size_t at = h + 40;
    const std::size_t count = c == kAlphaBitFields || headerSize >= 56 ? 4 : 3;
    if (headerSize == 40) info->paletteOffset += count * 4;
    if (at + count * 4 > file.size()) return *why = "the colour masks are cut short", false;
    info->red = Channel(ReadU32(file, at));
    info->green = Channel(ReadU32(file, at + 4));
    info->blue = Channel(ReadU32(file, at + 8));
    if (count == 4) info->alpha = Channel(ReadU32(file, at + 12));
  } else if (info->bitCount == 16) {
    info->red = Channel(0x7C00);
    info->green = Channel(0x03E0);
    info->blue = Channel(0x001F);
  } else if (info->bitCount == 32) {
    // Plain 32-bit pixels are BGRX: the fourth byte is not alpha.
    info->red = Channel(0x00FF0000);
    info->green = Channel(0x0000FF00);
    info->blue = Channel(0x000000FF);
  }
  if (!ImageSizeAllowed(info->width, info->height)) {
    return *why = "the image size is outside the bounds", false;
  }
  if (info->pixelOffset >= file.size()) return *why = "the pixels lie past the end", false;
  return true;
}

struct Palette {
  std::uint8_t rgba[256][4] = {};
  std::uint32_t count = 0;
};

bool ReadPalette(std::span<const std::uint8_t> file, const BmpInfo& info, Palette* palette,
                 std::string* why) {
  if (info.bitCount > 8) return true;
  std::uint32_t count = info.colorsUsed ? info.colorsUsed : 1u << info.bitCount;
  if (count > 256) count = 256;
  const std::size_t end = info.paletteOffset + count * info.paletteEntrySize;
  if (end > file.size() || end > info.pixelOffset) return *why = "the palette is cut short", false;
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::size_t at = info.paletteOffset + i * info.paletteEntrySize;
    palette->rgba[i][0] = file[at + 2];
    palette->rgba[i][1] = file[at + 1];
    palette->rgba[i][2] = file[at];
    palette->rgba[i][3] = 255;
  }
  palette->count = count;
  return true;
}

// An index past the palette reads as its first colour rather than past it.
void PutIndex(const Palette& palette, std::uint32_t index, std::uint8_t* rgba) {
  const std::uint8_t* c = palette.rgba[index < palette.count ? index : 0];
  rgba[0] = c[0];
  rgba[1] = c[1];
  rgba[2] = c[2];
  rgba[3] = c[3];
}

bool DecodeRows(std::span<const std::uint8_t> file, const BmpInfo& info, const Palette& palette,
                Image* out, std::string* why) {
  const std::uint64_t stride = ((static_cast<std::uint64_t>(info.width) * info.bitCount + 31) / 32) * 4;
  if (stride * static_cast<std::uint64_t>(info.height) > file.size() - info.pixelOffset) {
    return *why = "the pixels are cut short", false;
  }
  const std::uint32_t width = out->width;
  for (std::uint32_t row = 0; row < out->height; ++row) {
    const std::uint8_t* src = file.data() + info.pixelOffset + stride * row;
    const std::uint32_t y = info.topDown ? row : out->height - 1 - row;
    std::uint8_t* dst = out->pixels.data() + static_cast<std::size_t>(y) * width * 4;
    for (std::uint32_t x = 0; x < width; ++x, dst += 4) {
      switch (info.bitCount) {
        case 1:
          PutIndex(palette, (src[x / 8] >> (7 - x % 8)) & 1, dst);
          break;
        case 4:
          PutIndex(palette, (src[x / 2] >> (x % 2 ? 0 : 4)) & 0xF, dst);
          break;
        case 8:
          PutIndex(palette, src[x], dst);
          break;
        case 24:
          dst[0] = src[x * 3 + 2];
          dst[1] = src[x * 3 + 1];
          dst[2] = src[x * 3];
          dst[3] = 255;
          break;
        default: {
          const std::uint32_t pixel = info.bitCount == 16
                                          ? ReadU16(std::span(src, stride), x * 2)
                                          : ReadU32(std::span(src, stride), x * 4);
          dst[0] = info.red.Get(pixel, 0);
          dst[1] = info.green.Get(pixel, 0);
          dst[2] = info.blue.Get(pixel, 0);
          dst[3] = info.alpha.Get(pixel, 255);
          break;
        }
      }
    }
  }
  return true;
}

// RLE4 and RLE8: runs and literal stretches of indices, bottom-up, with
// end-of-line, end-of-image and skip codes. Pixels no code reaches keep
// palette entry 0; codes that run past a row or the image are refused.
bool DecodeRle(std::span<const std::uint8_t> file, const BmpInfo& info, const Palette& palette,
               Image* out, std::string* why) {
  const bool four = info.compression == kRle4;
  const std::uint32_t width = out->width, height = out->height;
  for (std::uint32_t y = 0; y < height; ++y) {
    for (std::uint32_t x = 0; x < width; ++x) {
      PutIndex(palette, 0, out->pixels.data() + (static_cast<std::size_t>(y) * width + x) * 4);
    }
  }
  std::size_t at = info.pixelOffset;
  std::uint32_t x = 0, row = 0;  // row 0 is the bottom one
  auto put = [&](std::uint32_t index) {
    if (x >= width || row >= height) return false;
    const std::size_t y = height - 1 - row;
    PutIndex(palette, index, out->pixels.data() + (y * width + x) * 4);
    ++x;
    return true;
  };
  while (true) {
    if (at + 2 > file.size()) return *why = "the run-length data is cut short", false;
    const std::uint32_t count = file[at], value = file[at + 1];
    at += 2;
    if (count > 0) {
      for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint32_t index = four ? (i % 2 ? value & 0xF : value >> 4) : value;
        if (!put(index)) return *why = "a run passes the end of a row", false;
      }
      continue;
    }
    if (value == 0) {  // end of line
      x = 0;
      ++row;
    } else if (value == 1) {  // end of image
      return true;
    } else if (value == 2) {  // skip right and up
      if (at + 2 > file.size()) return *why = "the run-length data is cut short", false;
      x += file[at];
      row += file[at + 1];
      at += 2;
      if (x > width || row > height) return *why = "a skip passes the image", false;
    } else {  // literal stretch, padded to a 16-bit boundary
      const std::size_t bytes = four ? (value + 1) / 2 : value;
      if (at + bytes > file.size()) return *why = "the run-length data is cut short", false;
      for (std::uint32_t i = 0; i < value; ++i) {
        const std::uint8_t b = file[at + (four ? i / 2 : i)];
        const std::uint32_t index = four ? (i % 2 ? b & 0xF : b >> 4) : b;
        if (!put(index)) return *why = "a stretch passes the end of a row", false;
      }
      at += bytes + (bytes & 1);
    }
    if (row >= height) return true;
  }
}

}  // namespace

namespace image_internal {

bool ReadBmpSize(std::span<const std::uint8_t> file, std::uint32_t* width, std::uint32_t* height) {
  BmpInfo info;
  std::string why;
  if (!ReadHeader(file, &info, &why)) return false;
  *width = static_cast<std::uint32_t>(info.width);
  *height = static_cast<std::uint32_t>(info.height);
  return true;
}

}  // namespace image_internal

bool DecodeBmp(std::span<const std::uint8_t> file, Image* out, std::string* error) {
  *out = Image{};
  if (file.size() < 2 || file[0] != 'B' || file[1] != 'M') {
    return image_internal::Fail(out, error, "BMP", "no BMP signature");
  }
  BmpInfo info;
  Palette palette;
  std::string why;
  if (!ReadHeader(file, &info, &why) || !ReadPalette(file, info, &palette, &why)) {
    return image_internal::Fail(out, error, "BMP", why);
  }
  out->width = static_cast<std::uint32_t>(info.width);
  out->height = static_cast<std::uint32_t>(info.height);
  out->pixels.resize(static_cast<std::size_t>(out->width) * out->height * 4);
  const bool rle = info.compression == kRle8 || info.compression == kRle4;
  if (!(rle ? DecodeRle(file, info, palette, out, &why) : DecodeRows(file, info, palette, out, &why))) {
    return image_internal::Fail(out, error, "BMP", why);
  }
  return true;
}
