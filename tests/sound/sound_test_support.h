// Shared by the sound suites: a program folder holding "wuvorbis.so", the
// committed Ogg files, decoding them as the player does, and comparing long
// sample runs.
#pragma once

#include <cstddef>
#include <string>

#include "files/archive.h"
#include "platform/audio/audio_capture.h"
#include "platform/system/temp_folder.h"

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
