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

// A BMP of the given header with `pixelBytes` zero bytes of pixels.
std::vector<std::uint8_t> BmpHeader(std::int32_t width, std::int32_t height, std::uint32_t bits,
                                    std::uint32_t compression, std::uint32_t pixelBytes) {
  return Bmp(width, height, bits, compression, {}, std::vector<std::uint8_t>(pixelBytes));
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
    {"BmpRleRunPastRow", [] { return Bmp(2, 1, 8, 1, {0, 0, 0, 0, 0xff, 0xff, 0xff, 0}, {3, 1, 0, 1}, 2); },
     "BMP: a run passes the end of a row"},
    {"BmpRleTopDown", [] { return BmpHeader(2, -1, 8, 1, 4); },
     "BMP: a run-length image cannot be top-down"},
    {"TgaPixelsCut", [] { return Tga(2, 2, 2, 24, 0x20, std::vector<std::uint8_t>(11)); },
     "TGA: the pixels are cut short"},
    {"TgaRleCut", [] { return Tga(10, 2, 2, 24, 0x20, {0x81, 1, 2}); },
     "TGA: the run-length data is cut short"},
    {"TgaRlePacketPastImage", [] { return Tga(10, 2, 1, 24, 0x20, {0x82, 1, 2, 3}); },
     "TGA: a packet runs past the image"},
    {"TgaMapCut",
     [] {
       auto tga = Tga(1, 1, 1, 8, 0x20, {}, std::vector<std::uint8_t>(12), 0, 24);
       tga[5] = 200;  // entries the file does not hold
       return tga;
     },
     "TGA: the colour map is cut short"},
    {"TgaIdentifierPastTheEnd",
     [] {
       auto tga = Tga(2, 1, 1, 24, 0x20, {1, 2, 3});
       tga[0] = 40;
       return tga;
     },
     "TGA: the image identifier is cut short"},
    {"TgaHuge", [] { return Tga(2, 65535, 65535, 24, 0x20, {}); },
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
