// Graphics: the start-up states and parameter sets, F6 and F7 on the
// recording device (a golden trace), and a real start on the GL device.
#include <gtest/gtest.h>

#include "platform/gpu/recording_device.h"
#include "render/graphics.h"
#include "support/case_files.h"
#include "support/gl_pictures.h"

namespace {

RecordingDevice* StartRecorded(Graphics& graphics) {
  auto device = std::make_unique<RecordingDevice>(PresentParameters{});
  RecordingDevice* recorder = device.get();
  EXPECT_TRUE(graphics.InitializeWithDevice(std::move(device), TextureFormat::X8R8G8B8));
  return recorder;
}

// The start's states, then switches: F7 and back with the parameter sets as
// they start, start-up's screen size (F6 while full screen), F7, F7 again
// (no change: nothing done), F6 while windowed and F7 back. Each switch
// resets the device with the set in use, both sets follow F6, and a reset
// brings back the device's defaults only.
TEST(Graphics, StartsFullScreenAt640x480AndEachSwitchResetsWithTheSetInUse) {
  Graphics graphics;
  RecordingDevice* device = StartRecorded(graphics);
  EXPECT_EQ(graphics.GetMode(), Graphics::kFullScreen);
  std::string trace = "---- start\n" + JoinLines(device->TakeLines()) + "---- switches\n";
  EXPECT_TRUE(graphics.SetFullScreen(Graphics::kWindowed));
  EXPECT_TRUE(graphics.SetFullScreen(Graphics::kFullScreen));
  EXPECT_TRUE(graphics.SetBackBufferSize(800, 600));
  EXPECT_TRUE(graphics.SetFullScreen(Graphics::kWindowed));
  EXPECT_TRUE(graphics.SetFullScreen(Graphics::kWindowed));
  EXPECT_TRUE(graphics.SetBackBufferSize(640, 480));
  EXPECT_TRUE(graphics.SetFullScreen(Graphics::kFullScreen));
  trace += JoinLines(device->TakeLines());
  EXPECT_EQ(trace, GoldenText(std::filesystem::path(T3D_SOURCE_DIR) / "tests/render/golden/graphics.trace", trace));
}

TEST(Graphics, AResetRefusedForLiveResourcesLeavesTheDeviceToTheRunLoop) {
  Graphics graphics;
  RecordingDevice* device = StartRecorded(graphics);
  std::unique_ptr<Texture> target =
      device->CreateTexture(128, 128, 1, kUsageRenderTarget, TextureFormat::X8R8G8B8, TexturePool::Default);
  EXPECT_FALSE(graphics.SetBackBufferSize(800, 600));
  EXPECT_EQ(device->TestCooperativeLevel(), DeviceState::NotReset);
  EXPECT_TRUE(graphics.SetFullScreen(Graphics::kWindowed));  // its failure is not looked at
  EXPECT_EQ(graphics.GetMode(), Graphics::kWindowed);
  Graphics none;
  EXPECT_FALSE(none.SetBackBufferSize(800, 600));
}

TEST(Graphics, StartsOnTheGlDeviceAndSwitchesTheWindow) {
  UseOffscreenVideo();
  std::unique_ptr<GlWindow> window = GlWindow::Create("graphics", 800, 600, nullptr);
  ASSERT_TRUE(window);
  Graphics graphics;
  ASSERT_TRUE(graphics.Initialize(window.get(), true, false));
  ASSERT_NE(graphics.GetDevice(), nullptr);
  EXPECT_TRUE(window->IsFullScreen());
  EXPECT_EQ(graphics.GetCaps().vertexShaderVersion, kVertexShaderVersion11);
  EXPECT_TRUE(graphics.SetBackBufferSize(800, 600));
  std::vector<std::uint32_t> pixels;
  graphics.GetDevice()->ReadBackBuffer(&pixels);
  ASSERT_EQ(pixels.size(), 800u * 600u);
  EXPECT_EQ(pixels[0], 0xFFFFFFFFu);  // cleared to white
  EXPECT_EQ(graphics.GetDevice()->Present(), DeviceResult::Ok);
  EXPECT_TRUE(graphics.SetFullScreen(Graphics::kWindowed));
  EXPECT_FALSE(window->IsFullScreen());
  int width = 0, height = 0;
  window->GetClientSize(&width, &height);
  EXPECT_EQ(width, 800);
  EXPECT_EQ(height, 600);
  EXPECT_EQ(graphics.GetDevice()->Present(), DeviceResult::Ok);
}

TEST(Graphics, WithoutAGraphicsContextTheStartFails) {
  Graphics graphics;
  testing::internal::CaptureStderr();
  EXPECT_FALSE(graphics.Initialize(nullptr, true, false));
  EXPECT_NE(testing::internal::GetCapturedStderr().find("Direct3DCreate9()"), std::string::npos);
  EXPECT_EQ(graphics.GetDevice(), nullptr);
}

}  // namespace
