// The key-type registry, the keys' defaults, the ownership of event keys and
// interpolation the track cases cannot reach.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "motion/key_type.h"
#include "motion/motion_dump.h"

namespace {

TEST(KeyTypeRegistry, NineTypesInFixedOrderWithTheirCodesAndElementsFoundByKind) {
  std::string table;
  for (int i = 0; const KeyType* type = KeyTypeByIndex(i); ++i) {
    char line[160];
    std::snprintf(line, sizeof line, "%d %s %s %08x %06x %s %s\n", i, type->GetName(), type->GetTypeName(),
                  type->GetKind(), type->GetColor(), type->NeedsFlaggedTrack() ? "first" : "any",
                  type->GetElementName());
    table += line;
  }
  EXPECT_EQ(table,
            "0 RotateKey RotateKey 524f5441 0000ff any RotationKey\n"
            "1 ScaleKey ScaleKey 5343414c 00c000 any ScaleKey\n"
            "2 TransKey TransKey 54524e53 ff0000 any TransKey\n"
            "3 SphereKey SphereKey 53504852 c08000 any SphereRegionKey\n"
            "4 BoxKey BoxKey 424f585f c08000 any BoxRegionKey\n"
            "5 VectorKey VectorKey 56454354 ff0000 any VectorKey\n"
            "6 ColorKey ColorKey 434f4c52 ff0000 any ColorKey\n"
            "7 EventKey EventKey 45564e54 000000 first EventKey\n"
            "8 ParamKey ParamKey 5041524d ffff00 first ParamKey\n");
  EXPECT_EQ(KeyTypeByIndex(9), nullptr);
  EXPECT_EQ(KeyTypeByIndex(-1), nullptr);
  EXPECT_EQ(KeyTypeByKind(kKindNone), nullptr);
  EXPECT_EQ(KeyTypeByKind(0), nullptr);
  for (int i = 0; i < kKeyTypeCount; ++i) EXPECT_EQ(KeyTypeByKind(KeyTypeByIndex(i)->GetKind()), KeyTypeByIndex(i));
}

TEST(KeyTypeDefaults, EveryTypeStartsAtItsOwnNeutralValue) {
  std::string dump;
  for (int i = 0; const KeyType* type = KeyTypeByIndex(i); ++i) {
    MotionKey key;
    key.flags = 7;
    key.SetFloat(0, 42.0f);
    type->InitKey(key, 4);
    dump += DumpKey(key) + "\n";
  }
  EXPECT_EQ(dump,
            "ROTA 4 #00000000 0.0000 0.0000 0.0000 1.0000\n"
            "SCAL 4 #00000000 1.0000 1.0000 1.0000\n"
            "TRNS 4 #00000000 0.0000 0.0000 0.0000\n"
            "SPHR 4 #00000000 0.0000 0.0000 0.0000 0.0000 #00000000\n"
            "BOX_ 4 #00000000 0.0000 0.0000 0.0000 0.0000 0.0000\n"
            "VECT 4 #00000000 0.0000 0.0000 0.0000\n"
            "COLR 4 #00000000 1.0000 1.0000 1.0000 1.0000 1.0000 1.0000 1.0000 1.0000\n"
            "EVNT 4 #00000000 \"\"\n"
            "PARM 4 #00000000 #00000000\n");
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

}  // namespace
