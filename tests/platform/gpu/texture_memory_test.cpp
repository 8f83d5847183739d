// What images hold, as the image memory counts it: a texture its CPU copy and
// the device's storage (the GL device lets a managed texture's CPU copy go
// after its upload, and reads it back for a later lock); a texture file
// decoded once into the store, its pixels let go when the first device takes
// them; and loads refused before they allocate what would pass the bound.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/gpu/recording_device.h"
#include "platform/gpu/texture_loader.h"
#include "platform/gpu/texture_store.h"
#include "platform/image/image_memory.h"
#include "support/game_folder.h"
#include "support/gl_pictures.h"

namespace {

std::vector<std::uint8_t> SolidPng(std::uint32_t width, std::uint32_t height) {
  return GameFolder::Png(width, height, [](std::uint32_t x, std::uint32_t y) { return 0xFF000000u | (x << 8) | y; });
}

class TextureMemoryTest : public testing::Test {
 protected:
  void TearDown() override {
    EXPECT_EQ(GetImageMemory().Used(), 0u) << "everything made was let go";
    GetImageMemory().SetLimit(kImageMemoryLimit);
  }
  static std::string Used() { return std::to_string(GetImageMemory().Used()); }
};

// Each request on both devices: what the texture holds once made, after its
// first upload, and with the next lock.
TEST_F(TextureMemoryTest, ATextureCountsItsCpuCopyAndTheDevicesStorage) {
  const struct {
    const char* name;
    std::uint32_t levels, usage;
    TexturePool pool;
  } requests[] = {
      {"managed", 1, 0, TexturePool::Managed},
      {"managed with its mipmaps", 0, 0, TexturePool::Managed},
      {"dynamic", 1, kUsageDynamic, TexturePool::Default},
      {"system memory", 1, 0, TexturePool::SystemMem},
  };
  GlTestDevice gl = MakeGlTestDevice(16, 16);
  ASSERT_TRUE(gl.device);
  RecordingDevice recording(PresentParameters{16, 16});
  std::string seen;
  for (GraphicsDevice* device : {static_cast<GraphicsDevice*>(&recording), gl.device.get()}) {
    seen += device == &recording ? "recording device\n" : "GL device\n";
    for (const auto& r : requests) {
      // 16x8: 512 bytes a copy of level 0, 684 the whole chain.
      std::unique_ptr<Texture> texture =
          device->CreateTexture(16, 8, r.levels, r.usage, TextureFormat::A8R8G8B8, r.pool);
      ASSERT_TRUE(texture) << r.name;
      seen += std::string(" ") + r.name + ": made " + Used();
      texture->LockRect();
      texture->UnlockRect();
      seen += ", uploaded " + Used() + " (CPU copy " + std::to_string(texture->Pixels().size() * 4) + ")";
      texture->LockRect();
      seen += ", locked " + Used() + "\n";
      texture->UnlockRect();
    }
  }
  EXPECT_EQ(seen,
            "recording device\n"
            " managed: made 512, uploaded 512 (CPU copy 512), locked 512\n"
            " managed with its mipmaps: made 512, uploaded 512 (CPU copy 512), locked 512\n"
            " dynamic: made 512, uploaded 512 (CPU copy 512), locked 512\n"
            " system memory: made 512, uploaded 512 (CPU copy 512), locked 512\n"
            "GL device\n"
            " managed: made 1024, uploaded 512 (CPU copy 0), locked 1024\n"
            " managed with its mipmaps: made 1196, uploaded 684 (CPU copy 0), locked 1196\n"
            " dynamic: made 1024, uploaded 1024 (CPU copy 512), locked 1024\n"
            " system memory: made 512, uploaded 512 (CPU copy 512), locked 512\n");
}

// The copy a lock reads back is what was written: a texture sampled after
// it was let go and locked again still shows its pixels.
TEST_F(TextureMemoryTest, AManagedTextureLockedAgainReadsItsPixelsBack) {
  GlTestDevice gl = MakeGlTestDevice(16, 16);
  ASSERT_TRUE(gl.device);
  std::unique_ptr<Texture> texture = gl.device->CreateTexture(4, 2, 1, 0, TextureFormat::A8R8G8B8,
                                                              TexturePool::Managed);
  ASSERT_TRUE(texture);
  const std::vector<std::uint32_t> written = {0xFF102030u, 0x80405060u, 0x00708090u, 0xFFA0B0C0u,
                                              0x11223344u, 0x55667788u, 0x99AABBCCu, 0xDDEEFF00u};
  Texture::LockedRect rect = texture->LockRect();
  std::copy(written.begin(), written.end(), rect.pixels);
  texture->UnlockRect();
  EXPECT_TRUE(texture->Pixels().empty());
  rect = texture->LockRect();
  ASSERT_TRUE(rect.pixels);
  EXPECT_EQ(std::vector<std::uint32_t>(rect.pixels, rect.pixels + 8), written);
  texture->UnlockRect();
}

// One file, one entry: found again under its identity with the same
// options, not with others. Its decoded pixels are counted until the first
// device takes them; that device's texture then counts, and no other device
// gets one. The entry goes with its last holder.
TEST_F(TextureMemoryTest, AStoredFileIsDecodedOnceAndLivesOnTheFirstDevice) {
  TextureStore store;
  RecordingDevice first(PresentParameters{16, 16}), second(PresentParameters{16, 16});
  TextureLoadOptions options;
  std::shared_ptr<SharedTexture> entry = store.Add("disk 1", "dir/skin.png", "skin.png", options, SolidPng(8, 4),
                                                   nullptr);
  ASSERT_TRUE(entry);
  EXPECT_EQ(store.Find("disk 1", options), entry);
  TextureLoadOptions mipmapped;
  mipmapped.levels = 0;
  EXPECT_EQ(store.Find("disk 1", mipmapped), nullptr);
  EXPECT_EQ(store.Find("disk 2", options), nullptr);
  EXPECT_EQ(Used(), "128");
  EXPECT_EQ(entry->PendingImage().pixels.size(), 128u);

  Texture* texture = entry->TextureOn(first);
  ASSERT_TRUE(texture);
  EXPECT_EQ(texture->GetName(), "skin.png");
  EXPECT_EQ(texture->GetWidth(), 8u);
  EXPECT_TRUE(entry->PendingImage().pixels.empty());
  EXPECT_EQ(Used(), "128");  // the recording device's texture is its CPU copy
  EXPECT_EQ(entry->TextureOn(first), texture);
  EXPECT_EQ(entry->TextureOn(second), nullptr);

  entry.reset();
  EXPECT_EQ(store.Find("disk 1", options), nullptr);
  EXPECT_EQ(Used(), "0");
}

// Past the bound, read from the header: a file that claims 4096x4096 pixels
// is refused as too large before anything is decoded, where unbounded it
// would fail only on its damaged data. A texture that does not fit beside
// its decoded image is refused at its upload, with one line.
TEST_F(TextureMemoryTest, LoadsPastTheBoundAreRefusedBeforeTheyAllocate) {
  std::vector<std::uint8_t> claims = SolidPng(8, 4);
  claims[18] = 0x10, claims[19] = 0;  // width 4096
  claims[22] = 0x10, claims[23] = 0;  // height 4096
  CountedImage image;
  std::string why;
  EXPECT_FALSE(DecodeTextureFile(claims, &image, &why));
  EXPECT_EQ(why.rfind("cannot be read: PNG: ", 0), 0u) << why;
  GetImageMemory().SetLimit(1024 * 1024);
  EXPECT_FALSE(DecodeTextureFile(claims, &image, &why));
  EXPECT_EQ(why, "not loaded: the game's images would pass 1 MiB");

  // 128 bytes decoded, 128 for the texture's copy and 128 for its storage.
  GetImageMemory().SetLimit(300);
  RecordingDevice device(PresentParameters{16, 16});
  TextureStore store;
  std::shared_ptr<SharedTexture> entry =
      store.Add("disk 1", "skin.png", "skin.png", TextureLoadOptions{}, SolidPng(8, 4), &why);
  ASSERT_TRUE(entry) << why;
  testing::internal::CaptureStderr();
  EXPECT_EQ(entry->TextureOn(device), nullptr);
  EXPECT_EQ(entry->TextureOn(device), nullptr);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "t3dplayer: skin.png: not loaded: the game's images would pass 300 bytes\n");
  EXPECT_EQ(Used(), "0");
}

}  // namespace
