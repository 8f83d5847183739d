// The IK chain on its own (the step cases show it joined to casts): the
// matrices along it, the descent toward a target with the answers worked out
// by hand, its limits and its degenerate inputs; and the bone-control writes
// it ends in, which need the cast's table.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "motion/bone_control.h"
#include "platform/math/matrix.h"
#include "scene/cast/ik_chain.h"
#include "scene/scene.h"

namespace {

// Two bones of 10 along x: the arm the cases reach with.
IKChain Arm(float limit = 0.0f) {
  IKChain chain;
  chain.Resize(2);
  chain.SetJoint(0, {10, 0, 0}, -limit, limit, -limit, limit, -limit, limit, 1);
  chain.SetJoint(1, {10, 0, 0}, -limit, limit, -limit, limit, -limit, limit, 2);
  return chain;
}

float Distance(const Vector3& a, const Vector3& b) {
  return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) + (a.z - b.z) * (a.z - b.z));
}

TEST(IKChainTest, EndPositionTurnsEachOffsetByTheJointsBefore) {
  IKChain chain = Arm();
  chain.GetJoint(0)->angleY = 90;  // yaw: x turns toward -z
  chain.GetJoint(1)->angleZ = 90;  // roll: x turns toward +y
  const Vector3 ends[] = {chain.EndPosition(0), chain.EndPosition(1), chain.EndPosition(2)};
  const Vector3 expected[] = {{0, 0, 0}, {0, 0, -10}, {0, 10, -10}};
  for (int n = 0; n < 3; ++n) EXPECT_LT(Distance(ends[n], expected[n]), 1e-4f) << "joints " << n;
}

// (12, 9, 0) lies 15 from the shoulder: the law of cosines gives the elbow
// acos((225 - 200) / 200) = 82.819 degrees and the shoulder atan2(9, 12) -
// atan2(10 sin 82.819, 10 + 10 cos 82.819) = -4.540 degrees, both about z.
TEST(IKChainTest, TwoBoneArmReachesItsTargetByDescent) {
  struct Case {
    int frames;
    float within;
  };
  const Vector3 target{12, 9, 0};
  for (const Case& c : {Case{1, 0.1f}, Case{3, 0.01f}}) {
    IKChain chain = Arm();
    for (int frame = 0; frame < c.frames; ++frame) chain.SolveCCD(5, target);
    EXPECT_LT(Distance(chain.EndPosition(2), target), c.within) << c.frames << " frames";
    if (c.frames == 3) {
      EXPECT_NEAR(chain.GetJoint(0)->angleZ, -4.540f, 0.05f);
      EXPECT_NEAR(chain.GetJoint(1)->angleZ, 82.819f, 0.05f);
      EXPECT_EQ(chain.GetJoint(0)->angleX + chain.GetJoint(0)->angleY, 0.0f);
    }
  }
}

// Inputs that must leave the angles as they are: a target already reached,
// no rounds at all, and targets that give no direction to turn toward.
TEST(IKChainTest, NothingToDoLeavesTheAnglesAlone) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  struct Case {
    const char* name;
    int iterations;
    Vector3 target;
  };
  const Case cases[] = {
      {"reached", 5, {20, 0, 0}},  {"no rounds", 0, {0, 20, 0}},     {"negative rounds", -3, {0, 20, 0}},
      {"behind", 5, {-20, 0, 0}},  {"at the root", 5, {0, 0, 0}},    {"not a number", 5, {nan, 1, 0}},
  };
  for (const Case& c : cases) {
    IKChain chain = Arm();
    chain.SolveCCD(c.iterations, c.target);
    for (int i = 0; i < 2; ++i) {
      const IKJoint& joint = *chain.GetJoint(i);
      EXPECT_EQ(joint.angleX, 0.0f) << c.name;
      EXPECT_EQ(joint.angleY, 0.0f) << c.name;
      EXPECT_EQ(joint.angleZ, 0.0f) << c.name;
    }
  }
}

TEST(IKChainTest, LimitsHoldTheAnglesAndZeroLimitsMeanNone) {
  // Straight up 15: the elbow at 82.819 degrees, the shoulder at 90 - 82.819 / 2.
  const Vector3 target{0, 15, 0};
  IKChain limited = Arm(30);
  IKChain free = Arm();
  for (int frame = 0; frame < 3; ++frame) {
    limited.SolveCCD(5, target);
    free.SolveCCD(5, target);
  }
  EXPECT_TRUE(limited.GetJoint(0)->limited);
  EXPECT_LE(std::fabs(limited.GetJoint(0)->angleZ), 30.0f);
  EXPECT_LE(std::fabs(limited.GetJoint(1)->angleZ), 30.0f);
  EXPECT_FALSE(free.GetJoint(0)->limited);
  EXPECT_NEAR(free.GetJoint(0)->angleZ, 48.590f, 0.05f);
  EXPECT_LT(Distance(free.EndPosition(2), target), 0.01f);
}

TEST(IKChainTest, GrowingKeepsTheJointsAndAddsOnesWithoutBone) {
  IKChain chain = Arm();
  chain.GetJoint(1)->angleZ = 7;
  ASSERT_TRUE(chain.Resize(3));
  EXPECT_EQ(chain.GetJoint(1)->angleZ, 7.0f);
  EXPECT_EQ(chain.GetJoint(2)->boneIndex, kNoBone);
  EXPECT_FALSE(chain.SetJoint(3, {0, 0, 0}, 0, 0, 0, 0, 0, 0, 0));
  ASSERT_TRUE(chain.Resize(0));
  EXPECT_EQ(chain.GetCount(), 0);
}

// The bone matrices a chain writes go through the cast's table: nothing
// before OnCreate made it, after OnDelete took it, or outside it.
TEST(IKChainTest, BoneWritesNeedTheCastsTableAndAnIndexInIt) {
  Scene scene;
  ASSERT_TRUE(scene.RegisterClass(std::string(T3D_SOURCE_DIR) + "/tests/scene/cases/classes/arm.txt"));
  Cast* arm = scene.CreateCast(scene.FindObjectClass("Arm"));
  ASSERT_NE(arm, nullptr);
  const Matrix m = MatrixTranslation(1, 2, 3);
  EXPECT_FALSE(arm->SetBoneMatrix(1, m, kBoneControlAbsolute, 0));
  scene.StartCasts();
  ASSERT_EQ(arm->GetBoneControlCount(), 5);
  EXPECT_FALSE(arm->SetBoneMatrix(-1, m, kBoneControlAbsolute, 0));
  EXPECT_FALSE(arm->SetBoneMatrix(5, m, kBoneControlAbsolute, 0));
  EXPECT_TRUE(arm->SetBoneMatrix(4, m, kBoneControlAbsolute, 0));
  EXPECT_TRUE(arm->SetBoneControl(1, nullptr, nullptr, nullptr, kBoneControlLocal, 0));
  arm->OnDelete(scene);
  EXPECT_FALSE(arm->SetBoneMatrix(1, m, kBoneControlAbsolute, 0));
  EXPECT_FALSE(arm->SetBoneControl(1, nullptr, nullptr, nullptr, kBoneControlLocal, 0));
}

}  // namespace
