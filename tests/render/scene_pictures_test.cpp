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

// After the fade, the clear colour the script set (the default one shows
// round the casts below).
TEST(ScenePictures, AFadeShowsColourOneThenTheBlendThenColourTwoThenTheClearColour) {
  auto drawn = DrawnScene::OnGl(32, 24);
  ASSERT_TRUE(drawn);
  // Six frames, fade-in ending at frame 2, fade-out starting at 4, red to
  // blue, opaque. The frame update counts elapsed frames before each draw.
  ASSERT_TRUE(drawn->Load("<Scene>\n <Script>\nBegin() { Scene.ClearColor = 4281558681;\n"
                          "  Scene.AddFadeEffect(6, 2, 4, 4294901760, 4278190335, 0); }\n"
                          " </Script>\n <Function OnBegin=\"Begin\"/>\n</Scene>\n"));
  const std::vector<Picture> frames = drawn->Run(8);
  const std::uint32_t expected[] = {0xFFFF0000u, 0xFFFF0000u, 0xFF7F007Fu, 0xFF0000FFu,
                                    0xFF0000FFu, 0xFF0000FFu, 0xFF336699u, 0xFF336699u};
  ASSERT_EQ(frames.size(), std::size(expected));
  for (std::size_t i = 0; i < frames.size(); ++i) {
    EXPECT_TRUE(PicturesMatch("fade_frame_" + std::to_string(i + 1), frames[i],
                              MakePicture(32, 24, [&](auto, auto) { return expected[i]; }), 1));
  }
}

TEST(ScenePictures, FadeModesBlendMultiplyOrAddTheColour) {
  // 0x80C08040 over the clear colour (30, 65, 90), worked out by hand.
  const struct {
    const char* name;
    int mode;
    std::uint32_t color;
  } cases[] = {
      {"fade_alpha", 0, 0xFF6F614Du},     // c a + below (1 - a), a = 128 / 255
      {"fade_add", 1, 0xFF7E817Au},       // c a + below
      {"fade_multiply", 2, 0xFF172117u},  // below c
      {"fade_unknown_mode_as_alpha", 3, 0xFF6F614Du},
  };
  for (const auto& c : cases) {
    auto drawn = DrawnScene::OnGl(32, 24);
    ASSERT_TRUE(drawn);
    ASSERT_TRUE(drawn->Load("<Scene>\n <Script>\nBegin() { Scene.AddFadeEffect(10, 0, 10, 2160099392, 2160099392, " +
                            std::to_string(c.mode) + "); }\n </Script>\n <Function OnBegin=\"Begin\"/>\n</Scene>\n"));
    const std::vector<Picture> frames = drawn->Run(1);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_TRUE(PicturesMatch(c.name, frames[0], MakePicture(32, 24, [&](auto, auto) { return c.color; })));
  }
}

TEST(ScenePictures, BlendedCastsDrawFarthestFirstOverTheOpaqueOnes) {
  auto drawn = DrawnScene::OnGl(160, 120);
  ASSERT_TRUE(drawn);
  // Two opaque rectangles (red far, white near) and two half-transparent
  // ones between them (green farther, blue nearer). The table lists them
  // nearest last, so only the sort puts them in order.
  const XMaterial red = EmissiveMaterial(1, 0, 0), white = EmissiveMaterial(1, 1, 1);
  drawn->Write("red.x", RectangleX(-330, -210, 110, 190, 0, red));
  drawn->Write("white.x", RectangleX(-30, -70, 60, 30, 0, white));
  drawn->Write("glass.x", RectangleX(-110, -130, 250, 140, 0, XMaterial{}));
  drawn->Write("small_glass.x", RectangleX(10, -90, 190, 70, 0, XMaterial{}));
  // Blended casts take their colour from the motion's colour key.
  auto glass = [](const char* r, const char* g, const char* b) {
    return std::string("  <MotionFrame name=\"Root\">\n   <ColorKey time=\"0\" ambientA=\"0\" ambientR=\"0\" ambientG=\"0\" "
                       "ambientB=\"0\" diffuseA=\"0.5\" diffuseR=\"") +
           r + "\" diffuseG=\"" + g + "\" diffuseB=\"" + b + "\"/>\n  </MotionFrame>\n";
  };
  drawn->Write("red.txt", ClassText("Red", "red.x", kFlagVisible));
  drawn->Write("white.txt", ClassText("White", "white.x", kFlagVisible));
  drawn->Write("green.txt", ClassText("Green", "glass.x", kFlagVisible | kFlagAlphaBlending, "", glass("0", "1", "0")));
  drawn->Write("blue.txt", ClassText("Blue", "small_glass.x", kFlagVisible | kFlagAlphaBlending, "", glass("0", "0", "1")));
  ASSERT_TRUE(drawn->Load("<Scene>\n <MotionObject File=\"red.txt\"/>\n <MotionObject File=\"white.txt\"/>\n"
                          " <MotionObject File=\"green.txt\"/>\n <MotionObject File=\"blue.txt\"/>\n" +
                          CastText("Blue", "Blue", 0, 0, 500) + CastText("White", "White", 0, 0, 400) +
                          CastText("Green", "Green", 0, 0, 700) + CastText("Red", "Red", 0, 0, 900) + "</Scene>\n"));
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
  drawn->Write("wall.x", RectangleX(-260, -170, -10, 130, 0, EmissiveMaterial(0.5f, 0.5f, 0.5f)));
  drawn->Write("cast.x", RectangleX(-190, -110, 170, 90, 0, EmissiveMaterial(1, 0, 0)));
  drawn->Write("wall.txt", ClassText("Wall", "wall.x", kFlagVisible));
  drawn->Write("cast.txt", ClassText("Hero", "cast.x", kFlagVisible | kFlagSolidTRender,
                                     " <SolidColor value=\"#ff00ff00\"/>\n"));
  ASSERT_TRUE(drawn->Load("<Scene>\n <MotionObject File=\"wall.txt\"/>\n <MotionObject File=\"cast.txt\"/>\n" +
                          CastText("Hero", "Hero", 0, 0, 800) + CastText("Wall", "Wall", 0, 0, 400) + "</Scene>\n"));
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
  drawn->Write("tube.x", SkinnedTubeX(120, 400, 32, 8, 3, DiffuseMaterial(1, 0.8f, 0.4f)));
  // In "Stand" the middle joint turns 45 degrees about z, so the upper half
  // leans left; in "Straight" the tube stands upright. A second cast of the
  // class stands to the right in "Straight": each draws its own pose.
  drawn->Write("tube.txt", ClassText("Tube", "tube.x", kFlagVisible | kFlagToonRender | kFlagEdgeRender,
                                     " <Motion name=\"Straight\" length=\"1\">\n </Motion>\n",
                                     "  <MotionFrame name=\"Bone1\">\n   <RotationKey time=\"0\" x=\"0\" y=\"0\" "
                                     "z=\"0.3826834\" w=\"0.9238795\"/>\n  </MotionFrame>\n"));
  ASSERT_TRUE(drawn->Load("<Scene>\n <MotionObject File=\"tube.txt\"/>\n" + CastText("Leaning", "Tube", 0, -250, 700) +
                          CastText("Upright", "Tube", 260, -250, 700, "  <InitMotion MotionName=\"Straight\"/>\n") +
                          "</Scene>\n"));
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
