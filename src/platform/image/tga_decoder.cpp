// TGA: colour-mapped, true-colour, grey and grey-with-alpha images, plain or
// run-length encoded, in either vertical and horizontal order.
#include <cstdint>

#include "platform/image/image.h"
#include "platform/image/image_internal.h"

namespace {

using image_internal::ReadU16;

constexpr std::size_t kHeaderSize = 18;

struct TgaHeader {
  std::uint32_t idLength, mapType, imageType;
  std::uint32_t mapFirst, mapLength, mapDepth;
  std::uint32_t width, height, depth, descriptor;
};

TgaHeader ReadHeader(std::span<const std::uint8_t> file) {
  return TgaHeader{file[0], file[1], file[2], ReadU16(file, 3), ReadU16(file, 5), file[7],
                   ReadU16(file, 12), ReadU16(file, 14), file[16], file[17]};
}

bool IsColourDepth(std::uint32_t depth) {
  return depth == 15 || depth == 16 || depth == 24 || depth == 32;
}

bool HeaderIsValid(const TgaHeader& h) {
  if (h.mapType > 1 || h.width == 0 || h.height == 0) return false;
  if (h.descriptor & 0xC0) return false;  // interleaved rows: never written by current tools
  if (h.mapType == 1 && !IsColourDepth(h.mapDepth)) return false;
  switch (h.imageType & ~8u) {
    case 1:
      return h.mapType == 1 && h.depth == 8;
    case 2:
      return IsColourDepth(h.depth);
    case 3:
      return h.depth == 8 || h.depth == 16;
    default:
      return false;
  }
}

// 16-bit pixels carry alpha in their top bit only when the header says the
// image has an alpha bit; 32-bit pixels likewise only with alpha bits. A grey
// pixel of 16 bits is the grey byte and then an alpha byte, under the same
// rule, as paint programs write grey images with transparency.
void PutPixel(const std::uint8_t* src, std::uint32_t depth, bool grey, bool alpha, std::uint8_t* rgba) {
  if (grey) {
    rgba[0] = rgba[1] = rgba[2] = src[0];
    rgba[3] = depth == 16 && alpha ? src[1] : 255;
    return;
  }
  switch (depth) {
    case 15:
    case 16: {
      const std::uint32_t v = src[0] | (src[1] << 8);
      rgba[0] = static_cast<std::uint8_t>(((v >> 10) & 31) * 255 / 31);
      rgba[1] = static_cast<std::uint8_t>(((v >> 5) & 31) * 255 / 31);
      rgba[2] = static_cast<std::uint8_t>((v & 31) * 255 / 31);
      rgba[3] = depth == 16 && alpha ? ((v & 0x8000) ? 255 : 0) : 255;
      break;
    }
    default:
      rgba[0] = src[2];
      rgba[1] = src[1];
      rgba[2] = src[0];
      rgba[3] = depth == 32 && alpha ? src[3] : 255;
      break;
  }
}

}  // namespace

namespace image_internal {

bool LooksLikeTga(std::span<const std::uint8_t> file) {
  return file.size() >= kHeaderSize && HeaderIsValid(ReadHeader(file));
}

bool ReadTgaSize(std::span<const std::uint8_t> file, std::uint32_t* width, std::uint32_t* height) {
  if (!LooksLikeTga(file)) return false;
  const TgaHeader h = ReadHeader(file);
  *width = h.width;
  *height = h.height;
  return ImageSizeAllowed(*width, *height);
}

}  // namespace image_internal

bool DecodeTga(std::span<const std::uint8_t> file, Image* out, std::string* error) {
  *out = Image{};
  auto fail = [&](const char* why) { return image_internal::Fail(out, error, "TGA", why); };
  if (file.size() < kHeaderSize) return fail("the header is cut short");
  const TgaHeader h = ReadHeader(file);
  if (!HeaderIsValid(h)) return fail("unsupported image type or pixel depth");
  if (!ImageSizeAllowed(h.width, h.height)) return fail("the image size is outside the bounds");
  const bool alpha = (h.descriptor & 0x0F) != 0;
  const std::size_t pixelBytes = (h.depth + 7) / 8;
  const std::size_t mapEntryBytes = (h.mapDepth + 7) / 8;

  std::size_t at = kHeaderSize + h.idLength;
  if (at > file.size()) return fail("the image identifier is cut short");
  std::span<const std::uint8_t> map;
  if (h.mapType == 1) {
    const std::size_t mapBytes = static_cast<std::size_t>(h.mapLength) * mapEntryBytes;
    if (at + mapBytes > file.size()) return fail("the colour map is cut short");
    map = file.subspan(at, mapBytes);
    at += mapBytes;
  }
  const bool mapped = (h.imageType & ~8u) == 1;
  const bool grey = (h.imageType & ~8u) == 3;
  const bool rle = (h.imageType & 8u) != 0;

  out->width = h.width;
  out->height = h.height;
  out->pixels.resize(static_cast<std::size_t>(h.width) * h.height * 4);
  const bool topDown = (h.descriptor & 0x20) != 0;
  const bool rightToLeft = (h.descriptor & 0x10) != 0;
  const std::size_t total = static_cast<std::size_t>(h.width) * h.height;

  // One source pixel to RGBA; a map index outside the map gives opaque black.
  auto convert = [&](const std::uint8_t* src, std::uint8_t* rgba) {
    if (!mapped) return PutPixel(src, h.depth, grey, alpha, rgba);
    const std::uint32_t index = src[0];
    if (index < h.mapFirst || index - h.mapFirst >= h.mapLength) {
      rgba[0] = rgba[1] = rgba[2] = 0;
      rgba[3] = 255;
      return;
    }
    PutPixel(map.data() + (index - h.mapFirst) * mapEntryBytes, h.mapDepth, false, alpha, rgba);
  };
  auto target = [&](std::size_t n) {
    const std::size_t row = n / h.width, column = n % h.width;
    const std::size_t y = topDown ? row : h.height - 1 - row;
    const std::size_t x = rightToLeft ? h.width - 1 - column : column;
    return out->pixels.data() + (y * h.width + x) * 4;
  };

  if (!rle) {
    if (total * pixelBytes > file.size() - at) return fail("the pixels are cut short");
    for (std::size_t n = 0; n < total; ++n) convert(file.data() + at + n * pixelBytes, target(n));
    return true;
  }
  // Packets may run from one row into the next, but not past the image.
  std::size_t n = 0;
  while (n < total) {
    if (at >= file.size()) return fail("the run-length data is cut short");
    const std::uint32_t packet = file[at++];
    const std::size_t count = (packet & 0x7F) + 1;
    if (count > total - n) return fail("a packet runs past the image");
    if (packet & 0x80) {
      if (pixelBytes > file.size() - at) return fail("the run-length data is cut short");
      std::uint8_t rgba[4];
      convert(file.data() + at, rgba);
      at += pixelBytes;
      for (std::size_t i = 0; i < count; ++i, ++n) {
        std::uint8_t* dst = target(n);
        for (int c = 0; c < 4; ++c) dst[c] = rgba[c];
      }
    } else {
      if (count * pixelBytes > file.size() - at) return fail("the run-length data is cut short");
      for (std::size_t i = 0; i < count; ++i, ++n, at += pixelBytes) {
        convert(file.data() + at, target(n));
      }
    }
  }
  return true;
}
