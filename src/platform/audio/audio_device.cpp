// The SDL2 side of the audio device.
#include "platform/audio/audio_device.h"

#include <SDL.h>
#include <dlfcn.h>

#include "platform/audio/audio_mixer.h"

namespace {

// About 23 ms a callback: short enough that a sound starts promptly, long
// enough that a busy machine does not starve the device.
constexpr Uint16 kDeviceFrames = 1024;

// The ALSA library SDL loads at run time, and its error handler's type.
constexpr char kAlsaLibrary[] = "libasound.so.2";
using AlsaErrorHandler = void (*)(const char* file, int line, const char* function, int error, const char* format,
                                  ...);
using AlsaSetErrorHandler = int (*)(AlsaErrorHandler handler);

void SayNothing(const char*, int, const char*, int, const char*, ...) {}

}  // namespace

AudioDevice::~AudioDevice() {
  Close();
  if (alsa_ != nullptr) dlclose(alsa_);
}

void AudioDevice::QuietAlsa() {
  if (alsa_ != nullptr) return;
  // ALSA prints its own lines (eight of them where the machine has no sound
  // card) before SDL moves on; the player's own line says what matters. SDL
  // opens the library by the same name and so gets this copy, which stays
  // loaded, with its quiet handler, as long as the device. No ALSA: nothing
  // to quiet.
  alsa_ = dlopen(kAlsaLibrary, RTLD_NOW | RTLD_LOCAL);
  if (alsa_ == nullptr) return;
  if (auto setHandler = reinterpret_cast<AlsaSetErrorHandler>(dlsym(alsa_, "snd_lib_error_set_handler")))
    setHandler(&SayNothing);
}

bool AudioDevice::Open() {
  Close();
  QuietAlsa();
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
