// The Ogg Vorbis library that decodes music: loaded by name from the program's
// folder, checked, and reached only through the pointers resolved here. The
// sound manager owns one record; music streams decode through it.
#pragma once

#include <array>
#include <cstddef>

#include "platform/oggshim/wuvorbis_api.h"

constexpr char kVorbisLibraryName[] = "wuvorbis.so";
// A music stream keeps the decoder's state in an area of this size; a library
// that needs more is refused.
constexpr std::size_t kDecoderStateSize = 960;
// Every name must resolve, even those never called.
constexpr std::size_t kVorbisNameCount = 34;

enum VorbisLoadResult {
  kVorbisLoaded = 0,        // also when it already was
  kVorbisNotLoadable = 1,   // missing, or not a library
  kVorbisNameMissing = 2,
  kVorbisStateTooLarge = 3,
};

// The module and its entry points; all null while not loaded. Tests may fill
// the entry points with stand-ins of their own.
struct VorbisLibrary {
  void* module = nullptr;
  std::array<void*, kVorbisNameCount> symbols{};
  WuOpenCallbacksFn openCallbacks = nullptr;
  WuInfoFn info = nullptr;
  WuReadFn read = nullptr;
  WuPcmSeekFn pcmSeek = nullptr;
  WuTimeSeekFn timeSeek = nullptr;
  WuClearFn clear = nullptr;
  WuDetectCpuFn detectCpu = nullptr;
  WuSetCpuTypeFn setCpuType = nullptr;

  bool CanDecode() const { return openCallbacks && info && read && pcmSeek && timeSeek && clear; }
};

// Opens `path`, or kVorbisLibraryName in the program's folder when it is null,
// and resolves the names in order: the state size first (refused above
// kDecoderStateSize), then the "wu_" functions. Anything but kVorbisLoaded
// leaves the record empty and the library closed.
int LoadVorbisLibrary(VorbisLibrary& library, const char* path);
// Clears every pointer and closes the library when it is open.
void UnloadVorbisLibrary(VorbisLibrary& library);
