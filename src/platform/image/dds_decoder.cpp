// DDS: the first level of a plain two-dimensional texture, DXT1, DXT3 or DXT5
// compressed, or uncompressed RGB(A) of 16, 24 or 32 bits a pixel laid out by
// the pixel format's bit masks. Cube maps, volume textures, the DX10 header
// and every other layout are refused.
#include <bit>
#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/image/image.h"
#include "platform/image/image_internal.h"

namespace {

using image_internal::Channel;
using image_internal::ReadU32;

// "DDS ", the 124-byte header, then the levels, the largest first.
constexpr std::size_t kMagicSize = 4;
constexpr std::uint32_t kHeaderSize = 124, kPixelFormatSize = 32;
constexpr std::size_t kDataOffset = kMagicSize + kHeaderSize;

// Offsets from the start of the file.
constexpr std::size_t kAtHeaderSize = 4, kAtFlags = 8, kAtHeight = 12, kAtWidth = 16, kAtDepth = 24;
constexpr std::size_t kAtPixelFormatSize = 76, kAtPixelFlags = 80, kAtFourCc = 84, kAtBitCount = 88;
constexpr std::size_t kAtMasks = 92, kAtCaps2 = 112;

constexpr std::uint32_t kFlagDepth = 0x800000;
constexpr std::uint32_t kPixelAlpha = 0x1, kPixelFourCc = 0x4, kPixelRgb = 0x40, kPixelLuminance = 0x20000;
constexpr std::uint32_t kCaps2CubeMap = 0x200, kCaps2Volume = 0x200000;

constexpr std::uint32_t FourCc(const char (&code)[5]) {
  return static_cast<std::uint32_t>(code[0]) | static_cast<std::uint32_t>(code[1]) << 8 |
         static_cast<std::uint32_t>(code[2]) << 16 | static_cast<std::uint32_t>(code[3]) << 24;
}

enum class Layout { Dxt1, Dxt3, Dxt5, Masks };

struct DdsInfo {
  std::uint32_t width = 0, height = 0;
  Layout layout = Layout::Masks;
  std::uint32_t bytesPerPixel = 0;
  Channel red, green, blue, alpha;
};

std::string DescribeFourCc(std::uint32_t code) {
  char text[16];
  bool printable = true;
  for (int i = 0; i < 4; ++i) {
    const std::uint32_t c = (code >> (8 * i)) & 0xFF;
    printable = printable && c >= 0x20 && c < 0x7F;
    text[i] = static_cast<char>(c);
  }
  if (printable) return "'" + std::string(text, 4) + "'";
  std::snprintf(text, sizeof text, "0x%08x", code);
  return text;
}

// Red, green and blue are required; every mask must be one run of bits inside
// the pixel and share no bit with another, or the channels cannot be told apart.
bool MasksFit(std::uint32_t bitCount, const std::uint32_t (&masks)[4], bool withAlpha) {
  const std::uint64_t pixelBits = (std::uint64_t{1} << bitCount) - 1;
  std::uint32_t seen = 0;
  for (int i = 0; i < 4; ++i) {
    const std::uint32_t mask = masks[i];
    if (i == 3 && (!withAlpha || mask == 0)) break;
    if (mask == 0 || (mask & ~pixelBits) != 0 || (mask & seen) != 0) return false;
    const std::uint32_t run = mask >> std::countr_zero(mask);
    if ((run & (run + 1)) != 0) return false;  // a full 32-bit run wraps to 0 and passes
    seen |= mask;
  }
  return true;
}

bool ReadPixelFormat(std::span<const std::uint8_t> file, DdsInfo* info, std::string* why) {
  const std::uint32_t flags = ReadU32(file, kAtPixelFlags);
  if (flags & kPixelFourCc) {
    const std::uint32_t code = ReadU32(file, kAtFourCc);
    if (code == FourCc("DXT1")) info->layout = Layout::Dxt1;
    else if (code == FourCc("DXT3")) info->layout = Layout::Dxt3;
    else if (code == FourCc("DXT5")) info->layout = Layout::Dxt5;
    else if (code == FourCc("DX10")) return *why = "the DX10 header is not supported", false;
    else return *why = "unsupported FourCC " + DescribeFourCc(code), false;
    return true;
  }
  if (flags & kPixelLuminance) return *why = "luminance images are not supported", false;
  if (!(flags & kPixelRgb)) return *why = "unsupported pixel format", false;
  const std::uint32_t bitCount = ReadU32(file, kAtBitCount);
  if (bitCount != 16 && bitCount != 24 && bitCount != 32) {
    return *why = "unsupported bit count " + std::to_string(bitCount), false;
  }
  const std::uint32_t masks[4] = {ReadU32(file, kAtMasks), ReadU32(file, kAtMasks + 4),
                                  ReadU32(file, kAtMasks + 8), ReadU32(file, kAtMasks + 12)};
  // Without the alpha flag the fourth mask means nothing: X8R8G8B8 and
  // X1R5G5B5 pixels are opaque whatever their spare bits hold.
  const bool withAlpha = (flags & kPixelAlpha) != 0;
  if (!MasksFit(bitCount, masks, withAlpha)) return *why = "unsupported colour masks", false;
  info->layout = Layout::Masks;
  info->bytesPerPixel = bitCount / 8;
  info->red = Channel(masks[0]);
  info->green = Channel(masks[1]);
  info->blue = Channel(masks[2]);
  if (withAlpha) info->alpha = Channel(masks[3]);
  return true;
}

bool ReadHeader(std::span<const std::uint8_t> file, DdsInfo* info, std::string* why) {
  if (file.size() < kDataOffset) return *why = "the header is cut short", false;
  if (ReadU32(file, kAtHeaderSize) != kHeaderSize) {
    return *why = "unknown header size " + std::to_string(ReadU32(file, kAtHeaderSize)), false;
  }
  if (ReadU32(file, kAtPixelFormatSize) != kPixelFormatSize) {
    return *why = "unknown pixel format size " + std::to_string(ReadU32(file, kAtPixelFormatSize)), false;
  }
  const std::uint32_t caps2 = ReadU32(file, kAtCaps2);
  if (caps2 & kCaps2CubeMap) return *why = "cube maps are not supported", false;
  if ((caps2 & kCaps2Volume) || ((ReadU32(file, kAtFlags) & kFlagDepth) && ReadU32(file, kAtDepth) > 1)) {
    return *why = "volume textures are not supported", false;
  }
  if (!ReadPixelFormat(file, info, why)) return false;
  info->width = ReadU32(file, kAtWidth);
  info->height = ReadU32(file, kAtHeight);
  if (!ImageSizeAllowed(info->width, info->height)) return *why = "the image size is outside the bounds", false;
  // The stored pitch or linear size is not read: writers often fill it
  // wrongly, and the first level's size follows from the layout alone. Rows
  // are not padded.
  const std::uint64_t width = info->width, height = info->height;
  const std::uint64_t bytes = info->layout == Layout::Masks
                                  ? width * height * info->bytesPerPixel
                                  : ((width + 3) / 4) * ((height + 3) / 4) * (info->layout == Layout::Dxt1 ? 8 : 16);
  if (bytes > file.size() - kDataOffset) return *why = "the pixels are cut short", false;
  return true;
}

// 5:6:5 endpoints widen to eight bits by repeating their top bits.
void Expand565(std::uint32_t colour, std::uint8_t* rgba) {
  const std::uint32_t r = (colour >> 11) & 31, g = (colour >> 5) & 63, b = colour & 31;
  rgba[0] = static_cast<std::uint8_t>(r << 3 | r >> 2);
  rgba[1] = static_cast<std::uint8_t>(g << 2 | g >> 4);
  rgba[2] = static_cast<std::uint8_t>(b << 3 | b >> 2);
  rgba[3] = 255;
}

// Four colours from two endpoints at thirds, rounded to nearest; a DXT1
// block whose first endpoint is not above the second has three colours, the
// third halfway, and transparent black. The colour half of DXT3 and DXT5
// blocks always has four.
void DecodeColourBlock(const std::uint8_t* block, bool oneBitAlpha, std::uint8_t (&texels)[16][4]) {
  const std::uint32_t c0 = block[0] | block[1] << 8, c1 = block[2] | block[3] << 8;
  std::uint8_t palette[4][4];
  Expand565(c0, palette[0]);
  Expand565(c1, palette[1]);
  const bool four = !oneBitAlpha || c0 > c1;
  for (int c = 0; c < 3; ++c) {
    const std::uint32_t a = palette[0][c], b = palette[1][c];
    palette[2][c] = static_cast<std::uint8_t>(four ? (2 * a + b + 1) / 3 : (a + b) / 2);
    palette[3][c] = static_cast<std::uint8_t>(four ? (a + 2 * b + 1) / 3 : 0);
  }
  palette[2][3] = 255;
  palette[3][3] = four ? 255 : 0;
  const std::uint32_t indices = ReadU32(std::span(block + 4, 4), 0);
  for (int i = 0; i < 16; ++i) {
    const std::uint8_t* colour = palette[(indices >> (2 * i)) & 3];
    for (int c = 0; c < 4; ++c) texels[i][c] = colour[c];
  }
}

// DXT3: four bits of alpha a texel.
void DecodeExplicitAlpha(const std::uint8_t* block, std::uint8_t (&texels)[16][4]) {
  for (int i = 0; i < 16; ++i) texels[i][3] = static_cast<std::uint8_t>(((block[i / 2] >> (4 * (i % 2))) & 15) * 17);
}

// DXT5: two alpha endpoints and three bits a texel. A first endpoint above
// the second gives six steps between them; otherwise four, then 0 and 255.
void DecodeInterpolatedAlpha(const std::uint8_t* block, std::uint8_t (&texels)[16][4]) {
  const std::uint32_t a0 = block[0], a1 = block[1];
  std::uint8_t alphas[8] = {block[0], block[1], 0, 0, 0, 0, 0, 255};
  if (a0 > a1) {
    for (std::uint32_t k = 1; k <= 6; ++k) alphas[k + 1] = static_cast<std::uint8_t>(((7 - k) * a0 + k * a1 + 3) / 7);
  } else {
    for (std::uint32_t k = 1; k <= 4; ++k) alphas[k + 1] = static_cast<std::uint8_t>(((5 - k) * a0 + k * a1 + 2) / 5);
  }
  std::uint64_t bits = 0;
  for (int i = 0; i < 6; ++i) bits |= static_cast<std::uint64_t>(block[2 + i]) << (8 * i);
  for (int i = 0; i < 16; ++i) texels[i][3] = alphas[(bits >> (3 * i)) & 7];
}

// Blocks of 4 x 4 texels in rows; the blocks on the right and bottom edges
// of an image whose size is not a multiple of 4 hold texels past it.
void DecodeBlocks(const std::uint8_t* data, const DdsInfo& info, Image* out) {
  const std::uint32_t blocksWide = (info.width + 3) / 4, blocksHigh = (info.height + 3) / 4;
  const std::size_t blockBytes = info.layout == Layout::Dxt1 ? 8 : 16;
  std::uint8_t texels[16][4];
  for (std::uint32_t by = 0; by < blocksHigh; ++by) {
    for (std::uint32_t bx = 0; bx < blocksWide; ++bx, data += blockBytes) {
      if (info.layout == Layout::Dxt1) {
        DecodeColourBlock(data, true, texels);
      } else {
        DecodeColourBlock(data + 8, false, texels);
        if (info.layout == Layout::Dxt3) DecodeExplicitAlpha(data, texels);
        else DecodeInterpolatedAlpha(data, texels);
      }
      for (std::uint32_t i = 0; i < 16; ++i) {
        const std::uint32_t x = bx * 4 + i % 4, y = by * 4 + i / 4;
        if (x >= info.width || y >= info.height) continue;
        std::uint8_t* dst = out->pixels.data() + (static_cast<std::size_t>(y) * info.width + x) * 4;
        for (int c = 0; c < 4; ++c) dst[c] = texels[i][c];
      }
    }
  }
}

void DecodeMaskedPixels(const std::uint8_t* data, const DdsInfo& info, Image* out) {
  const std::size_t count = static_cast<std::size_t>(info.width) * info.height;
  std::uint8_t* dst = out->pixels.data();
  for (std::size_t n = 0; n < count; ++n, data += info.bytesPerPixel, dst += 4) {
    std::uint32_t pixel = 0;
    for (std::uint32_t k = 0; k < info.bytesPerPixel; ++k) pixel |= static_cast<std::uint32_t>(data[k]) << (8 * k);
    dst[0] = info.red.Get(pixel, 0);
    dst[1] = info.green.Get(pixel, 0);
    dst[2] = info.blue.Get(pixel, 0);
    dst[3] = info.alpha.Get(pixel, 255);
  }
}

}  // namespace

namespace image_internal {

bool ReadDdsSize(std::span<const std::uint8_t> file, std::uint32_t* width, std::uint32_t* height) {
  DdsInfo info;
  std::string why;
  if (!ReadHeader(file, &info, &why)) return false;
  *width = info.width;
  *height = info.height;
  return true;
}

}  // namespace image_internal

bool DecodeDds(std::span<const std::uint8_t> file, Image* out, std::string* error) {
  *out = Image{};
  if (file.size() < kMagicSize || ReadU32(file, 0) != FourCc("DDS ")) {
    return image_internal::Fail(out, error, "DDS", "no DDS signature");
  }
  DdsInfo info;
  std::string why;
  if (!ReadHeader(file, &info, &why)) return image_internal::Fail(out, error, "DDS", why);
  out->width = info.width;
  out->height = info.height;
  out->pixels.resize(static_cast<std::size_t>(info.width) * info.height * 4);
  const std::uint8_t* data = file.data() + kDataOffset;
  if (info.layout == Layout::Masks) DecodeMaskedPixels(data, info, out);
  else DecodeBlocks(data, info, out);
  return true;
}
