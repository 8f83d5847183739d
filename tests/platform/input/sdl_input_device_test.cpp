// The SDL device with scripted events (cases/*.txt): each press and release
// between two reads seen once, the joystick's axes and buttons, and joysticks
// unplugged and plugged in while it runs.
#include "platform/input/sdl_input_device.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "sdl_input_script.h"

namespace {

// Answers the commands of a case file (see cases/*.txt); keys and scancodes
// go by SDL's names or by number.
class CaseRunner {
 public:
  static int Number(const std::string& word) {
    return word[0] == '-' || std::isdigit(static_cast<unsigned char>(word[0])) ? std::stoi(word) : -1;
  }

  std::string Answer(const std::string& command) {
    std::istringstream in(command);
    std::string name, a, b;
    in >> name >> a >> b;
    if (name == "open") return device_.emplace().Open() ? "1" : "0";
    if (name == "scancode") {
      const int number = Number(a);
      PushScancode(number >= 0 ? number : SDL_GetScancodeFromName(a.c_str()), b != "up", b == "repeat");
    }
    if (name == "pad") return pad_.emplace(Number(a), Number(b)).IsPlugged() ? "1" : "0";
    if (name == "axes") {
      pad_->SetAxis(0, Number(a));
      pad_->SetAxis(1, Number(b));
    }
    if (name == "button") pad_->SetButton(Number(a), b == "down");
    if (name == "buttonevent") pad_->PushButtonEvent(Number(a), b == "down");
    if (name == "unplug") pad_->Unplug();
    if (name != "read") return "";
    InputState state;
    const std::string failed = device_->Read(&state) ? "" : "failed ";
    if (a != "pad") {
      const int key = Number(a) >= 0 ? Number(a) : KeyByName(a);
      return failed + (state.keys[static_cast<std::size_t>(key)] == kInputDown ? "down" : "up");
    }
    // The stick, which of buttons 0, 1 and 31 are down, and whether a pad is there.
    const auto& j = state.joystick;
    return failed + std::to_string(j.x) + " " + std::to_string(j.y) + " " + (j.buttons[0] ? "A" : "-") +
           (j.buttons[1] ? "B" : "-") + (j.buttons[31] ? "Z" : "-") + (device_->HasJoystick() ? " pad" : " none");
  }

 private:
  std::optional<SdlInputDevice> device_;
  std::optional<VirtualJoystick> pad_;
};

TEST(SdlInputDeviceTest, EachCaseAnswersAsWritten) {
  ExpectCasesAnswerAsWritten<CaseRunner>(std::filesystem::path(T3D_SOURCE_DIR) / "tests/platform/input/cases", 3);
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

}  // namespace
