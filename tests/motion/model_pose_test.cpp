// Posing a model for a cast: bone-control modes and weights over the
// animated pose, the skip of a repeated pose, and CPU skinning of the box.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "model_test_support.h"
#include "platform/math/matrix.h"

namespace {

const Quaternion kNone = {0.0f, 0.0f, 0.0f, 1.0f};
const Quaternion kQuarterZ = {0.0f, 0.0f, 0.70710678f, 0.70710678f};

class ModelPoseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(model.Load(ModelsDir() + "two_bone_box.x", &error)) << error;
    ASSERT_TRUE(model.CloneAnimationController(4));
    bend = MakeSet("Bend", {{2, KeyAt(kKindRotate, 0, kNone)}, {2, KeyAt(kKindRotate, 30, kQuarterZ)}});
    Play(bend);
  }
  std::shared_ptr<AnimationSet> MakeSet(const char* name,
                                        std::vector<std::pair<int, MotionKey>> keys) {
    Motion motion;
    MakeMotionFor(model, name, 60, &motion);
    for (const auto& [frame, key] : keys) motion.FrameAt(frame)->SetKey(key);
    auto set = BuildMotionAnimationSet(motion, model);
    EXPECT_TRUE(model.GetAnimationController()->RegisterAnimationSet(set));
    return set;
  }
  void Play(const std::shared_ptr<AnimationSet>& set) {
    ASSERT_TRUE(model.GetAnimationController()->SetTrackAnimationSet(0, set));
  }
  BoneControl Control(const char* frame, std::int32_t mode, const Matrix& matrix) {
    BoneControl record;
    record.frame = frame ? model.FindFrameByStoredName(frame) : nullptr;
    if (frame) std::strncpy(record.name, frame, sizeof record.name - 1);
    record.mode = mode;
    record.matrix = matrix;
    return record;
  }
  std::string UpperPose() { return Mat(model.FramesInOrder()[2]->combinedTransformationMatrix); }

  Model model;
  std::shared_ptr<AnimationSet> bend;
};

