// Text on the device: glyphs read back where the layout puts them (a font
// whose cells are distinct colours), the text slots' quads frame by frame
// (fade-in, glide, cross-fade, rotation and arcs, the 800-wide screen
// scale), and the batch's limit and states. The frame-rate line's count is
// the run loop's test, its place in the frame the frame trace's.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/gpu/recording_device.h"
#include "platform/gpu/texture_loader.h"
#include "platform/gpu/texture_store.h"
#include "render/text/text_renderer.h"
#include "scene/scene.h"
#include "support/case_files.h"
#include "support/game_folder.h"
#include "support/gl_pictures.h"

namespace {

const std::filesystem::path kGolden = std::filesystem::path(T3D_SOURCE_DIR) / "tests/render/golden";
constexpr std::uint32_t kFontSize = 128;  // 16 x 8 cells of 8 x 16

// Cell i of the font: its own colour, opaque, far from its neighbours' and
// never black (odd factors give each of the 128 cells a red of its own).
std::uint32_t CellColor(std::uint32_t i) {
  const std::uint32_t k = i + 1;
  return 0xFF000000u | (k * 37 & 0xFF) << 16 | (k * 101 & 0xFF) << 8 | (k * 59 & 0xFF);
}

std::vector<std::uint8_t> FontPng() {
  return GameFolder::Png(kFontSize, kFontSize,
                         [](std::uint32_t x, std::uint32_t y) { return CellColor(y / 16 * 16 + x / 8); });
}

std::vector<Glyph> GridGlyphs() {
  std::vector<Glyph> glyphs(128);
  MakeGridGlyphTable(glyphs.data(), 128, 8, 16, 16);
  return glyphs;
}

// The font image as a character set holds it, decoded and waiting for the device.
std::shared_ptr<SharedTexture> FontImage() {
  CountedImage image;
  EXPECT_TRUE(DecodeTextureFile(FontPng(), &image, nullptr));
  return std::make_shared<SharedTexture>("font.png", "font.png", TextureLoadOptions{}, std::move(image));
}

SystemFont MakeSystemFont(GraphicsDevice& device) {
  SystemFont font;
  font.texture = CreateTextureFromFileInMemory(device, FontPng(), TextureLoadOptions{}, nullptr);
  font.glyphs = GridGlyphs();
  return font;
}

// ---- pictures on the GL device ----

// Glyphs of the grid font as laid out from (x, y): 7 x 15 pixels each, the
// cell's colour, on black.
struct ExpectedGlyph {
  int x, y;
  std::uint32_t cell;
};
Picture GlyphPicture(std::uint32_t width, std::uint32_t height, const std::vector<ExpectedGlyph>& glyphs) {
  return MakePicture(width, height, [&](std::uint32_t x, std::uint32_t y) {
    for (const ExpectedGlyph& g : glyphs)
      if (static_cast<int>(x) >= g.x && static_cast<int>(x) < g.x + 7 && static_cast<int>(y) >= g.y &&
          static_cast<int>(y) < g.y + 15)
        return CellColor(g.cell);
    return 0xFF000000u;
  });
}

// A CR LF breaks the line once; a code the font lacks draws glyph 0.
TEST(TextRenderer, GlyphsLandOnTheirCellsInTheReadBack) {
  GlTestDevice gl = MakeGlTestDevice(24, 40);
  ASSERT_TRUE(gl.device);
  GraphicsDevice& device = *gl.device;
  Graphics graphics;
  ASSERT_TRUE(graphics.InitializeWithDevice(std::move(gl.device), TextureFormat::X8R8G8B8));
  ASSERT_TRUE(graphics.SetBackBufferSize(24, 40));
  device.Clear(kClearTarget | kClearZBuffer, 0xFF000000u, 1.0f);
  TextRenderer text;
  text.SetSystemFont(MakeSystemFont(device));
  text.DrawOverlayText(graphics, "AB\r\nC\x82\xA0", 2.0f, 3.0f, 0xFFFFFFFFu, 1.0f);
  Picture drawn{24, 40, {}};
  device.ReadBackBuffer(&drawn.pixels);
  EXPECT_TRUE(PicturesMatch("text_glyph_cells", drawn,
                            GlyphPicture(24, 40, {{2, 3, 'A'}, {9, 3, 'B'}, {2, 18, 'C'}, {9, 18, 0}})));
}

// ---- quads of the text slots, on the recording device ----

std::string Corner(const TextVertex& v) {
  char text[40];
  auto tidy = [](float f) { return std::fabs(f) < 0.005f ? 0.0f : f; };
  std::snprintf(text, sizeof text, "(%.2f,%.2f)", static_cast<double>(tidy(v.x)), static_cast<double>(tidy(v.y)));
  return text;
}

// Each quad as its glyph's character, colour and corners top-left,
// top-right, bottom-left, bottom-right; "-" for an empty batch.
std::string Quads(const CharacterSet& set) {
  const auto v = set.Vertices();
  std::string out;
  for (std::size_t i = 0; i + 6 <= v.size(); i += 6) {
    const int cell = static_cast<int>(v[i].u * kFontSize) / 8 + static_cast<int>(v[i].v * kFontSize) / 16 * 16;
    char color[16];
    std::snprintf(color, sizeof color, "%08x", v[i].color);
    out += std::string(1, static_cast<char>(cell)) + " " + color + " " + Corner(v[i]) + " " + Corner(v[i + 1]) + " " +
           Corner(v[i + 2]) + " " + Corner(v[i + 4]) + "\n";
  }
  return out.empty() ? "-\n" : out;
}

struct SlotBench {
  Graphics graphics;
  RecordingDevice* device = nullptr;
  Scene scene;
  TextRenderer text;

