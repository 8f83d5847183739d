// The SDL2 side of the audio device.
#include "platform/audio/audio_device.h"

#include <SDL.h>

#include "platform/audio/audio_mixer.h"

namespace {

// About 23 ms a callback: short enough that a sound starts promptly, long
// enough that a busy machine does not starve the device.
constexpr Uint16 kDeviceFrames = 1024;

}  // namespace

bool AudioDevice::Open() {
  Close();
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    error_ = SDL_GetError();
    return false;
  }
  SDL_AudioSpec want{};
  want.freq = AudioMixer::kRate;
  want.format = AUDIO_S16LSB;
  want.channels = AudioMixer::kChannels;
  want.samples = kDeviceFrames;
  want.callback = &AudioDevice::Pull;
  want.userdata = &mixer_;
  // No changes allowed: SDL converts whatever the card wants from this format.
  device_ = SDL_OpenAudioDevice(nullptr, 0, &want, nullptr, 0);
  if (device_ == 0) {
    error_ = SDL_GetError();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  error_.clear();
  SDL_PauseAudioDevice(device_, 0);
  return true;
}

void AudioDevice::Close() {
  if (device_ == 0) return;
  SDL_CloseAudioDevice(device_);
  device_ = 0;
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void AudioDevice::Pull(void* mixer, std::uint8_t* stream, int bytes) {
  static_cast<AudioMixer*>(mixer)->Mix(reinterpret_cast<std::int16_t*>(stream), bytes / AudioMixer::kFrameBytes);
}
