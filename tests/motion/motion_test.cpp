// Tracks and motions: baking long motions, finding frames and keys, moving
// motions and their markup hand-over. Storing and finding keys are the track
// cases (cases/*.track).
#include <gtest/gtest.h>

#include <string>

#include "files/markup_writer.h"
#include "files/tag_handler_stack.h"
#include "motion/key_type.h"
#include "motion/motion.h"
#include "motion/motion_dump.h"

namespace {

MotionKey MakeKey(std::uint32_t kind, int time, float value) {
  MotionKey key;
  KeyTypeByKind(kind)->InitKey(key, time);
  if (kind != kKindEvent) key.SetFloat(0, value);
  return key;
}

void BakeAll(MotionFrame& track) {
  for (int i = 0; const KeyType* type = KeyTypeByIndex(i); ++i) type->BakeKeys(track);
}

TEST(MotionFrameBake, LongMotionGetsExactlyOneKeyPerFrame) {
  constexpr int kLength = 50000;
  Motion motion;
  motion.SetLength(kLength);
  motion.CreateTracks(1);
  MotionFrame& track = *motion.FrameAt(0);
  track.SetKey(MakeKey(kKindTrans, 0, 0));
  track.SetKey(MakeKey(kKindTrans, kLength / 2, 100));
  track.SetKey(MakeKey(kKindRotate, 7, 0));
  track.SetKey(MakeKey(kKindRotate, kLength - 3, 0));
  for (int round = 0; round < 2; ++round) {
    BakeAll(track);
    track.Sort();
    ASSERT_EQ(track.KeyCount(), 2 * kLength);
  }
  for (int i = 0; i < kLength; ++i) {
    ASSERT_EQ(track.KeyAt(i)->kind, kKindRotate);
    ASSERT_EQ(track.KeyAt(i)->time, i);
    ASSERT_EQ(track.KeyAt(kLength + i)->time, i);
  }
  MotionKey out;
  ASSERT_TRUE(track.GetKey(kKindTrans, kLength / 4, out, true));
  EXPECT_EQ(DumpKey(out), "TRNS 12500 #00000003 50.0000 0.0000 0.0000");
}

TEST(MotionFrameBake, KindsWithTooManyKeysKeepOnlyTheirAuthoredKeys) {
  Motion motion;
  motion.SetLength(4000);
  motion.CreateTracks(1);
  MotionFrame& track = *motion.FrameAt(0);
  for (int i = 0; i < kBakeListSize; ++i) track.SetKey(MakeKey(kKindVector, i * 3, 0));
  for (int i = 0; i < kBakeListSize - 1; ++i) track.SetKey(MakeKey(kKindScale, i * 3, 0));
  BakeAll(track);
  int vectors = 0;
  int scales = 0;
  for (int i = 0; i < track.KeyCount(); ++i) (track.KeyAt(i)->kind == kKindVector ? vectors : scales)++;
  EXPECT_EQ(vectors, kBakeListSize);
  EXPECT_EQ(scales, 4000);
}

TEST(MotionOperations, FramesAreFoundByExactNameAndKeysTracedToTheirTrack) {
  Motion motion;
  motion.SetLength(50);
  motion.CreateTracks(3);
  const char* names[] = {"Root", "Head", "Arm"};
  for (int i = 0; i < 3; ++i) motion.FrameAt(i)->SetName(names[i]);
  EXPECT_EQ(motion.FindFrame("Head"), motion.FrameAt(1));
  EXPECT_EQ(motion.FindFrame("head"), nullptr);
  EXPECT_EQ(motion.FrameAt(3), nullptr);
  EXPECT_EQ(motion.FrameAt(-1), nullptr);
  EXPECT_EQ(motion.MaxKeyTime(), 0);
  motion.FrameAt(1)->SetKey(MakeKey(kKindTrans, 31, 0));
  motion.FrameAt(0)->SetKey(MakeKey(kKindTrans, 12, 0));
  EXPECT_EQ(motion.MaxKeyTime(), 31);
  EXPECT_EQ(motion.FindFrameOfKey(motion.FrameAt(1)->KeyAt(0)), motion.FrameAt(1));
  MotionKey loose;
  EXPECT_EQ(motion.FindFrameOfKey(&loose), nullptr);
}

TEST(MotionOperations, MovingTakesEverythingAndLeavesANewMotion) {
  Motion source;
  source.SetName("Walk");
  source.SetLength(24);
  source.SetOrFlags(0x10000001);
  source.SetCameraType(3);
  source.OnLoop().SetText("OnWalkLoop");
  source.OnHit().SetText("OnWalkHit");
  source.OnPreRender().SetText("#FCTC");
  source.CreateTracks(2);
  source.FrameAt(0)->SetName("Root");
  source.FrameAt(1)->SetName("Arm");
  source.FrameAt(1)->SetKey(MakeKey(kKindTrans, 5, 2));

  Motion target(std::move(source));
  EXPECT_EQ(target.FrameAt(1)->Owner(), &target);
  MarkupWriter moved;
  target.Write(moved);
  EXPECT_EQ(std::string(moved.GetView()),
            " <Motion name=\"Walk\" length=\"24\" OnLoop=\"OnWalkLoop\" OnHit=\"OnWalkHit\" OnPreRender=\"#FCTC\" "
            "CameraType=\"3\" OrFlags=\"#10000001\">\n"
            "  <MotionFrame name=\"Root\">\n"
            "  </MotionFrame>\n"
            "  <MotionFrame name=\"Arm\">\n"
            "   <TransKey time=\"5\" flags=\"#00000000\" x=\"2.000000\" y=\"0.000000\" z=\"0.000000\" />\n"
            "  </MotionFrame>\n"
            " </Motion>\n");
  MarkupWriter left;
  source.Write(left);
  EXPECT_EQ(std::string(left.GetView()),
            " <Motion name=\"\" length=\"0\" OnLoop=\"\" OnHit=\"\" OnPreRender=\"\" CameraType=\"-1\" "
            "OrFlags=\"#00000000\">\n </Motion>\n");
}

TEST(MotionMarkup, TrackHandOverFollowsTheStack) {
  Motion motion;
  motion.SetLength(10);
  motion.CreateTracks(1);
  motion.FrameAt(0)->SetName("Root");
  TagHandlerStack stack;
  stack.Push(&motion);
  const char* names[] = {"NAME"};
  const char* values[] = {"Root"};
  EXPECT_TRUE(motion.OnChildElement(stack, "motionframe", names, values, 1));
  EXPECT_EQ(stack.Top(), motion.FrameAt(0));
  motion.FrameAt(0)->OnEndElement(stack, "TransKey");
  EXPECT_EQ(stack.Top(), motion.FrameAt(0));
  motion.FrameAt(0)->OnEndElement(stack, "MOTIONFRAME");
  EXPECT_EQ(stack.Top(), &motion);
  values[0] = "Tail";
  EXPECT_TRUE(motion.OnChildElement(stack, "MotionFrame", names, values, 1));
  EXPECT_EQ(stack.Top(), &motion);
  EXPECT_FALSE(motion.OnChildElement(stack, "MotionFrame", nullptr, nullptr, 0));
  motion.OnEndElement(stack, "Motion");
  EXPECT_EQ(stack.Top(), nullptr);
}

}  // namespace