  // The recording device starts 640 pixels wide, as Graphics does.
  explicit SlotBench(int width = 800) {
    auto owned = std::make_unique<RecordingDevice>(PresentParameters{});
    device = owned.get();
    EXPECT_TRUE(graphics.InitializeWithDevice(std::move(owned), TextureFormat::X8R8G8B8));
    if (width != 640) {
      EXPECT_TRUE(graphics.SetBackBufferSize(width, 600));
    }
    scene.SetCharacterSet(3, FontImage(), GridGlyphs());
  }
  static CharacterRequest Request(const char* words, float x, float y, std::int32_t duration) {
    CharacterRequest r;
    r.set = 3;
    r.text = words;
    r.color = 0xFF102030u;
    r.x = x;
    r.y = y;
    r.scaleX = r.scaleY = 1.0f;
    r.duration = duration;
    return r;
  }
  void Put(const CharacterRequest& request) { ASSERT_TRUE(scene.PutCharacters(request)); }
  void Put(const char* words, float x, float y, std::int32_t duration) { Put(Request(words, x, y, duration)); }
  // Draws the slots after `frames` frames more; the quads of slot 0's set.
  std::string Frames(int frames) {
    for (int i = 0; i < frames; ++i) AdvanceCharacterSlot(scene.TextSlot(0), false);
    text.DrawCharacterSlots(scene, graphics);
    return Quads(text.ScriptSet(3));
  }
  // The quads after each count of frames in turn.
  std::string Steps(std::initializer_list<int> steps) {
    std::string out;
    for (int frames : steps) out += Frames(frames);
    return out;
  }
};

// Frame by frame (a golden trace): a text put into a free slot over 30
// frames fades in where it will stand, its alpha the share of the frames
// gone; the same text put again glides to its new place; a new text
// cross-fades. Turned 90 degrees about the pivot, scaled (2, 1), each glyph
// a further 90 degrees on, then a line break down the page of the text's own
// angle; a back buffer 640 wide multiplies every coordinate by 0.8.
TEST(TextRenderer, FadesInGlidesCrossFadesTurnsAndScalesToTheScreen) {
  SlotBench fadeIn;
  fadeIn.Put("a", 100, 50, 30);
  std::string trace = "---- fade-in\n" + fadeIn.Frames(0);
  for (int n = 1; n <= 30; ++n) trace += fadeIn.Frames(1);
  SlotBench glide;
  glide.Put("a", 100, 50, 0);
  glide.Put("a", 200, 80, 10);
  trace += "---- glide\n" + glide.Steps({0, 5, 5});
  SlotBench fade;
  fade.Put("a", 100, 50, 0);
  fade.Put("b", 100, 50, 4);
  trace += "---- cross-fade\n" + fade.Steps({0, 1, 1, 2});
  for (int width : {800, 640}) {
    SlotBench bench(width);
    CharacterRequest r = SlotBench::Request("ab\nc", 150, 100, 0);
    r.pivotX = r.pivotY = 100;
    r.scaleX = 2;
    r.angle = r.angleStep = 1.5707964f;
    bench.Put(r);
    trace += "---- turned, " + std::to_string(width) + " wide\n" + bench.Frames(0);
  }
  EXPECT_EQ(trace, GoldenText(kGolden / "text_slots.trace", trace));
}

TEST(TextRenderer, BatchLimitEmptySetsAndTheDrawsStates) {
  SlotBench bench;
  bench.Put(std::string(400, 'a').c_str(), 0, 0, 0);
  bench.Frames(0);
  EXPECT_EQ(bench.text.ScriptSet(3).Vertices().size(), 341u * 6);
  CharacterSet empty;
  empty.DrawString(0, 0, "abc", 0xFFFFFFFFu, 1.0f);
  EXPECT_TRUE(empty.Vertices().empty());

  bench.scene.SetCharacterSet(3, {}, GridGlyphs());  // glyphs, no image
  bench.device->ClearLines();
  bench.Frames(0);
  EXPECT_TRUE(bench.device->lines().empty());

  bench.text.SetSystemFont(MakeSystemFont(*bench.device));
  bench.device->SetSamplerState(0, SamplerState::MagFilter, kTexFilterPoint);
  bench.device->SetRenderState(RenderState::DiffuseMaterialSource, kMaterialSourceColor1);
  bench.device->ClearLines();
  bench.text.DrawOverlayText(bench.graphics, " 30FPS", 0, 0, 0xFFFFFFFFu, 1.0f);
  const std::string trace = JoinLines(bench.device->lines());
  EXPECT_EQ(trace, GoldenText(kGolden / "text_draw.trace", trace));
}

}  // namespace
