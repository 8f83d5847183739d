// The device's CPU half on the recording backend (the trace, a golden file;
// refusals, reset and the lost states), and meshes on the GL backend (its
// reset is the Graphics start's test).
#include <gtest/gtest.h>

#include <bit>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/gpu/recording_device.h"
#include "platform/math/matrix.h"
#include "platform/gpu/texture_loader.h"
#include "support/case_files.h"
#include "support/gl_pictures.h"

namespace {

TEST(GraphicsDevice, TraceNamesEveryCallAsThePlatformDoes) {
  RecordingDevice device(PresentParameters{800, 600});
  device.TraceVertices(true);
  std::unique_ptr<Texture> toon = device.CreateTexture(4, 2, 1, 0, TextureFormat::X8R8G8B8, TexturePool::Managed);
  toon->SetName("toon.bmp");
  device.SetRenderState(RenderState::AlphaBlendEnable, 1);
  device.SetRenderState(RenderState::DestBlend, kBlendOne);
  device.SetRenderState(RenderState::TextureFactor, 0x806C3E32u);
  device.SetTextureStageState(1, TextureStageState::ColorOp, kTopModulate);
  device.SetSamplerState(0, SamplerState::AddressU, kAddressClamp);
  device.SetSamplerState(0, SamplerState::MipMapLodBias, std::bit_cast<std::uint32_t>(-1.0f));
  device.SetTexture(1, toon.get());
  const float c1[4] = {0.5f, 0, 0, 0};
  device.SetVertexShaderConstantF(1, c1, 1);
  device.SetViewport(DeviceViewport{3, 3, 122, 122, 0, 1});
  device.Clear(kClearTarget | kClearZBuffer, 0, 1.0f);
  ASSERT_TRUE(device.BeginScene());
  device.SetFVF(kFvfScreenColor);
  const struct {
    float x, y, z, rhw;
    std::uint32_t color;
  } triangle[3] = {{0, 0, 0, 1, 0xFF000000u}, {8, 0, 0, 1, 0xFF000000u}, {0, 6, 0, 1, 0x80FFFFFFu}};
  device.DrawPrimitiveUP(PrimitiveType::TriangleList, 1, triangle, 20);
  device.EndScene();
  device.Present();
  const std::string trace = JoinLines(device.TakeLines());
  EXPECT_EQ(trace, GoldenText(std::filesystem::path(T3D_SOURCE_DIR) / "tests/platform/gpu/golden/calls.trace", trace));
}

TEST(GraphicsDevice, RefusesWhatItDoesNotSupportAndKeepsItsState) {
  RecordingDevice device(PresentParameters{800, 600});
  std::unique_ptr<Texture> memory = device.CreateTexture(8, 8, 1, 0, TextureFormat::X8R8G8B8, TexturePool::SystemMem);
  const float constants[8] = {};
  const struct {
    const char* name;
    std::function<DeviceResult()> call;
  } cases[] = {
      {"unknown render state", [&] { return device.SetRenderState(static_cast<RenderState>(29), 1); }},
      {"wireframe", [&] { return device.SetRenderState(RenderState::FillMode, 2); }},
      {"blend factor past the list", [&] { return device.SetRenderState(RenderState::SrcBlend, 11); }},
      {"subtracting blend", [&] { return device.SetRenderState(RenderState::BlendOp, 2); }},
      {"alpha reference past a byte", [&] { return device.SetRenderState(RenderState::AlphaRef, 256); }},
      {"third stage", [&] { return device.SetTextureStageState(2, TextureStageState::ColorOp, kTopDisable); }},
      {"ADD stage operation", [&] { return device.SetTextureStageState(0, TextureStageState::ColorOp, 7); }},
      {"mirrored addressing", [&] { return device.SetSamplerState(0, SamplerState::AddressU, 2); }},
      {"second light", [&] { return device.SetLight(1, Light{}); }},
      {"point light", [&] { Light l; l.type = 1; return device.SetLight(0, l); }},
      {"viewport past the target", [&] { return device.SetViewport({700, 0, 101, 600, 0, 1}); }},
      {"system-memory texture bound", [&] { return device.SetTexture(0, memory.get()); }},
      {"second texture coordinate set", [&] { return device.SetFVF(0x212); }},
      {"constants past register 95", [&] { return device.SetVertexShaderConstantF(95, constants, 2); }},
      {"a plain texture as target", [&] { return device.SetRenderTarget(memory.get()); }},
      {"stencil clear", [&] { return device.Clear(4, 0, 1.0f); }},
      {"draw without a format", [&] {
         const float v[15] = {};
         return device.DrawPrimitiveUP(PrimitiveType::TriangleList, 1, v, 20);
       }},
  };
  for (const auto& c : cases) {
    device.ClearLines();
    DeviceResult result = DeviceResult::Ok;
    EXPECT_DEBUG_DEATH(result = c.call(), "does not support") << c.name;
    static_cast<void>(result);
#ifdef NDEBUG
    EXPECT_EQ(result, DeviceResult::InvalidCall) << c.name;
    ASSERT_EQ(device.lines().size(), 1u) << c.name;
    EXPECT_EQ(device.lines()[0].rfind("refused: ", 0), 0u) << c.name;
#endif
  }
  EXPECT_EQ(device.GetRenderState(RenderState::FillMode), kFillSolid);
  EXPECT_EQ(device.GetTextureStageState(0, TextureStageState::ColorOp), kTopModulate);
  EXPECT_EQ(device.GetViewport().width, 800u);
  EXPECT_EQ(device.GetFVF(), 0u);
}

TEST(GraphicsDevice, ResetReturnsEveryStateToItsDefaultOnceDefaultPoolTexturesAreGone) {
  RecordingDevice device(PresentParameters{800, 600});
  std::unique_ptr<Texture> target =
      device.CreateTexture(128, 128, 1, kUsageRenderTarget, TextureFormat::X8R8G8B8, TexturePool::Default);
  std::unique_ptr<Texture> managed = device.CreateTexture(4, 4, 0, 0, TextureFormat::A8R8G8B8, TexturePool::Managed);
  EXPECT_EQ(managed->GetLevelCount(), 3u);
  device.SetRenderState(RenderState::Lighting, 0);
  device.SetRenderState(RenderState::Ambient, 0x33333333u);
  device.SetSamplerState(1, SamplerState::MagFilter, kTexFilterLinear);
  device.SetTransform(TransformState::View, MatrixTranslation(1, 2, 3));
  device.SetTexture(0, managed.get());
  device.LightEnable(0, true);
  device.SetRenderTarget(target.get());

  // A live render target makes the reset fail; the device waits to be reset.
  EXPECT_EQ(device.Reset(PresentParameters{640, 480}), DeviceResult::InvalidCall);
  EXPECT_EQ(device.TestCooperativeLevel(), DeviceState::NotReset);
  EXPECT_FALSE(device.BeginScene());
  EXPECT_EQ(device.Present(), DeviceResult::DeviceNotReset);
  target.reset();
  EXPECT_EQ(device.GetRenderTarget(), nullptr);  // a released target is no longer drawn into
  EXPECT_EQ(device.Reset(PresentParameters{640, 480}), DeviceResult::Ok);
  EXPECT_EQ(device.TestCooperativeLevel(), DeviceState::Ready);
  EXPECT_EQ(device.GetPresentParameters().backBufferWidth, 640u);
  EXPECT_EQ(device.GetRenderState(RenderState::Lighting), 1u);
  EXPECT_EQ(device.GetRenderState(RenderState::Ambient), 0u);
  EXPECT_EQ(device.GetSamplerState(1, SamplerState::MagFilter), kTexFilterPoint);
  EXPECT_EQ(device.GetTextureStageState(1, TextureStageState::ColorOp), kTopDisable);
  EXPECT_EQ(device.GetTransform(TransformState::View), MatrixIdentity());
  EXPECT_EQ(device.GetTexture(0), nullptr);
  EXPECT_FALSE(device.IsLightEnabled());
  EXPECT_EQ(device.GetViewport().height, 480u);
}

TEST(GraphicsDevice, ALostDeviceDrawsNothingAndWaitsUntilItCanBeReset) {
  RecordingDevice device(PresentParameters{64, 64});
  device.ForceState(DeviceState::Lost);
  EXPECT_FALSE(device.BeginScene());
  device.Clear(kClearTarget, 0xFFFFFFFFu, 1.0f);
  std::vector<std::uint32_t> pixels;
  device.ReadBackBuffer(&pixels);
  EXPECT_EQ(pixels[0], 0u);  // the clear did not happen
  EXPECT_EQ(device.Present(), DeviceResult::DeviceLost);
  EXPECT_EQ(device.Reset(PresentParameters{64, 64}), DeviceResult::DeviceLost);
  EXPECT_EQ(device.TestCooperativeLevel(), DeviceState::Lost);
  device.ForceState(DeviceState::NotReset);
  EXPECT_EQ(device.Reset(PresentParameters{64, 64}), DeviceResult::Ok);
  EXPECT_TRUE(device.BeginScene());
}

// Four squares of 8x8 pixels in a row on a 32x8 target, their edges between
// pixel centres; faces of attribute 0 and 1 alternate.
std::unique_ptr<Mesh> Squares() {
  std::unique_ptr<Mesh> mesh = Mesh::Create(8, 16, kFvfXyz | kFvfDiffuse);
  for (std::uint32_t i = 0; i < 4; ++i) {
    const float x0 = (static_cast<float>(i) * 16.0f - 1.0f) / 32.0f - 1.0f, x1 = x0 + 0.5f;
    const std::uint32_t base = i * 4, color = i % 2 ? 0xFF00FF00u : 0xFFFF0000u;
    const Vector3 corners[4] = {{x0, 1.125f, 0.5f}, {x1, 1.125f, 0.5f}, {x0, -0.875f, 0.5f}, {x1, -0.875f, 0.5f}};
    for (std::uint32_t c = 0; c < 4; ++c) {
      mesh->SetPosition(base + c, corners[c]);
      mesh->SetDiffuse(base + c, color);
    }
    mesh->SetFace(i * 2, base, base + 1, base + 2);
    mesh->SetFace(i * 2 + 1, base + 3, base + 2, base + 1);
    mesh->SetAttribute(i * 2, i % 2);
    mesh->SetAttribute(i * 2 + 1, i % 2);
  }
  mesh->SortFacesByAttribute();
  return mesh;
}

TEST(GraphicsDevice, MeshesDrawByAttributeRangeAndFollowTheirVertices) {
  GlTestDevice gl = MakeGlTestDevice(32, 8);
  ASSERT_TRUE(gl.device);
  GraphicsDevice& device = *gl.device;
  device.SetRenderState(RenderState::Lighting, 0);
  device.Clear(kClearTarget | kClearZBuffer, 0xFF000000u, 1.0f);
  std::unique_ptr<Mesh> mesh = Squares();
  std::unique_ptr<DeviceMesh> drawn = device.CreateMesh(*mesh, "squares");
  ASSERT_TRUE(drawn);
  device.DrawSubset(*drawn, 1);
  device.DrawSubset(*drawn, 7);  // no such range: nothing
  EXPECT_TRUE(PicturesMatch("mesh_subset", gl.BackBuffer(), MakePicture(32, 8, [](std::uint32_t x, std::uint32_t) {
                              return (x / 8) % 2 ? 0xFF00FF00u : 0xFF000000u;
                            }), 0));
  // The CPU copy changes (as skinning changes it) and is sent again.
  for (std::uint32_t v = 0; v < 16; ++v) mesh->SetDiffuse(v, 0xFF0000FFu);
  drawn->UpdateVertices();
  device.DrawSubset(*drawn, 0);
  EXPECT_TRUE(PicturesMatch("mesh_updated", gl.BackBuffer(), MakePicture(32, 8, [](std::uint32_t x, std::uint32_t) {
                              return (x / 8) % 2 ? 0xFF00FF00u : 0xFF0000FFu;
                            }), 0));
}

TEST(GraphicsDevice, TexturesKeepTheImagesSizeOrTakeTheOneAskedFor) {
  RecordingDevice device(PresentParameters{64, 64});
  Image image{3, 2, {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255,  //
                     0, 0, 0, 128, 255, 255, 255, 255, 9, 9, 9, 255}};
  std::unique_ptr<Texture> own = CreateTextureFromImage(device, image, {}, nullptr);
  ASSERT_TRUE(own);
  EXPECT_EQ(own->GetFormat(), TextureFormat::A8R8G8B8);  // one pixel is not opaque
  EXPECT_EQ(own->Pixels(), (std::vector<std::uint32_t>{0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0x80000000u,
                                                       0xFFFFFFFFu, 0xFF090909u}));
  TextureLoadOptions sized;
  sized.width = 6;
  sized.height = 1;
  sized.format = TextureFormat::X8R8G8B8;
  std::unique_ptr<Texture> stretched = CreateTextureFromImage(device, image, sized, nullptr);
  ASSERT_TRUE(stretched);
  EXPECT_EQ(stretched->Pixels(), (std::vector<std::uint32_t>{0x80000000u, 0x80000000u, 0xFFFFFFFFu, 0xFFFFFFFFu,
                                                             0xFF090909u, 0xFF090909u}));
  std::string error;
  const std::uint8_t garbage[] = {1, 2, 3};
  EXPECT_FALSE(CreateTextureFromFileInMemory(device, garbage, {}, &error));
  EXPECT_FALSE(error.empty());
}

}  // namespace
