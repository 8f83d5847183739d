// Fuzz target for the image decoders: format detection, then PNG (libpng),
// JPEG (libjpeg), BMP and TGA. A decoded image must hold exactly its pixels.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "platform/image/image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Image image;
  std::string error;
  if (DecodeImage(std::span<const std::uint8_t>(data, size), &image, &error)) {
    if (image.pixels.size() != static_cast<std::size_t>(image.width) * image.height * 4 ||
        !ImageSizeAllowed(image.width, image.height)) {
      __builtin_trap();
    }
    volatile std::uint8_t sink = image.pixels.back();
    (void)sink;
  } else if (error.empty() || !image.pixels.empty()) {
    __builtin_trap();
  }
  return 0;
}
