// What the sound tests hear: SDL's disk driver writes the device's stream to a
// file, read back here as 16-bit stereo frames and cut into the stretches of
// sound between silences. Shared by the mixer and sound manager suites.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/system/temp_folder.h"

// 16-bit stereo, left and right interleaved.
using Samples = std::vector<std::int16_t>;

// Sets SDL_AUDIODRIVER=disk with SDL_DISKAUDIOFILE in a fresh folder; the
// device must be opened after and closed before Read.
class DiskCapture {
 public:
  DiskCapture();
  ~DiskCapture();
  DiskCapture(const DiskCapture&) = delete;
  DiskCapture& operator=(const DiskCapture&) = delete;
  const TempFolder& Folder() const { return folder_; }
  Samples Read() const;

 private:
  TempFolder folder_;
};

// A stretch of sound: its first frame in the capture and its samples.
struct SoundRun {
  std::size_t frame = 0;
  Samples samples;
};
// Stretches separated by at least `gapFrames` silent frames, without the
// silent frames at their ends.
std::vector<SoundRun> SplitRuns(const Samples& capture, std::size_t gapFrames = 64);

// `frames` frames of one left and right value.
Samples Constant(std::size_t frames, std::int16_t left, std::int16_t right);

// Four bytes, lowest first, as RIFF files hold numbers.
std::string Le32(std::uint32_t value);
// A RIFF WAVE file of integer PCM around `data`.
std::string MakeWave(int channels, int bits, int rate, const std::string& data);
// The bytes of 16-bit samples.
std::string SampleBytes(const Samples& samples);

// Lets the device play for a while.
void SleepMs(int ms);
