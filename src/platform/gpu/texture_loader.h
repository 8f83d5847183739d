// Textures made from image files in memory: decoded by the image layer, sized
// and converted as asked, within the bound on what the game's images hold
// (platform/image/image_memory.h). Used by the shared texture files and the
// render resources.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "platform/gpu/device.h"
#include "platform/image/image.h"
#include "platform/image/image_memory.h"

struct TextureLoadOptions {
  // 0 keeps the image's own size (no stretching to powers of two); another
  // size resamples with the nearest pixel.
  std::uint32_t width = 0, height = 0;
  std::uint32_t levels = 1;  // 0: the whole chain
  // Unknown: from the image, A8R8G8B8 when any pixel is not opaque, else X8R8G8B8.
  TextureFormat format = TextureFormat::Unknown;
  TexturePool pool = TexturePool::Managed;
};

// The reasons below are what a file's line says after its name: "cannot be
// read: ..." for bytes the decoders or the device refuse, "not loaded: ..."
// when the images would pass their bound (checked from the image's header
// before its pixels are allocated) or memory runs out.

// The file's image, counted in the image memory while it is held. False,
// with the reason in *why (may be null).
bool DecodeTextureFile(std::span<const std::uint8_t> file, CountedImage* out, std::string* why);

// Null, with the reason in *why (may be null), for a file that does not
// decode or a texture that cannot be made. The bound is checked for the most
// a texture takes while it is made: its CPU copy and the device's storage.
std::unique_ptr<Texture> CreateTextureFromFileInMemory(GraphicsDevice& device, std::span<const std::uint8_t> file,
                                                       const TextureLoadOptions& options, std::string* why);
std::unique_ptr<Texture> CreateTextureFromImage(GraphicsDevice& device, const Image& image,
                                                const TextureLoadOptions& options, std::string* why);
