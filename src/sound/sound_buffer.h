// One loaded sound effect and the conversions of script volumes and pans into
// the buffer's hundredths of a decibel. Used by the sound manager and music
// streams.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/audio/audio_mixer.h"

struct WaveFile;

// Percent (1 to 100, clamped; NaN counts as 1) to hundredths of a decibel
// through the table round(2000 x log10(k / 100)), interpolated between
// entries and truncated toward zero: 1 -> -4000, 50 -> -602, 100 -> 0. Volume
// 0 therefore plays at -40 dB, not silence.
int PercentToDecibels(float percent);

// A pan from -1 to 1, +1 the right speaker (clamped; NaN is the middle), as
// the buffer's pan: the far side is attenuated by PercentToDecibels of what
// is left of it, so -1 and 1 take 40 dB off the other side.
std::int32_t PanToBufferPan(float pan);

class SoundBuffer {
 public:
  // Copies the samples into a new buffer of the mixer; false (the record left
  // empty) when the mixer refuses the format.
  bool Create(AudioMixer& mixer, std::uint32_t id, const WaveFile& wave);
  void Release();
  // Restarts the sound at `startSeconds` (negative or NaN: 0; moved down to a
  // whole frame) at `scale` x `master`, panned. At or past the end nothing
  // plays and the result is false.
  bool Play(float scale, float pan, float master, float startSeconds);
  bool Stop();
  // Re-applies the last play's scale under a new master volume.
  bool SetVolume(float master);

  std::uint32_t GetId() const { return id_; }
  bool InUse() const { return id_ != 0; }
  // The bytes of its samples; 0 when empty.
  std::size_t GetSize() const { return buffer_ ? buffer_->GetSize() : 0; }

 private:
  std::uint32_t id_ = 0;
  std::unique_ptr<PcmBuffer> buffer_;
  float scale_ = 1.0f;
};
