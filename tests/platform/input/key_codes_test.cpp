// The scancode table: the codes games rely on, and every key of the
// 104/105-key and 106/109-key keyboards on a code of its own.
#include "platform/input/key_codes.h"

#include <SDL_scancode.h>
#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace {

TEST(KeyCodesTest, CodesGamesUse) {
  const std::pair<SDL_Scancode, int> cases[] = {
      {SDL_SCANCODE_SPACE, 57},      {SDL_SCANCODE_UP, 200},       {SDL_SCANCODE_LEFT, 203},
      {SDL_SCANCODE_RIGHT, 205},     {SDL_SCANCODE_DOWN, 208},     {SDL_SCANCODE_Z, 44},
      {SDL_SCANCODE_X, 45},          {SDL_SCANCODE_A, 30},         {SDL_SCANCODE_F, 33},
      {SDL_SCANCODE_ESCAPE, 1},      {SDL_SCANCODE_RETURN, 28},    {SDL_SCANCODE_KP_ENTER, 156},
      {SDL_SCANCODE_RCTRL, 157},     {SDL_SCANCODE_RALT, 184},     {SDL_SCANCODE_F12, 88},
      {SDL_SCANCODE_INTERNATIONAL3, 125},  // Yen
      {SDL_SCANCODE_LANG5, 41},      // Zenkaku/Hankaku where the grave key is
      {SDL_SCANCODE_MUTE, 0},        // no key of these keyboards
      {SDL_SCANCODE_UNKNOWN, 0},
  };
  for (const auto& [scancode, code] : cases) EXPECT_EQ(KeyCodeFromScancode(scancode), code) << scancode;
  for (int outside : {-1, int{SDL_NUM_SCANCODES}, 1 << 30}) EXPECT_EQ(KeyCodeFromScancode(outside), 0) << outside;
}

// The keys of a 109-key Japanese keyboard plus the ISO key of 105-key ones:
// each gives a code, no two the same, none among the pseudo keys 0xE0-0xE7
// that the input manager overwrites.
TEST(KeyCodesTest, EveryKeyOfBothKeyboardsHasItsOwnCode) {
  std::vector<SDL_Scancode> keys;
  for (int s = SDL_SCANCODE_A; s <= SDL_SCANCODE_KP_PERIOD; ++s) keys.push_back(static_cast<SDL_Scancode>(s));
  for (SDL_Scancode s : {SDL_SCANCODE_NONUSBACKSLASH, SDL_SCANCODE_APPLICATION, SDL_SCANCODE_LCTRL,
                         SDL_SCANCODE_LSHIFT, SDL_SCANCODE_LALT, SDL_SCANCODE_LGUI, SDL_SCANCODE_RCTRL,
                         SDL_SCANCODE_RSHIFT, SDL_SCANCODE_RALT, SDL_SCANCODE_RGUI, SDL_SCANCODE_INTERNATIONAL1,
                         SDL_SCANCODE_INTERNATIONAL2, SDL_SCANCODE_INTERNATIONAL3, SDL_SCANCODE_INTERNATIONAL4,
                         SDL_SCANCODE_INTERNATIONAL5})
    keys.push_back(s);
  // The ISO "#" key shares the code of the backslash key: no keyboard has both.
  std::erase(keys, SDL_SCANCODE_NONUSHASH);
  ASSERT_EQ(keys.size(), 110u);
  std::map<int, SDL_Scancode> seen;
  for (SDL_Scancode scancode : keys) {
    const int code = KeyCodeFromScancode(scancode);
    EXPECT_GT(code, 0) << scancode;
    EXPECT_LT(code, kKeyCodeCount) << scancode;
    EXPECT_FALSE(code >= 0xE0 && code <= 0xE7) << scancode;
    const auto [it, fresh] = seen.emplace(code, scancode);
    EXPECT_TRUE(fresh) << scancode << " and " << it->second << " share " << code;
  }
}

}  // namespace
