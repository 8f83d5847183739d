// The input manager over the SDL device with scripted events (cases/*.txt):
// the button mask and its edges, hold counts and pseudo keys, the joystick,
// the key map and the enable mask, and keys and pads that are not there (a
// joystick unplugged reads at rest: the device's test).
#include "input/input_manager.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/input/sdl_input_device.h"
#include "platform/input/sdl_input_script.h"

namespace {

// A number, or a key by its SDL name ("Up"); "None" is no key.
int Value(const std::string& word) {
  if (word == "None") return 0;
  if (word[0] == '-' || std::isdigit(static_cast<unsigned char>(word[0])))
    return static_cast<int>(std::stoll(word, nullptr, 0));
  return KeyByName(word);
}

std::vector<int> Values(const std::string& list) {
  std::vector<int> values;
  std::istringstream in(list);
  for (std::string word; list != "-" && std::getline(in, word, ',');) values.push_back(Value(word));
  return values;
}

std::string Hex(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%x", value);
  return text;
}

// Answers the commands of a case file (see cases/*.txt) on a manager of its own.
class CaseRunner {
 public:
  CaseRunner() { EXPECT_TRUE(manager_.Initialize(std::make_unique<SdlInputDevice>())); }

  std::string Answer(const std::string& command) {
    std::istringstream in(command);
    std::string name, a, b, c;
    in >> name >> a >> b >> c;
    const auto flag = [](bool value) { return std::string(value ? "1" : "0"); };
    if (name == "key") PushKey(Value(a), b == "down");
    if (name == "button") pad_->SetButton(Value(a), b == "down");
    if (name == "axes") {
      pad_->SetAxis(0, Value(a));
      pad_->SetAxis(1, Value(b));
    }
    if (name == "pad") return flag(pad_.emplace(Value(a), Value(b)).IsPlugged());
    if (name == "entry") map_[static_cast<std::size_t>(Value(a))] = Value(b);
    if (name == "setjoy") manager_.SetJoy(static_cast<std::uint32_t>(Value(a)), Value(b), Value(c));
    if (name == "poll") {
      const std::string failed = manager_.Poll() ? "" : "failed ";
      return failed + Hex(manager_.GetJoy(0, 0)) + " " + Hex(manager_.GetJoyPressed(0)) + " " +
             Hex(manager_.GetJoyReleased(0));
    }
    if (name == "hold") {
      const int key = Value(a);
      return std::to_string(manager_.GetHoldCount(key)) + " " + flag(manager_.IsKeyReleased(key)) + " " +
             std::to_string(manager_.IsKeyDown(key, 0));
    }
    if (name == "while") return Hex(MaskWhileHeld(Values(a), Values(b)));
    if (name == "joy") return Hex(manager_.GetJoy(Value(a), Value(b)));
    if (name == "pressed") return Hex(manager_.GetJoyPressed(Value(a)));
    if (name == "released") return Hex(manager_.GetJoyReleased(Value(a)));
    if (name == "joymask") return flag(manager_.SetJoyMask(Value(a), static_cast<std::uint32_t>(Value(b))));
    if (name == "setmap") return flag(manager_.SetKeyMap(Value(a), map_));
    if (name == "mapbuttons")
      return flag(manager_.MapButtonsToKey(Value(a), static_cast<std::uint32_t>(Value(b)), Value(c)));
    if (name == "getmap") {
      // Whether it answers, and whether the map is the one the case built.
      InputManager::KeyMap stored;
      if (!manager_.GetKeyMap(Value(a), &stored)) return "0";
      const bool same = stored == map_;
      if (b == "keep") map_ = stored;
      return "1 " + flag(same);
    }
    return "";
  }

 private:
  // The mask of a poll with `keys` and the pad's `buttons` down; all are let
  // go again by a second poll.
  std::uint32_t MaskWhileHeld(const std::vector<int>& keys, const std::vector<int>& buttons) {
    for (int key : keys) PushKey(key, true);
    for (int button : buttons) pad_->SetButton(button, true);
    manager_.Poll();
    const std::uint32_t mask = manager_.GetJoy(0, 0);
    for (int key : keys) PushKey(key, false);
    for (int button : buttons) pad_->SetButton(button, false);
    manager_.Poll();
    return mask;
  }

  InputManager manager_;
  std::optional<VirtualJoystick> pad_;
  InputManager::KeyMap map_ = InputManager::DefaultKeyMap();
};

TEST(InputManagerTest, EachCaseAnswersAsWritten) {
  ExpectCasesAnswerAsWritten<CaseRunner>(std::filesystem::path(T3D_SOURCE_DIR) / "tests/input/cases", 5);
}

// Without a device (a headless run) every poll reads the keys and pad at rest.
TEST(InputManagerHeadlessTest, WithoutDeviceEverythingRests) {
  InputManager manager;
  EXPECT_FALSE(manager.Initialize(nullptr));
  EXPECT_TRUE(manager.Poll());
  EXPECT_EQ(manager.GetJoy(0, 0), 0u);
  EXPECT_EQ(manager.GetHoldCount(0xE3), 0);
}

}  // namespace
