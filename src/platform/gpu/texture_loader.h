// Textures made from image files in memory: decoded by the image layer, sized
// and converted as asked. Used by the render resources and by models.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "platform/gpu/device.h"
#include "platform/image/image.h"

struct TextureLoadOptions {
  // 0 keeps the image's own size (no stretching to powers of two); another
  // size resamples with the nearest pixel.
  std::uint32_t width = 0, height = 0;
  std::uint32_t levels = 1;  // 0: the whole chain
  // Unknown: from the image, A8R8G8B8 when any pixel is not opaque, else X8R8G8B8.
  TextureFormat format = TextureFormat::Unknown;
  TexturePool pool = TexturePool::Managed;
};

// Null with a message in *error (may be null) when the bytes are not an image
// the decoders read, or the device refuses the texture.
std::unique_ptr<Texture> CreateTextureFromFileInMemory(GraphicsDevice& device, std::span<const std::uint8_t> file,
                                                       const TextureLoadOptions& options, std::string* error);
std::unique_ptr<Texture> CreateTextureFromImage(GraphicsDevice& device, const Image& image,
                                                const TextureLoadOptions& options, std::string* error);
