// Text slots filled and freed by the scene, and their frame advance.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "scene/scene.h"

namespace {

CharacterRequest Put(int slot, const std::string& text, float x, std::int32_t duration) {
  CharacterRequest request;
  request.slot = slot;
  request.set = 1;
  request.text = text;
  request.color = 0xFF804020u;
  request.x = x;
  request.scaleX = request.scaleY = 1.0f;
  request.duration = duration;
  return request;
}

TEST(TextSlotTest, RequestsOutsideTheTablesChangeNothing) {
  Scene scene;
  CharacterRequest bad[] = {Put(-1, "a", 0, 1), Put(64, "a", 0, 1), Put(0, "a", 0, -1)};
  CharacterRequest badSet = Put(0, "a", 0, 1);
  badSet.set = 32;
  for (const CharacterRequest& request : bad) EXPECT_FALSE(scene.PutCharacters(request));
  EXPECT_FALSE(scene.PutCharacters(badSet));
  EXPECT_EQ(scene.TextSlot(0).flags, 0u);
  EXPECT_FALSE(scene.DeleteCharacters(64));
  EXPECT_FALSE(scene.DeleteCharacters(-1));
}

TEST(TextSlotTest, SecondPutOfAFrameStartsFromTheFirstsValues) {
  Scene scene;
  ASSERT_TRUE(scene.PutCharacters(Put(5, "one", 10, 4)));
  ASSERT_TRUE(scene.PutCharacters(Put(5, "two", 50, 4)));
  const CharacterSlot& slot = scene.TextSlot(5);
  EXPECT_STREQ(slot.oldState.text.data(), "one");
  EXPECT_EQ(slot.oldState.x, 10.0f);
  EXPECT_EQ(slot.oldState.color[0], 0xFF);
  EXPECT_STREQ(slot.newState.text.data(), "two");
  EXPECT_EQ(slot.flags, kTextSlotInUse | kTextSlotCrossFade);
}

TEST(TextSlotTest, SameTextMovesWithoutCrossFadeAndSettlesAtItsEnd) {
  Scene scene;
  ASSERT_TRUE(scene.PutCharacters(Put(0, "go", 0, 0)));
  ASSERT_TRUE(scene.PutCharacters(Put(0, "go", 30, 2)));
  CharacterSlot& slot = scene.TextSlot(0);
  // The first put stood at once; the second keeps its text, so no cross-fade.
  EXPECT_STREQ(slot.oldState.text.data(), "go");
  EXPECT_EQ(slot.oldState.x, 0.0f);
  EXPECT_EQ(slot.flags, kTextSlotInUse);
  AdvanceCharacterSlot(slot, false);
  AdvanceCharacterSlot(slot, true);  // paused: the slot waits
  EXPECT_EQ(slot.elapsed, 1u);
  AdvanceCharacterSlot(slot, false);
  EXPECT_EQ(slot.duration, 0u);
  EXPECT_EQ(slot.oldState.x, 30.0f);
  EXPECT_STREQ(slot.newState.text.data(), "");
}

TEST(TextSlotTest, LongTextIsCutOnACharacterBoundary) {
  Scene scene;
  // "\x82\xa0" is one two-byte character: 510 single bytes leave no room for it.
  const std::string text = std::string(510, 'a') + "\x82\xa0" + "tail";
  ASSERT_TRUE(scene.PutCharacters(Put(63, text, 0, 1)));
  EXPECT_EQ(std::strlen(scene.TextSlot(63).newState.text.data()), 510u);
  ASSERT_TRUE(scene.DeleteCharacters(63));
  EXPECT_EQ(scene.TextSlot(63).flags, 0u);
}

}  // namespace
