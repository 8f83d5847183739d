// The calling interface of "wuvorbis.so", the Ogg Vorbis library the player
// loads by name: our own declarations, shared by the library and its loader.
// Only the entry points the player calls are typed; the others need only exist.
#pragma once

#include <cstddef>
#include <cstdint>

extern "C" {

// The data source's stream functions, handed to the decoder by value: read
// like fread (the result counts bytes), seek like fseek with a 64-bit offset,
// close, and tell like ftell.
struct WuCallbacks {
  std::size_t (*read)(void* destination, std::size_t size, std::size_t count, void* source);
  int (*seek)(void* source, std::int64_t offset, int whence);
  int (*close)(void* source);
  long (*tell)(void* source);
};

// What wu_ov_info answers: the second and third fields are the channel count
// and the rate in Hz.
struct WuInfo {
  std::int32_t version;
  std::int32_t channels;
  std::int32_t rate;
};

// The decoder state lives in memory of the caller's, this many bytes at most.
using WuQuerySizeFn = int (*)();
// Negative on failure; a failed open leaves the state safe to clear.
using WuOpenCallbacksFn = int (*)(void* source, void* state, const char* initial, long initialBytes,
                                  WuCallbacks callbacks);
using WuInfoFn = const WuInfo* (*)(void* state, int link);
// Bytes written (at most `bytes`), 0 at the end of the music, negative on a
// decoding error.
using WuReadFn = long (*)(void* state, char* destination, int bytes, int bigEndian, int wordSize, int isSigned,
                          int* section);
using WuPcmSeekFn = int (*)(void* state, std::int64_t sample);
using WuTimeSeekFn = int (*)(void* state, double seconds);
using WuClearFn = int (*)(void* state);
using WuDetectCpuFn = int (*)();
using WuSetCpuTypeFn = int (*)(int cpuType);

}  // extern "C"
