// Texture files decoded once and shared by everything that names them: the
// materials of every model and the script character sets. An entry is found
// by the file as found (an identity the caller makes: which file of the disk
// at which size and time, or which archive entry, so two names of one file
// share it and a changed file is decoded anew) and the load options. The
// store holds no entry alive: an entry lives while a model or character set
// holds it and goes with the last of them, so a scene's images go when the
// scene is cleared.
#pragma once

#include <map>
#include <memory>
#include <span>
#include <string>

#include "platform/gpu/device.h"
#include "platform/gpu/texture_loader.h"
#include "platform/image/image_memory.h"

class SharedTexture {
 public:
  // `path` names the file in the line a failure writes; the texture carries
  // `name` in traces.
  SharedTexture(std::string path, std::string name, const TextureLoadOptions& options, CountedImage image);

  std::uint32_t GetWidth() const { return width_; }
  std::uint32_t GetHeight() const { return height_; }
  // The texture on `device`, made at the first call: the decoded pixels go
  // then, as the device keeps its own copy. Null when it cannot be made (one
  // line says why) and for any other device than the first: the program
  // draws on one device for its whole run.
  Texture* TextureOn(GraphicsDevice& device);
  // The decoded pixels until a device has the texture; empty after.
  const Image& PendingImage() const { return image_.Get(); }

 private:
  std::string path_;
  std::string name_;
  TextureLoadOptions options_;
  CountedImage image_;
  std::uint32_t width_, height_;
  std::unique_ptr<Texture> texture_;
  bool made_ = false;  // the first device has asked
};

class TextureStore {
 public:
  // The entry for the file and options while one lives; else null.
  std::shared_ptr<SharedTexture> Find(const std::string& identity, const TextureLoadOptions& options);
  // Decodes the file's bytes into a new entry under the identity. Null, with
  // the reason in *why (may be null), as DecodeTextureFile gives it.
  std::shared_ptr<SharedTexture> Add(const std::string& identity, std::string path, std::string name,
                                     const TextureLoadOptions& options, std::span<const std::uint8_t> file,
                                     std::string* why);

 private:
  static std::string KeyOf(const std::string& identity, const TextureLoadOptions& options);
  std::map<std::string, std::weak_ptr<SharedTexture>> entries_;
};

// The program's store.
TextureStore& GetTextureStore();
