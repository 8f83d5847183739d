// Helpers of the image tests: BMP, TGA, DDS and PNG builders and a text dump of a
// decoded image so that tests compare whole results.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "platform/image/image.h"

// A BMP with a 40-byte info header (plus `infoTail` for the longer headers),
// `between` (palette or masks) and then the pixels.
std::vector<std::uint8_t> Bmp(std::int32_t width, std::int32_t height, std::uint32_t bits,
                              std::uint32_t compression, const std::vector<std::uint8_t>& between,
                              const std::vector<std::uint8_t>& pixels, std::uint32_t colorsUsed = 0,
                              const std::vector<std::uint8_t>& infoTail = {});

// A TGA whose colour map has as many entries as `map` holds.
std::vector<std::uint8_t> Tga(std::uint32_t imageType, std::uint32_t width, std::uint32_t height,
                              std::uint32_t depth, std::uint32_t descriptor,
                              const std::vector<std::uint8_t>& data,
                              const std::vector<std::uint8_t>& map = {}, std::uint32_t mapFirst = 0,
                              std::uint32_t mapDepth = 0, const std::vector<std::uint8_t>& id = {});

// A DDS of one level: the pixel format's flags, FourCC ("-" for none), bit
// count and masks, then `data`; `caps2` and a depth (with its flag when not 0)
// as given.
std::vector<std::uint8_t> Dds(std::uint32_t width, std::uint32_t height, std::uint32_t pixelFlags,
                              const std::string& fourCc, std::uint32_t bitCount,
                              const std::vector<std::uint32_t>& masks, const std::vector<std::uint8_t>& data,
                              std::uint32_t caps2 = 0, std::uint32_t depth = 0);

struct PngChunk {
  std::string type;
  std::vector<std::uint8_t> data;
};

// A PNG of the given header whose image data is `filtered` (each row led by
// its filter byte), stored uncompressed; `extra` chunks go before the data.
std::vector<std::uint8_t> MakePng(std::uint32_t width, std::uint32_t height, int bitDepth,
                                  int colorType, const std::vector<std::uint8_t>& filtered,
                                  const std::vector<PngChunk>& extra = {}, int interlace = 0);

// "WxH" and then one line per row of "rrggbbaa" words.
std::string DumpImage(const Image& image);

// The whole file, or empty when it cannot be read.
std::vector<std::uint8_t> ReadTestFile(std::string_view name);