// The cast stands at x = 10 (the model matrix) at frame 0 of "Bend": Lower
// at (10, 0, 0), Upper one unit above it.
TEST_F(ModelPoseTest, BoneControlModes) {
  struct Case {
    const char* name;
    std::vector<BoneControl> table;
    float weight;
    const char* lower;
    const char* upper;
    int count = -1;  // of the table's records; all of them when -1
  };
  const char* const kLowerAsAnimated = "1 0 0 0 | 0 1 0 0 | 0 0 1 0 | 10 0 0 1";
  const char* const kUpperAsAnimated = "1 0 0 0 | 0 1 0 0 | 0 0 1 0 | 10 1 0 1";
  const Matrix quarter = MatrixRotationZ(1.5707963f);
  const Case cases[] = {
      {"an empty table", {}, 1.0f, kLowerAsAnimated, kUpperAsAnimated},
      {"mode 0 leaves the frame animated", {Control("Lower", 0, MatrixTranslation(0, 5, 0))}, 1.0f,
       kLowerAsAnimated, kUpperAsAnimated},
      {"an unknown mode does nothing", {Control("Upper", 9, MatrixTranslation(0, 5, 0))}, 1.0f,
       kLowerAsAnimated, kUpperAsAnimated},
      {"mode 1 ignores the parent and the children follow",
       {Control("Lower", 1, MatrixTranslation(0, 5, 0))}, 0.5f,
       "1 0 0 0 | 0 1 0 0 | 0 0 1 0 | 0 5 0 1", "1 0 0 0 | 0 1 0 0 | 0 0 1 0 | 0 6 0 1"},
      {"mode 2: local, control, parent", {Control("Upper", 2, quarter)}, 1.0f, kLowerAsAnimated,
       "0 1 0 0 | -1 0 0 0 | 0 0 1 0 | 9 0 0 1"},
      {"mode 2 at half weight turns half way", {Control("Upper", 2, quarter)}, 0.5f,
       kLowerAsAnimated, "0.7071 0.7071 0 0 | -0.7071 0.7071 0 0 | 0 0 1 0 | 9.2929 0.7071 0 1"},
      {"mode 2 at half weight moves half way", {Control("Upper", 2, MatrixTranslation(2, 0, 0))},
       0.5f, kLowerAsAnimated, "1 0 0 0 | 0 1 0 0 | 0 0 1 0 | 11 1 0 1"},
      {"mode 4: the saved local matrix and the control, without the parent",
       {Control("Upper", 4, MatrixTranslation(0, 0, 3))}, 1.0f, kLowerAsAnimated,
       "1 0 0 0 | 0 1 0 0 | 0 0 1 0 | 0 1 3 1"},
      {"modes 2 then 4 on one frame: the last decides",
       {Control("Upper", 2, quarter), Control("Upper", 4, MatrixTranslation(0, 0, 3))}, 1.0f,
       kLowerAsAnimated, "1 0 0 0 | 0 1 0 0 | 0 0 1 0 | 0 1 3 1"},
      {"records after the end of the table are not read",
       {Control("Lower", 1, MatrixTranslation(0, 5, 0)), Control(nullptr, 1, MatrixIdentity()),
        Control("Upper", 1, MatrixTranslation(7, 7, 7))},
       1.0f, "1 0 0 0 | 0 1 0 0 | 0 0 1 0 | 0 5 0 1", "1 0 0 0 | 0 1 0 0 | 0 0 1 0 | 0 6 0 1"},
      {"the count bounds the table", {Control("Lower", 1, MatrixTranslation(0, 5, 0))}, 1.0f, kLowerAsAnimated,
       kUpperAsAnimated, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    model.ModelMatrix() = MatrixTranslation(10, 0, 0);
    model.AdvanceTime(0.0f, c.table.data(), c.count < 0 ? c.table.size() : static_cast<std::size_t>(c.count), c.weight);
    EXPECT_EQ(DumpPose(model), std::string("Root: 1 0 0 0 | 0 1 0 0 | 0 0 1 0 | 10 0 0 1\n") +
                                   "Lower: " + c.lower + "\nUpper: " + c.upper + "\n");
  }
}

// Mode 3 scales the control matrix, all of it, by the local matrix's
// element 11 (the frame's animated x scale).
TEST_F(ModelPoseTest, ScaledModeUsesTheLocalScale) {
  Play(MakeSet("Grow", {{2, KeyAt(kKindScale, 0, {2.0f, 2.0f, 2.0f, 0.0f})}}));
  model.ModelMatrix() = MatrixTranslation(10, 0, 0);
  const BoneControl table[] = {Control("Upper", 3, MatrixTranslation(1, 0, 0))};
  model.AdvanceTime(0.0f, table, 1, 1.0f);
  EXPECT_EQ(UpperPose(), "2 0 0 0 | 0 2 0 0 | 0 0 2 0 | 22 0 0 2");
}

// A repeated pose without bone controls is skipped, but only when nothing it
// depends on changed: another cast may have selected another motion, stand
// elsewhere, or have posed with its bone controls in between.
TEST_F(ModelPoseTest, RepeatedPoseIsSkippedOnlyWhenNothingDiffers) {
  auto other = MakeSet("Other", {{2, KeyAt(kKindRotate, 0, kQuarterZ)}});
  const BoneControl table[] = {Control("Upper", 1, MatrixTranslation(7, 7, 7))};
  const Matrix marker = MatrixScaling(3, 3, 3);
  ModelFrame& upper = *model.FramesInOrder()[2];
  struct Step {
    const char* name;
    std::function<void()> change;
    bool posed;
  };
  const Step steps[] = {
      {"same time and weight", [] {}, false},
      {"another time", [&] { model.AdvanceTime(31.0f, nullptr, 0, 1.0f); }, true},
      {"another weight", [&] { model.AdvanceTime(30.0f, nullptr, 0, 0.5f); }, true},
      {"another cast's motion on track 0", [&] { Play(other); }, true},
      {"another cast's place", [&] { model.ModelMatrix() = MatrixTranslation(1, 0, 0); }, true},
      {"a pose with bone controls in between", [&] { model.AdvanceTime(30.0f, table, 1, 1.0f); },
       true},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.name);
    Play(bend);
    model.ModelMatrix() = MatrixIdentity();
    model.AdvanceTime(30.0f, nullptr, 0, 1.0f);
    step.change();
    upper.combinedTransformationMatrix = marker;
    model.SetDirty(false);
    model.AdvanceTime(30.0f, nullptr, 0, 1.0f);
    EXPECT_EQ(UpperPose() != Mat(marker), step.posed);
    EXPECT_EQ(model.IsDirty(), step.posed);
  }
}

