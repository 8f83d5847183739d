// Decoding hand-made PNG, BMP and TGA files and real JPEG files: every layout
// the decoders take comes out as the same top-down RGBA picture; damaged and
// hostile files give a clear error naming their format and an empty image,
// never a crash or a huge allocation.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <string_view>

#include "image_test_support.h"
#include "platform/image/image.h"

namespace {

struct ImageCase {
  const char* name;
  std::function<std::vector<std::uint8_t>()> file;
  const char* expected;  // DumpImage of the result, or "error: " and the whole message
};

const ImageCase kDecodes[] = {
    // PNG: every colour type comes out as 8-bit RGBA.
    {"PngRgba", [] { return MakePng(2, 2, 8, 6, {0, 0xff, 0, 0, 0xff, 0, 0xff, 0, 0x80,
                                                 0, 0, 0, 0xff, 0xff, 0, 0, 0, 0}); },
     "2x2\nff0000ff 00ff0080\n0000ffff 00000000"},
    {"PngRgbIsOpaque", [] { return MakePng(2, 1, 8, 2, {0, 0x10, 0x20, 0x30, 0x40, 0x50, 0x60}); },
     "2x1\n102030ff 405060ff"},
    {"PngPaletteWithTransparency",
     [] {
       return MakePng(3, 1, 2, 3, {0, 0x18},
                      {{"PLTE", {0xff, 0, 0, 0, 0xff, 0, 0, 0, 0xff}}, {"tRNS", {0x80}}});
     },
     "3x1\nff000080 00ff00ff 0000ffff"},
    {"PngGrey16KeepsHighByte", [] { return MakePng(2, 1, 16, 0, {0, 0x12, 0x34, 0xab, 0xcd}); },
     "2x1\n121212ff abababff"},
    {"PngGreyAlpha", [] { return MakePng(1, 1, 8, 4, {0, 0x40, 0x80}); }, "1x1\n40404080"},
    {"PngGrey1Bit", [] { return MakePng(4, 1, 1, 0, {0, 0xa0}); },
     "4x1\nffffffff 000000ff ffffffff 000000ff"},
    {"PngSubFilter", [] { return MakePng(2, 1, 8, 2, {1, 0x10, 0x20, 0x30, 0x10, 0x10, 0x10}); },
     "2x1\n102030ff 203040ff"},
    {"PngRgbColourKey",
     [] {
       return MakePng(2, 1, 8, 2, {0, 0x10, 0x20, 0x30, 0x40, 0x50, 0x60},
                      {{"tRNS", {0, 0x10, 0, 0x20, 0, 0x30}}});
     },
     "2x1\n10203000 405060ff"},
    {"PngInterlaced",
     [] { return MakePng(2, 2, 8, 2, {0, 1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 10, 11, 12}, {}, 1); },
     "2x2\n010203ff 040506ff\n070809ff 0a0b0cff"},

    // BMP
    {"Bmp24BottomUpWithRowPadding",
     [] {
       return Bmp(3, 2, 24, 0, {},
                  {1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0, 10, 11, 12, 13, 14, 15, 16, 17, 18, 0, 0, 0});
     },
     "3x2\n0c0b0aff 0f0e0dff 121110ff\n030201ff 060504ff 090807ff"},
    {"Bmp32TopDownIgnoresFourthByte",
     [] { return Bmp(2, -1, 32, 0, {}, {1, 2, 3, 0x44, 5, 6, 7, 0x88}); },
     "2x1\n030201ff 070605ff"},
    {"Bmp8PaletteIndexPastPaletteReadsFirstColour",
     [] { return Bmp(2, 2, 8, 0, {0, 0, 0xff, 0, 0, 0xff, 0, 0}, {1, 0, 0, 0, 0, 5, 0, 0}, 2); },
     "2x2\nff0000ff ff0000ff\n00ff00ff ff0000ff"},
    {"Bmp1Bit", [] { return Bmp(3, 1, 1, 0, {0, 0, 0, 0, 0xff, 0xff, 0xff, 0}, {0xa0, 0, 0, 0}); },
     "3x1\nffffffff 000000ff ffffffff"},
    {"Bmp4Bit",
     [] {
       return Bmp(3, 1, 4, 0, {0, 0, 0xff, 0, 0, 0xff, 0, 0, 0xff, 0, 0, 0}, {0x12, 0, 0, 0}, 3);
     },
     "3x1\n00ff00ff 0000ffff ff0000ff"},
    {"Bmp16Is555", [] { return Bmp(2, 1, 16, 0, {}, {0x00, 0x7c, 0x1f, 0x00}); },
     "2x1\nff0000ff 0000ffff"},
    {"Bmp16BitFields565",
     [] {
       ByteWriter masks;
       masks.U32(0xf800).U32(0x07e0).U32(0x001f);
       return Bmp(2, 1, 16, 3, masks.bytes, {0xe0, 0x07, 0xff, 0xff});
     },
     "2x1\n00ff00ff ffffffff"},
    {"BmpV4AlphaMask",
     [] {
       ByteWriter tail;
       tail.U32(0x00ff0000).U32(0x0000ff00).U32(0x000000ff).U32(0xff000000);
       tail.bytes.resize(108 - 40, 0);
       ByteWriter pixel;
       pixel.U32(0x80112233);
       return Bmp(1, 1, 32, 3, {}, pixel.bytes, 0, tail.bytes);
     },
     "1x1\n11223380"},
    {"BmpRle8",
     [] {
       return Bmp(4, 2, 8, 1, {0, 0, 0xff, 0, 0, 0xff, 0, 0, 0xff, 0, 0, 0},
                  {3, 1, 0, 0, 0, 3, 2, 0, 2, 0, 0, 1}, 3);
     },
     "4x2\n0000ffff ff0000ff 0000ffff ff0000ff\n00ff00ff 00ff00ff 00ff00ff ff0000ff"},
    {"BmpRle4",
     [] {
       return Bmp(3, 1, 4, 2, {0, 0, 0xff, 0, 0, 0xff, 0, 0, 0xff, 0, 0, 0}, {3, 0x12, 0, 1}, 3);
     },
     "3x1\n00ff00ff 0000ffff 00ff00ff"},
    {"BmpCoreHeader",
     [] {
       ByteWriter w;
       w.Raw({'B', 'M'}).U32(34).U32(0).U32(26).U32(12).U16(2).U16(1).U16(1).U16(24);
       w.Raw({1, 2, 3, 4, 5, 6, 0, 0});
       return w.bytes;
     },
     "2x1\n030201ff 060504ff"},

    // TGA
    {"Tga24BottomUp", [] { return Tga(2, 2, 2, 24, 0, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}); },
     "2x2\n090807ff 0c0b0aff\n030201ff 060504ff"},
    {"Tga32TopDownWithAlphaAndId",
     [] { return Tga(2, 2, 1, 32, 0x28, {1, 2, 3, 0x80, 4, 5, 6, 0}, {}, 0, 0, {'h', 'i'}); },
     "2x1\n03020180 06050400"},
    {"Tga32WithoutAlphaBitsIsOpaque", [] { return Tga(2, 1, 1, 32, 0x20, {1, 2, 3, 0}); },
     "1x1\n030201ff"},
    {"Tga16AlphaBit", [] { return Tga(2, 2, 1, 16, 0x21, {0x00, 0x7c, 0xe0, 0x83}); },
     "2x1\nff000000 00ff00ff"},
    {"TgaColourMappedIndexOutsideMapIsBlack",
     [] { return Tga(1, 3, 1, 8, 0x20, {1, 2, 0}, {0, 0, 0xff, 0, 0xff, 0}, 1, 24); },
     "3x1\nff0000ff 00ff00ff 000000ff"},
    {"TgaGrey", [] { return Tga(3, 2, 1, 8, 0x20, {0x40, 0x80}); }, "2x1\n404040ff 808080ff"},
    {"TgaRlePacketsCrossRows",
     [] { return Tga(10, 3, 2, 24, 0x20, {0x83, 0, 0, 0xff, 0x01, 0, 0xff, 0, 0xff, 0, 0}); },
     "3x2\nff0000ff ff0000ff ff0000ff\nff0000ff 00ff00ff 0000ffff"},
    {"TgaRightToLeft", [] { return Tga(2, 2, 1, 24, 0x30, {1, 2, 3, 4, 5, 6}); },
     "2x1\n060504ff 030201ff"},
    {"TgaRleGrey", [] { return Tga(11, 3, 1, 8, 0x20, {0x82, 0x7f}); },
     "3x1\n7f7f7fff 7f7f7fff 7f7f7fff"},
    {"TgaGreyWithAlpha", [] { return Tga(3, 2, 2, 16, 0x08, {0x40, 0x80, 0x10, 0xff, 0xc0, 0x00, 0x20, 0x01}); },
     "2x2\nc0c0c000 20202001\n40404080 101010ff"},
    {"TgaGreyWithAlphaWithoutAlphaBitsIsOpaque", [] { return Tga(3, 1, 1, 16, 0x20, {0x40, 0x00}); },
     "1x1\n404040ff"},
    {"TgaRleGreyWithAlpha", [] { return Tga(11, 3, 1, 16, 0x28, {0x81, 0x7f, 0x33, 0x00, 0x05, 0x06}); },
     "3x1\n7f7f7f33 7f7f7f33 05050506"},
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

const ImageCase kErrors[] = {
    {"Empty", [] { return std::vector<std::uint8_t>{}; },
     "error: image: not a PNG, JPEG, BMP or TGA file"},
    {"Text", [] { return std::vector<std::uint8_t>{'h', 'e', 'l', 'l', 'o'}; },
     "error: image: not a PNG, JPEG, BMP or TGA file"},
    {"PngCutInsideData", [] { return Cut(GoodPng(), 20); }, "error: PNG: the file ends early"},
    {"PngBadHeaderCrc",
     [] {
       auto png = GoodPng();
       png[29] ^= 1;
       return png;
     },
     "error: PNG: IHDR: CRC error"},
    {"PngWiderThanTheBound", [] { return MakePng(20000, 1, 8, 0, {0, 0}); },
     "error: PNG: Invalid IHDR data"},
    {"PngMorePixelsThanTheBound", [] { return MakePng(16384, 16384, 8, 0, {0, 0}); },
     "error: PNG: the image is too large"},
    {"PngDataTooShortForTheImage", [] { return MakePng(4, 4, 8, 2, {0, 1, 2, 3}); },
     "error: PNG: Not enough image data"},
    {"PngBadFilter", [] { return MakePng(1, 1, 8, 0, {9, 0}); }, "error: PNG: bad adaptive filter value"},
    {"JpegSignatureOnly", [] { return std::vector<std::uint8_t>{0xff, 0xd8, 0xff}; },
     "error: JPEG: JPEG datastream contains no image"},
    {"JpegHeaderCut",
     [] {
       auto file = ReadTestFile("quadrants.jpg");
       file.resize(100);
       return file;
     },
     "error: JPEG: JPEG datastream contains no image"},
    {"BmpCutHeader", [] { return std::vector<std::uint8_t>{'B', 'M', 0, 0}; },
     "error: BMP: the header is cut short"},
    {"BmpZeroWidth", [] { return BmpHeader(0, 1, 24, 0, 4); },
     "error: BMP: the image size is outside the bounds"},
    {"BmpHugeWidth", [] { return BmpHeader(100000, 1, 24, 0, 4); },
     "error: BMP: the image size is outside the bounds"},
    {"BmpMostNegativeHeight", [] { return BmpHeader(1, INT32_MIN, 24, 0, 4); },
     "error: BMP: the image size is outside the bounds"},
    {"BmpPixelsCut", [] { return BmpHeader(4, 4, 24, 0, 40); }, "error: BMP: the pixels are cut short"},
    {"BmpEmbeddedJpeg", [] { return BmpHeader(1, 1, 24, 4, 4); },
     "error: BMP: unsupported compression 4"},
    {"BmpOddBitCount", [] { return BmpHeader(1, 1, 7, 0, 4); }, "error: BMP: unsupported bit count 7"},
    {"BmpPaletteCut", [] { return Cut(BmpHeader(1, 1, 8, 0, 0), 0); },
     "error: BMP: the pixels lie past the end"},
    {"BmpRleRunPastRow", [] { return Bmp(2, 1, 8, 1, {0, 0, 0, 0, 0xff, 0xff, 0xff, 0}, {3, 1, 0, 1}, 2); },
     "error: BMP: a run passes the end of a row"},
    {"BmpRleTopDown", [] { return BmpHeader(2, -1, 8, 1, 4); },
     "error: BMP: a run-length image cannot be top-down"},
    {"TgaPixelsCut", [] { return Tga(2, 2, 2, 24, 0x20, std::vector<std::uint8_t>(11)); },
     "error: TGA: the pixels are cut short"},
    {"TgaRleCut", [] { return Tga(10, 2, 2, 24, 0x20, {0x81, 1, 2}); },
     "error: TGA: the run-length data is cut short"},
    {"TgaRlePacketPastImage", [] { return Tga(10, 2, 1, 24, 0x20, {0x82, 1, 2, 3}); },
     "error: TGA: a packet runs past the image"},
    {"TgaMapCut",
     [] {
       auto tga = Tga(1, 1, 1, 8, 0x20, {}, std::vector<std::uint8_t>(12), 0, 24);
       tga[5] = 200;  // entries the file does not hold
       return tga;
     },
     "error: TGA: the colour map is cut short"},
    {"TgaIdentifierPastTheEnd",
     [] {
       auto tga = Tga(2, 1, 1, 24, 0x20, {1, 2, 3});
       tga[0] = 40;
       return tga;
     },
     "error: TGA: the image identifier is cut short"},
    {"TgaHuge", [] { return Tga(2, 65535, 65535, 24, 0x20, {}); },
     "error: TGA: the image size is outside the bounds"},
};

// A damaged file gives an error naming its format and an empty image.
class ImageCases : public ::testing::TestWithParam<ImageCase> {};

TEST_P(ImageCases, DecodeToTopDownRgbaOrFailWithMessageAndEmptyImage) {
  Image image;
  image.width = 7;
  image.pixels.assign(4, 1);
  std::string error;
  const bool decoded = DecodeImage(GetParam().file(), &image, &error);
  if (std::string_view(GetParam().expected).starts_with("error: ")) {
    EXPECT_FALSE(decoded);
    EXPECT_EQ("error: " + error, GetParam().expected);
    EXPECT_EQ(DumpImage(image), "0x0");
  } else {
    ASSERT_TRUE(decoded) << error;
    EXPECT_EQ(DumpImage(image), GetParam().expected);
  }
}

const auto kName = [](const auto& c) { return std::string(c.param.name); };
INSTANTIATE_TEST_SUITE_P(Decodes, ImageCases, ::testing::ValuesIn(kDecodes), kName);
INSTANTIATE_TEST_SUITE_P(Errors, ImageCases, ::testing::ValuesIn(kErrors), kName);

// JPEG is lossy: the four quadrants (red, green, blue, white) of the files
// come back within a few steps of their colours.
TEST(JpegTest, ColourFilesDecodeToTheirQuadrants) {
  for (const char* name : {"quadrants.jpg", "quadrants_progressive.jpg", "quadrants_cmyk.jpg"}) {
    SCOPED_TRACE(name);
    const std::vector<std::uint8_t> file = ReadTestFile(name);
    ASSERT_FALSE(file.empty());
    EXPECT_EQ(DetectImageFormat(file), ImageFormat::Jpeg);
    Image image;
    std::string error;
    ASSERT_TRUE(DecodeImage(file, &image, &error)) << error;
    ASSERT_EQ(image.width, 16u);
    ASSERT_EQ(image.height, 16u);
    const std::uint8_t expected[4][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
    for (int q = 0; q < 4; ++q) {
      const std::size_t x = (q % 2) * 8 + 4, y = (q / 2) * 8 + 4;
      const std::uint8_t* p = image.pixels.data() + (y * 16 + x) * 4;
      for (int c = 0; c < 3; ++c) EXPECT_NEAR(p[c], expected[q][c], 6) << "quadrant " << q;
      EXPECT_EQ(p[3], 255);
    }
  }
}

TEST(JpegTest, GreyFileBecomesGreyRgb) {
  Image image;
  std::string error;
  ASSERT_TRUE(DecodeImage(ReadTestFile("grey_ramp.jpg"), &image, &error)) << error;
  ASSERT_EQ(image.width, 16u);
  for (std::size_t x = 0; x < 16; ++x) {
    const std::uint8_t* p = image.pixels.data() + (5 * 16 + x) * 4;
    EXPECT_NEAR(p[0], x * 16, 4);
    EXPECT_EQ(p[0], p[1]);
    EXPECT_EQ(p[0], p[2]);
    EXPECT_EQ(p[3], 255);
  }
}

TEST(DetectTest, SignatureDecidesNotTheName) {
  EXPECT_EQ(DetectImageFormat(MakePng(1, 1, 8, 0, {0, 0})), ImageFormat::Png);
  EXPECT_EQ(DetectImageFormat(std::vector<std::uint8_t>{'B', 'M'}), ImageFormat::Bmp);
  EXPECT_EQ(DetectImageFormat(std::vector<std::uint8_t>{0xff, 0xd8, 0xff}), ImageFormat::Jpeg);
  EXPECT_EQ(DetectImageFormat(Tga(2, 1, 1, 24, 0, {1, 2, 3})), ImageFormat::Tga);
  EXPECT_EQ(DetectImageFormat(Tga(2, 1, 1, 12, 0, {1, 2, 3})), ImageFormat::Unknown);
  EXPECT_EQ(DetectImageFormat(std::vector<std::uint8_t>{'D', 'D', 'S', ' '}), ImageFormat::Unknown);
}

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
