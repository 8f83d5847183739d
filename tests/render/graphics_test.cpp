// Graphics: the start-up states and parameter sets, F6 and F7 on the
// recording device, and a real start on the GL device.
#include <gtest/gtest.h>

#include "platform/gpu/recording_device.h"
#include "render/graphics.h"
#include "support/gl_pictures.h"

namespace {

std::string Join(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

RecordingDevice* StartRecorded(Graphics& graphics) {
  auto device = std::make_unique<RecordingDevice>(PresentParameters{});
  RecordingDevice* recorder = device.get();
  EXPECT_TRUE(graphics.InitializeWithDevice(std::move(device), TextureFormat::X8R8G8B8));
  return recorder;
}

TEST(Graphics, StartsFullScreenAt640x480WithTheStartUpStates) {
  Graphics graphics;
  RecordingDevice* device = StartRecorded(graphics);
  EXPECT_EQ(graphics.GetMode(), Graphics::kFullScreen);
  for (int mode : {Graphics::kWindowed, Graphics::kFullScreen}) {
    const PresentParameters& p = graphics.GetPresentParameters(mode);
    EXPECT_EQ(p.backBufferWidth, 640u);
    EXPECT_EQ(p.backBufferHeight, 480u);
    EXPECT_EQ(p.backBufferFormat, TextureFormat::X8R8G8B8);
    EXPECT_EQ(p.windowed, mode == Graphics::kWindowed);
    EXPECT_TRUE(p.enableAutoDepthStencil);
    EXPECT_EQ(p.presentationInterval, 1u);
  }
  EXPECT_EQ(Join(device->lines()),
            "Reset(640x480, full screen)\n"
            "SetRenderState(LIGHTING, TRUE)\n"
            "SetRenderState(CULLMODE, CCW)\n"
            "SetRenderState(AMBIENT, 0x33333333)\n"
            "SetRenderState(FILLMODE, SOLID)\n"
            "SetRenderState(ALPHABLENDENABLE, TRUE)\n"
            "SetRenderState(SRCBLEND, SRCALPHA)\n"
            "SetRenderState(DESTBLEND, INVSRCALPHA)\n"
            "SetRenderState(LOCALVIEWER, FALSE)\n"
            "SetRenderState(ALPHATESTENABLE, TRUE)\n"
            "SetRenderState(COLORVERTEX, TRUE)\n"
            "SetSamplerState(0, MAGFILTER, LINEAR)\n"
            "SetSamplerState(0, MINFILTER, LINEAR)\n"
            "SetLight(0, direction (0.408248, -0.408248, -0.816497), diffuse (1, 1, 1, 0), ambient (0, 0, 0, 0))\n"
            "LightEnable(0, TRUE)\n"
            "SetTransform(VIEW, [ -0.707107 -0.408248 -0.57735 0 | 0 0.816497 -0.57735 0 | 0.707107 -0.408248 "
            "-0.57735 0 | -0 -0 5.19615 1 ])\n"
            "SetTransform(PROJECTION, [ 1.81066 0 0 0 | 0 2.41421 0 0 | 0 0 1.03093 1 | 0 0 -3.09278 0 ])\n"
            "Clear(TARGET|ZBUFFER, 0xffffffff, 1)\n");
  EXPECT_EQ(device->GetLight().range, 1000.0f);
  EXPECT_EQ(device->GetLight().position, (Vector3{0.0f, -1.0f, -1.0f}));
}

TEST(Graphics, ModeSwitchesResetTheDeviceWithTheSetInUse) {
  Graphics graphics;
  RecordingDevice* device = StartRecorded(graphics);
  device->ClearLines();
  EXPECT_TRUE(graphics.SetBackBufferSize(800, 600));  // start-up's screen size
  EXPECT_TRUE(graphics.SetFullScreen(Graphics::kWindowed));
  EXPECT_TRUE(graphics.SetFullScreen(Graphics::kWindowed));  // no change: nothing done
  EXPECT_TRUE(graphics.SetBackBufferSize(640, 480));          // F6 while windowed
  EXPECT_TRUE(graphics.SetFullScreen(Graphics::kFullScreen));
  EXPECT_EQ(Join(device->TakeLines()),
            "Reset(800x600, full screen)\n"
            "Clear(TARGET|ZBUFFER, 0xffffffff, 1)\n"
            "Reset(800x600, windowed)\n"
            "Clear(TARGET|ZBUFFER, 0xffffffff, 1)\n"
            "Reset(640x480, windowed)\n"
            "Clear(TARGET|ZBUFFER, 0xffffffff, 1)\n"
            "Reset(640x480, full screen)\n"
            "Clear(TARGET|ZBUFFER, 0xffffffff, 1)\n");
  // Both sets followed F6, whichever was in use.
  EXPECT_EQ(graphics.GetPresentParameters(Graphics::kFullScreen).backBufferWidth, 640u);
  EXPECT_EQ(device->GetRenderState(RenderState::Lighting), 1u);  // a reset restores the defaults only
  EXPECT_EQ(device->GetRenderState(RenderState::AlphaBlendEnable), 0u);
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