TEST_F(ModelPoseTest, PoseIsRememberedAndMarksTheModelDirty) {
  model.SetDirty(false);
  const BoneControl table[] = {Control("Upper", 0, MatrixIdentity())};
  model.AdvanceTime(12.0f, table, 1, 0.25f);
  EXPECT_TRUE(model.IsDirty());
  EXPECT_EQ(model.GetLastTime(), 12.0f);
  EXPECT_EQ(model.GetLastWeight(), 0.25f);
  // With a table the pose is always taken again.
  model.SetDirty(false);
  model.AdvanceTime(12.0f, table, 1, 0.25f);
  EXPECT_TRUE(model.IsDirty());
}

std::string Positions(const Mesh& mesh) {
  std::string text;
  for (std::uint32_t v = 0; v < mesh.GetNumVertices(); ++v) text += (v ? ", " : "") + Vec(mesh.Position(v));
  return text;
}

// The upper corners turn with "Upper" about its joint one unit up; the lower
// ones stay with "Lower". The source vertices never change.
TEST_F(ModelPoseTest, SkinningPosesTheBoxAndKeepsTheSource) {
  auto& box = *static_cast<ModelMeshContainer*>(model.GetRootFrame()->meshContainer);
  const std::string rest = "0 0 0, 1 0 0, 1 0 1, 0 0 1, 0 2 0, 1 2 0, 1 2 1, 0 2 1";
  ASSERT_EQ(Positions(*box.sourceMesh), rest);
  model.AdvanceTime(30.0f, nullptr, 0, 1.0f);
  ASSERT_TRUE(model.SkinContainer(box));
  EXPECT_EQ(Positions(*box.mesh), "0 0 0, 1 0 0, 1 0 1, 0 0 1, -1 1 0, -1 2 0, -1 2 1, -1 1 1");
  EXPECT_EQ(Positions(*box.sourceMesh), rest);
  EXPECT_EQ(Mat(model.BoneMatrices()[1]), "0 1 0 0 | -1 0 0 0 | 0 0 1 0 | 1 1 0 1");
  // The model matrix places the skinned vertices; there is no world transform.
  model.ModelMatrix() = MatrixTranslation(0, 0, 5);
  model.AdvanceTime(0.0f, nullptr, 0, 1.0f);
  ASSERT_TRUE(model.SkinContainer(box));
  EXPECT_EQ(Positions(*box.mesh), "0 0 5, 1 0 5, 1 0 6, 0 0 6, 0 2 5, 1 2 5, 1 2 6, 0 2 6");
}

// A skinned file without an animation set: its bones are bound all the
// same, so posing and skinning work.
TEST(ModelSkinTest, SkinWithoutAnimationIsBound) {
  std::string text = ReadTextFile(ModelsDir() + "two_bone_box.x");
  text.erase(text.find("AnimationSet"));
  Model model;
  ASSERT_TRUE(model.Load(WriteTempFile("still.x", text)));
  ASSERT_EQ(model.GetAnimationController(), nullptr);
  auto& box = *static_cast<ModelMeshContainer*>(model.GetRootFrame()->meshContainer);
  model.ModelMatrix() = MatrixTranslation(0, 3, 0);
  model.AdvanceTime(0.0f, nullptr, 0, 1.0f);
  ASSERT_TRUE(model.SkinContainer(box));
  EXPECT_EQ(Positions(*box.mesh), "0 3 0, 1 3 0, 1 3 1, 0 3 1, 0 5 0, 1 5 0, 1 5 1, 0 5 1");
}

TEST(ModelSkinTest, UnskinnedContainerIsNotSkinned) {
  Model model;
  ASSERT_TRUE(model.Load(WriteTempFile("bare.x", "xof 0303txt 0032\nFrame Root { Mesh { 3; "
                                                 "0.0;0.0;0.0;, 1.0;0.0;0.0;, 0.0;1.0;0.0;; 1; 3;0,1,2;; } }\n")));
  EXPECT_FALSE(model.SkinContainer(*static_cast<ModelMeshContainer*>(model.GetRootFrame()->meshContainer)));
}

}  // namespace
