// The SDL device with scripted events: each press and release between two
// reads seen once, the joystick's axes and buttons, and joysticks unplugged
// and plugged in while it runs.
#include "platform/input/sdl_input_device.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sdl_input_script.h"

namespace {

struct Event {
  SDL_Scancode scancode;
  bool down;
  bool repeat = false;
};

// For each read, the events pushed before it; the trace gives one letter per
// read: D when the key reads down, u when up.
std::string TraceKey(SdlInputDevice& device, int key, const std::vector<std::vector<Event>>& reads) {
  std::string trace;
  for (const std::vector<Event>& events : reads) {
    for (const Event& event : events) PushScancode(event.scancode, event.down, event.repeat);
    InputState state;
    EXPECT_TRUE(device.Read(&state));
    trace += state.keys[static_cast<std::size_t>(key)] == kInputDown ? 'D' : 'u';
  }
  return trace;
}

TEST(SdlInputDeviceTest, EveryPressAndReleaseIsReadOnce) {
  constexpr SDL_Scancode kUp = SDL_SCANCODE_UP;
  struct Case {
    const char* name;
    int key;
    std::vector<std::vector<Event>> reads;
    const char* trace;
  };
  const Case cases[] = {
      {"held over three reads", kKeyUp, {{{kUp, true}}, {}, {}, {{kUp, false}}, {}}, "DDDuu"},
      {"tapped between two reads", kKeyUp, {{}, {{kUp, true}, {kUp, false}}, {}, {}}, "uDuu"},
      {"let go and pressed again between two reads", kKeyUp, {{{kUp, true}}, {{kUp, false}, {kUp, true}}, {}, {}},
       "DuDD"},
      {"tapped twice between two reads", kKeyUp,
       {{{kUp, true}, {kUp, false}, {kUp, true}, {kUp, false}}, {}, {}}, "Duu"},
      {"auto-repeat is no new press", kKeyUp, {{{kUp, true}}, {{kUp, false}, {kUp, true, true}}, {}}, "Duu"},
      {"a key under two names stays down until both are up", kKeyKana,
       {{{SDL_SCANCODE_LANG3, true}}, {{SDL_SCANCODE_INTERNATIONAL2, true}}, {{SDL_SCANCODE_LANG3, false}},
        {{SDL_SCANCODE_INTERNATIONAL2, false}}},
       "DDDu"},
      {"a scancode without a key does nothing", kKeyNone, {{{SDL_SCANCODE_MUTE, true}}, {}}, "uu"},
  };
  for (const Case& c : cases) {
    SdlInputDevice device;
    ASSERT_TRUE(device.Open());
    EXPECT_EQ(TraceKey(device, c.key, c.reads), c.trace) << c.name;
  }
}

// The window's events stay queued for its own pump.
TEST(SdlInputDeviceTest, LeavesOtherEventsQueued) {
  SdlInputDevice device;
  ASSERT_TRUE(device.Open());
  SDL_Event quit{};
  quit.type = SDL_QUIT;
  SDL_PushEvent(&quit);
  PushKey(kKeyZ, true);
  InputState state;
  ASSERT_TRUE(device.Read(&state));
  EXPECT_EQ(state.keys[kKeyZ], kInputDown);
  SDL_Event left;
  EXPECT_EQ(SDL_PeepEvents(&left, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT), 1);
  EXPECT_EQ(left.type, SDL_QUIT);
}

// SDL's raw axis values to -1000..1000, the inner half reading 0.
TEST(SdlInputDeviceTest, JoystickAxesReadWithDeadZone) {
  SdlInputDevice device;
  ASSERT_TRUE(device.Open());
  VirtualJoystick pad;
  ASSERT_TRUE(pad.IsPlugged());
  const std::pair<int, int> cases[] = {{0, 0},       {16383, 0},     {-16383, 0},     {16384, 1},  {-16384, -1},
                                       {24576, 501}, {32767, 1000},  {-32768, -1000}, {-32767, -1000}};
  for (const auto& [raw, expected] : cases) {
    pad.SetAxis(0, raw);
    pad.SetAxis(1, raw);
    InputState state;
    ASSERT_TRUE(device.Read(&state));
    ASSERT_TRUE(device.HasJoystick());
    EXPECT_EQ(state.joystick.x, expected) << raw;
    EXPECT_EQ(state.joystick.y, expected) << raw;
  }
}

// Per read: the axis x, and which of buttons 0, 1 and 31 are down ("-" when
// up); button 35 lies past the 32 that are read.
TEST(SdlInputDeviceTest, JoystickButtonsAndPlugging) {
  SdlInputDevice device;
  ASSERT_TRUE(device.Open());
  std::string trace;
  auto read = [&] {
    InputState state;
    EXPECT_TRUE(device.Read(&state));
    const auto& b = state.joystick.buttons;
    trace += std::to_string(state.joystick.x) + (b[0] ? "A" : "-") + (b[1] ? "B" : "-") + (b[31] ? "Z" : "-") + " ";
  };
  {
    VirtualJoystick pad(2, 40);
    pad.SetButton(0, true);
    pad.SetButton(35, true);
    read();  // plugged in: button 0 down
    pad.PushButtonEvent(1, true);
    pad.PushButtonEvent(1, false);
    pad.SetButton(31, true);
    pad.SetAxis(0, 32767);
    read();  // button 1 tapped: read once
    read();
    pad.Unplug();
    read();  // unplugged while held: at rest
    EXPECT_FALSE(device.HasJoystick());
  }
  VirtualJoystick later;
  later.SetButton(1, true);
  read();  // plugged in later: picked up
  EXPECT_TRUE(device.HasJoystick());
  EXPECT_EQ(trace, "0A-- 1000ABZ 1000A-Z 0--- 0-B- ");
}

}  // namespace
