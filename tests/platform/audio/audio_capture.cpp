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

namespace {

void Put32(std::string& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>(value >> (8 * i)));
}
void Put16(std::string& out, std::uint16_t value) {
  out.push_back(static_cast<char>(value));
  out.push_back(static_cast<char>(value >> 8));
}

}  // namespace

std::string MakeWave(int channels, int bits, int rate, const std::string& data) {
  std::string format;
  const int block = channels * bits / 8;
  Put16(format, 1);
  Put16(format, static_cast<std::uint16_t>(channels));
  Put32(format, static_cast<std::uint32_t>(rate));
  Put32(format, static_cast<std::uint32_t>(rate * block));
  Put16(format, static_cast<std::uint16_t>(block));
  Put16(format, static_cast<std::uint16_t>(bits));
  std::string wave = "RIFF";
  Put32(wave, static_cast<std::uint32_t>(4 + 8 + format.size() + 8 + data.size()));
  wave += "WAVEfmt ";
  Put32(wave, static_cast<std::uint32_t>(format.size()));
  wave += format + "data";
  Put32(wave, static_cast<std::uint32_t>(data.size()));
  return wave + data;
}

std::string SampleBytes(const Samples& samples) {
  std::string bytes;
  for (std::int16_t s : samples) Put16(bytes, static_cast<std::uint16_t>(s));
  return bytes;
}

void SleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
