// Texture files through the archives and the shared store.
#include "motion/texture_files.h"

#include "files/archive.h"
#include "platform/system/content_memory.h"

std::shared_ptr<SharedTexture> LoadTextureFile(const ArchiveManager& archives, const std::string& path,
                                               std::string_view name, const TextureLoadOptions& options,
                                               std::string* why) {
  std::shared_ptr<SharedTexture> texture;
  LoadOrOutOfMemory(
      [&] {
        TextureStore& store = GetTextureStore();
        const std::string identity = archives.FileIdentity(path);
        if (!identity.empty()) texture = store.Find(identity, options);
        if (texture) return true;
        FileData file;
        if (identity.empty() || !archives.LoadFile(path, file)) {
          if (why != nullptr) *why = "cannot be read";
          return false;
        }
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(file.data());
        texture = store.Add(identity, path, std::string(name), options, {bytes, file.size()}, why);
        return texture != nullptr;
      },
      why);
  return texture;
}
