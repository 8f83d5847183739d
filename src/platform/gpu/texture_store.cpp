// Shared texture files: decoded once, made a texture at the first draw.
#include "platform/gpu/texture_store.h"

#include "platform/system/content_report.h"

SharedTexture::SharedTexture(std::string path, std::string name, const TextureLoadOptions& options,
                             CountedImage image)
    : path_(std::move(path)), name_(std::move(name)), options_(options), image_(std::move(image)),
      width_(image_.Get().width), height_(image_.Get().height) {}

Texture* SharedTexture::TextureOn(GraphicsDevice& device) {
  if (!made_) {
    made_ = true;
    std::string why;
    texture_ = CreateTextureFromImage(device, image_.Get(), options_, &why);
    image_.Clear();
    if (texture_) {
      texture_->SetName(name_);
    } else {
      ReportContentFault(path_, 0, why);
    }
  }
  return texture_ && texture_->BelongsTo(device) ? texture_.get() : nullptr;
}

std::string TextureStore::KeyOf(const std::string& identity, const TextureLoadOptions& options) {
  return identity + "|" + std::to_string(options.width) + "x" + std::to_string(options.height) + "|" +
         std::to_string(options.levels) + "|" + std::to_string(static_cast<std::uint32_t>(options.format)) + "|" +
         std::to_string(static_cast<std::uint32_t>(options.pool));
}

std::shared_ptr<SharedTexture> TextureStore::Find(const std::string& identity, const TextureLoadOptions& options) {
  const auto found = entries_.find(KeyOf(identity, options));
  return found != entries_.end() ? found->second.lock() : nullptr;
}

std::shared_ptr<SharedTexture> TextureStore::Add(const std::string& identity, std::string path, std::string name,
                                                 const TextureLoadOptions& options,
                                                 std::span<const std::uint8_t> file, std::string* why) {
  // The entries of images no one holds any more go first.
  std::erase_if(entries_, [](const auto& entry) { return entry.second.expired(); });
  CountedImage image;
  if (!DecodeTextureFile(file, &image, why)) return nullptr;
  auto entry = std::make_shared<SharedTexture>(std::move(path), std::move(name), options, std::move(image));
  entries_[KeyOf(identity, options)] = entry;
  return entry;
}

TextureStore& GetTextureStore() {
  static TextureStore store;
  return store;
}
