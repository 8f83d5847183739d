// Our stand-in for the platform's sound buffers: PCM buffers with volume in
// hundredths of a decibel, pan, loop, play position and two-region locks, all
// mixed into one 44.1 kHz 16-bit stereo stream. Used by the sound manager; the
// audio device (audio_device.h) pulls the stream.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

// Integer PCM: 8-bit unsigned or 16-bit signed little-endian, channels
// interleaved.
struct PcmFormat {
  int channels = 2;
  int bitsPerSample = 16;
  int rate = 44100;

  int BlockAlign() const { return channels * bitsPerSample / 8; }
  int BytesPerSecond() const { return BlockAlign() * rate; }
  // Mono or stereo, 8 or 16 bits, and a rate between kMinRate and kMaxRate.
  bool IsSupported() const;

  static constexpr int kMinRate = 1;
  static constexpr int kMaxRate = 384000;
};

// Volume and pan bounds, in hundredths of a decibel. The bottom of each is
// silence, as the platform had it.
constexpr std::int32_t kVolumeMin = -10000;
constexpr std::int32_t kVolumeMax = 0;
constexpr std::int32_t kPanLeft = -10000;
constexpr std::int32_t kPanRight = 10000;

class AudioMixer;

// One buffer of PCM that the mixer plays once or in a loop. Made by
// AudioMixer::CreateBuffer; leaves the mix when destroyed. Every call may come
// from the main thread or a refill thread; each takes the mixer's lock briefly.
class PcmBuffer {
 public:
  // Up to two spans of the buffer's bytes, the second from the start of the
  // buffer when a lock runs past its end.
  struct Regions {
    unsigned char* first = nullptr;
    std::size_t firstSize = 0;
    unsigned char* second = nullptr;
    std::size_t secondSize = 0;
  };

  ~PcmBuffer();
  PcmBuffer(const PcmBuffer&) = delete;
  PcmBuffer& operator=(const PcmBuffer&) = delete;

  const PcmFormat& GetFormat() const { return format_; }
  std::size_t GetSize() const { return bytes_.size(); }

  // `bytes` from `offset`, wrapping to the start. False when the offset lies
  // outside the buffer or more bytes than it holds are asked for. The locked
  // bytes are the caller's until Unlock: the mixer reads only from the play
  // position on, so a caller writes what has been played, as a ring is
  // refilled, or a buffer that is not playing.
  bool Lock(std::size_t offset, std::size_t bytes, Regions& regions);
  bool LockAll(Regions& regions) { return Lock(0, GetSize(), regions); }
  // Publishes what was written to the mixer.
  void Unlock(const Regions& regions);

  void Play(bool looping);
  void Stop();
  // False once a buffer played without a loop has reached its end.
  bool IsPlaying() const;
  // The byte offset of the next frame to be mixed; moved to a whole frame.
  // False (nothing changed) past the end.
  bool SetCurrentPosition(std::size_t byteOffset);
  std::size_t GetCurrentPosition() const;

  // Clamped to kVolumeMin..kVolumeMax.
  void SetVolume(std::int32_t hundredthsOfDecibel);
  std::int32_t GetVolume() const;
  // Clamped to kPanLeft..kPanRight. A positive pan attenuates the left
  // channel by that much (the sound moves right); a negative one the right.
  void SetPan(std::int32_t hundredthsOfDecibel);
  std::int32_t GetPan() const;

 private:
  friend class AudioMixer;
  PcmBuffer(AudioMixer& mixer, const PcmFormat& format, std::size_t size);
  // Adds `frames` output frames to `out` (left, right pairs). Under the lock.
  void MixInto(float* out, int frames);
  float Sample(std::size_t frame, int channel) const;
  void UpdateGains();

  AudioMixer& mixer_;
  const PcmFormat format_;
  std::vector<unsigned char> bytes_;
  const std::size_t frames_;
  // Position in frames as 32.32 fixed point, and the step per output frame,
  // so any source rate plays at its own speed without drift.
  std::uint64_t position_ = 0;
  const std::uint64_t step_;
  bool playing_ = false;
  bool looping_ = false;
  std::int32_t volume_ = kVolumeMax;
  std::int32_t pan_ = 0;
  float gainLeft_ = 1.0f;
  float gainRight_ = 1.0f;
};

// The mix of every playing buffer. Mix runs on the audio device's thread: it
// allocates nothing and waits only for the lock, which the other threads hold
// for a few field updates at a time.
class AudioMixer {
 public:
  static constexpr int kRate = 44100;
  static constexpr int kChannels = 2;
  static constexpr int kFrameBytes = kChannels * 2;

  AudioMixer() = default;
  AudioMixer(const AudioMixer&) = delete;
  AudioMixer& operator=(const AudioMixer&) = delete;
  // Buffers must be gone first.
  ~AudioMixer();

  // A silent buffer of `bytes` (rounded down to whole frames), not playing.
  // Null for an unsupported format or less than one frame.
  std::unique_ptr<PcmBuffer> CreateBuffer(const PcmFormat& format, std::size_t bytes);

  // `frames` frames of 16-bit stereo into `out`: the sum of the playing
  // buffers, clipped.
  void Mix(std::int16_t* out, int frames);

 private:
  friend class PcmBuffer;
  std::mutex mutex_;
  std::vector<PcmBuffer*> buffers_;
};

// Linear gain of a level in hundredths of a decibel (kVolumeMin and below: 0).
float DecibelsToGain(std::int32_t hundredths);
