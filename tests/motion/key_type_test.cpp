// Flag words, the ownership of event keys' commands, interpolation, Command
// texts and the case-table file beyond the track and case-table cases
// (cases/*.track lists the key types, their defaults and property lists).
#include <gtest/gtest.h>

#include <string>

#include "motion/case_table.h"
#include "motion/key_type.h"
#include "motion/motion.h"
#include "motion/motion_dump.h"
#include "motion/object_flags.h"

namespace {

TEST(FlagWords, ReadAsTheThirtyTwoBitOriginalDid) {
  struct Case {
    const char* text;
    std::uint32_t word;
  };
  const Case cases[] = {
      {"#80000000", 0x80000000u}, {"#90000001", 0x90000001u}, {"#aa0d6748", 0xAA0D6748u}, {"#AA0D6748", 0xAA0D6748u},
      {"#123456789", 0xFFFFFFFFu}, {"#", 0u},                 {"#1G", 1u},               {"17", 17u},
      {"-1", 0xFFFFFFFFu},        {"4294967295", 0x7FFFFFFFu}, {"-2147483649", 0x80000000u}, {" 12abc", 12u},
      {"abc", 0u},                {"", 0u},                    {nullptr, 0u},
  };
  for (const Case& c : cases) EXPECT_EQ(ReadFlagWord(c.text), c.word) << (c.text ? c.text : "(null)");
  EXPECT_EQ(RegionKindName(30), nullptr) << "thirty region kinds";
}

TEST(MotionKeyOwnership, AssignedEventKeysHoldIndependentEqualCommands) {
  MotionKey a;
  a.SetKind(kKindEvent);
  a.time = 7;
  a.GetCommand()->SetText("OnStep");
  MotionKey b;
  b.Assign(a);
  ASSERT_NE(b.GetCommand(), nullptr);
  EXPECT_NE(b.GetCommand(), a.GetCommand());
  EXPECT_STREQ(b.GetCommand()->text, "OnStep");
  b.GetCommand()->SetText("Changed");
  EXPECT_STREQ(a.GetCommand()->text, "OnStep");

  MotionKey c = a;  // the copy constructor copies deeply too
  EXPECT_NE(c.GetCommand(), a.GetCommand());
  a.Clear();
  EXPECT_EQ(a.GetCommand(), nullptr);
  EXPECT_EQ(DumpKey(a), "---- -1 #00000000");
  EXPECT_STREQ(c.GetCommand()->text, "OnStep");
}

TEST(MotionKeyOwnership, ChangingKindDropsOrCreatesTheCommand) {
  MotionKey key;
  key.SetKind(kKindEvent);
  EXPECT_NE(key.GetCommand(), nullptr);
  key.SetKind(kKindParam);
  EXPECT_EQ(key.GetCommand(), nullptr);

  MotionKey rotation;
  KeyTypeByKind(kKindRotate)->InitKey(rotation, 3);
  key.SetKind(kKindEvent);
  key.Assign(rotation);
  EXPECT_EQ(key.GetCommand(), nullptr);
  EXPECT_EQ(DumpKey(key), "ROTA 3 #00000000 0.0000 0.0000 0.0000 1.0000");
}

TEST(KeyInterpolation, CoincidingNeighboursGiveTheEarlierValueNotNaN) {
  // Neighbours at the same time (possible only through keys at or past the
  // motion's length) must not divide by zero.
  const KeyType* vectors = KeyTypeByKind(kKindVector);
  MotionKey a, b, out;
  vectors->InitKey(a, 5);
  a.SetVector({1, 2, 3});
  vectors->InitKey(b, 5);
  b.SetVector({4, 5, 6});
  ASSERT_TRUE(vectors->Interpolate(out, &a, &b, 9));
  EXPECT_EQ(DumpKey(out), "VECT 9 #00000000 1.0000 2.0000 3.0000");
}

TEST(KeyInterpolation, ColourKeepsTheFlagsOfTheOutputKey) {
  const KeyType* colours = KeyTypeByKind(kKindColor);
  MotionKey a, b, out;
  colours->InitKey(a, 0);
  colours->InitKey(b, 4);
  for (int i = 0; i < 8; ++i) b.SetFloat(i, 0.0f);
  out.flags = 5;
  ASSERT_TRUE(colours->Interpolate(out, &a, &b, 1));
  EXPECT_EQ(DumpKey(out), "COLR 1 #00000005 0.7500 0.7500 0.7500 0.7500 0.7500 0.7500 0.7500 0.7500");
}

TEST(CommandRecord, TextKeepsTwoHundredFiftyFiveBytesAndClearEmptiesAll) {
  Command command;
  command.SetText(std::string(300, 'a').c_str());
  EXPECT_EQ(std::string(command.text), std::string(255, 'a'));
  command.type = CommandType::Action;
  command.code = 0x534D544E;
  command.params[0].kind = CommandParamKind::String;
  command.SetText("#SMTN,'Run'");
  EXPECT_EQ(command.type, CommandType::Action);
  Command copy = command;
  EXPECT_STREQ(copy.text, "#SMTN,'Run'");
  EXPECT_EQ(copy.params[0].kind, CommandParamKind::String);
  command.Clear();
  EXPECT_EQ(command.type, CommandType::None);
  EXPECT_EQ(command.code, 0u);
  EXPECT_EQ(command.params[0].kind, CommandParamKind::Empty);
  EXPECT_FALSE(command.HasText());
}

TEST(CaseTableFile, MissingFileLeavesTheTableAsItWas) {
  std::vector<Motion> motions(2);
  motions[0].SetName("Stand");
  motions[1].SetName("Walk");
  CaseTable table;
  table.LoadText("Walk,STATE=Stand\r\n", motions);
  EXPECT_FALSE(table.Load("no/such/case_table.txt", motions));
  ASSERT_EQ(table.Count(), 2);
  ASSERT_EQ(table.ListAt(1)->records.size(), 1u);
  EXPECT_EQ(table.ListAt(1)->records[0].nextMotion, 0);
  EXPECT_EQ(table.ListAt(2), nullptr);
  EXPECT_EQ(table.ListAt(-1), nullptr);
  table.Clear();
  EXPECT_EQ(table.ListAt(0), nullptr);
}

}  // namespace
