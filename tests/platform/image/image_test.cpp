// Decoding hand-made PNG, BMP, TGA and DDS files and real JPEG and DDS files:
// every layout the decoders take comes out as the same top-down RGBA picture;
// damaged and hostile files give a clear error naming their format and an
// empty image, never a crash or a huge allocation; the signature names the
// format. The hand-made files are recipes in tables/images.rows; the real DDS
// files and the pixels another decoder reads from them are made by
// tools/dds_test_files.py.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>

#include "image_test_support.h"
#include "platform/image/image.h"
#include "support/case_files.h"

namespace {

const std::filesystem::path kTables = std::filesystem::path(T3D_SOURCE_DIR) / "tests/platform/image/tables";

// The file a recipe builds (the words are described in tables/images.rows).
std::vector<std::uint8_t> Build(const std::vector<std::string>& recipe) {
  std::vector<std::string> args, changes;
  std::vector<PngChunk> chunks;
  for (std::size_t i = 1; i < recipe.size(); ++i) {
    const std::size_t colon = recipe[i].find(':');
    if (colon == 4) chunks.push_back({recipe[i].substr(0, 4), HexBytes(recipe[i].substr(5))});
    else (colon == std::string::npos ? args : changes).push_back(recipe[i]);
  }
  const auto n = [&](std::size_t k) { return k < args.size() ? std::stoll(args[k], nullptr, 0) : 0; };
  const auto u = [&](std::size_t k) { return static_cast<std::uint32_t>(n(k)); };
  const auto h = [&](std::size_t k) { return HexBytes(k < args.size() ? args[k] : "-"); };
  const std::string& kind = recipe.at(0);
  std::vector<std::uint8_t> file =
      kind == "png"   ? MakePng(n(0), n(1), n(2), n(3), h(4), chunks, n(5))
      : kind == "bmp" ? Bmp(n(0), n(1), n(2), n(3), h(4), h(5), n(6), h(7))
      : kind == "tga" ? Tga(n(0), n(1), n(2), n(3), n(4), h(5), h(6), n(7), n(8), h(9))
      : kind == "dds" ? Dds(n(0), n(1), n(2), args.at(3), n(4), {u(5), u(6), u(7), u(8)}, h(9), n(10), n(11))
      : kind == "file" ? ReadTestFile(args.at(0))
                       : h(0);
  if (kind != "png" && kind != "bmp" && kind != "tga" && kind != "dds" && kind != "file" && kind != "hex")
    ADD_FAILURE() << kind;
  for (const std::string& change : changes) {
    const std::size_t at = std::stoul(change.substr(4)), second = change.find(':', 4);
    const int value = second == std::string::npos ? 0 : std::stoi(change.substr(second + 1));
    const std::string op = change.substr(0, 3);
    if (op == "cut") file.resize(file.size() - at);
    else if (op == "len") file.resize(at);
    else if (op == "set") file.at(at) = static_cast<std::uint8_t>(value);
    else if (op == "xor") file.at(at) ^= static_cast<std::uint8_t>(value);
    else ADD_FAILURE() << "unknown change " << change;
  }
  return file;
}

std::vector<std::uint8_t> GoodPng() { return Build({"png", "2", "1", "8", "2", "00 102030 405060"}); }

TEST(ImageCases, DecodeToTopDownRgbaOrFailWithMessageAndEmptyImage) {
  const auto rows = ReadTableRows(kTables / "images.rows");
  EXPECT_GE(rows.size(), 99u);
  for (const auto& row : rows) {
    ASSERT_GE(row.size(), 3u) << row[0];
    Image image;
    image.width = 7;
    image.pixels.assign(4, 1);
    std::string error;
    const std::vector<std::uint8_t> file = Build({row.begin() + 1, row.end() - 1});
    const std::string format[] = {"unknown ", "png ", "jpeg ", "bmp ", "tga ", "dds "};
    const bool decoded = DecodeImage(file, &image, &error);
    const std::string outcome = decoded ? DumpImage(image) : "error: " + error + "\n" + DumpImage(image);
    EXPECT_EQ(format[static_cast<int>(DetectImageFormat(file))] + outcome, row.back()) << row[0];
  }
}

// The size read from the header alone, before anything is decoded, is the
// size decoding gives, for every file of the table that decodes and every
// real JPEG and DDS file.
TEST(ImageCases, TheHeaderGivesTheSizeThatDecodingGives) {
  std::vector<std::pair<std::string, std::vector<std::uint8_t>>> files;
  for (const auto& row : ReadTableRows(kTables / "images.rows"))
    files.emplace_back(row[0], Build({row.begin() + 1, row.end() - 1}));
  for (const auto& table : {"jpeg_samples.rows", "dds_files.rows"}) {
    for (const auto& row : ReadTableRows(kTables / table)) {
      const std::string name = row[0].find('.') == std::string::npos ? row[0] + ".dds" : row[0];
      files.emplace_back(name, ReadTestFile(name));
    }
  }
  int decoded = 0;
  for (const auto& [name, file] : files) {
    Image image;
    if (!DecodeImage(file, &image, nullptr)) continue;
    ++decoded;
    std::uint32_t width = 0, height = 0;
    EXPECT_TRUE(ReadImageSize(file, &width, &height)) << name;
    EXPECT_EQ(std::to_string(width) + "x" + std::to_string(height),
              std::to_string(image.width) + "x" + std::to_string(image.height))
        << name;
  }
  EXPECT_GE(decoded, 60);
}

TEST(JpegTest, ColourFilesDecodeToTheirQuadrants) {
  for (const auto& row : ReadTableRows(kTables / "jpeg_samples.rows")) {
    ASSERT_EQ(4u, row.size()) << row[0];
    const std::vector<std::uint8_t> file = ReadTestFile(row[0]), expected = HexBytes(row[3]);
    Image image;
    std::string error;
    ASSERT_TRUE(DecodeImage(file, &image, &error)) << row[0] << ": " << error;
    ASSERT_EQ("16x16", std::to_string(image.width) + "x" + std::to_string(image.height)) << row[0];
    const std::uint8_t* p = image.pixels.data() + (std::stoul(row[2]) * 16 + std::stoul(row[1])) * 4;
    for (int c = 0; c < 4; ++c)
      EXPECT_NEAR(p[c], expected[c], c < 3 ? 6 : 0) << row[0] << " " << row[1] << "," << row[2];
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
    EXPECT_EQ((std::vector<int>{p[0], p[0], 255}), (std::vector<int>{p[1], p[2], p[3]})) << x;
  }
}

// NAME COLOUR ALPHA: the DDS file decodes to the pixels of the PNG beside it,
// each colour and alpha channel equal or at most that much above (the other
// decoder rounds the block formats' steps down, see the table).
TEST(DdsTest, FilesDecodeToThePixelsAnotherDecoderReads) {
  const auto rows = ReadTableRows(kTables / "dds_files.rows");
  EXPECT_GE(rows.size(), 17u);
  for (const auto& row : rows) {
    ASSERT_EQ(3u, row.size()) << row[0];
    const std::vector<std::uint8_t> file = ReadTestFile(row[0] + ".dds");
    Image image, expected;
    std::string error;
    EXPECT_EQ(DetectImageFormat(file), ImageFormat::Dds) << row[0];
    ASSERT_TRUE(DecodeImage(file, &image, &error)) << row[0] << ": " << error;
    ASSERT_TRUE(DecodePng(ReadTestFile(row[0] + ".png"), &expected, &error)) << row[0] << ": " << error;
    ASSERT_EQ(DumpImage(Image{image.width, image.height, {}}), DumpImage(Image{expected.width, expected.height, {}}))
        << row[0];
    const int tolerance[] = {std::stoi(row[1]), std::stoi(row[1]), std::stoi(row[1]), std::stoi(row[2])};
    int mismatches = 0;
    for (std::size_t i = 0; i < image.pixels.size() && mismatches < 10; ++i) {
      const int above = image.pixels[i] - expected.pixels[i];
      if (above < 0 || above > tolerance[i % 4]) {
        ++mismatches;
        ADD_FAILURE() << row[0] << " pixel " << i / 4 << " channel " << i % 4 << ": "
                      << int{image.pixels[i]} << " where " << int{expected.pixels[i]} << " was read";
      }
    }
  }
}

// Every prefix of good files is refused cleanly or decodes to a full image.
TEST(TruncationTest, EveryPrefixIsHandled) {
  for (const auto& file : {GoodPng(), ReadTestFile("quadrants.jpg"), ReadTestFile("quadrants_progressive.jpg"),
                           ReadTestFile("dxt5.dds"), ReadTestFile("a4r4g4b4.dds")}) {
    for (std::size_t n = 0; n < file.size(); ++n) {
      Image image;
      std::string error;
      if (DecodeImage({file.begin(), file.begin() + static_cast<std::ptrdiff_t>(n)}, &image, &error)) {
        EXPECT_EQ(image.pixels.size(), static_cast<std::size_t>(image.width) * image.height * 4);
      } else {
        EXPECT_FALSE(error.empty());
        EXPECT_TRUE(image.pixels.empty());
      }
    }
  }
}

}  // namespace
