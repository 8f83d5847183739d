// Fuzz target for the image decoders: format detection, then PNG (libpng),
// JPEG (libjpeg), BMP, TGA and DDS. A decoded image must hold exactly its pixels.
#include <span>

#include "fuzz_support.h"
#include "platform/image/image.h"

T3D_FUZZ_TARGET(data, size) {
  Image image;
  std::string error;
  if (DecodeImage(std::span<const std::uint8_t>(data, size), &image, &error)) {
    FaultIf(image.pixels.size() != static_cast<std::size_t>(image.width) * image.height * 4 ||
            !ImageSizeAllowed(image.width, image.height));
    volatile std::uint8_t sink = image.pixels.back();
    (void)sink;
  } else {
    FaultIf(error.empty() || !image.pixels.empty());
  }
  return 0;
}
