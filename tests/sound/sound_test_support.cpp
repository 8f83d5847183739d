#include "sound/sound_test_support.h"

#include <filesystem>

#include "platform/system/content_path.h"
#include "sound/music_stream.h"
#include "sound/vorbis_library.h"
#include "support/case_files.h"

ProgramFolder::ProgramFolder(bool withLibrary) {
  if (withLibrary) std::filesystem::copy_file(T3D_WUVORBIS, folder_.path() + kVorbisLibraryName);
  SetProgramDir(folder_.path());
}

ProgramFolder::~ProgramFolder() { SetProgramDir(""); }

std::string DataFile(const std::string& name) {
  return ReadTextFile(std::filesystem::path(T3D_SOURCE_DIR) / "tests/sound/data" / name);
}

FileData Bytes(const std::string& bytes) {
  FileData data;
  data.Assign(bytes);
  return data;
}

DecodedPiece DecodeOgg(const std::string& bytes) {
  DecodedPiece piece;
  VorbisLibrary library;
  if (LoadVorbisLibrary(library, T3D_WUVORBIS) != kVorbisLoaded) return piece;
  MemoryStream source;
  source.data = Bytes(bytes);
  alignas(16) unsigned char state[kDecoderStateSize] = {};
  const WuCallbacks callbacks{&MemoryStreamRead, &MemoryStreamSeek, &MemoryStreamClose, &MemoryStreamTell};
  if (library.openCallbacks(&source, state, nullptr, 0, callbacks) >= 0) {
    piece.channels = library.info(state, -1)->channels;
    piece.rate = library.info(state, -1)->rate;
    char buffer[4096];
    int section = 0;
    long got;
    while ((got = library.read(state, buffer, sizeof buffer, 0, 2, 1, &section)) > 0)
      for (long i = 0; i + 1 < got; i += 2)
        piece.samples.push_back(static_cast<std::int16_t>(static_cast<unsigned char>(buffer[i]) |
                                                          static_cast<unsigned char>(buffer[i + 1]) << 8));
    library.clear(state);
  }
  UnloadVorbisLibrary(library);
  return piece;
}

std::string FirstDifference(const Samples& actual, const Samples& expected) {
  for (std::size_t i = 0; i < actual.size() && i < expected.size(); ++i)
    if (actual[i] != expected[i])
      return "sample " + std::to_string(i) + ": " + std::to_string(actual[i]) + " where " +
             std::to_string(expected[i]) + " was expected";
  if (actual.size() != expected.size())
    return std::to_string(actual.size()) + " samples where " + std::to_string(expected.size()) + " were expected";
  return "";
}
