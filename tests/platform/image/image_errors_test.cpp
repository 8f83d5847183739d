// Damaged and hostile image files: each gives a clear error naming its
// format and an empty image, never a crash or a huge allocation.
#include <gtest/gtest.h>

#include <functional>

#include "image_test_support.h"
#include "platform/image/image.h"

namespace {

struct ErrorCase {
  const char* name;
  std::function<std::vector<std::uint8_t>()> file;
  const char* error;  // the whole message
};

std::vector<std::uint8_t> Cut(std::vector<std::uint8_t> bytes, std::size_t drop) {
  bytes.resize(bytes.size() - drop);
  return bytes;
}

std::vector<std::uint8_t> GoodPng() {
  return MakePng(2, 1, 8, 2, {0, 0x10, 0x20, 0x30, 0x40, 0x50, 0x60});
}

std::vector<std::uint8_t> BmpHeader(std::int32_t width, std::int32_t height, std::uint32_t bits,
                                    std::uint32_t compression, std::uint32_t pixelBytes) {
  ByteWriter w;
  w.Raw({'B', 'M'}).U32(54 + pixelBytes).U32(0).U32(54).U32(40);
  w.U32(static_cast<std::uint32_t>(width)).U32(static_cast<std::uint32_t>(height));
  w.U16(1).U16(bits).U32(compression).U32(pixelBytes).U32(0).U32(0).U32(0).U32(0);
  w.bytes.resize(w.bytes.size() + pixelBytes, 0);
  return w.bytes;
}

std::vector<std::uint8_t> TgaHeader(std::uint32_t type, std::uint32_t width, std::uint32_t height,
                                    std::uint32_t depth, std::uint32_t mapEntries = 0) {
  ByteWriter w;
  w.U8(0).U8(mapEntries ? 1 : 0).U8(type).U16(0).U16(mapEntries).U8(mapEntries ? 24 : 0);
  w.U16(0).U16(0).U16(width).U16(height).U8(depth).U8(0x20);
  return w.bytes;
}

const ErrorCase kCases[] = {
    {"Empty", [] { return std::vector<std::uint8_t>{}; },
     "image: not a PNG, JPEG, BMP or TGA file"},
    {"Text", [] { return std::vector<std::uint8_t>{'h', 'e', 'l', 'l', 'o'}; },
     "image: not a PNG, JPEG, BMP or TGA file"},
    {"PngCutInsideData", [] { return Cut(GoodPng(), 20); }, "PNG: the file ends early"},
    {"PngBadHeaderCrc",
     [] {
       auto png = GoodPng();
       png[29] ^= 1;
       return png;
     },
     "PNG: IHDR: CRC error"},
    {"PngWiderThanTheBound", [] { return MakePng(20000, 1, 8, 0, {0, 0}); },
     "PNG: Invalid IHDR data"},
    {"PngMorePixelsThanTheBound", [] { return MakePng(16384, 16384, 8, 0, {0, 0}); },
     "PNG: the image is too large"},
    {"PngDataTooShortForTheImage", [] { return MakePng(4, 4, 8, 2, {0, 1, 2, 3}); },
     "PNG: Not enough image data"},
    {"PngBadFilter", [] { return MakePng(1, 1, 8, 0, {9, 0}); }, "PNG: bad adaptive filter value"},
    {"JpegSignatureOnly", [] { return std::vector<std::uint8_t>{0xff, 0xd8, 0xff}; },
     "JPEG: JPEG datastream contains no image"},
    {"JpegHeaderCut",
     [] {
       auto file = ReadTestFile("quadrants.jpg");
       file.resize(100);
       return file;
     },
     "JPEG: JPEG datastream contains no image"},
    {"BmpCutHeader", [] { return std::vector<std::uint8_t>{'B', 'M', 0, 0}; },
     "BMP: the header is cut short"},
    {"BmpZeroWidth", [] { return BmpHeader(0, 1, 24, 0, 4); },
     "BMP: the image size is outside the bounds"},
    {"BmpHugeWidth", [] { return BmpHeader(100000, 1, 24, 0, 4); },
     "BMP: the image size is outside the bounds"},
    {"BmpMostNegativeHeight", [] { return BmpHeader(1, INT32_MIN, 24, 0, 4); },
     "BMP: the image size is outside the bounds"},
    {"BmpPixelsCut", [] { return BmpHeader(4, 4, 24, 0, 40); }, "BMP: the pixels are cut short"},
    {"BmpEmbeddedJpeg", [] { return BmpHeader(1, 1, 24, 4, 4); },
     "BMP: unsupported compression 4"},
    {"BmpOddBitCount", [] { return BmpHeader(1, 1, 7, 0, 4); }, "BMP: unsupported bit count 7"},
    {"BmpPaletteCut", [] { return Cut(BmpHeader(1, 1, 8, 0, 0), 0); },
     "BMP: the pixels lie past the end"},
    {"BmpRleRunPastRow",
     [] {
       auto bmp = BmpHeader(2, 1, 8, 1, 0);
       bmp[10] = 54 + 8;  // after a two-entry palette
       bmp[46] = 2;       // colours used
       bmp.insert(bmp.end(), {0, 0, 0, 0, 0xff, 0xff, 0xff, 0, 3, 1, 0, 1});
       return bmp;
     },
     "BMP: a run passes the end of a row"},
    {"BmpRleTopDown", [] { return BmpHeader(2, -1, 8, 1, 4); },
     "BMP: a run-length image cannot be top-down"},
    {"TgaPixelsCut",
     [] {
       auto tga = TgaHeader(2, 2, 2, 24);
       tga.insert(tga.end(), 11, 0);
       return tga;
     },
     "TGA: the pixels are cut short"},
    {"TgaRleCut",
     [] {
       auto tga = TgaHeader(10, 2, 2, 24);
       tga.insert(tga.end(), {0x81, 1, 2});
       return tga;
     },
     "TGA: the run-length data is cut short"},
    {"TgaRlePacketPastImage",
     [] {
       auto tga = TgaHeader(10, 2, 1, 24);
       tga.insert(tga.end(), {0x82, 1, 2, 3});
       return tga;
     },
     "TGA: a packet runs past the image"},
    {"TgaMapCut",
     [] {
       auto tga = TgaHeader(1, 1, 1, 8, 200);
       tga.insert(tga.end(), 10, 0);
       return tga;
     },
     "TGA: the colour map is cut short"},
    {"TgaIdentifierPastTheEnd",
     [] {
       auto tga = TgaHeader(2, 1, 1, 24);
       tga[0] = 40;
       tga.insert(tga.end(), {1, 2, 3});
       return tga;
     },
     "TGA: the image identifier is cut short"},
    {"TgaHuge", [] { return TgaHeader(2, 65535, 65535, 24); },
     "TGA: the image size is outside the bounds"},
};

class ErrorCases : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(ErrorCases, FailsWithMessageAndEmptyImage) {
  Image image;
  image.width = 7;
  image.pixels.assign(4, 1);
  std::string error;
  EXPECT_FALSE(DecodeImage(GetParam().file(), &image, &error));
  EXPECT_EQ(error, GetParam().error);
  EXPECT_EQ(DumpImage(image), "0x0");
}

INSTANTIATE_TEST_SUITE_P(Images, ErrorCases, ::testing::ValuesIn(kCases),
                         [](const auto& c) { return std::string(c.param.name); });

// Every prefix of good files is refused cleanly or decodes to a full image.
TEST(TruncationTest, EveryPrefixIsHandled) {
  std::vector<std::vector<std::uint8_t>> files = {GoodPng(), ReadTestFile("quadrants.jpg"),
                                                  ReadTestFile("quadrants_progressive.jpg")};
  for (const auto& file : files) {
    for (std::size_t n = 0; n < file.size(); ++n) {
      Image image;
      std::string error;
      std::vector<std::uint8_t> prefix(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(n));
      if (DecodeImage(prefix, &image, &error)) {
        EXPECT_EQ(image.pixels.size(), static_cast<std::size_t>(image.width) * image.height * 4);
      } else {
        EXPECT_FALSE(error.empty());
        EXPECT_TRUE(image.pixels.empty());
      }
    }
  }
}

}  // namespace
