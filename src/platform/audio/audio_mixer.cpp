// The software mixer behind the sound buffers: resampling by a fixed-point
// step, volume and pan as gains worked out when they change, a float sum
// clipped to 16 bits.
#include "platform/audio/audio_mixer.h"

#include <algorithm>
#include <cassert>
#include <cmath>

namespace {

// Output frames summed at a time; the sum lives on the callback's stack.
constexpr int kMixChunk = 256;
constexpr double kFractionScale = 1.0 / 4294967296.0;

}  // namespace

bool PcmFormat::IsSupported() const {
  return (channels == 1 || channels == 2) && (bitsPerSample == 8 || bitsPerSample == 16) && rate >= kMinRate &&
         rate <= kMaxRate;
}

float DecibelsToGain(std::int32_t hundredths) {
  if (hundredths <= kVolumeMin) return 0.0f;
  return static_cast<float>(std::pow(10.0, static_cast<double>(hundredths) / 2000.0));
}

PcmBuffer::PcmBuffer(AudioMixer& mixer, const PcmFormat& format, std::size_t size)
    : mixer_(mixer),
      format_(format),
      bytes_(size, format.bitsPerSample == 8 ? 0x80 : 0),
      frames_(size / static_cast<std::size_t>(format.BlockAlign())),
      step_((static_cast<std::uint64_t>(format.rate) << 32) / AudioMixer::kRate) {}

PcmBuffer::~PcmBuffer() {
  std::lock_guard lock(mixer_.mutex_);
  auto& list = mixer_.buffers_;
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

bool PcmBuffer::Lock(std::size_t offset, std::size_t bytes, Regions& regions) {
  regions = {};
  if (offset >= bytes_.size() || bytes > bytes_.size()) return false;
  // Taking the lock orders these writes after the mixer's last read of them.
  std::lock_guard lock(mixer_.mutex_);
  const std::size_t first = std::min(bytes, bytes_.size() - offset);
  regions.first = bytes_.data() + offset;
  regions.firstSize = first;
  if (bytes > first) {
    regions.second = bytes_.data();
    regions.secondSize = bytes - first;
  }
  return true;
}

void PcmBuffer::Unlock(const Regions&) { std::lock_guard lock(mixer_.mutex_); }

void PcmBuffer::Play(bool looping) {
  std::lock_guard lock(mixer_.mutex_);
  playing_ = true;
  looping_ = looping;
}

void PcmBuffer::Stop() {
  std::lock_guard lock(mixer_.mutex_);
  playing_ = false;
}

bool PcmBuffer::IsPlaying() const {
  std::lock_guard lock(mixer_.mutex_);
  return playing_;
}

bool PcmBuffer::SetCurrentPosition(std::size_t byteOffset) {
  const std::size_t frame = byteOffset / static_cast<std::size_t>(format_.BlockAlign());
  if (frame >= frames_) return false;
  std::lock_guard lock(mixer_.mutex_);
  position_ = static_cast<std::uint64_t>(frame) << 32;
  return true;
}

std::size_t PcmBuffer::GetCurrentPosition() const {
  std::lock_guard lock(mixer_.mutex_);
  return static_cast<std::size_t>(position_ >> 32) * static_cast<std::size_t>(format_.BlockAlign());
}

void PcmBuffer::SetVolume(std::int32_t hundredths) {
  std::lock_guard lock(mixer_.mutex_);
  volume_ = std::clamp(hundredths, kVolumeMin, kVolumeMax);
  UpdateGains();
}

std::int32_t PcmBuffer::GetVolume() const {
  std::lock_guard lock(mixer_.mutex_);
  return volume_;
}

void PcmBuffer::SetPan(std::int32_t hundredths) {
  std::lock_guard lock(mixer_.mutex_);
  pan_ = std::clamp(hundredths, kPanLeft, kPanRight);
  UpdateGains();
}

std::int32_t PcmBuffer::GetPan() const {
  std::lock_guard lock(mixer_.mutex_);
  return pan_;
}

void PcmBuffer::UpdateGains() {
  const float gain = DecibelsToGain(volume_);
  gainLeft_ = pan_ > 0 ? gain * DecibelsToGain(-pan_) : gain;
  gainRight_ = pan_ < 0 ? gain * DecibelsToGain(pan_) : gain;
}

float PcmBuffer::Sample(std::size_t frame, int channel) const {
  const unsigned char* p = bytes_.data() + frame * static_cast<std::size_t>(format_.BlockAlign());
  if (format_.bitsPerSample == 8) return static_cast<float>((p[channel] - 128) * 256);
  p += channel * 2;
  return static_cast<float>(static_cast<std::int16_t>(static_cast<std::uint16_t>(p[0] | p[1] << 8)));
}

void PcmBuffer::MixInto(float* out, int frames) {
  const int right = format_.channels == 2 ? 1 : 0;
  for (int i = 0; i < frames && playing_; ++i) {
    const std::size_t frame = static_cast<std::size_t>(position_ >> 32);
    float left = Sample(frame, 0);
    float rightSample = Sample(frame, right);
    const auto fraction = static_cast<std::uint32_t>(position_);
    if (fraction != 0) {
      // Between two source frames: the straight line to the next, which for
      // a loop is the first frame again.
      std::size_t next = frame + 1;
      if (next >= frames_) next = looping_ ? 0 : frame;
      const auto t = static_cast<float>(fraction * kFractionScale);
      left += (Sample(next, 0) - left) * t;
      rightSample += (Sample(next, right) - rightSample) * t;
    }
    out[2 * i] += left * gainLeft_;
    out[2 * i + 1] += rightSample * gainRight_;
    position_ += step_;
    if ((position_ >> 32) >= frames_) {
      if (looping_) {
        position_ -= static_cast<std::uint64_t>(frames_) << 32;
      } else {
        playing_ = false;
        position_ = 0;
      }
    }
  }
}

AudioMixer::~AudioMixer() { assert(buffers_.empty()); }

std::unique_ptr<PcmBuffer> AudioMixer::CreateBuffer(const PcmFormat& format, std::size_t bytes) {
  if (!format.IsSupported()) return nullptr;
  const auto block = static_cast<std::size_t>(format.BlockAlign());
  bytes -= bytes % block;
  if (bytes == 0) return nullptr;
  std::unique_ptr<PcmBuffer> buffer(new PcmBuffer(*this, format, bytes));
  std::lock_guard lock(mutex_);
  buffers_.push_back(buffer.get());
  return buffer;
}

void AudioMixer::Mix(std::int16_t* out, int frames) {
  std::lock_guard lock(mutex_);
  float sum[kMixChunk * kChannels];
  while (frames > 0) {
    const int n = std::min(frames, kMixChunk);
    std::fill_n(sum, n * kChannels, 0.0f);
    for (PcmBuffer* buffer : buffers_)
      if (buffer->playing_) buffer->MixInto(sum, n);
    for (int i = 0; i < n * kChannels; ++i)
      out[i] = static_cast<std::int16_t>(std::clamp(std::nearbyint(sum[i]), -32768.0f, 32767.0f));
    out += n * kChannels;
    frames -= n;
  }
}
