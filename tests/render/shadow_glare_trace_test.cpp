// The shadow and glare sections on the recording device: the calls of a
// soft shadow, a blob shadow and the glare (a golden trace, the viewport in
// force and the projected vertices included), and how often a frame reads
// the render target back.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "drawn_scene.h"
#include "platform/math/matrix.h"
#include "support/case_files.h"

namespace {

// Seen straight down from 600 above the origin: a floor, tubes that cast
// shadows, a tile that glares and a stone that does neither.
std::unique_ptr<DrawnScene> Recorded(const std::string& casts, std::uint32_t renderFlags) {
  auto drawn = DrawnScene::Recorded(64, 48);
  EXPECT_TRUE(drawn->LoadCase("shadow_glare", casts));
  drawn->Start();
  drawn->scene->SetViewMatrix(MatrixLookAtLH({0, 600, 0}, {0, 0, 0}, {0, 0, 1}));
  drawn->scene->SetRenderFlags(renderFlags);
  drawn->TakeLines();
  return drawn;
}

TEST(ShadowGlareTrace, TheSectionsCallsInOrder) {
  const std::string casts = CastText("Floor", "Floor") + CastText("Tube", "Tube", 100, 0, 0) +
                            CastText("Tile", "Tile", -100, 0, 0);
  // The frame without the sections, then with them: the sections are what
  // the second adds between the casts and the end of the frame.
  auto frameLines = [&](std::uint32_t renderFlags, bool shadow) {
    auto drawn = Recorded(casts, renderFlags);
    Cast& tube = *drawn->scene->FindCast("Tube");
    if (!shadow) tube.SetFlagMask(tube.GetFlagMask() & ~kFlagShadowRender);
    drawn->recorder->TraceVertices(true);
    drawn->DrawFrame();
    return drawn->TakeLines();
  };
  const std::vector<std::string> bare = frameLines(0, false);
  std::string trace;
  for (const std::uint32_t flags : {kRenderGlare | kRenderSoftShadows, kRenderShadowsStraightDown}) {
    const std::vector<std::string> full = frameLines(flags, true);
    std::size_t head = 0, tail = 0;
    while (head < bare.size() && full[head] == bare[head]) ++head;
    while (tail < bare.size() - head && full[full.size() - 1 - tail] == bare[bare.size() - 1 - tail]) ++tail;
    char title[64];
    std::snprintf(title, sizeof title, "---- RenderFlags 0x%02x\n", flags);
    trace += title;
    for (std::size_t i = head; i < full.size() - tail; ++i) trace += full[i] + "\n";
  }
  EXPECT_EQ(trace, GoldenText(std::filesystem::path(T3D_SOURCE_DIR) / "tests/render/golden/sections.trace", trace));
}

TEST(ShadowGlareTrace, ReadBacksPerFrame) {
  const std::string floor = CastText("Floor", "Floor"), tube = CastText("Tube", "Tube", 100, 0, 0),
                    tile = CastText("Tile", "Tile", -100, 0, 0);
  char farFlags[96];
  std::snprintf(farFlags, sizeof farFlags, "  <InitFlags flags=\"#%08x\" mask=\"#ffffffff\"/>\n",
                kFlagVisible | kFlagShadowRender | kFlagNoOmitRendering);
  const struct {
    const char* name;
    std::string casts;
    std::uint32_t renderFlags;
    int readBacks;
  } cases[] = {
      {"nothing shadows or glares", floor + CastText("Stone", "Stone"), kRenderGlare | kRenderSoftShadows, 0},
      {"blob shadows", floor + tube, kRenderGlare, 0},
      {"a soft shadow each", floor + tube + CastText("Tube2", "Tube", 0, 0, 100), kRenderSoftShadows, 2},
      {"no receiver, no shadow", tube, kRenderSoftShadows, 0},
      // Kept in the list, but the floor below it lies far off the screen.
      {"receiver out of sight", CastText("Floor", "Floor", 3000, 0, 0) + CastText("Tube", "Tube", 3000, 0, 0, farFlags),
       kRenderSoftShadows, 0},
      {"glare once", floor + tile + CastText("Tile2", "Tile", 100, 0, 100), kRenderGlare, 1},
      {"glare off", floor + tile, kRenderSoftShadows, 0},
      {"both", floor + tube + tile, kRenderGlare | kRenderSoftShadows, 2},
  };
  for (const auto& c : cases) {
    auto drawn = Recorded(c.casts, c.renderFlags);
    drawn->DrawFrame();
    EXPECT_EQ(CountLines(drawn->TakeLines(), "GetRenderTargetData("), c.readBacks) << c.name;
  }
}

}  // namespace
