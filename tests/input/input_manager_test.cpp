// The input manager over the SDL device with scripted events: the button
// mask and its edges, hold counts and pseudo keys, the joystick, the key map
// and the enable mask, and keys and pads that are not there (a joystick
// unplugged reads at rest: the device's test).
#include "input/input_manager.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <initializer_list>
#include <memory>
#include <string>

#include "platform/input/sdl_input_device.h"
#include "platform/input/sdl_input_script.h"

namespace {

constexpr int kPseudoUp = 0xE3;
constexpr int kPseudoButton1 = 0xE4;

class InputManagerTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(manager.Initialize(std::make_unique<SdlInputDevice>())); }

  // Polls, then gives the mask, its pressed and released bits, and for `key`
  // its hold count and whether it was released by this poll.
  std::string Poll(int key) {
    EXPECT_TRUE(manager.Poll());
    char line[80];
    std::snprintf(line, sizeof line, "%x %x %x hold %d released %d|", manager.GetJoy(0, 0), manager.GetJoyPressed(0),
                  manager.GetJoyReleased(0), manager.GetHoldCount(key), manager.IsKeyReleased(key) ? 1 : 0);
    return line;
  }

  // The mask of a poll with `keys` and the joystick's `buttons` down; all are
  // let go again by a second poll.
  std::uint32_t MaskWhileHeld(std::initializer_list<int> keys, std::initializer_list<int> buttons,
                              VirtualJoystick& pad) {
    for (int key : keys) PushKey(key, true);
    for (int button : buttons) pad.SetButton(button, true);
    manager.Poll();
    const std::uint32_t mask = manager.GetJoy(0, 0);
    for (int key : keys) PushKey(key, false);
    for (int button : buttons) pad.SetButton(button, false);
    manager.Poll();
    return mask;
  }

  InputManager manager;
};

TEST_F(InputManagerTest, HoldingUpGivesItsBitEdgesAndHoldCounts) {
  std::string trace;
  std::string pseudo;
  auto poll = [&] {
    trace += Poll(kKeyUp);
    pseudo += std::to_string(manager.IsKeyDown(kPseudoUp, 0)) + std::to_string(manager.GetHoldCount(kPseudoUp));
  };
  PushKey(kKeyUp, true);
  poll();
  poll();
  poll();
  PushKey(kKeyUp, false);
  poll();
  poll();
  // Pressed and let go between two polls.
  PushKey(kKeyUp, true);
  PushKey(kKeyUp, false);
  poll();
  poll();
  EXPECT_EQ(trace,
            "8 8 0 hold 1 released 0|8 0 0 hold 2 released 0|8 0 0 hold 3 released 0|0 0 8 hold 0 released 1|"
            "0 0 0 hold 0 released 0|8 8 0 hold 1 released 0|0 0 8 hold 0 released 1|");
  EXPECT_EQ(pseudo, "11121300001100");
}

// Each row: keys and joystick buttons held, joystick axes, the mask.
TEST_F(InputManagerTest, KeysJoystickButtonsAndStickMakeOneMask) {
  VirtualJoystick pad;
  ASSERT_TRUE(pad.IsPlugged());
  struct Case {
    std::initializer_list<int> keys;
    std::initializer_list<int> buttons;
    int x, y;
    std::uint32_t mask;
  };
  const Case cases[] = {
      {{kKeyZ}, {}, 0, 0, 0x10},
      {{}, {0}, 0, 0, 0x10},
      {{kKeyZ}, {0}, 0, 0, 0x10},
      {{kKeyDown, kKeyLeft, kKeyRight}, {}, 0, 0, 0x7},
      {{kKeyF}, {7}, 0, 0, 0x800},
      {{kKeyG}, {8}, 0, 0, 0},  // neither is mapped by default
      {{}, {}, 16383, -16383, 0},  // less than half way
      {{}, {}, 16384, 0, 0x4},
      {{}, {}, -16384, 0, 0x2},
      {{}, {}, 0, -32768, 0x8},
      {{}, {}, 32767, 32767, 0x5},
      {{kKeyUp}, {1}, 0, 32767, 0x29},
  };
  for (const Case& c : cases) {
    pad.SetAxis(0, c.x);
    pad.SetAxis(1, c.y);
    EXPECT_EQ(MaskWhileHeld(c.keys, c.buttons, pad), c.mask) << "row " << (&c - cases);
  }
}

TEST_F(InputManagerTest, KeyMapChanges) {
  VirtualJoystick pad;
  InputManager::KeyMap map;
  ASSERT_TRUE(manager.GetKeyMap(0, &map));
  EXPECT_EQ(map, InputManager::DefaultKeyMap());
  map[5] = kKeyNone;
  map[25] = InputManager::kNoJoystickButton;
  ASSERT_TRUE(manager.SetKeyMap(0, map));
  EXPECT_EQ(MaskWhileHeld({kKeyX}, {}, pad), 0u);
  EXPECT_EQ(MaskWhileHeld({}, {1}, pad), 0u);
  EXPECT_EQ(MaskWhileHeld({kKeyC}, {2}, pad), 0x40u);

  // Up (entry 0) and button 1 (entry 4) both to Space; the joystick entries stay.
  ASSERT_TRUE(manager.MapButtonsToKey(0, 0x18, kKeySpace));
  EXPECT_EQ(MaskWhileHeld({kKeySpace}, {}, pad), 0x18u);
  EXPECT_EQ(MaskWhileHeld({kKeyUp, kKeyZ}, {}, pad), 0u);
  EXPECT_EQ(MaskWhileHeld({}, {0}, pad), 0x10u);
  // Bits above the 24 of the mask reach no entry.
  InputManager::KeyMap before;
  manager.GetKeyMap(0, &before);
  ASSERT_TRUE(manager.MapButtonsToKey(0, 0xFF000000u, kKeyA));
  manager.GetKeyMap(0, &map);
  EXPECT_EQ(map, before);
}

