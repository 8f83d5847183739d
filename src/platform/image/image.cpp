// Format detection and the common entry of the image decoders.
#include "platform/image/image.h"

#include <cstring>

#include "platform/image/image_internal.h"

namespace image_internal {

bool Fail(Image* out, std::string* error, const char* format, const std::string& why) {
  if (out) *out = Image{};
  if (error) *error = std::string(format) + ": " + why;
  return false;
}

}  // namespace image_internal

bool ImageSizeAllowed(std::uint64_t width, std::uint64_t height) {
  return width > 0 && height > 0 && width <= kMaxImageDimension &&
         height <= kMaxImageDimension && width * height <= kMaxImagePixels;
}

ImageFormat DetectImageFormat(std::span<const std::uint8_t> file) {
  static constexpr std::uint8_t kPng[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  if (file.size() >= 8 && std::memcmp(file.data(), kPng, 8) == 0) return ImageFormat::Png;
  if (file.size() >= 3 && file[0] == 0xFF && file[1] == 0xD8 && file[2] == 0xFF) {
    return ImageFormat::Jpeg;
  }
  if (file.size() >= 2 && file[0] == 'B' && file[1] == 'M') return ImageFormat::Bmp;
  if (file.size() >= 4 && std::memcmp(file.data(), "DDS ", 4) == 0) return ImageFormat::Dds;
  if (image_internal::LooksLikeTga(file)) return ImageFormat::Tga;
  return ImageFormat::Unknown;
}

bool ReadImageSize(std::span<const std::uint8_t> file, std::uint32_t* width, std::uint32_t* height) {
  switch (DetectImageFormat(file)) {
    case ImageFormat::Png:
      return image_internal::ReadPngSize(file, width, height);
    case ImageFormat::Jpeg:
      return image_internal::ReadJpegSize(file, width, height);
    case ImageFormat::Bmp:
      return image_internal::ReadBmpSize(file, width, height);
    case ImageFormat::Tga:
      return image_internal::ReadTgaSize(file, width, height);
    case ImageFormat::Dds:
      return image_internal::ReadDdsSize(file, width, height);
    case ImageFormat::Unknown:
      break;
  }
  return false;
}

bool DecodeImage(std::span<const std::uint8_t> file, Image* out, std::string* error) {
  switch (DetectImageFormat(file)) {
    case ImageFormat::Png:
      return DecodePng(file, out, error);
    case ImageFormat::Jpeg:
      return DecodeJpeg(file, out, error);
    case ImageFormat::Bmp:
      return DecodeBmp(file, out, error);
    case ImageFormat::Tga:
      return DecodeTga(file, out, error);
    case ImageFormat::Dds:
      return DecodeDds(file, out, error);
    case ImageFormat::Unknown:
      break;
  }
  return image_internal::Fail(out, error, "image", "not a PNG, JPEG, BMP, TGA or DDS file");
}
