#include "platform/audio/audio_capture.h"

#include <stdlib.h>

#include <chrono>
#include <thread>

DiskCapture::DiskCapture() {
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", (folder_.path() + "capture.raw").c_str(), 1);
}

DiskCapture::~DiskCapture() {
  unsetenv("SDL_AUDIODRIVER");
  unsetenv("SDL_DISKAUDIOFILE");
}

Samples DiskCapture::Read() const {
  const std::string bytes = folder_.Read("capture.raw");
  Samples samples(bytes.size() / 4 * 2);
  for (std::size_t i = 0; i < samples.size(); ++i)
    samples[i] = static_cast<std::int16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                           static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
  return samples;
}

std::vector<SoundRun> SplitRuns(const Samples& capture, std::size_t gapFrames) {
  std::vector<SoundRun> runs;
  const std::size_t frames = capture.size() / 2;
  std::size_t silent = gapFrames;
  std::size_t lastSound = 0;
  for (std::size_t f = 0; f < frames; ++f) {
    const bool sound = capture[2 * f] != 0 || capture[2 * f + 1] != 0;
    if (!sound) {
      ++silent;
      continue;
    }
    if (silent >= gapFrames) {
      runs.push_back({f, {}});
    } else {
      // A short silence inside a stretch belongs to it.
      runs.back().samples.insert(runs.back().samples.end(), capture.begin() + 2 * (lastSound + 1),
                                 capture.begin() + 2 * f);
    }
    runs.back().samples.push_back(capture[2 * f]);
    runs.back().samples.push_back(capture[2 * f + 1]);
    lastSound = f;
    silent = 0;
  }
  return runs;
}

Samples Constant(std::size_t frames, std::int16_t left, std::int16_t right) {
  Samples samples;
  for (std::size_t i = 0; i < frames; ++i) {
    samples.push_back(left);
    samples.push_back(right);
  }
  return samples;
}

std::string Le32(std::uint32_t value) {
  return {static_cast<char>(value), static_cast<char>(value >> 8), static_cast<char>(value >> 16),
          static_cast<char>(value >> 24)};
}

std::string MakeWave(int channels, int bits, int rate, const std::string& data) {
  const auto block = static_cast<std::uint32_t>(channels * bits / 8);
  const auto size = static_cast<std::uint32_t>(data.size());
  return "RIFF" + Le32(4 + 8 + 16 + 8 + size) + "WAVEfmt " + Le32(16) +
         Le32(1 | static_cast<std::uint32_t>(channels) << 16) + Le32(static_cast<std::uint32_t>(rate)) +
         Le32(static_cast<std::uint32_t>(rate) * block) + Le32(block | static_cast<std::uint32_t>(bits) << 16) +
         "data" + Le32(size) + data;
}

std::string SampleBytes(const Samples& samples) {
  std::string bytes;
  for (std::int16_t s : samples) bytes += {static_cast<char>(s), static_cast<char>(s >> 8)};
  return bytes;
}

void SleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
