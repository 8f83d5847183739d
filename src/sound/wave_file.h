// Reading a RIFF WAVE file held in memory: its format and its sample bytes.
// Used by the sound manager when a sound is added; fuzzed by fuzz_wave.
#pragma once

#include <cstddef>

#include "platform/audio/audio_mixer.h"

enum class WaveError {
  kNone,
  kNotRiffWave,          // no "RIFF" ... "WAVE" header
  kNoFormat,             // no "fmt " chunk within the file
  kShortFormat,          // a "fmt " chunk of fewer than 16 bytes
  kFloatSamples,         // IEEE float samples
  kExtensibleFormat,     // the extensible format header
  kCompressed,           // any other encoding than integer PCM
  kUnsupportedLayout,    // not mono or stereo, 8 or 16 bits, or a rate out of range
  kNoData,               // no "data" chunk with at least one whole frame
};

// A text for standard error that says what is wrong with the file.
const char* WaveErrorText(WaveError error);

// The samples point into the parsed bytes.
struct WaveFile {
  WaveError error = WaveError::kNone;
  PcmFormat format;
  const unsigned char* samples = nullptr;
  std::size_t size = 0;  // whole frames only
};

// Chunks are walked from offset 12 to the end the RIFF header gives, cut to
// the bytes there are; each chunk's size is checked against what is left, so
// no offset wraps and nothing past the file is read. The first "fmt " chunk
// is the format. A "data" chunk is taken while none, or an empty one, is
// taken; the walk stops at a format and non-empty data. Data running past the
// end of the file is cut to it, and to whole frames.
WaveFile ParseWave(const void* bytes, std::size_t size);
