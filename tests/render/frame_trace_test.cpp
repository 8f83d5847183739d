// The frame on the recording device: the render list's order and culling,
// the calls of every pass (a golden trace), no pass drawing with states
// another left, skinning once per pose, the fade factor, the orbit camera,
// and the reset of a device whose resources live.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>

#include "drawn_scene.h"
#include "motion/model.h"
#include "platform/math/matrix.h"
#include "render/screen_fades.h"
#include "support/case_files.h"

namespace {

const std::filesystem::path kHere = std::filesystem::path(T3D_SOURCE_DIR) / "tests" / "render";

std::string ListText(const RenderList& list) {
  std::string text;
  for (int i = 0; i < list.count; ++i) {
    const RenderEntry& e = list.entries[static_cast<std::size_t>(i)];
    char line[128];
    std::snprintf(line, sizeof line, "%s %g #%08x %d %g\n", e.cast->GetName(), static_cast<double>(e.depth), e.flags,
                  e.priority, static_cast<double>(e.alpha));
    text += line;
  }
  return text;
}

// Priority first; then the opaque nearest first, ties in table order; then
// the blended farthest first, opacity other than 1 counting as blending.
// Left out: zero opacity, behind the camera, past the widened cone (down,
// up, and behind to the left), invisible, deleted, at no number. The
// default render flags draw both kinds of decoration; outside a run,
// invisible and decoration casts are drawn too.
TEST(FrameTrace, TheRenderListCullsAndSortsTheCasts) {
  auto drawn = DrawnScene::Recorded(64, 48);
  // The camera looks along +z from the origin; the rectangle's bounding
  // radius is 14.1, which is also its near-fade distance.
  ASSERT_TRUE(drawn->LoadCase("render_list"));
  drawn->Start();
  Scene& scene = *drawn->scene;
  scene.FindCast("Faded")->SetAlpha(0.5f);
  scene.FindCast("Bright")->SetAlpha(1.5f);
  scene.FindCast("Gone")->SetAlpha(0.0f);
  scene.FindCast("Nowhere")->SetPositionBoth({std::nanf(""), 0.0f, 600.0f});  // a script's NaN
  Cast* deleted = scene.FindCast("Deleted");
  deleted->SetOwnFlags(deleted->GetOwnFlags() | kCastDeletedWhileRunning);
  std::string lists;
  auto list = [&](const char* title) {
    RenderList built;
    BuildRenderList(scene, MatrixIdentity(), 4.0f / 3.0f, &built);
    lists += std::string("---- ") + title + "\n" + ListText(built);
  };
  list("default render flags");
  scene.SetRenderFlags(kRenderDecoration2);
  list("decoration 2 only");
  scene.SetFrameCounter(kSceneNotRunning);
  list("decoration 2 only, outside a run");
  EXPECT_EQ(lists, GoldenText(kHere / "golden" / "render_list.txt", lists));
}

// The cast kinds of the pass tests (the scene "kinds"): a toon tube with its
// outline, a painted toon rectangle, a silhouette, alpha, additive and
// subtractive blending, and a plain rectangle; each a class in two
// priorities ("Hi" draws before "Lo" whatever its kind).
const char* const kKinds[] = {"Toon", "Painted", "Ghost", "Glass", "Glow", "Shade", "Plain"};

// The recorded scene of every kind's classes, its casts given as Cast elements.
std::unique_ptr<DrawnScene> KindsScene(const std::string& casts) {
  auto drawn = DrawnScene::Recorded(64, 48);
  drawn->game.Write("paint.png", GameFolder::Png(4, 4, [](std::uint32_t, std::uint32_t) { return 0xFF40C080u; }));
  EXPECT_TRUE(drawn->LoadCase("kinds", casts));
  drawn->Start();
  drawn->TakeLines();
  return drawn;
}

TEST(FrameTrace, EveryPassOfAFrameInOrder) {
  std::string casts;
  float x = -60;
  for (const char* kind : kKinds) {
    casts += CastText(kind, std::string(kind) + "Lo", x, 0, 300 + x);
    x += 20;
  }
  // Opacity reaches the toon colour and the outline's, held at opaque above 1.
  casts += CastText("Faded", "ToonLo", 0, -30, 320) + CastText("Bright", "ToonLo", 20, -30, 330);
  auto drawn = KindsScene(casts);
  drawn->scene->FindCast("Faded")->SetAlpha(0.5f);
  drawn->scene->FindCast("Bright")->SetAlpha(1.5f);
  drawn->scene->AddFadeEffect(10, 0, 10, 0x80FFFFFFu, 0x80FFFFFFu, 1);
  drawn->DrawFrame();
  const std::string trace = JoinLines(drawn->TakeLines());
  EXPECT_EQ(trace, GoldenText(kHere / "golden" / "frame.trace", trace));
}

// The states in force at each draw of a frame, as the trace set them; only
// those the draw depends on (what its texture stages, blending, depth test
// and vertex program read).
using States = std::map<std::string, std::string>;

States Relevant(const States& all, bool meshDraw) {
  auto get = [&](const std::string& key) {
    auto it = all.find(key);
    return it == all.end() ? std::string("(unset)") : it->second;
  };
  States kept;
  auto keep = [&](const std::string& key) { kept[key] = get(key); };
  for (const char* key : {"ZENABLE", "ALPHABLENDENABLE", "CULLMODE", "ALPHATESTENABLE", "shader"}) keep(key);
  if (get("ZENABLE") != "FALSE") keep("ZFUNC"), keep("ZWRITEENABLE");
  if (get("ALPHABLENDENABLE") == "TRUE") keep("SRCBLEND"), keep("DESTBLEND");
  if (get("ALPHATESTENABLE") == "TRUE") keep("ALPHAFUNC"), keep("ALPHAREF");
  bool diffuse = false;
  for (int stage = 0; stage < 2; ++stage) {
    const std::string s = std::to_string(stage) + ":";
    keep(s + "COLOROP");
    if (get(s + "COLOROP") == "DISABLE") {
      diffuse = diffuse || stage == 0;
      break;
    }
    for (const char* op : {"COLOR", "ALPHA"}) {
      const std::string name = s + op + "OP";
      keep(name);
      const std::string value = get(name);
      std::vector<std::string> args;
      if (value == "SELECTARG1" || value == "MODULATE") args.push_back(s + op + "ARG1");
      if (value == "MODULATE") args.push_back(s + op + "ARG2");
      for (const std::string& arg : args) {
        keep(arg);
        const std::string a = get(arg);
        if (a == "TEXTURE") {
          keep("texture " + std::to_string(stage));
          if (get("texture " + std::to_string(stage)) != "null")
            for (const char* sampler : {"ADDRESSU", "ADDRESSV", "MAGFILTER", "MINFILTER", "MIPFILTER", "MIPMAPLODBIAS"})
              keep("sampler " + s + sampler);
        }
        if (a == "TFACTOR") keep("TEXTUREFACTOR");
        if (a == "DIFFUSE" || (stage == 0 && a == "CURRENT")) diffuse = true;
      }
    }
  }
  const std::string shader = get("shader");
  const std::map<std::string, std::vector<int>> registers = {{"ToonUntexturedShader", {1, 2, 3, 4, 5, 6, 7}},
                                                              {"ToonTexturedShader", {2, 3, 4, 5, 6, 7, 8}},
                                                              {"OutlineShader", {0, 1, 4, 5, 6, 7}},
                                                              {"FlatColorShader", {0, 4, 5, 6, 7}}};
  if (auto it = registers.find(shader); it != registers.end()) {
    for (int r : it->second) keep("c" + std::to_string(r));
  } else if (meshDraw) {
    for (const char* key : {"WORLD", "VIEW", "PROJECTION"}) keep(key);
    if (diffuse) keep("LIGHTING");
    if (diffuse && get("LIGHTING") == "TRUE")
      for (const char* key : {"material", "light", "AMBIENT", "DIFFUSEMATERIALSOURCE", "AMBIENTMATERIALSOURCE"}) keep(key);
  }
  return kept;
}

// For every draw of the frame's trace, the relevant states then in force.
std::vector<States> StatesAtDraws(const std::vector<std::string>& lines) {
  States state;
  std::vector<States> draws;
  for (const std::string& line : lines) {
    const std::size_t open = line.find('(');
    const std::string call = line.substr(0, open);
    const std::string args = open == std::string::npos ? "" : line.substr(open + 1, line.size() - open - 2);
    auto nth = [&](int n) {  // the n-th comma-separated argument, the rest for the last
      std::size_t begin = 0;
      for (int i = 0; i < n; ++i) begin = args.find(", ", begin) + 2;
      return args.substr(begin);
    };
    auto first = [](const std::string& text) { return text.substr(0, text.find(", ")); };
    if (call == "SetRenderState") state[first(args)] = nth(1);
    else if (call == "SetTextureStageState") state[first(args) + ":" + first(nth(1))] = nth(2);
    else if (call == "SetSamplerState") state["sampler " + first(args) + ":" + first(nth(1))] = nth(2);
    else if (call == "SetTexture") state["texture " + first(args)] = nth(1);
    else if (call == "SetVertexShader") state["shader"] = args;
    else if (call == "SetMaterial") state["material"] = args;
    else if (call == "SetLight") state["light"] = args;
    else if (call == "SetTransform") state[first(args)] = nth(1);
    else if (call == "SetVertexShaderConstantF") {
      int reg = std::atoi(args.c_str());
      for (std::size_t at = args.find('('); at != std::string::npos; at = args.find('(', at + 1))
        state["c" + std::to_string(reg++)] = args.substr(at, args.find(')', at) - at + 1);
    } else if (call == "DrawSubset" || call == "DrawPrimitiveUP") {
      draws.push_back(Relevant(state, call == "DrawSubset"));
    }
  }
  return draws;
}

std::string Differences(const States& a, const States& b) {
  std::string text;
  for (const auto& [key, value] : a)
    if (b.count(key) == 0 || b.at(key) != value)
      text += "  " + key + ": " + value + " / " + (b.count(key) ? b.at(key) : "(absent)") + "\n";
  return text;
}

// Each kind of cast, and the fade after the casts, draws with the same
// states whichever cast was drawn before it: every pass sets what it reads.
TEST(FrameTrace, NoPassDrawsWithTheStatesAnotherLeft) {
  const int kFade = static_cast<int>(std::size(kKinds));
  auto frame = [](int before, int kind) {
    std::string casts;
    if (before >= 0) casts += CastText("Before", std::string(kKinds[before]) + "Hi", 0, 0, 300);
    if (kind < kFade) casts += CastText("Cast", std::string(kKinds[kind]) + "Lo", 0, 0, 400);
    auto drawn = KindsScene(casts);
    if (kind == kFade) drawn->scene->AddFadeEffect(10, 0, 10, 0x80FFFFFFu, 0x80FFFFFFu, 0);
    drawn->DrawFrame();
    return StatesAtDraws(drawn->TakeLines());
  };
  for (int kind = 0; kind <= kFade; ++kind) {
    const std::vector<States> alone = frame(-1, kind);
    ASSERT_FALSE(alone.empty());
    for (int before = 0; before < kFade; ++before) {
      const std::vector<States> after = frame(before, kind);
      const std::vector<States> beforeAlone = frame(before, kFade + 1);
      ASSERT_EQ(after.size(), beforeAlone.size() + alone.size());
      for (std::size_t i = 0; i < alone.size(); ++i) {
        const States& states = after[beforeAlone.size() + i];
        EXPECT_EQ(states, alone[i]) << (kind == kFade ? "the fade" : kKinds[kind]) << " after "
                                    << kKinds[before] << ", draw " << i << ":\n"
                                    << Differences(states, alone[i]);
      }
    }
  }
}

TEST(FrameTrace, EachCastIsSkinnedOncePerPose) {
  auto drawn = KindsScene(CastText("One", "ToonLo", 0, 0, 300) + CastText("Two", "ToonLo", 30, 0, 300));
  Scene& scene = *drawn->scene;
  std::string trace;
  auto frame = [&](const char* what) {
    drawn->DrawFrame();
    trace += std::string(what) + ": " + std::to_string(CountLines(drawn->TakeLines(), "UpdateVertices(")) + "\n";
  };
  frame("first frame");
  frame("nothing changed");
  scene.FindCast("One")->GetBoneControls();  // a writer of the bone controls
  frame("one cast's bone controls touched");
  scene.SetFrameCounter(kSceneNotRunning);
  frame("outside a run");
  // Two casts, each with a toon draw and two outline draws.
  EXPECT_EQ(trace,
            "first frame: 2\n"
            "nothing changed: 0\n"
            "one cast's bone controls touched: 1\n"
            "outside a run: 2\n");
}

TEST(FrameTrace, AFadeGivesColourOneUntilItsFadeInEnds) {
  const struct {
    std::int32_t inEnd, outStart, elapsed;
    std::uint32_t color;
  } cases[] = {
      {2, 4, 1, 0xFF00C800u},  // before the fade-in ends: colour 1, not a wrapped factor
      {2, 4, 2, 0xFF00C800u},
      {2, 5, 3, 0xFF218542u},  // a third of the way: 33.3, 133.3, 66.7 truncated
      {2, 4, 4, 0xFF6400C8u},
      {2, 4, 9, 0xFF6400C8u},
      {3, 3, 2, 0xFF00C800u},  // no blend between: colour 2 from the mark on
      {3, 3, 3, 0xFF6400C8u},
  };
  for (const auto& c : cases) {
    const FadeSlot fade{1, 10, c.inEnd, c.outStart, c.elapsed, {0xFF, 0x00, 0xC8, 0x00}, {0xFF, 0x64, 0x00, 0xC8}};
    EXPECT_EQ(FadeColor(fade), c.color) << c.inEnd << " " << c.outStart << " " << c.elapsed;
  }
}

TEST(FrameTrace, TheOrbitCameraCirclesItsTarget) {
  const struct {
    float yaw, pitch;
    Vector3 eye;
  } cases[] = {
      {0, 90, {10, 520, 30}},  // straight above
      {90, 0, {10, 20, 530}},
      {180, 0, {-490, 20, 30}},
  };
  for (const auto& c : cases) {
    auto drawn = KindsScene("");
    OrbitView orbit{{10, 20, 30}, c.yaw, c.pitch, 500};
    drawn->renderer->RenderFrame(*drawn->scene, &orbit);
    Matrix inverse;
    ASSERT_TRUE(MatrixInverse(&inverse, nullptr, drawn->graphics.GetDevice()->GetTransform(TransformState::View)));
    EXPECT_NEAR(inverse.m[3][0], c.eye.x, 0.01f) << c.yaw << " " << c.pitch;
    EXPECT_NEAR(inverse.m[3][1], c.eye.y, 0.01f) << c.yaw << " " << c.pitch;
    EXPECT_NEAR(inverse.m[3][2], c.eye.z, 0.01f) << c.yaw << " " << c.pitch;
  }
}

// After the casts and the fades, the text slots; after the scene, the
// frame-rate line in the system font.
TEST(FrameTrace, TheFrameRateLineFollowsTheSceneInTheSystemFont) {
  auto drawn = KindsScene("");
  drawn->Run(1, true);
  const std::vector<std::string> lines = drawn->TakeLines();
  const auto end = std::find(lines.begin(), lines.end(), "EndScene");
  ASSERT_NE(end, lines.end());
  std::string after;
  for (auto line = end; line != lines.end(); ++line)
    if (line->rfind("SetTexture(0", 0) == 0 || line->rfind("Draw", 0) == 0 || *line == "Present") after += *line + "\n";
  EXPECT_EQ(after, "SetTexture(0, ASCII16.png)\nDrawPrimitiveUP(TRIANGLELIST, 12, 28)\nPresent\n");
}

// The device refuses a reset while default-pool textures live: the run loop
// releases the scene's resources first, resets, makes them again and draws.
TEST(FrameTrace, ADeviceThatNeedsAResetIsResetAndDrawsAgain) {
  auto drawn = KindsScene("");
  drawn->recorder->ForceState(DeviceState::NotReset);
  drawn->Run(2);
  std::string trace;
  for (const std::string& line : drawn->TakeLines())
    if (line.rfind("Reset", 0) == 0 || line == "BeginScene" || line == "Present") trace += line + "\n";
  EXPECT_EQ(trace, "Reset(64x48, full screen)\nBeginScene\nPresent\nBeginScene\nPresent\n");
  EXPECT_EQ(drawn->recorder->TestCooperativeLevel(), DeviceState::Ready);
}

}  // namespace
