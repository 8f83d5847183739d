// The program's image memory and decoded images counted in it.
#include "platform/image/image_memory.h"

ImageMemory& GetImageMemory() {
  static ImageMemory memory;
  return memory;
}

CountedImage::CountedImage(Image image) : image_(std::move(image)), counted_(image_.pixels.size()) {
  GetImageMemory().Take(counted_);
}

CountedImage::CountedImage(CountedImage&& other) noexcept
    : image_(std::move(other.image_)), counted_(std::exchange(other.counted_, 0)) {
  other.image_ = Image{};
}

CountedImage& CountedImage::operator=(CountedImage&& other) noexcept {
  if (this != &other) {
    Clear();
    image_ = std::move(other.image_);
    counted_ = std::exchange(other.counted_, 0);
    other.image_ = Image{};
  }
  return *this;
}

void CountedImage::Clear() {
  GetImageMemory().Give(counted_);
  counted_ = 0;
  image_ = Image{};
}
