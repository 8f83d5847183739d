// Flag words, the region-kind names, property lists, Command texts and the
// case-table file. The object flags' names are in the object class's property
// list (object_class_test); condition strings are case files.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "motion/case_table.h"
#include "motion/key_type.h"
#include "motion/motion.h"
#include "motion/object_flags.h"

namespace {

std::string Names(const PropertyEntry* list, int count) {
  std::string names;
  for (int i = 0; i < count; ++i) names += std::string(i > 0 ? " " : "") + list[i].name;
  return names;
}

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
}

TEST(FlagNames, SphereKeyListsThirtyRegionKinds) {
  std::array<PropertyEntry, 64> list{};
  MotionKey key;
  KeyType* spheres = KeyTypeByKind(kKindSphere);
  spheres->InitKey(key, 0);
  const int count = spheres->ListProperties(nullptr, &key, list.data(), static_cast<int>(list.size()));
  ASSERT_EQ(count, 35);
  EXPECT_EQ(Names(list.data(), 5), "Time X Y Z Radius");
  std::string reserved;
  for (int i = 5; i < count; ++i) {
    EXPECT_EQ(list[i].type, kPropertyFlagBit + static_cast<std::uint32_t>(i - 5));
    EXPECT_EQ(list[i].value, key.WordAddress(4));
    if (std::string(list[i].name) == "Reserved") reserved += std::to_string(i - 5) + " ";
  }
  EXPECT_EQ(reserved, "9 19 29 ");
  EXPECT_STREQ(RegionKindName(14), "TGet(Item)");
  EXPECT_STREQ(RegionKindName(20), "Deffend1");
  EXPECT_EQ(RegionKindName(30), nullptr);
}

TEST(PropertyLists, EachPublisherAppendsItsEntriesAfterTheFilledOnes) {
  Motion motion;
  motion.SetLength(30);
  motion.CreateTracks(1);
  struct Case {
    std::uint32_t kind;
    const char* names;
  };
  const Case cases[] = {
      {kKindRotate, "Time X Y Z W"},
      {kKindScale, "Time X Y Z"},
      {kKindBox, "Time X Y Z Width Height"},
      {kKindColor, "Time AmbientA AmbientR AmbientG AmbientB DiffuseA DiffuseR DiffuseG DiffuseB"},
      {kKindEvent, "Time OnTimeFunc"},
  };
  for (const Case& c : cases) {
    std::array<PropertyEntry, 40> list{};
    MotionKey key;
    key.time = 2;
    KeyType* type = KeyTypeByKind(c.kind);
    const int count = type->ListProperties(&motion, &key, list.data(), static_cast<int>(list.size()));
    EXPECT_EQ(Names(list.data(), count), c.names);
    EXPECT_EQ(list[0].max, 29.0f);
  }
  std::array<PropertyEntry, 40> list{};
  MotionKey param;
  EXPECT_EQ(KeyTypeByKind(kKindParam)->ListProperties(&motion, &param, list.data(), 40), 25);

  std::array<PropertyEntry, 8> small{};
  AppendProperty(small.data(), 8, kPropertyInteger, "Existing", nullptr, 0, 0, false);
  EXPECT_EQ(motion.ListProperties(nullptr, nullptr, small.data(), 8), 8);
  EXPECT_EQ(Names(small.data(), 8), "Existing MotionName TimeLength OnLoopFunc OnHitFunc OnPreRenderFunc CameraType Visible");
}

TEST(PropertyLists, KeyCheckWantsATimeInsideTheMotionAndNoTwin) {
  Motion motion;
  motion.SetLength(10);
  motion.CreateTracks(1);
  MotionFrame& track = *motion.FrameAt(0);
  MotionKey key;
  KeyTypeByKind(kKindTrans)->InitKey(key, 4);
  track.SetKey(key);
  KeyTypeByKind(kKindTrans)->InitKey(key, 5);
  track.SetKey(key);
  const KeyType* type = KeyTypeByKind(kKindTrans);
  EXPECT_TRUE(type->CheckKey(&motion, track.KeyAt(0)));
  track.KeyAt(1)->time = 4;  // as an editor would, before checking
  EXPECT_FALSE(type->CheckKey(&motion, track.KeyAt(1)));
  track.KeyAt(1)->time = 10;
  EXPECT_FALSE(type->CheckKey(&motion, track.KeyAt(1)));
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
