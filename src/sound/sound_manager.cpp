// The sound manager's effects, music and master volumes.
#include "sound/sound_manager.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <utility>

#include "platform/system/content_memory.h"
#include "platform/system/content_report.h"
#include "sound/sound_report.h"
#include "sound/wave_file.h"

namespace {

// The name a game gives a sound or music file keeps at most 259 bytes.
constexpr std::size_t kPathSize = 260;

float ClampVolume(float volume) { return std::isnan(volume) ? 0.0f : std::clamp(volume, 0.0f, 1.0f); }

}  // namespace

SoundManager::~SoundManager() {
  StopMusic(0);
  ReleaseAll();
  Terminate();
}

bool SoundManager::Initialize(AudioOutput output) {
  const int loaded = LoadVorbisLibrary(library_, nullptr);
  if (loaded != kVorbisLoaded) {
    const char* why = loaded == kVorbisNameMissing     ? "an entry point is missing"
                      : loaded == kVorbisStateTooLarge ? "its decoder state is too large"
                                                       : "it is missing or is no library";
    std::fprintf(stderr, "t3dplayer: the Ogg Vorbis library \"%s\" cannot be used: %s\n", kVorbisLibraryName, why);
    return false;
  }
  library_.setCpuType(library_.detectCpu());
  if (output == AudioOutput::kDevice && !device_.Open())
    std::fprintf(stderr, "t3dplayer: no audio device, the game runs silent (%s)\n", device_.GetError().c_str());
  initialized_ = true;
  return true;
}

void SoundManager::Terminate() {
  StopMusic(0);
  DeleteMusic(0);
  device_.Close();
  UnloadVorbisLibrary(library_);
  initialized_ = false;
}

bool SoundManager::LoadSound(std::uint32_t id, const char* file) {
  if (!initialized_) return true;
  FileData bytes;
  if (!LoadFileBytes(file, bytes)) {
    ReportUnreadableSoundFile("sound", id, file);
    return false;
  }
  return AddWave(id, bytes.data(), bytes.size(), file);
}

bool SoundManager::AddSound(std::uint32_t id, const void* bytes, std::size_t size) {
  return AddWave(id, bytes, size, nullptr);
}

bool SoundManager::AddWave(std::uint32_t id, const void* bytes, std::size_t size, const char* file) {
  if (!initialized_) return true;
  if (id == 0 || soundCount_ >= kSoundCount) return false;
  if (FindSound(id)) return true;
  const WaveFile wave = ParseWave(bytes, size);
  if (wave.error != WaveError::kNone) {
    ReportSoundError("sound", id, WaveErrorText(wave.error));
    return false;
  }
  const auto refuse = [&](const std::string& why) {
    if (file != nullptr) ReportContentFault(file, 0, why);
    else ReportSoundError("sound", id, why);
    return false;
  };
  const std::uint64_t held = GetSoundBytes();
  if (held > soundMemoryLimit_ || wave.size > soundMemoryLimit_ - held) {
    return refuse(PastMemoryBound("sounds", soundMemoryLimit_));
  }
  std::string why;
  if (!LoadOrOutOfMemory([&] { return sounds_[static_cast<std::size_t>(soundCount_)].Create(mixer_, id, wave); },
                         &why)) {
    // Only memory that ran out has a reason: a format the mixer refuses was
    // refused by the parse already.
    return why.empty() ? false : refuse(why);
  }
  ++soundCount_;
  return true;
}

std::uint64_t SoundManager::GetSoundBytes() const {
  std::uint64_t bytes = 0;
  for (int i = 0; i < soundCount_; ++i) bytes += sounds_[static_cast<std::size_t>(i)].GetSize();
  return bytes;
}

bool SoundManager::PlaySound(std::uint32_t id, float volume, float pan, float start) {
  if (!initialized_) return true;
  SoundBuffer* sound = FindSound(id);
  return sound && sound->Play(volume, pan, GetSoundVolume(), start);
}

