// Sound effects over the mixer's buffers, and the decibel table.
#include "sound/sound_buffer.h"

#include <array>
#include <cmath>
#include <cstring>

#include "sound/wave_file.h"

namespace {

// Entry k is k percent; entry 0 is never read.
const std::array<int, 101> kDecibelTable = [] {
  std::array<int, 101> table{};
  for (int k = 1; k <= 100; ++k) table[k] = static_cast<int>(std::lround(2000.0 * std::log10(k / 100.0)));
  return table;
}();

}  // namespace

int PercentToDecibels(float percent) {
  if (!(percent >= 1.0f)) percent = 1.0f;
  if (percent > 100.0f) percent = 100.0f;
  const int i = static_cast<int>(percent);
  const float f = percent - static_cast<float>(i);
  if (f == 0.0f) return kDecibelTable[i];
  // The step is added in double, so 30.000002 percent (volume 1 under a
  // master of 0.3f) gives -1045 as it always has; float arithmetic would
  // round to -1046 first.
  const double value = kDecibelTable[i] + static_cast<double>(kDecibelTable[i + 1] - kDecibelTable[i]) * f;
  return static_cast<int>(value);
}

std::int32_t PanToBufferPan(float pan) {
  if (std::isnan(pan)) return 0;
  if (pan > 0.0f) return -PercentToDecibels(100.0f - 100.0f * pan);
  if (pan < 0.0f) return PercentToDecibels(100.0f + 100.0f * pan);
  return 0;
}

bool SoundBuffer::Create(AudioMixer& mixer, std::uint32_t id, const WaveFile& wave) {
  Release();
  buffer_ = mixer.CreateBuffer(wave.format, wave.size);
  PcmBuffer::Regions regions;
  if (!buffer_ || !buffer_->LockAll(regions)) {
    Release();
    return false;
  }
  std::memcpy(regions.first, wave.samples, regions.firstSize);
  buffer_->Unlock(regions);
  id_ = id;
  return true;
}

void SoundBuffer::Release() {
  buffer_.reset();
  id_ = 0;
  scale_ = 1.0f;
}

bool SoundBuffer::Play(float scale, float pan, float master, float startSeconds) {
  if (!buffer_) return false;
  buffer_->Stop();
  const double start = startSeconds > 0.0f ? static_cast<double>(startSeconds) : 0.0;
  const double offset = start * buffer_->GetFormat().BytesPerSecond();
  if (offset >= static_cast<double>(buffer_->GetSize())) return false;
  // SetCurrentPosition moves the offset down to a whole frame.
  buffer_->SetCurrentPosition(static_cast<std::size_t>(offset));
  scale_ = scale;
  SetVolume(master);
  buffer_->SetPan(PanToBufferPan(pan));
  buffer_->Play(false);
  return true;
}

bool SoundBuffer::Stop() {
  if (!buffer_) return false;
  buffer_->Stop();
  return true;
}

bool SoundBuffer::SetVolume(float master) {
  if (!buffer_) return false;
  buffer_->SetVolume(PercentToDecibels(master * scale_ * 100.0f));
  return true;
}
