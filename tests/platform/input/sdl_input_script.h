// Scripted input for tests: key events pushed into SDL's queue and virtual
// joysticks, read by the real SDL device as it reads a keyboard and a pad,
// and case files of such scripts. Used by the platform input tests and the
// input manager's tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "support/case_files.h"

struct _SDL_Joystick;

// A key event of `scancode`, as the window would queue it.
void PushScancode(int scancode, bool down, bool repeat = false);
// The platform key code of an SDL key name ("Up", "Z", "Space"); 0 for none.
int KeyByName(const std::string& name);
// A key event of the first scancode that gives `key` (a platform key code).
void PushKey(int key, bool down);

// A joystick plugged in at construction and unplugged at destruction or
// Unplug. SDL's joysticks must be started (the device's Open does it).
class VirtualJoystick {
 public:
  explicit VirtualJoystick(int axes = 2, int buttons = 12);
  ~VirtualJoystick() { Unplug(); }
  VirtualJoystick(const VirtualJoystick&) = delete;
  VirtualJoystick& operator=(const VirtualJoystick&) = delete;

  bool IsPlugged() const { return handle_ != nullptr; }
  // Raw SDL values, -32768..32767; they reach the device at its next read.
  void SetAxis(int axis, int value);
  void SetButton(int button, bool down);
  // A button event queued as the driver queues each one: unlike SetButton,
  // a press and a release before one read both arrive.
  void PushButtonEvent(int button, bool down);
  void Unplug();

 private:
  _SDL_Joystick* handle_ = nullptr;
  std::int32_t id_ = -1;
};

// Every case of `folder` (*.txt), each run by a fresh Runner (its Answer
// answers a command, "" for one that does not answer), answers as written;
// the folder holds `count` cases.
template <typename Runner>
void ExpectCasesAnswerAsWritten(const std::filesystem::path& folder, std::size_t count) {
  const std::vector<std::string> cases = ListCases(folder, ".txt");
  ASSERT_EQ(cases.size(), count);
  for (const std::string& name : cases) {
    const std::string text = ReadTextFile(folder / (name + ".txt"));
    Runner runner;
    EXPECT_EQ(AnswerCalls(text, [&](const std::string& command) { return runner.Answer(command); }), text) << name;
  }
}