bool SoundManager::StopSound(std::uint32_t id) {
  if (!initialized_) return true;
  if (id == 0) {
    for (SoundBuffer& sound : sounds_)
      if (sound.InUse()) sound.Stop();
    return false;
  }
  SoundBuffer* sound = FindSound(id);
  return sound && sound->Stop();
}

void SoundManager::ReleaseAll() {
  for (SoundBuffer& sound : sounds_) sound.Release();
  // The table is empty again: the next sound takes the first record.
  soundCount_ = 0;
  for (MusicStream& music : music_) music.Close();
}

void SoundManager::PutSoundVolume(float volume) {
  volume = ClampVolume(volume);
  if (volume == soundVolume_) return;
  soundVolume_ = volume;
  for (SoundBuffer& sound : sounds_)
    if (sound.InUse()) sound.SetVolume(GetSoundVolume());
}

void SoundManager::LoadMusic(std::uint32_t id, FileData bytes) {
  if (!initialized_ || id == 0) return;
  // Any stream that holds the id keeps it, also one after a free stream: a
  // second copy there would be the one the stop and delete calls find, and
  // the first would play on out of their reach.
  if (FindMusic(id)) return;
  for (MusicStream& music : music_) {
    if (music.GetId() == 0) {
      music.Open(mixer_, library_, id, std::move(bytes));
      return;
    }
  }
}

void SoundManager::LoadMusicFile(std::uint32_t id, const char* file) {
  FileData bytes;
  if (!LoadFileBytes(file, bytes)) ReportUnreadableSoundFile("music", id, file);
  LoadMusic(id, std::move(bytes));
}

void SoundManager::DeleteMusic(std::uint32_t id) {
  if (id == 0) {
    for (MusicStream& music : music_) music.Close();
  } else if (MusicStream* music = FindMusic(id)) {
    music->Close();
  }
}

bool SoundManager::PlayMusic(std::uint32_t id, bool loop, float volume) {
  MusicStream* music = FindMusic(id);
  return music && music->Play(loop, volume, GetMusicVolume());
}

void SoundManager::StopMusic(std::uint32_t id) {
  if (id == 0) {
    for (MusicStream& music : music_) music.Stop();
  } else if (MusicStream* music = FindMusic(id)) {
    music->Stop();
  }
}

bool SoundManager::IsMusicPlaying(std::uint32_t id) const {
  const MusicStream* music = FindMusic(id);
  return music && music->IsPlaying();
}

bool SoundManager::SetMusicVolume(std::uint32_t id, float target, std::int32_t steps, bool stopAtEnd) {
  MusicStream* music = FindMusic(id);
  if (!music) return false;
  music->SetFade(target, steps, stopAtEnd);
  return true;
}

void SoundManager::PutMusicVolume(float volume) {
  volume = ClampVolume(volume);
  if (volume == musicVolume_) return;
  musicVolume_ = volume;
  for (MusicStream& music : music_) music.ApplyVolume(GetMusicVolume());
}

void SoundManager::Update() {
  for (MusicStream& music : music_) music.UpdateFade(GetMusicVolume());
}

SoundBuffer* SoundManager::FindSound(std::uint32_t id) {
  for (int i = 0; i < soundCount_; ++i)
    if (sounds_[static_cast<std::size_t>(i)].GetId() == id) return &sounds_[static_cast<std::size_t>(i)];
  return nullptr;
}

MusicStream* SoundManager::FindMusic(std::uint32_t id) {
  // Id 0 finds no stream: a free one has nothing to play.
  if (id == 0) return nullptr;
  for (MusicStream& music : music_)
    if (music.GetId() == id) return &music;
  return nullptr;
}

const MusicStream* SoundManager::FindMusic(std::uint32_t id) const {
  return const_cast<SoundManager*>(this)->FindMusic(id);
}

GameSoundManager::~GameSoundManager() = default;

bool GameSoundManager::LoadFileBytes(const char* file, FileData& out) {
  // The whole name or nothing: a name cut short could name another file.
  if (std::strlen(file) >= kPathSize) return false;
  return LoadFile(GetProgramDir() + file, out);
}
