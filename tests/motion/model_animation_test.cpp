// Motions turned into animation sets: closing keys at the motion's length,
// translations moved by the frame's own, full frame names, and the pose the
// controller then gives at whole and fractional frames.
#include <gtest/gtest.h>

#include "model_test_support.h"

namespace {

const Quaternion kNone = {0.0f, 0.0f, 0.0f, 1.0f};
const Quaternion kQuarterZ = {0.0f, 0.0f, 0.70710678f, 0.70710678f};  // 90 degrees about z

class ModelAnimationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(model.Load(ModelsDir() + "two_bone_box.x", &error)) << error;
    ASSERT_TRUE(model.CloneAnimationController(4));
  }
  // Registers the set and plays it on track 0.
  void Play(const std::shared_ptr<AnimationSet>& set) {
    AnimationController& controller = *model.GetAnimationController();
    ASSERT_TRUE(controller.RegisterAnimationSet(set));
    ASSERT_TRUE(controller.SetTrackAnimationSet(0, set));
  }
  MotionFrame& Track(int frame) { return *motion.FrameAt(frame); }

  Model model;
  Motion motion;
};

TEST_F(ModelAnimationTest, KeysClosedAtTheLengthWithTheirValueAtStart) {
  struct Case {
    const char* name;
    int length;
    std::vector<std::pair<std::uint32_t, std::pair<int, Quaternion>>> upperKeys;
    const char* expectedUpper;
  };
  const Case cases[] = {
      {"rotation keys at 0 and 30 of 60: the last equals the first", 60,
       {{kKindRotate, {0, kNone}}, {kKindRotate, {30, kQuarterZ}}},
       "Upper: R 0(0 0 0 1) 30(0 0 0.7071 0.7071) 60(0 0 0 1); S 60(1 1 1); T 60(0 1 0)"},
      {"keys given out of order come out sorted", 60,
       {{kKindRotate, {30, kQuarterZ}}, {kKindRotate, {0, kNone}}},
       "Upper: R 0(0 0 0 1) 30(0 0 0.7071 0.7071) 60(0 0 0 1); S 60(1 1 1); T 60(0 1 0)"},
      {"translations move by the frame's own; before the first key its value holds", 40,
       {{kKindTrans, {20, {2.0f, 0.0f, 0.0f, 0.0f}}}, {kKindTrans, {5, {1.0f, 0.0f, 0.0f, 0.0f}}}},
       "Upper: R 40(0 0 0 1); S 40(1 1 1); T 5(1 1 0) 20(2 1 0) 40(1 1 0)"},
      {"scale keys", 10, {{kKindScale, {0, {2.0f, 3.0f, 4.0f, 0.0f}}}},
       "Upper: R 10(0 0 0 1); S 0(2 3 4) 10(2 3 4); T 10(0 1 0)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Motion m;
    MakeMotionFor(model, "Walk", c.length, &m);
    for (const auto& [kind, key] : c.upperKeys) m.FrameAt(2)->SetKey(KeyAt(kind, key.first, key.second));
    const std::string length = Num(static_cast<float>(c.length));
    EXPECT_EQ(DumpAnimationSet(*BuildMotionAnimationSet(m, model)),
              "Walk at 1 ticks a second, period " + length + "\n" +
              "Root: R " + length + "(0 0 0 1); S " + length + "(1 1 1); T " + length + "(0 0 0)\n" +
              "Lower: R " + length + "(0 0 0 1); S " + length + "(1 1 1); T " + length + "(0 0 0)\n" +
              c.expectedUpper + "\n");
  }
}

// The object class sizes its tracks to the model; should a motion have
// fewer, the frames without one hold their own translation.
TEST_F(ModelAnimationTest, FrameWithoutTrackHoldsItsTranslation) {
  motion.SetName("Short");
  motion.SetLength(8);
  motion.CreateTracks(1);
  EXPECT_EQ(DumpAnimationSet(*BuildMotionAnimationSet(motion, model)),
            "Short at 1 ticks a second, period 8\n"
            "Root: R 8(0 0 0 1); S 8(1 1 1); T 8(0 0 0)\n"
            "Lower: R 8(0 0 0 1); S 8(1 1 1); T 8(0 0 0)\n"
            "Upper: R 8(0 0 0 1); S 8(1 1 1); T 8(0 1 0)\n");
}

// Between keys the controller interpolates: rotations by slerp, scale and
// translation linearly, and the motion loops at its length.
TEST_F(ModelAnimationTest, PoseAtWholeAndFractionalFrames) {
  MakeMotionFor(model, "Bend", 60, &motion);
  Track(2).SetKey(KeyAt(kKindRotate, 0, kNone));
  Track(2).SetKey(KeyAt(kKindRotate, 30, kQuarterZ));
  Track(1).SetKey(KeyAt(kKindTrans, 0, {0.0f, 0.0f, 0.0f, 0.0f}));
  Track(1).SetKey(KeyAt(kKindTrans, 20, {4.0f, 0.0f, 0.0f, 0.0f}));
  Play(BuildMotionAnimationSet(motion, model));
  struct Case {
    float time;
    const char* lower;
    const char* upper;
  };
  const Case cases[] = {
      {0.0f, "1 0 0 0 | 0 1 0 0 | 0 0 1 0 | 0 0 0 1", "1 0 0 0 | 0 1 0 0 | 0 0 1 0 | 0 1 0 1"},
      {15.0f, "1 0 0 0 | 0 1 0 0 | 0 0 1 0 | 3 0 0 1",
       "0.7071 0.7071 0 0 | -0.7071 0.7071 0 0 | 0 0 1 0 | 3 1 0 1"},
      {30.0f, "1 0 0 0 | 0 1 0 0 | 0 0 1 0 | 3 0 0 1",
       "0 1 0 0 | -1 0 0 0 | 0 0 1 0 | 3 1 0 1"},
      {7.5f, "1 0 0 0 | 0 1 0 0 | 0 0 1 0 | 1.5 0 0 1",
       "0.9239 0.3827 0 0 | -0.3827 0.9239 0 0 | 0 0 1 0 | 1.5 1 0 1"},
      {60.0f, "1 0 0 0 | 0 1 0 0 | 0 0 1 0 | 0 0 0 1", "1 0 0 0 | 0 1 0 0 | 0 0 1 0 | 0 1 0 1"},
      {75.0f, "1 0 0 0 | 0 1 0 0 | 0 0 1 0 | 3 0 0 1",
       "0.7071 0.7071 0 0 | -0.7071 0.7071 0 0 | 0 0 1 0 | 3 1 0 1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.time);
    model.AdvanceTime(c.time, nullptr, 0, 1.0f);
    EXPECT_EQ(DumpPose(model), std::string("Root: 1 0 0 0 | 0 1 0 0 | 0 0 1 0 | 0 0 0 1\n") +
                                   "Lower: " + c.lower + "\nUpper: " + c.upper + "\n");
  }
}

// A frame name longer than a track stores: the set carries the model's full
// name, so the frame still animates, and the stored name finds the frame.
TEST(ModelLongNameTest, FrameWithLongNameStillAnimates) {
  const std::string longName = "Left_Upper_Arm_Twist_Helper_Bone_Number_01";
  ASSERT_GT(longName.size(), 31u);
  Model model;
  ASSERT_TRUE(model.Load(WriteTempFile("long.x", "xof 0303txt 0032\nFrame Root { Frame " + longName +
                                                     " { FrameTransformMatrix { 1.0,0.0,0.0,0.0, "
                                                     "0.0,1.0,0.0,0.0, 0.0,0.0,1.0,0.0, 0.0,1.0,0.0,1.0;; } } }\n")));
  ASSERT_TRUE(model.CloneAnimationController(1));
  Motion motion;
  MakeMotionFor(model, "Wave", 10, &motion);
  const std::string stored = motion.FrameAt(1)->GetName();
  EXPECT_EQ(stored, longName.substr(0, 31));
  motion.FrameAt(1)->SetKey(KeyAt(kKindRotate, 0, kQuarterZ));
  auto set = BuildMotionAnimationSet(motion, model);
  AnimationController& controller = *model.GetAnimationController();
  ASSERT_TRUE(controller.RegisterAnimationSet(set));
  ASSERT_TRUE(controller.SetTrackAnimationSet(0, set));
  model.AdvanceTime(3.0f, nullptr, 0, 1.0f);
  EXPECT_EQ(Mat(model.FramesInOrder()[1]->combinedTransformationMatrix),
            "0 1 0 0 | -1 0 0 0 | 0 0 1 0 | 0 1 0 1");
  EXPECT_EQ(model.FindFrameByStoredName(stored), model.FramesInOrder()[1]);
  EXPECT_EQ(model.FindFrameByStoredName(longName), model.FramesInOrder()[1]);
  EXPECT_EQ(model.FindFrameByStoredName("Root"), model.FramesInOrder()[0]);
  EXPECT_EQ(model.FindFrameByStoredName("Left_Upper_Arm"), nullptr);
  EXPECT_EQ(model.FindFrameByStoredName(""), nullptr);
}

}  // namespace
