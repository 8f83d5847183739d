// Text on the device: glyphs read back where the layout puts them (a font
// whose cells are distinct colours), the text slots' quads frame by frame
// (fade-in, glide, cross-fade, rotation and arcs, the 800-wide screen
// scale), the batch's limit and states, and the frame-rate line of the run
// loop after two virtual seconds.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "app/headless_host.h"
#include "platform/gpu/recording_device.h"
#include "platform/gpu/texture_loader.h"
#include "platform/image/image.h"
#include "platform/system/temp_folder.h"
#include "render/text/text_renderer.h"
#include "support/gl_pictures.h"

namespace {

constexpr std::uint32_t kFontSize = 128;  // 16 x 8 cells of 8 x 16

// Cell i of the font: its own colour, opaque, far from its neighbours' and
// never black (odd factors give each of the 128 cells a red of its own).
std::uint32_t CellColor(std::uint32_t i) {
  const std::uint32_t k = i + 1;
  return 0xFF000000u | (k * 37 & 0xFF) << 16 | (k * 101 & 0xFF) << 8 | (k * 59 & 0xFF);
}

Image FontImage() {
  Image image{kFontSize, kFontSize, {}};
  for (std::uint32_t y = 0; y < kFontSize; ++y)
    for (std::uint32_t x = 0; x < kFontSize; ++x) {
      const std::uint32_t argb = CellColor(y / 16 * 16 + x / 8);
      image.pixels.insert(image.pixels.end(), {static_cast<std::uint8_t>(argb >> 16),
                                               static_cast<std::uint8_t>(argb >> 8),
                                               static_cast<std::uint8_t>(argb), 0xFF});
    }
  return image;
}

std::vector<Glyph> GridGlyphs() {
  std::vector<Glyph> glyphs(128);
  MakeGridGlyphTable(glyphs.data(), 128, 8, 16, 16);
  return glyphs;
}

SystemFont MakeSystemFont(GraphicsDevice& device) {
  SystemFont font;
  font.texture = CreateTextureFromImage(device, FontImage(), TextureLoadOptions{}, nullptr);
  font.glyphs = GridGlyphs();
  return font;
}

// ---- pictures on the GL device ----

struct GlGraphics {
  GlTestDevice gl;
  Graphics graphics;
  GlGraphics(std::uint32_t width, std::uint32_t height) : gl(MakeGlTestDevice(width, height)) {
    if (!gl.device) return;
    EXPECT_TRUE(graphics.InitializeWithDevice(std::move(gl.device), TextureFormat::X8R8G8B8));
    EXPECT_TRUE(graphics.SetBackBufferSize(static_cast<int>(width), static_cast<int>(height)));
    graphics.GetDevice()->Clear(kClearTarget | kClearZBuffer, 0xFF000000u, 1.0f);
  }
  Picture BackBuffer() const {
    Picture picture{graphics.GetPresentParameters(Graphics::kFullScreen).backBufferWidth,
                    graphics.GetPresentParameters(Graphics::kFullScreen).backBufferHeight, {}};
    graphics.GetDevice()->ReadBackBuffer(&picture.pixels);
    return picture;
  }
};

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
  GlGraphics g(24, 40);
  ASSERT_TRUE(g.graphics.GetDevice());
  TextRenderer text;
  text.SetSystemFont(MakeSystemFont(*g.graphics.GetDevice()));
  text.DrawOverlayText(g.graphics, "AB\r\nC\x82\xA0", 2.0f, 3.0f, 0xFFFFFFFFu, 1.0f);
  EXPECT_TRUE(PicturesMatch("text_glyph_cells", g.BackBuffer(),
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
    std::vector<std::uint8_t> png;
    EncodePng(FontImage(), &png);
    scene.SetCharacterSet(3, std::vector<unsigned char>(png.begin(), png.end()), GridGlyphs());
  }
  void Put(const char* words, float x, float y, std::int32_t duration) {
    CharacterRequest r;
    r.set = 3;
    r.text = words;
    r.color = 0xFF102030u;
    r.x = x;
    r.y = y;
    r.scaleX = r.scaleY = 1.0f;
    r.duration = duration;
    ASSERT_TRUE(scene.PutCharacters(r));
  }
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

// A text put into a free slot over 30 frames fades in where it will stand.
TEST(TextRenderer, FadeInAlphaIsTheShareOfTheFramesGone) {
  SlotBench bench;
  bench.Put("a", 100, 50, 30);
  for (int n = 0; n <= 30; ++n) {
    const std::string quads = bench.Frames(n == 0 ? 0 : 1);
    const int alpha = n == 30 ? 255 : 255 * n / 30;
    if (alpha == 0) {
      EXPECT_EQ(quads, "-\n") << n;
      continue;
    }
    char expected[80];
    std::snprintf(expected, sizeof expected,
                  "a %02x102030 (100.00,42.50) (107.00,42.50) (100.00,57.50) (107.00,57.50)\n", alpha);
    EXPECT_EQ(quads, expected) << "frame " << n;
  }
}

// The same text put again glides to its new place; a new text cross-fades.
TEST(TextRenderer, SameTextGlidesAndANewTextCrossFades) {
  SlotBench glide;
  glide.Put("a", 100, 50, 0);
  glide.Put("a", 200, 80, 10);
  EXPECT_EQ(glide.Steps({0, 5, 5}),
            "a ff102030 (100.00,42.50) (107.00,42.50) (100.00,57.50) (107.00,57.50)\n"
            "a ff102030 (150.00,57.50) (157.00,57.50) (150.00,72.50) (157.00,72.50)\n"
            "a ff102030 (200.00,72.50) (207.00,72.50) (200.00,87.50) (207.00,87.50)\n");
  SlotBench fade;
  fade.Put("a", 100, 50, 0);
  fade.Put("b", 100, 50, 4);
  EXPECT_EQ(fade.Steps({0, 1, 1, 2}),
            "a ff102030 (100.00,42.50) (107.00,42.50) (100.00,57.50) (107.00,57.50)\n"
            "a bf102030 (100.00,42.50) (107.00,42.50) (100.00,57.50) (107.00,57.50)\n"
            "b 3f102030 (100.00,42.50) (107.00,42.50) (100.00,57.50) (107.00,57.50)\n"
            "a 7f102030 (100.00,42.50) (107.00,42.50) (100.00,57.50) (107.00,57.50)\n"
            "b 7f102030 (100.00,42.50) (107.00,42.50) (100.00,57.50) (107.00,57.50)\n"
            "b ff102030 (100.00,42.50) (107.00,42.50) (100.00,57.50) (107.00,57.50)\n");
}

// Turned 90 degrees about the pivot, scaled (2, 1), each glyph a further 90
// degrees on, then a line break down the page of the text's own angle; a
// back buffer 640 wide multiplies every coordinate by 0.8.
TEST(TextRenderer, RotatedCornersAndTheScreenScale) {
  const struct {
    int width;
    const char* quads;
  } cases[] = {
      {800,
       "a ff102030 (115.00,150.00) (115.00,164.00) (85.00,150.00) (85.00,164.00)\n"
       "b ff102030 (100.00,179.00) (86.00,179.00) (100.00,149.00) (86.00,149.00)\n"
       "c ff102030 (85.00,150.00) (85.00,164.00) (55.00,150.00) (55.00,164.00)\n"},
      {640,
       "a ff102030 (92.00,120.00) (92.00,131.20) (68.00,120.00) (68.00,131.20)\n"
       "b ff102030 (80.00,143.20) (68.80,143.20) (80.00,119.20) (68.80,119.20)\n"
       "c ff102030 (68.00,120.00) (68.00,131.20) (44.00,120.00) (44.00,131.20)\n"},
  };
  for (const auto& c : cases) {
    SlotBench bench(c.width);
    CharacterRequest r;
    r.set = 3;
    r.text = "ab\nc";
    r.color = 0xFF102030u;
    r.x = 150;
    r.y = 100;
    r.pivotX = r.pivotY = 100;
    r.scaleX = 2;
    r.scaleY = 1;
    r.angle = r.angleStep = 1.5707964f;
    ASSERT_TRUE(bench.scene.PutCharacters(r));
    EXPECT_EQ(bench.Frames(0), c.quads) << c.width;
  }
}

// A batch holds 341 glyphs; a set without glyphs or without an image draws
// nothing; the draw sets its states and gives back the filters and the
// material source it found.
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
  std::string trace;
  for (const std::string& line : bench.device->lines()) trace += line + "\n";
  EXPECT_EQ(trace,
            "SetRenderState(FILLMODE, SOLID)\n"
            "SetRenderState(ALPHABLENDENABLE, TRUE)\n"
            "SetRenderState(SRCBLEND, SRCALPHA)\n"
            "SetRenderState(DESTBLEND, INVSRCALPHA)\n"
            "SetRenderState(DIFFUSEMATERIALSOURCE, MATERIAL)\n"
            "SetRenderState(CULLMODE, NONE)\n"
            "SetSamplerState(0, MAGFILTER, LINEAR)\n"
            "SetSamplerState(0, MINFILTER, LINEAR)\n"
            "SetTexture(0, texture128x128)\n"
            "SetTextureStageState(0, COLOROP, MODULATE)\n"
            "SetTextureStageState(0, COLORARG1, TEXTURE)\n"
            "SetTextureStageState(0, COLORARG2, DIFFUSE)\n"
            "SetTextureStageState(0, ALPHAOP, MODULATE)\n"
            "SetTextureStageState(0, ALPHAARG1, TEXTURE)\n"
            "SetTextureStageState(0, ALPHAARG2, DIFFUSE)\n"
            "SetTextureStageState(1, COLOROP, DISABLE)\n"
            "SetVertexShader(null)\n"
            "SetFVF(0x144)\n"
            "DrawPrimitiveUP(TRIANGLELIST, 12, 28)\n"  // six glyphs
            "SetSamplerState(0, MAGFILTER, POINT)\n"
            "SetSamplerState(0, MINFILTER, POINT)\n"
            "SetRenderState(DIFFUSEMATERIALSOURCE, COLOR1)\n");
}

// ---- the frame-rate line of the run loop ----

// The run loop's device as the frame renderer gives it, as far as the
// overlay goes: each line through the text renderer, read back at once.
class OverlayDevice : public NullDevice {
 public:
  OverlayDevice(GlGraphics& g, TextRenderer& text) : g_(g), text_(text) {}
  void DrawOverlayText(const char* line, float x, float y, std::uint32_t color, float scale) override {
    text_.DrawOverlayText(g_.graphics, line, x, y, color, scale);
    if (lines.empty() || lines.back() != line) lines.push_back(line);
    last = g_.BackBuffer();
  }
  std::vector<std::string> lines;  // each new text once
  Picture last;

