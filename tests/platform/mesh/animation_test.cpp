// Key-frame interpolation, looping animation sets and the controller that
// writes frame matrices from track 0 (a file's animation played is a case file
// of the loader test).
#include <gtest/gtest.h>

#include <cmath>

#include "platform/math/math_expect.h"
#include "platform/math/matrix.h"
#include "platform/math/quaternion.h"
#include "platform/mesh/animation_controller.h"
#include "platform/mesh/frame_hierarchy.h"
#include "xfile_test_support.h"

namespace {

Quaternion TurnY(float angle) { return {0.0f, std::sin(angle / 2), 0.0f, std::cos(angle / 2)}; }

TEST(KeyframeInterpolator, ScaleAndTranslationLinearRotationSlerpEndsHeld) {
  // Keys given out of order are sorted.
  const KeyframeInterpolator keys(
      "bone", {{10.0f, {3, 3, 3}}, {0.0f, {1, 1, 1}}},
      {{0.0f, TurnY(0.0f)}, {10.0f, TurnY(1.5707964f)}},
      {{0.0f, {0, 0, 0}}, {4.0f, {4, 8, 0}}, {8.0f, {4, 8, 8}}});
  EXPECT_EQ(10.0f, keys.LastKeyTime());
  const auto rows = ReadTableRows(std::filesystem::path(T3D_SOURCE_DIR) / "tests/platform/mesh/tables/keyframes.rows");
  EXPECT_GE(rows.size(), 6u);
  for (const auto& row : rows) {
    const Matrix expected =
        MatrixTransformation(Parse<Vector3>(row[1]), TurnY(std::stof(row[2])), Parse<Vector3>(row[3]));
    EXPECT_TRUE(IsNear(keys.GetMatrix(std::stod(row[0])), expected)) << row[0];
  }
  // Kinds without keys hold the identity.
  const KeyframeInterpolator empty("none", {}, {}, {});
  EXPECT_EQ(MatrixIdentity(), empty.GetMatrix(3.0));
}

TEST(AnimationSet, PositionsWrapAroundThePeriod) {
  const AnimationSet set("walk", 24.0,
                         {KeyframeInterpolator("a", {}, {}, {{0.0f, {0, 0, 0}}, {48.0f, {48, 0, 0}}}),
                          KeyframeInterpolator("b", {}, {}, {{12.0f, {1, 0, 0}}})});
  EXPECT_EQ(48.0, set.PeriodTicks());
  EXPECT_EQ(0, set.FindAnimation("a"));
  EXPECT_EQ(1, set.FindAnimation("b"));
  EXPECT_EQ(-1, set.FindAnimation("c"));
  // Seconds and the ticks into the set they come to.
  for (auto [seconds, ticks] : {std::pair{0.0, 0.0}, {1.0, 24.0}, {2.0, 0.0}, {2.5, 12.0}, {-0.5, 36.0}})
    EXPECT_DOUBLE_EQ(ticks, set.LocalTicks(seconds)) << seconds;
}

// Frames loaded from the text of a file, found by name.
struct Frames : LoadOutcome {
  explicit Frames(const std::string& text) { Load(Bytes("xof 0303txt 0032\n" + text), this); }
  Frame* operator[](const char* name) const { return FindFrame(hierarchy.root, name); }
};

const char* const kRAB = "Frame R { Frame A {} Frame B {} }";

std::shared_ptr<AnimationSet> Slide(const char* name, float distance) {
  // One tick per frame, as the model layer builds its motions.
  return std::make_shared<AnimationSet>(
      name, 1.0,
      std::vector<KeyframeInterpolator>{
          KeyframeInterpolator("A", {}, {}, {{0.0f, {0, 0, 0}}, {10.0f, {distance, 0, 0}}}),
          KeyframeInterpolator("Missing", {}, {}, {{0.0f, {5, 5, 5}}})});
}

// A controller writing the frames under `root`, playing `set` on track 0.
std::unique_ptr<AnimationController> Playing(Frame* root, const std::shared_ptr<AnimationSet>& set) {
  auto controller = std::make_unique<AnimationController>(1, 1);
  controller->RegisterFrameOutputs(root);
  EXPECT_TRUE(controller->RegisterAnimationSet(set) && controller->SetTrackAnimationSet(0, set) &&
              controller->SetTrackEnable(0, true));
  return controller;
}

TEST(AnimationController, TrackZeroWritesTheFramesItsSetAnimates) {
  Frames h(kRAB);
  const Matrix untouched = MatrixTranslation(7, 7, 7);
  h["B"]->transformationMatrix = h["R"]->transformationMatrix = untouched;
  AnimationController controller(2, 1);
  controller.RegisterFrameOutputs(h["R"]);
  auto walk = Slide("walk", 10.0f), run = Slide("run", 30.0f);
  ASSERT_TRUE(controller.RegisterAnimationSet(walk) && controller.RegisterAnimationSet(run));
  EXPECT_FALSE(controller.RegisterAnimationSet(walk));  // already there
  EXPECT_FALSE(controller.RegisterAnimationSet(Slide("full", 1.0f)));
  EXPECT_EQ(run, controller.GetAnimationSetByName("run"));

  // A disabled track writes nothing.
  ASSERT_TRUE(controller.SetTrackAnimationSet(0, walk));
  controller.SetTime(4.0);
  EXPECT_EQ(MatrixIdentity(), h["A"]->transformationMatrix);

  ASSERT_TRUE(controller.SetTrackEnable(0, true));
  controller.SetTime(4.0);
  EXPECT_EQ(MatrixTranslation(4, 0, 0), h["A"]->transformationMatrix);
  EXPECT_EQ(untouched, h["B"]->transformationMatrix);
  EXPECT_EQ(untouched, h["R"]->transformationMatrix);

  ASSERT_TRUE(controller.SetTrackAnimationSet(0, run));
  controller.SetTime(5.0);
  EXPECT_EQ(MatrixTranslation(15, 0, 0), h["A"]->transformationMatrix);
  ASSERT_TRUE(controller.SetTrackSpeed(0, 0.5f));
  controller.AdvanceTime(2.0);  // the track moves by 1
  EXPECT_EQ(MatrixTranslation(18, 0, 0), h["A"]->transformationMatrix);
  EXPECT_DOUBLE_EQ(7.0, controller.GetTime());
  TrackDesc desc;
  ASSERT_TRUE(controller.GetTrackDesc(0, &desc));
  EXPECT_DOUBLE_EQ(6.0, desc.position);

  // There is no track 1.
  EXPECT_FALSE(controller.SetTrackEnable(1, true) || controller.SetTrackAnimationSet(1, walk) ||
               controller.GetTrackDesc(1, &desc));
}

TEST(AnimationController, OfTwoFramesWithOneNameTheOneASearchFindsIsAnimated) {
  Frames h("Frame R { Frame Inner { Frame A {} } Frame A {} }");
  Frame* deep = h["Inner"]->firstChild;
  Frame* second = h["Inner"]->sibling;
  const auto controller = Playing(h["R"], Slide("walk", 10.0f));
  controller->SetTime(3.0);
  EXPECT_EQ(h["A"], deep);
  EXPECT_EQ(MatrixTranslation(3, 0, 0), deep->transformationMatrix);
  EXPECT_EQ(MatrixIdentity(), second->transformationMatrix);
  // An output registered by hand cannot take a name that is already there.
  Matrix extra = MatrixIdentity();
  EXPECT_FALSE(controller->RegisterAnimationOutput("A", &extra));
  EXPECT_FALSE(controller->RegisterAnimationOutput("", &extra));
  EXPECT_TRUE(controller->RegisterAnimationOutput("Missing", &extra));
  controller->SetTime(3.0);
  EXPECT_EQ(MatrixTranslation(5, 5, 5), extra);
}

TEST(AnimationController, CloneMakesRoomAndKeepsSetsTracksAndOutputs) {
  Frames h(kRAB);
  auto walk = Slide("walk", 10.0f);
  const auto controller = Playing(h["R"], walk);
  EXPECT_EQ(nullptr, controller->Clone(0, 1));

  auto clone = controller->Clone(3, 4);
  ASSERT_TRUE(clone);
  EXPECT_EQ(3u, clone->GetMaxNumAnimationSets());
  EXPECT_EQ(4u, clone->GetMaxNumTracks());
  EXPECT_EQ(walk, clone->GetAnimationSet(0));
  EXPECT_EQ(walk, clone->GetTrackAnimationSet(0));
  // Dropping the file's set keeps it playing on the track until replaced.
  EXPECT_TRUE(clone->UnregisterAnimationSet(walk.get()));
  EXPECT_FALSE(clone->UnregisterAnimationSet(walk.get()));
  EXPECT_EQ(0u, clone->GetNumAnimationSets());
  clone->SetTime(2.0);
  EXPECT_EQ(MatrixTranslation(2, 0, 0), h["A"]->transformationMatrix);
  auto run = Slide("run", 20.0f);
  EXPECT_TRUE(clone->RegisterAnimationSet(run));
  clone->SetTrackAnimationSet(0, run);
  clone->SetTime(2.0);
  EXPECT_EQ(MatrixTranslation(4, 0, 0), h["A"]->transformationMatrix);
}

}  // namespace