// The enable mask filters what is read, not what is stored; the pseudo keys
// and hold counts see every bit. A replayed mask overwrites the stored one.
TEST_F(InputManagerTest, EnableMaskAndReplay) {
  PushKey(kKeyUp, true);
  PushKey(kKeyZ, true);
  ASSERT_TRUE(manager.SetJoyMask(0, 0x0F));
  EXPECT_EQ(Poll(kPseudoButton1), "8 8 0 hold 1 released 0|");
  EXPECT_EQ(manager.IsKeyDown(kPseudoButton1, 0), 1);
  manager.SetJoyMask(0, 0xFFFFFFFFu);
  EXPECT_EQ(manager.GetJoy(0, 0), 0x18u);
  manager.SetJoyMask(0, 0x0F);
  PushKey(kKeyUp, false);
  PushKey(kKeyZ, false);
  EXPECT_EQ(Poll(kPseudoButton1), "0 0 8 hold 0 released 1|");

  manager.SetJoyMask(0, 0xFFFFFFFFu);
  PushKey(kKeyUp, true);
  manager.Poll();
  manager.SetJoy(0x20, 0, 0);
  EXPECT_EQ(manager.GetJoy(0, 0), 0x20u);
  EXPECT_EQ(manager.GetJoyPressed(0), 0x20u);
  EXPECT_EQ(manager.IsKeyDown(kPseudoUp, 0), 1);
}

// Key codes outside 0..255 and joystick buttons outside 0..31, in the map or
// asked for, read nothing; pads other than 0 answer none and are refused.
TEST_F(InputManagerTest, KeysPadsAndSlotsOutOfRange) {
  InputManager::KeyMap map = InputManager::DefaultKeyMap();
  for (int entry : {4, 24}) {
    map[entry] = INT_MIN;
    map[entry + 1] = -2;
    map[entry + 2] = entry == 4 ? 256 : 32;
    map[entry + 3] = INT_MAX;
  }
  ASSERT_TRUE(manager.SetKeyMap(0, map));
  InputManager::KeyMap stored;
  manager.GetKeyMap(0, &stored);
  EXPECT_EQ(stored, map);
  VirtualJoystick pad(2, 32);
  EXPECT_EQ(MaskWhileHeld({kKeyZ, kKeyX, kKeyC, kKeyV}, {0, 1, 2, 3, 30, 31}, pad), 0u);

  PushKey(kKeyUp, true);
  manager.Poll();
  manager.Poll();
  for (int key : {-1, 256, INT_MIN, INT_MAX}) {
    EXPECT_EQ(manager.IsKeyDown(key, 0), 0) << key;
    EXPECT_FALSE(manager.IsKeyReleased(key)) << key;
    EXPECT_EQ(manager.GetHoldCount(key), 0) << key;
  }
  for (int pad_number : {1, -1, INT_MAX}) {
    EXPECT_EQ(manager.GetJoy(pad_number, 0), 0u) << pad_number;
    EXPECT_EQ(manager.GetJoyPressed(pad_number), 0u) << pad_number;
    EXPECT_EQ(manager.GetJoyReleased(pad_number), 0u) << pad_number;
    EXPECT_FALSE(manager.SetJoyMask(pad_number, 0)) << pad_number;
    EXPECT_FALSE(manager.SetKeyMap(pad_number, InputManager::KeyMap{})) << pad_number;
    EXPECT_FALSE(manager.GetKeyMap(pad_number, &stored)) << pad_number;
    EXPECT_FALSE(manager.MapButtonsToKey(pad_number, 0x8, kKeyNone)) << pad_number;
    manager.SetJoy(0, pad_number, 0);
  }
  EXPECT_EQ(manager.GetJoy(0, 0), 0x8u);
  // Poll numbers past the two slots wrap round them, negative ones too.
  manager.SetJoy(0x1, 0, 1);
  for (int back : {2, -2, INT_MIN}) EXPECT_EQ(manager.GetJoy(0, back), 0x8u) << back;
  for (int back : {-1, 3, INT_MAX}) EXPECT_EQ(manager.GetJoy(0, back), 0x1u) << back;
}

// Without a device (a headless run) every poll reads the keys and pad at rest.
TEST(InputManagerHeadlessTest, WithoutDeviceEverythingRests) {
  InputManager manager;
  EXPECT_FALSE(manager.Initialize(nullptr));
  EXPECT_TRUE(manager.Poll());
  EXPECT_EQ(manager.GetJoy(0, 0), 0u);
  EXPECT_EQ(manager.GetHoldCount(kPseudoUp), 0);
}

}  // namespace
