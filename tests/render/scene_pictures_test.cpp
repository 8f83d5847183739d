// Frames of whole scenes drawn on the GL device (llvmpipe) and read back: the
// clear colour, default and set, the fades frame by frame and their blend modes, a skinned
// toon cast with its outline, blended casts over opaque ones, and a
// silhouette behind a wall. Expected pictures are worked out from the
// geometry: every rectangle faces the camera, so its pixels are known.
#include <gtest/gtest.h>

#include <cmath>

#include "drawn_scene.h"

namespace {

constexpr std::uint32_t kClear = 0xFF1E415Au;  // the scene's default clear colour

// A rectangle facing the camera of the identity view: the pixels whose
// centres it covers. Its edges are kept off pixel centres, so that no
// rounding rule of the rasteriser decides.
struct PixelRect {
  int x0, y0, x1, y1;
};
PixelRect Covered(const Picture& picture, float x0, float y0, float x1, float y1, float z) {
  const float yScale = 1.0f / std::tan(kFieldOfView / 2.0f);
  const float xScale = yScale * static_cast<float>(picture.height) / static_cast<float>(picture.width);
  auto edge = [](float screen) {
    EXPECT_GT(std::abs(screen - std::round(screen)), 0.05f) << "an edge on a pixel centre";
    return static_cast<int>(std::ceil(screen));
  };
  const float w = static_cast<float>(picture.width) / 2.0f, h = static_cast<float>(picture.height) / 2.0f;
  return {edge((x0 * xScale / z + 1.0f) * w), edge((1.0f - y1 * yScale / z) * h), edge((x1 * xScale / z + 1.0f) * w),
          edge((1.0f - y0 * yScale / z) * h)};
}

// The colour (r, g, b) at `alpha` over an ARGB pixel.
std::uint32_t Over(std::uint32_t below, float r, float g, float b, float alpha) {
  auto mix = [&](float top, int shift) {
    return static_cast<std::uint32_t>(std::lround(top * 255.0f * alpha + static_cast<float>(below >> shift & 0xFF) * (1.0f - alpha)))
           << shift;
  };
  return 0xFF000000u | mix(r, 16) | mix(g, 8) | mix(b, 0);
}

bool ColorsMatch(std::uint32_t a, std::uint32_t b) {
  for (int shift = 0; shift < 32; shift += 8)
    if (std::abs(static_cast<int>(a >> shift & 0xFF) - static_cast<int>(b >> shift & 0xFF)) > 2) return false;
  return true;
}

// Paints the rectangle's covered pixels with `color` of each old pixel.
template <typename Color>
void PaintOver(Picture& picture, const PixelRect& rect, Color color) {
  for (int y = rect.y0; y < rect.y1; ++y)
    for (int x = rect.x0; x < rect.x1; ++x) {
      std::uint32_t& pixel = picture.pixels[static_cast<std::size_t>(y) * picture.width + static_cast<std::size_t>(x)];
      pixel = color(pixel);
    }
}

// The fade's colour frame by frame: red to blue, opaque, over six frames
// (fade-in ending at frame 2, fade-out starting at 4; the frame update
// counts elapsed frames before each draw), then the clear colour the script
// set. And 0x80C08040 in each blend mode over the clear colour (30, 65, 90),
// worked out by hand.
TEST(ScenePictures, FadesFrameByFrameAndInEachBlendMode) {
  const struct {
    const char* name;
    const char* begin;
    int tolerance;
    std::vector<std::uint32_t> frames;
  } cases[] = {
      {"fade_frame_", "Scene.ClearColor = 4281558681; Scene.AddFadeEffect(6, 2, 4, 4294901760, 4278190335, 0);", 1,
       {0xFFFF0000u, 0xFFFF0000u, 0xFF7F007Fu, 0xFF0000FFu, 0xFF0000FFu, 0xFF0000FFu, 0xFF336699u, 0xFF336699u}},
      // c a + below (1 - a), a = 128 / 255
      {"fade_alpha", "Scene.AddFadeEffect(10, 0, 10, 2160099392, 2160099392, 0);", 2, {0xFF6F614Du}},
      {"fade_add", "Scene.AddFadeEffect(10, 0, 10, 2160099392, 2160099392, 1);", 2, {0xFF7E817Au}},  // c a + below
      {"fade_multiply", "Scene.AddFadeEffect(10, 0, 10, 2160099392, 2160099392, 2);", 2, {0xFF172117u}},  // below c
      {"fade_unknown_mode_as_alpha", "Scene.AddFadeEffect(10, 0, 10, 2160099392, 2160099392, 3);", 2, {0xFF6F614Du}},
  };
  for (const auto& c : cases) {
    auto drawn = DrawnScene::OnGl(32, 24);
    ASSERT_TRUE(drawn);
    ASSERT_TRUE(drawn->Load(std::string("<Scene>\n <Script>\nBegin() { ") + c.begin +
                            " }\n </Script>\n <Function OnBegin=\"Begin\"/>\n</Scene>\n"));
    const std::vector<Picture> frames = drawn->Run(static_cast<int>(c.frames.size()));
    ASSERT_EQ(frames.size(), c.frames.size()) << c.name;
    for (std::size_t i = 0; i < frames.size(); ++i) {
      const std::string name = c.frames.size() > 1 ? c.name + std::to_string(i + 1) : c.name;
      EXPECT_TRUE(PicturesMatch(name, frames[i], MakePicture(32, 24, [&](auto, auto) { return c.frames[i]; }),
                                c.tolerance));
    }
  }
}

TEST(ScenePictures, BlendedCastsDrawFarthestFirstOverTheOpaqueOnes) {
  auto drawn = DrawnScene::OnGl(160, 120);
  ASSERT_TRUE(drawn);
  // Two opaque rectangles (red far, white near) and two half-transparent
  // ones between them (green farther, blue nearer), listed nearest last.
  ASSERT_TRUE(drawn->LoadCase("blend_order"));
  drawn->Start();
  const Picture picture = drawn->DrawFrame();

  Picture expected = MakePicture(160, 120, [](auto, auto) { return kClear; });
  PaintOver(expected, Covered(expected, -330, -210, 110, 190, 900), [](auto) { return 0xFFFF0000u; });
  PaintOver(expected, Covered(expected, -110, -130, 250, 140, 700), [](std::uint32_t p) { return Over(p, 0, 1, 0, 0.5f); });
  PaintOver(expected, Covered(expected, 10, -90, 190, 70, 500), [](std::uint32_t p) { return Over(p, 0, 0, 1, 0.5f); });
  // Drawn first, the near opaque one hides what lies behind it.
  PaintOver(expected, Covered(expected, -30, -70, 60, 30, 400), [](auto) { return 0xFFFFFFFFu; });
  EXPECT_TRUE(PicturesMatch("blend_order", picture, expected));
}

TEST(ScenePictures, ASilhouetteShowsOnlyWhereTheCastIsHidden) {
  auto drawn = DrawnScene::OnGl(160, 120);
  ASSERT_TRUE(drawn);
  ASSERT_TRUE(drawn->LoadCase("silhouette"));
  drawn->Start();
  const Picture picture = drawn->DrawFrame();

  Picture expected = MakePicture(160, 120, [](auto, auto) { return kClear; });
  const PixelRect cast = Covered(expected, -190, -110, 170, 90, 800), wall = Covered(expected, -260, -170, -10, 130, 400);
  PaintOver(expected, cast, [](auto) { return 0xFFFF0000u; });
  PaintOver(expected, wall, [](auto) { return 0xFF808080u; });
  const PixelRect hidden{std::max(cast.x0, wall.x0), std::max(cast.y0, wall.y0), std::min(cast.x1, wall.x1),
                         std::min(cast.y1, wall.y1)};
  PaintOver(expected, hidden, [](auto) { return 0xFF00FF00u; });
  EXPECT_TRUE(PicturesMatch("silhouette", picture, expected));
}

TEST(ScenePictures, ASkinnedToonCastIsShadedByTheRampAndOutlinedAtItsSilhouette) {
  auto drawn = DrawnScene::OnGl(800, 600);
  ASSERT_TRUE(drawn);
  // Two shades: white towards the light, grey away from it.
  drawn->game.Write("toon.bmp", GameFolder::Png(32, 4, [](std::uint32_t x, std::uint32_t) {
    return x < 16 ? 0xFFFFFFFFu : 0xFF808080u;
  }));
  // In "Stand" the middle joint turns 45 degrees about z, so the upper half
  // leans left; in "Straight" the tube stands upright. A second cast of the
  // class stands to the right in "Straight": each draws its own pose.
  ASSERT_TRUE(drawn->LoadCase("toon_tube"));
  drawn->Start();
  const Picture picture = drawn->DrawFrame();
  if (std::getenv("T3D_WRITE_PICTURES")) WritePicture("toon_tube", picture);

  // The material colour times the ramp's white or grey (128).
  constexpr std::uint32_t kOutline = 0xFF6C3E32u, kLit = 0xFFFFCC66u, kShaded = 0xFF806633u;
  // Rows across the lower halves: from either side the first pixel of a
  // cast is the outline's.
  for (std::uint32_t y = 420; y < 490; y += 7) {
    std::uint32_t left = 0, right = picture.width - 1;
    while (left < right && picture.At(left, y) == kClear) ++left;
    while (right > left && picture.At(right, y) == kClear) --right;
    EXPECT_EQ(picture.At(left, y), kOutline) << "left edge of row " << y;
    EXPECT_EQ(picture.At(right, y), kOutline) << "right edge of row " << y;
  }
  const struct {
    std::uint32_t x, y, color;
    const char* what;
  } probes[] = {
      {311, 470, kLit, "the side turned to the light"},
      {400, 470, kShaded, "the front, turned away from the light"},
      {469, 187, kClear, "where the upright tube would be, the leaning one is not"},
      {305, 250, kShaded, "the front of the leaning half"},
      {633, 190, kShaded, "the other cast of the class, upright to its top"},
  };
  for (const auto& p : probes) EXPECT_TRUE(ColorsMatch(picture.At(p.x, p.y), p.color)) << p.what;
}

}  // namespace
