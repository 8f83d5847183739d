// Image to texture: size, format and the CPU copy in ARGB words.
#include "platform/gpu/texture_loader.h"

std::unique_ptr<Texture> CreateTextureFromFileInMemory(GraphicsDevice& device, std::span<const std::uint8_t> file,
                                                       const TextureLoadOptions& options, std::string* error) {
  Image image;
  if (!DecodeImage(file, &image, error)) return nullptr;
  return CreateTextureFromImage(device, image, options, error);
}

std::unique_ptr<Texture> CreateTextureFromImage(GraphicsDevice& device, const Image& image,
                                                const TextureLoadOptions& options, std::string* error) {
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
  std::unique_ptr<Texture> texture =
      image.width == 0 || image.height == 0
          ? nullptr
          : device.CreateTexture(width, height, options.levels, 0, format, options.pool);
  if (!texture) {
    if (error != nullptr) *error = "the device cannot hold a texture of this size";
    return nullptr;
  }
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
