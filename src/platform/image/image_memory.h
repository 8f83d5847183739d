// The bound on what the game's images hold in all, and the count against it:
// decoded pixels, the textures' CPU copies and the device's own storage of
// them, each counted from when it is made until it is let go. The texture
// loader checks the bound before it decodes or makes a texture; textures and
// decoded texture images count themselves. Main thread only.
#pragma once

#include <cassert>
#include <cstdint>
#include <utility>

#include "platform/image/image.h"

// A game's images take tens of MiB; the bound leaves room for many of the
// largest (64 MiB each decoded) while a download of a few KB (one small PNG
// named by hundreds of materials or character sets) cannot make the player
// hold gigabytes.
constexpr std::uint64_t kImageMemoryLimit = std::uint64_t{1} << 30;

class ImageMemory {
 public:
  explicit ImageMemory(std::uint64_t limit = kImageMemoryLimit) : limit_(limit) {}

  // Whether `bytes` more stay within the limit.
  bool Fits(std::uint64_t bytes) const { return bytes <= limit_ && used_ <= limit_ - bytes; }
  // Counted whatever the limit: the check comes before the allocation.
  void Take(std::uint64_t bytes) { used_ += bytes; }
  void Give(std::uint64_t bytes) {
    assert(bytes <= used_);
    used_ -= bytes;
  }

  std::uint64_t Used() const { return used_; }
  std::uint64_t Limit() const { return limit_; }
  // Tests bound the images at a few KiB instead of holding a gigabyte.
  void SetLimit(std::uint64_t limit) { limit_ = limit; }

 private:
  std::uint64_t limit_;
  std::uint64_t used_ = 0;
};

// The program's count: every texture and decoded texture image of the run.
ImageMemory& GetImageMemory();

// A decoded image counted in the program's image memory while it is held:
// what a texture file keeps until the device has made its texture.
class CountedImage {
 public:
  CountedImage() = default;
  explicit CountedImage(Image image);
  ~CountedImage() { Clear(); }
  CountedImage(CountedImage&& other) noexcept;
  CountedImage& operator=(CountedImage&& other) noexcept;

  const Image& Get() const { return image_; }
  bool Empty() const { return image_.pixels.empty(); }
  // The pixels go, and their count with them.
  void Clear();

 private:
  Image image_;
  std::uint64_t counted_ = 0;
};
