// The render resources: what they are made of, which missing files fail a
// start, the rebuild after a reset, and the programs on the GL device.
#include <gtest/gtest.h>

#include <filesystem>

#include "files/archive.h"
#include "platform/gpu/recording_device.h"
#include "platform/image/image.h"
#include "platform/system/content_path.h"
#include "platform/system/error_lines.h"
#include "render/render_resources.h"
#include "render/shaders.h"
#include "support/case_files.h"
#include "support/game_folder.h"
#include "support/gl_pictures.h"

namespace {

const std::filesystem::path kHere = std::filesystem::path(T3D_SOURCE_DIR) / "tests" / "render";

constexpr PresentParameters kParameters{800, 600};

// Each resource in table order: its name, or "-" when absent.
std::string Table(const RenderResources& r) {
  auto texture = [](const std::unique_ptr<Texture>& t) {
    return t ? t->GetName() + " " + std::to_string(t->GetWidth()) + "x" + std::to_string(t->GetHeight()) +
                   (t->GetFormat() == TextureFormat::X8R8G8B8 ? " X8R8G8B8" : " A8R8G8B8")
             : std::string("-");
  };
  auto shader = [](const std::unique_ptr<VertexShader>& s) { return s ? s->GetName() : std::string("-"); };
  return texture(r.renderTarget) + "\n" + shader(r.shadowVertexShader) + "\n" + texture(r.shadowTexture) + "\n" +
         texture(r.toonTexture) + "\n" + shader(r.toonTexturedShader) + "\n" + shader(r.toonUntexturedShader) +
         "\n" + shader(r.outlineShader) + "\n" + shader(r.flatColorShader) + "\n" + texture(r.systemMemorySurface) +
         "\n" + texture(r.dynamicTexture) + "\n";
}

const char kAllTen[] =
    "render target 128x128 X8R8G8B8\n"
    "ShadowVertexShader\n"
    "shadow.bmp 128x128 X8R8G8B8\n"  // stretched to the target's size
    "toon.bmp 32x4 X8R8G8B8\n"       // its own size and format
    "ToonTexturedShader\n"
    "ToonUntexturedShader\n"
    "OutlineShader\n"
    "FlatColorShader\n"
    "system memory 128x128 X8R8G8B8\n"
    "dynamic 128x128 X8R8G8B8\n";

// Each start as a golden file shows it: the result, the resources in table
// order (a failure leaves what was made before it, in the platform's
// order), the system font made or kept (a broken font image keeps it, and
// the start goes on), and what went to the error stream.
TEST(RenderResources, WhatEachStartMakesAndWhichFilesFailIt) {
  const struct {
    const char* name;
    const char* file;      // written with `contents`, or removed without
    const char* contents;
    bool shader11;
    const char* failing;  // a text of the program that does not build
  } cases[] = {
      {"all there", nullptr, nullptr, true, ""},
      {"no shadow.bmp", "shadow.bmp", nullptr, true, ""},
      {"shadow.bmp not an image", "shadow.bmp", "not an image", true, ""},
      {"no toon.bmp", "toon.bmp", nullptr, true, ""},
      {"toon.bmp not an image", "toon.bmp", "not an image", true, ""},
      {"no ASCII16.png", "ASCII16.png", nullptr, true, ""},
      {"ASCII16.png not an image", "ASCII16.png", "not an image", true, ""},
      {"no vertex shader 1.1", nullptr, nullptr, false, ""},
      // Left out quietly, but for a line on the error stream.
      {"the shadow program does not build", nullptr, nullptr, true, "c[22]"},
  };
  std::string starts;
  for (const auto& c : cases) {
    GameFolder game;
    // The game's folder, so that the lines name the files as the game does;
    // each start is a scene of its own, whose lines are all said.
    SetProgramDir(game.Folder());
    ForgetWrittenErrorLines();
    if (c.file && c.contents) game.Write(c.file, std::string(c.contents));
    if (c.file && !c.contents) game.Remove(c.file);
    RecordingDevice device(kParameters);
    if (!c.shader11) device.MutableCaps().vertexShaderVersion = 0xFFFE0100u;
    device.FailShadersContaining(c.failing);
    RenderResources resources;
    SystemFont font;
    font.texture = device.CreateTexture(8, 8, 1, 0, TextureFormat::A8R8G8B8, TexturePool::Managed);
    const Texture* before = font.texture.get();
    testing::internal::CaptureStderr();
    const int result = resources.Create(device, ArchiveManager(), game.Folder(), &font);
    std::string errors = testing::internal::GetCapturedStderr();
    // Lines name the files as the game does, without the folder it stands in.
    for (std::size_t at; (at = errors.find(game.Folder())) != std::string::npos;) errors.erase(at, game.Folder().size());
    starts += std::string("---- ") + c.name + "\nresult " + std::to_string(result) + "\n" + Table(resources) +
              (resources.HasToonResources() ? "toon resources whole\n" : "");
    if (font.texture.get() == before) {
      starts += "font kept\n";
    } else {
      const Glyph& a = font.glyphs.at('A');
      starts += "font made: " + std::string(font.texture->GetFormat() == TextureFormat::A8R8G8B8 ? "A8R8G8B8" : "?") +
                ", " + std::to_string(font.glyphs.size()) + " glyphs, A at " + std::to_string(a.left) + " " +
                std::to_string(a.top) + " " + std::to_string(a.right) + " " + std::to_string(a.bottom) + "\n";
    }
    if (!errors.empty()) starts += "errors: " + errors.substr(0, errors.find('\n')) + "\n";
    resources.Release();
    EXPECT_TRUE(font.texture) << c.name;  // the font belongs to its character set
    EXPECT_EQ(Table(resources), "-\n-\n-\n-\n-\n-\n-\n-\n-\n-\n") << c.name;
  }
  SetProgramDir("");
  EXPECT_EQ(starts, GoldenText(kHere / "golden" / "starts.txt", starts));
  std::vector<Glyph> more(200);
  EXPECT_EQ(MakeGridGlyphTable(more.data(), 200, 8, 16, 16), 128);  // the 7-bit codes only
}

TEST(RenderResources, AResetAfterALossRebuildsEverything) {
  GameFolder game;
  RecordingDevice device(kParameters);
  RenderResources resources;
  SystemFont font;
  ASSERT_EQ(resources.Create(device, ArchiveManager(), game.Folder(), &font), 0);
  device.ForceState(DeviceState::Lost);
  EXPECT_EQ(ResetDevice(device, kParameters, resources, ArchiveManager(), game.Folder(), &font),
            static_cast<int>(DeviceResult::DeviceLost));
  device.ForceState(DeviceState::NotReset);
  font.texture.reset();
  device.ClearLines();
  EXPECT_EQ(ResetDevice(device, kParameters, resources, ArchiveManager(), game.Folder(), &font), 0);
  EXPECT_EQ(Table(resources), kAllTen);
  EXPECT_TRUE(font.texture);
  EXPECT_EQ(device.TestCooperativeLevel(), DeviceState::Ready);
  EXPECT_EQ(device.lines().front(), "Reset(800x600, windowed)");
  EXPECT_EQ(device.GetRenderState(RenderState::Ambient), 0x33333333u);
  EXPECT_EQ(device.GetRenderState(RenderState::AlphaTestEnable), 1u);
}

// The programs build on the GL device without a word. What the flat colour
// and toon programs draw, the silhouette and toon pictures show; here the
// outline of a square seen face on: its normals have no direction on the
// screen, so it stays where it is instead of flying off to infinity.
TEST(RenderResources, TheProgramsBuildOnTheGlDeviceAndAFaceOnOutlineStaysInPlace) {
  GameFolder game;
  GlTestDevice gl = MakeGlTestDevice(8, 8);
  ASSERT_TRUE(gl.device);
  GraphicsDevice& device = *gl.device;
  RenderResources resources;
  testing::internal::CaptureStderr();
  ASSERT_EQ(resources.Create(device, ArchiveManager(), game.Folder(), nullptr), 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(Table(resources), kAllTen);
  device.Clear(kClearTarget | kClearZBuffer, 0xFF000000u, 1.0f);
  device.SetRenderState(RenderState::CullMode, kCullNone);
  const Matrix identity = MatrixIdentity();
  device.SetVertexShaderConstantF(4, &identity.m[0][0], 4);
  const float zeroAndWidth[8] = {0.0f, 0.0f, 0.0f, 0.0f, 0.1f, 0.0f, 0.0f, 0.0f};  // c0 zero, as the pass sets it
  device.SetVertexShaderConstantF(0, zeroAndWidth, 2);
  device.SetVertexShader(resources.outlineShader.get());
  device.SetRenderState(RenderState::TextureFactor, 0xFF6C3E32u);
  device.SetTextureStageState(0, TextureStageState::ColorOp, kTopSelectArg1);
  device.SetTextureStageState(0, TextureStageState::ColorArg1, kTaTFactor);
  device.SetFVF(kFvfPositionNormalTex);
  // Edges between pixel centres: half a pixel left of the target's.
  const float x0 = -1.0f - 1.0f / 8, x1 = 1.0f - 1.0f / 8;
  std::vector<std::array<float, 8>> square;
  for (auto [x, y] : {std::pair{x0, 1.2f}, {x1, 1.2f}, {x0, -1.2f}, {x1, -1.2f}, {x0, -1.2f}, {x1, 1.2f}})
    square.push_back({x, y, 0.5f, 0.0f, 0.0f, -1.0f, 0.0f, 0.0f});
  device.DrawPrimitiveUP(PrimitiveType::TriangleList, 2, square.data(), 32);
  EXPECT_TRUE(
      PicturesMatch("outline_face_on", gl.BackBuffer(), MakePicture(8, 8, [](auto, auto) { return 0xFF6C3E32u; })));
}

}  // namespace
