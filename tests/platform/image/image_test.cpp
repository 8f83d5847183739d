// Decoding hand-made PNG, BMP and TGA files and real JPEG files: every layout
// the decoders take comes out as the same top-down RGBA picture.
#include <gtest/gtest.h>

#include <functional>

#include "image_test_support.h"
#include "platform/image/image.h"

namespace {

struct DecodeCase {
  const char* name;
  std::function<std::vector<std::uint8_t>()> file;
  const char* expected;  // DumpImage of the result
};

const DecodeCase kCases[] = {
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

class DecodeCases : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeCases, DecodesToTopDownRgba) {
  Image image;
  std::string error;
  ASSERT_TRUE(DecodeImage(GetParam().file(), &image, &error)) << error;
  EXPECT_EQ(DumpImage(image), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Images, DecodeCases, ::testing::ValuesIn(kCases),
                         [](const auto& c) { return std::string(c.param.name); });

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

}  // namespace
