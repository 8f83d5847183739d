// Shared by the sound suites: a program folder holding "wuvorbis.so", the
// committed Ogg files, decoding them as the player does, and comparing long
// sample runs.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "files/archive.h"
#include "platform/audio/audio_capture.h"
#include "platform/system/temp_folder.h"
#include "sound/sound_manager.h"

// A temporary program folder with the Ogg library copied in; ProgramDir
// answers it until the folder goes.
class ProgramFolder {
 public:
  explicit ProgramFolder(bool withLibrary = true);
  ~ProgramFolder();
  ProgramFolder(const ProgramFolder&) = delete;
  ProgramFolder& operator=(const ProgramFolder&) = delete;
  const TempFolder& Folder() const { return folder_; }

 private:
  TempFolder folder_;
};

// Four characters packed as a sound id, the first in the highest byte.
constexpr std::uint32_t Code(const char (&text)[5]) {
  std::uint32_t code = 0;
  for (int i = 0; i < 4; ++i) code = code << 8 | static_cast<unsigned char>(text[i]);
  return code;
}

// Suites whose manager, in a program folder of its own, is heard through the
// disk driver (Heard terminates it and reads what it played), or plays to no
// device.
class HeardSoundTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(manager.Initialize()); }
  Samples Heard() {
    manager.Terminate();
    return capture.Read();
  }
  ProgramFolder program;
  DiskCapture capture;
  GameSoundManager manager;
};
class SilentSoundTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(manager.Initialize(AudioOutput::kNone)); }
  ProgramFolder program;
  GameSoundManager manager;
};

// A file of tests/sound/data.
std::string DataFile(const std::string& name);
FileData Bytes(const std::string& bytes);

// The whole piece decoded through the shim, 16-bit interleaved.
struct DecodedPiece {
  int channels = 0;
  int rate = 0;
  Samples samples;
};
DecodedPiece DecodeOgg(const std::string& bytes);

// Empty when equal, else the first differing index and both values.
std::string FirstDifference(const Samples& actual, const Samples& expected);
