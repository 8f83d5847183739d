// The sound card: an SDL2 audio device at 44.1 kHz, 16-bit stereo, whose
// callback pulls the mixer. Opened by the sound manager at initialisation.
#pragma once

#include <cstdint>
#include <string>

class AudioMixer;

// Which output the sound manager plays into. kNone keeps every buffer working
// and nothing reaches a speaker: the game runs silent.
enum class AudioOutput { kDevice, kNone };

// SDL picks the driver (SDL_AUDIODRIVER chooses one; tests use "disk", whose
// samples land in SDL_DISKAUDIOFILE, or "dummy").
class AudioDevice {
 public:
  explicit AudioDevice(AudioMixer& mixer) : mixer_(mixer) {}
  ~AudioDevice();
  AudioDevice(const AudioDevice&) = delete;
  AudioDevice& operator=(const AudioDevice&) = delete;

  // Opens the default device and starts pulling the mix. False, with SDL's
  // reason in GetError(), when there is none.
  bool Open();
  // Stops the callback (waiting for one that runs) and closes the device.
  void Close();
  bool IsOpen() const { return device_ != 0; }
  const std::string& GetError() const { return error_; }

 private:
  static void Pull(void* mixer, std::uint8_t* stream, int bytes);
  // Keeps the ALSA library's own error lines off standard error.
  void QuietAlsa();

  AudioMixer& mixer_;
  // The ALSA library while it is kept quiet; null when none was found.
  void* alsa_ = nullptr;
  std::uint32_t device_ = 0;
  std::string error_;
};