 private:
  GlGraphics& g_;
  TextRenderer& text_;
};

// At 30 frames a second the step is 33 ms: 30.3 draws a second. The first
// second holds 32 draws (the first comes at once, and the second closes at
// 1023 ms, after the draw then); each later one, starting where the last
// closed, holds 31. Pass 64, at 2079 ms, shows the second second's count.
TEST(TextRenderer, FrameRateLineAfterTwoVirtualSeconds) {
  GlGraphics g(800, 16);
  ASSERT_TRUE(g.graphics.GetDevice());
  TextRenderer text;
  text.SetSystemFont(MakeSystemFont(*g.graphics.GetDevice()));
  OverlayDevice device(g, text);
  VirtualClock clock;
  HeadlessWindow window;
  window.QuitAtPump(64);
  window.SetShowsFrameRate(true);
  Scene scene;
  RunHost host;
  host.clock = &clock;
  host.device = &device;
  host.window = &window;
  scene.SetRunHost(host);
  TempFolder folder;
  ASSERT_TRUE(scene.LoadScene(folder.Write("fps.scn", "<Scene>\n <FPS value=\"30\"/>\n</Scene>\n")));
  EXPECT_EQ(scene.Run(), ScenarioScene::kRunQuit);
  EXPECT_EQ(clock.NowMs(), 63u * 33);
  EXPECT_EQ(device.lines, (std::vector<std::string>{"  0FPS", " 32FPS", " 31FPS"}));
  Picture expected = GlyphPicture(800, 16, {{0, 0, ' '}, {7, 0, '3'}, {14, 0, '1'}, {21, 0, 'F'}, {28, 0, 'P'},
                                            {35, 0, 'S'}});
  EXPECT_TRUE(PicturesMatch("text_frame_rate", device.last, expected));
}

}  // namespace
