// Image to texture: size, format and the CPU copy in ARGB words, each step
// checked against the image memory before it allocates.
#include "platform/gpu/texture_loader.h"

#include "platform/system/content_memory.h"
#include "platform/system/terminal_text.h"

namespace {

bool Fail(std::string* why, std::string reason) {
  if (why != nullptr) *why = std::move(reason);
  return false;
}

bool PastBound(std::string* why) { return Fail(why, PastMemoryBound("images", GetImageMemory().Limit())); }

}  // namespace

bool DecodeTextureFile(std::span<const std::uint8_t> file, CountedImage* out, std::string* why) {
  std::uint32_t width = 0, height = 0;
  if (ReadImageSize(file, &width, &height) && !GetImageMemory().Fits(std::uint64_t{width} * height * 4)) {
    return PastBound(why);
  }
  Image image;
  const bool decoded = LoadOrOutOfMemory(
      [&] {
        std::string error;
        // A decoder's reason may quote bytes of the file.
        return DecodeImage(file, &image, &error) || Fail(why, "cannot be read: " + ContentTextForTerminal(error));
      },
      why);
  if (decoded) *out = CountedImage(std::move(image));
  return decoded;
}

std::unique_ptr<Texture> CreateTextureFromFileInMemory(GraphicsDevice& device, std::span<const std::uint8_t> file,
                                                       const TextureLoadOptions& options, std::string* why) {
  CountedImage image;
  if (!DecodeTextureFile(file, &image, why)) return nullptr;
  return CreateTextureFromImage(device, image.Get(), options, why);
}

std::unique_ptr<Texture> CreateTextureFromImage(GraphicsDevice& device, const Image& image,
                                                const TextureLoadOptions& options, std::string* why) {
  const std::uint32_t width = options.width != 0 ? options.width : image.width;
  const std::uint32_t height = options.height != 0 ? options.height : image.height;
  TextureFormat format = options.format;
  if (format == TextureFormat::Unknown) {
    format = TextureFormat::X8R8G8B8;
    for (std::size_t i = 3; i < image.pixels.size(); i += 4) {
      if (image.pixels[i] != 255) {
        format = TextureFormat::A8R8G8B8;
        break;
      }
    }
  }
  const std::uint32_t levels = options.levels != 0 ? options.levels : GraphicsDevice::MipLevelCount(width, height);
  if (!GetImageMemory().Fits(std::uint64_t{width} * height * 4 + TextureLevelBytes(width, height, levels))) {
    PastBound(why);
    return nullptr;
  }
  std::unique_ptr<Texture> texture;
  const bool made = LoadOrOutOfMemory(
      [&] {
        if (image.width != 0 && image.height != 0) {
          texture = device.CreateTexture(width, height, options.levels, 0, format, options.pool);
        }
        return texture || Fail(why, "cannot be read: the device cannot hold a texture of this size");
      },
      why);
  if (!made) return nullptr;
  Texture::LockedRect rect = texture->LockRect();
  for (std::uint32_t y = 0; y < height; ++y) {
    const std::uint64_t sy = (static_cast<std::uint64_t>(y) * 2 + 1) * image.height / (2 * std::uint64_t{height});
    for (std::uint32_t x = 0; x < width; ++x) {
      const std::uint64_t sx = (static_cast<std::uint64_t>(x) * 2 + 1) * image.width / (2 * std::uint64_t{width});
      const std::uint8_t* p = &image.pixels[(sy * image.width + sx) * 4];
      rect.pixels[static_cast<std::size_t>(y) * rect.pitch + x] =
          static_cast<std::uint32_t>(p[3]) << 24 | static_cast<std::uint32_t>(p[0]) << 16 |
          static_cast<std::uint32_t>(p[1]) << 8 | p[2];
    }
  }
  texture->UnlockRect();
  return texture;
}
