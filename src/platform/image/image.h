// Decoded images: PNG, JPEG, BMP, TGA and DDS files from memory into top-down
// RGBA pixels, and PNG writing. Used by textures, screenshots and picture tests.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// Larger images are refused before any pixel is decoded: no texture of the
// game comes near, and the bound keeps a forged header from exhausting memory.
constexpr std::uint32_t kMaxImageDimension = 16384;
constexpr std::uint64_t kMaxImagePixels = std::uint64_t{1} << 24;

// Rows from the top, four bytes a pixel in the order red, green, blue, alpha.
struct Image {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::vector<std::uint8_t> pixels;  // width * height * 4 bytes
};

enum class ImageFormat { Unknown, Png, Jpeg, Bmp, Tga, Dds };

// By the file's signature, as the platform's texture loader chooses: the
// name's extension plays no part. TGA has no signature and is what remains
// when the header reads as one.
ImageFormat DetectImageFormat(std::span<const std::uint8_t> file);

// Each is false with a message in *error (which may be null) on data it
// cannot decode or an image past the size bounds; *out is then left empty.
// Formats without alpha decode opaque (alpha 255). When memory for the pixels
// runs out, std::bad_alloc leaves the decoder once it has let go of all it
// held, so the caller decides what a failed allocation means.
bool DecodeImage(std::span<const std::uint8_t> file, Image* out, std::string* error);
bool DecodePng(std::span<const std::uint8_t> file, Image* out, std::string* error);
bool DecodeJpeg(std::span<const std::uint8_t> file, Image* out, std::string* error);
bool DecodeBmp(std::span<const std::uint8_t> file, Image* out, std::string* error);
bool DecodeTga(std::span<const std::uint8_t> file, Image* out, std::string* error);
// The first level of a plain texture: DXT1, DXT3, DXT5 or bit-mask RGB(A).
bool DecodeDds(std::span<const std::uint8_t> file, Image* out, std::string* error);

// A PNG of the image (8-bit RGBA), for screenshots and test pictures. False
// for an empty or inconsistent image.
bool EncodePng(const Image& image, std::vector<std::uint8_t>* out);

// Width and height within the bounds above. Decoders call it before they
// allocate the pixels.
bool ImageSizeAllowed(std::uint64_t width, std::uint64_t height);

// The width and height that decoding would give, read from the header alone,
// so that what the pixels will take is known before any of it is allocated.
// False when the header does not read as one the decoders take; decoding
// then fails too, with its reason.
bool ReadImageSize(std::span<const std::uint8_t> file, std::uint32_t* width, std::uint32_t* height);
