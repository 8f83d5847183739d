// Hand-made image files for the decoder tests.
#include "image_test_support.h"

#include <cstdio>
#include <fstream>
#include <iterator>

#include <zlib.h>

namespace {

struct ByteWriter {
  std::vector<std::uint8_t> bytes;
  ByteWriter& U8(std::uint32_t v) {
    bytes.push_back(static_cast<std::uint8_t>(v));
    return *this;
  }
  ByteWriter& U16(std::uint32_t v) { return U8(v).U8(v >> 8); }  // little-endian
  ByteWriter& U32(std::uint32_t v) { return U16(v).U16(v >> 16); }
  ByteWriter& Raw(const std::vector<std::uint8_t>& values) {
    bytes.insert(bytes.end(), values.begin(), values.end());
    return *this;
  }
};

}  // namespace

std::vector<std::uint8_t> Bmp(std::int32_t width, std::int32_t height, std::uint32_t bits,
                              std::uint32_t compression, const std::vector<std::uint8_t>& between,
                              const std::vector<std::uint8_t>& pixels, std::uint32_t colorsUsed,
                              const std::vector<std::uint8_t>& infoTail) {
  const std::uint32_t infoSize = 40 + static_cast<std::uint32_t>(infoTail.size());
  const std::uint32_t offset = 14 + infoSize + static_cast<std::uint32_t>(between.size());
  ByteWriter w;
  w.Raw({'B', 'M'}).U32(offset + static_cast<std::uint32_t>(pixels.size())).U32(0).U32(offset);
  w.U32(infoSize).U32(static_cast<std::uint32_t>(width)).U32(static_cast<std::uint32_t>(height));
  w.U16(1).U16(bits).U32(compression).U32(static_cast<std::uint32_t>(pixels.size()));
  w.U32(2835).U32(2835).U32(colorsUsed).U32(0);
  w.Raw(infoTail).Raw(between).Raw(pixels);
  return w.bytes;
}

std::vector<std::uint8_t> Tga(std::uint32_t imageType, std::uint32_t width, std::uint32_t height,
                              std::uint32_t depth, std::uint32_t descriptor,
                              const std::vector<std::uint8_t>& data,
                              const std::vector<std::uint8_t>& map, std::uint32_t mapFirst,
                              std::uint32_t mapDepth, const std::vector<std::uint8_t>& id) {
  const std::uint32_t mapEntries = mapDepth ? static_cast<std::uint32_t>(map.size()) / ((mapDepth + 7) / 8) : 0;
  ByteWriter w;
  w.U8(static_cast<std::uint32_t>(id.size())).U8(map.empty() ? 0 : 1).U8(imageType);
  w.U16(mapFirst).U16(mapEntries).U8(mapDepth);
  w.U16(0).U16(0).U16(width).U16(height).U8(depth).U8(descriptor);
  w.Raw(id).Raw(map).Raw(data);
  return w.bytes;
}

std::vector<std::uint8_t> Dds(std::uint32_t width, std::uint32_t height, std::uint32_t pixelFlags,
                              const std::string& fourCc, std::uint32_t bitCount,
                              const std::vector<std::uint32_t>& masks, const std::vector<std::uint8_t>& data,
                              std::uint32_t caps2, std::uint32_t depth) {
  ByteWriter w;
  w.Raw({'D', 'D', 'S', ' '}).U32(124).U32(0x1007 | (depth ? 0x800000 : 0)).U32(height).U32(width);
  w.U32(0).U32(depth).U32(1);
  for (int i = 0; i < 11; ++i) w.U32(0);
  w.U32(32).U32(pixelFlags);
  for (int i = 0; i < 4; ++i) w.U8(fourCc == "-" ? 0 : static_cast<std::uint8_t>(fourCc.at(i)));
  w.U32(bitCount);
  for (std::size_t i = 0; i < 4; ++i) w.U32(i < masks.size() ? masks[i] : 0);
  w.U32(0x1000).U32(caps2).U32(0).U32(0).U32(0);
  w.Raw(data);
  return w.bytes;
}

namespace {

void PutBigEndian(std::vector<std::uint8_t>* out, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out->push_back(static_cast<std::uint8_t>(v >> shift));
}

void PutChunk(std::vector<std::uint8_t>* out, const std::string& type, const std::vector<std::uint8_t>& data) {
  PutBigEndian(out, static_cast<std::uint32_t>(data.size()));
  const std::size_t start = out->size();
  out->insert(out->end(), type.begin(), type.end());
  out->insert(out->end(), data.begin(), data.end());
  PutBigEndian(out, static_cast<std::uint32_t>(crc32(0, out->data() + start, static_cast<uInt>(out->size() - start))));
}

}  // namespace

std::vector<std::uint8_t> MakePng(std::uint32_t width, std::uint32_t height, int bitDepth,
                                  int colorType, const std::vector<std::uint8_t>& filtered,
                                  const std::vector<PngChunk>& extra, int interlace) {
  std::vector<std::uint8_t> out = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  std::vector<std::uint8_t> header;
  PutBigEndian(&header, width);
  PutBigEndian(&header, height);
  header.push_back(static_cast<std::uint8_t>(bitDepth));
  header.push_back(static_cast<std::uint8_t>(colorType));
  header.push_back(0);
  header.push_back(0);
  header.push_back(static_cast<std::uint8_t>(interlace));
  PutChunk(&out, "IHDR", header);
  for (const PngChunk& chunk : extra) PutChunk(&out, chunk.type, chunk.data);
  // Level 0: stored blocks, the data chunk as long as the pixels it holds.
  std::vector<std::uint8_t> data(compressBound(static_cast<uLong>(filtered.size())));
  uLongf size = static_cast<uLongf>(data.size());
  compress2(data.data(), &size, filtered.data(), static_cast<uLong>(filtered.size()), 0);
  data.resize(size);
  PutChunk(&out, "IDAT", data);
  PutChunk(&out, "IEND", {});
  return out;
}

std::string DumpImage(const Image& image) {
  std::string text = std::to_string(image.width) + "x" + std::to_string(image.height);
  if (image.pixels.size() != static_cast<std::size_t>(image.width) * image.height * 4) {
    return text + " with " + std::to_string(image.pixels.size()) + " bytes";
  }
  for (std::uint32_t y = 0; y < image.height; ++y) {
    text += "\n";
    for (std::uint32_t x = 0; x < image.width; ++x) {
      const std::uint8_t* p = image.pixels.data() + (static_cast<std::size_t>(y) * image.width + x) * 4;
      char word[10];
      std::snprintf(word, sizeof word, "%s%02x%02x%02x%02x", x ? " " : "", p[0], p[1], p[2], p[3]);
      text += word;
    }
  }
  return text;
}

std::vector<std::uint8_t> ReadTestFile(std::string_view name) {
  std::ifstream in(std::string(T3D_SOURCE_DIR) + "/tests/platform/image/cases/" + std::string(name),
                   std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}
