// Stand-ins for the program's input device and sound manager in tests of the
// script classes and of whole scenes: an input device whose keys and joystick
// buttons change at given reads, and a sound manager that writes each call
// it is given into a trace instead of playing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/input/input_device.h"
#include "script/value.h"
#include "sound/sound_manager.h"

class ScriptedInputDevice : public InputDevice {
 public:
  // From read `read` on (1 is the first), the key or joystick button is down or up.
  void KeyAt(int read, int key, bool down) { changes_.push_back({read, key, -1, down}); }
  void ButtonAt(int read, int button, bool down) { changes_.push_back({read, -1, button, down}); }
  int GetReadCount() const { return reads_; }

  bool Open() override { return true; }
  void Close() override {}
  bool Read(InputState* state) override {
    ++reads_;
    for (const Change& change : changes_) {
      if (change.read != reads_) continue;
      const std::uint8_t byte = change.down ? kInputDown : 0;
      if (change.key >= 0 && change.key < kKeyCodeCount) state_.keys[static_cast<std::size_t>(change.key)] = byte;
      if (change.button >= 0 && change.button < kJoystickButtonCount)
        state_.joystick.buttons[static_cast<std::size_t>(change.button)] = byte;
    }
    *state = state_;
    return true;
  }

 private:
  struct Change {
    int read, key, button;
    bool down;
  };
  std::vector<Change> changes_;
  InputState state_;
  int reads_ = 0;
};

// Files are read as the game's manager reads them (the program folder,
// archives first); nothing is played. Master volumes are kept, so they read
// back as the manager holds them.
class RecordingSoundManager : public GameSoundManager {
 public:
  // Each call becomes a line of `trace` that starts with `prefix`.
  RecordingSoundManager(std::string& trace, std::string prefix) : trace_(trace), prefix_(std::move(prefix)) {}
  int GetUpdateCount() const { return updates_; }

  bool LoadSound(std::uint32_t id, const char* file) override { return Line("LoadSound " + Id(id) + " " + file); }
  bool PlaySound(std::uint32_t id, float volume, float pan, float start) override {
    return Line("PlaySound " + Id(id) + " volume " + Num(volume) + " pan " + Num(pan) + " start " + Num(start));
  }
  bool StopSound(std::uint32_t id) override { return Line("StopSound " + Id(id)); }
  void LoadMusic(std::uint32_t id, FileData bytes) override {
    Line("LoadMusic " + Id(id) + " " + std::to_string(bytes.size()) + " bytes");
  }
  void DeleteMusic(std::uint32_t id) override { Line("DeleteMusic " + Id(id)); }
  bool PlayMusic(std::uint32_t id, bool loop, float volume) override {
    return Line("PlayMusic " + Id(id) + (loop ? " loop" : " once") + " volume " + Num(volume));
  }
  void StopMusic(std::uint32_t id) override { Line("StopMusic " + Id(id)); }
  bool SetMusicVolume(std::uint32_t id, float target, std::int32_t steps, bool stopAtEnd) override {
    return Line("SetMusicVolume " + Id(id) + " to " + Num(target) + " in " + std::to_string(steps) +
                (stopAtEnd ? " then stop" : ""));
  }
  void PutSoundVolume(float volume) override {
    Line("PutSoundVolume " + Num(volume));
    GameSoundManager::PutSoundVolume(volume);
  }
  void PutMusicVolume(float volume) override {
    Line("PutMusicVolume " + Num(volume));
    GameSoundManager::PutMusicVolume(volume);
  }
  void Update() override { ++updates_; }

 private:
  // Ids print as numbers, or as their four characters when all are printable.
  static std::string Id(std::uint32_t id) {
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
      const char c = static_cast<char>(id >> shift & 0xFF);
      if (c < ' ' || c > '~') return std::to_string(id);
      text += c;
    }
    return "'" + text + "'";
  }
  static std::string Num(float value) { return NumberToText(value); }
  bool Line(const std::string& text) {
    trace_ += prefix_ + text + "\n";
    return true;
  }

  std::string& trace_;
  std::string prefix_;
  int updates_ = 0;
};
