// Shadows and glare drawn on the GL device (llvmpipe) and read back, seen
// straight down from 600 units above the origin, so that every pixel shows
// a known point of the floor: a blob shadow and a soft shadow round a tube's
// foot, a glaring floor tile, and the frames glare must leave untouched.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>

#include "drawn_scene.h"
#include "motion/object_class.h"
#include "platform/math/matrix.h"
#include "render/shadow_glare/glare_pass.h"

namespace {

constexpr std::uint32_t kWidth = 400, kHeight = 300;
constexpr float kEyeHeight = 600.0f;
constexpr std::uint32_t kClear = 0xFF1E415Au;
constexpr std::uint32_t kWhite = 0xFFFFFFFFu, kRed = 0xFFFF0000u;
// The models of the scene "floor_and_tube". A tube of radius 40 standing 200
// high on the origin; seen from above its top hides the floor within 60 (40 x
// 600 / 400) of its axis.
constexpr float kTubeRadius = 40.0f, kTubeHeight = 200.0f, kTubeTop = 60.0f;
// The floor: white, 800 across, an obstacle.
constexpr float kFloorHalf = 400.0f;

// The floor point (x, z) a pixel's centre shows: the camera looks down -y
// with +z up the screen and +x to the right.
struct FloorPoint {
  float x, z;
};
FloorPoint FloorAt(std::uint32_t px, std::uint32_t py) {
  const float t = std::tan(kFieldOfView / 2.0f) * kEyeHeight;
  const float aspect = static_cast<float>(kWidth) / static_cast<float>(kHeight);
  return {(static_cast<float>(px) / kWidth * 2.0f - 1.0f) * t * aspect,
          (1.0f - static_cast<float>(py) / kHeight * 2.0f) * t};
}

// The expected picture: the colour a floor point should show, or 0 where a
// boundary runs too near to say (the drawn pixel is taken there).
Picture Expected(const Picture& drawn, const std::function<std::uint32_t(FloorPoint)>& color) {
  return MakePicture(kWidth, kHeight, [&](std::uint32_t x, std::uint32_t y) {
    const std::uint32_t c = color(FloorAt(x, y));
    return c != 0 ? c : drawn.At(x, y);
  });
}

// What the frame shows of the floor and the tube, with `inShadow` (-1 out,
// 0 unsure, 1 in) for the floor's shaded part.
std::uint32_t FloorAndTube(FloorPoint p, int inShadow, std::uint32_t shadow) {
  constexpr float kMargin = 6.0f;  // about two pixels
  const float side = std::max(std::fabs(p.x), std::fabs(p.z)), axis = std::hypot(p.x, p.z);
  if (std::fabs(side - kFloorHalf) < kMargin || std::fabs(axis - kTubeTop) < kMargin) return 0;
  if (side > kFloorHalf) return kClear;
  if (axis < kTubeTop) return kRed;
  return inShadow > 0 ? shadow : inShadow < 0 ? kWhite : 0;
}

// The blob image: a disc of grey 64 a quarter of its width in radius, white round it.
constexpr float kBlobDisc = 0.25f;
constexpr std::uint32_t kBlobGrey = 0xFF404040u;

// The floor and the tube (the scene "floor_and_tube"), with `casts`, seen
// from above and drawn with `renderFlags`.
std::unique_ptr<DrawnScene> Seen(const std::string& casts, std::uint32_t renderFlags) {
  auto drawn = DrawnScene::OnGl(kWidth, kHeight);
  if (!drawn) return nullptr;
  auto blob = [](std::uint32_t x, std::uint32_t y) {
    const float r = std::hypot(static_cast<float>(x) + 0.5f - 64.0f, static_cast<float>(y) + 0.5f - 64.0f);
    return r < kBlobDisc * 128.0f ? kBlobGrey : kWhite;
  };
  drawn->game.Write("shadow.bmp", GameFolder::Png(128, 128, blob));
  EXPECT_TRUE(drawn->LoadCase("floor_and_tube", casts));
  drawn->Start();
  drawn->scene->SetViewMatrix(MatrixLookAtLH({0, kEyeHeight, 0}, {0, 0, 0}, {0, 0, 1}));
  drawn->scene->SetRenderFlags(renderFlags);
  return drawn;
}

const std::string kFloorAndTube = CastText("Floor", "Floor") + CastText("Tube", "Tube");

float TubeBoundingRadius(const DrawnScene& drawn) { return drawn.scene->FindObjectClass("Tube")->GetBoundingRadius(); }

TEST(ShadowGlarePictures, ABlobShadowDarkensTheFloorRoundTheCastsFoot) {
  // Straight down, as the scene's default flags have it, without glare.
  auto drawn = Seen(kFloorAndTube, kRenderShadowsStraightDown);
  ASSERT_TRUE(drawn);
  const Picture picture = drawn->DrawFrame();
  // The image spans 5.05 bounding radii of the floor, centred on the tube's foot.
  const float disc = kBlobDisc * 5.05f * TubeBoundingRadius(*drawn);
  const Picture expected = Expected(picture, [&](FloorPoint p) {
    const float d = std::hypot(p.x, p.z);
    return FloorAndTube(p, std::fabs(d - disc) < 10.0f ? 0 : d < disc ? 1 : -1, kBlobGrey);
  });
  EXPECT_TRUE(PicturesMatch("blob_shadow", picture, expected));
}

TEST(ShadowGlarePictures, ASoftShadowIsTheCastsOwnShapeAlongTheLight) {
  auto drawn = Seen(kFloorAndTube, kRenderSoftShadows);
  ASSERT_TRUE(drawn);
  const Picture picture = drawn->DrawFrame();
  // Along the light (0.25, -1, -0.25) the tube's cross-sections fall on the
  // floor as discs of its radius whose centres run from its foot to (50,
  // -50) below its top: within 40 of that segment lies the shadow, in grey
  // 128 for a receiver 10 units along the ray.
  const float top = kTubeHeight * 0.25f;
  const Picture expected = Expected(picture, [&](FloorPoint p) {
    const float t = std::clamp((p.x * top - p.z * top) / (2.0f * top * top), 0.0f, 1.0f);
    const float d = std::hypot(p.x - t * top, p.z + t * top);
    return FloorAndTube(p, std::fabs(d - kTubeRadius) < 9.0f ? 0 : d < kTubeRadius ? 1 : -1, 0xFF808080u);
  });
  EXPECT_TRUE(PicturesMatch("soft_shadow", picture, expected));
}

// The black floor tile of the scene "glare_tile", 300 across, glaring or
// not, lit from above; `more` casts besides.
constexpr float kTileHalf = 150.0f;

std::unique_ptr<DrawnScene> TileScene(bool glaring, const std::string& more) {
  auto drawn = DrawnScene::OnGl(kWidth, kHeight);
  if (!drawn) return nullptr;
  EXPECT_TRUE(drawn->LoadCase("glare_tile", CastText("Tile", glaring ? "Tile" : "PlainTile") + more));
  drawn->Start();
  drawn->scene->SetViewMatrix(MatrixLookAtLH({0, kEyeHeight, 0}, {0, 0, 0}, {0, 0, 1}));
  drawn->scene->SetRenderFlags(kRenderGlare);
  return drawn;
}

TEST(ShadowGlarePictures, ALitGlaringCastAddsTheTintOverItself) {
  auto plain = TileScene(false, ""), glaring = TileScene(true, "");
  ASSERT_TRUE(plain && glaring);
  const Picture before = plain->DrawFrame(), after = glaring->DrawFrame();
  // The glow reaches about four texels of the 128x128 target past the tile.
  constexpr float kReach = 40.0f;
  const Picture expected = Expected(after, [&](FloorPoint p) -> std::uint32_t {
    const float side = std::max(std::fabs(p.x), std::fabs(p.z));
    if (side < kTileHalf - kReach) return 0xFF000000u | (kGlareTint & 0xFFFFFFu);
    return side > kTileHalf + kReach ? kClear : 0;
  });
  EXPECT_TRUE(PicturesMatch("glare_tile", after, expected));
  EXPECT_EQ(before.At(kWidth / 2, kHeight / 2), 0xFF000000u);
}

TEST(ShadowGlarePictures, FramesWithoutAGlaringCastStayAsWithoutGlare) {
  const struct {
    const char* name;
    std::function<std::unique_ptr<DrawnScene>(bool)> scene;
  } cases[] = {
      // Shadows and all, no cast has a Glare value: the glare bit changes nothing.
      {"no glare value", [](bool on) { return Seen(kFloorAndTube, on ? 0x3Du : 0x3Cu); }},
      // The ceiling stands between the glaring tile and the light.
      {"in an obstacle's shadow", [](bool on) { return TileScene(on, CastText("Ceiling", "Ceiling")); }},
  };
  for (const auto& c : cases) {
    auto with = c.scene(true), without = c.scene(false);
    ASSERT_TRUE(with && without);
    EXPECT_TRUE(PicturesMatch(std::string("unchanged_") + c.name, with->DrawFrame(), without->DrawFrame(), 0))
        << c.name;
  }
}

}  // namespace
