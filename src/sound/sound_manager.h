// The sound manager: 256 sound effects, four music streams, the two master
// volumes, the audio device and the Ogg Vorbis library. The program owns one
// GameSoundManager for the whole run; scripts, built-in actions and the run
// loop reach it through the calls below. Main thread only.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "files/archive.h"
#include "platform/audio/audio_device.h"
#include "platform/audio/audio_mixer.h"
#include "sound/music_stream.h"
#include "sound/sound_buffer.h"
#include "sound/vorbis_library.h"

constexpr int kSoundCount = 256;
constexpr int kMusicStreamCount = 4;
// What the loaded sounds' samples may take in all. A game's effects take a
// few MiB; the 256 records would otherwise let one WAV file of 100 MiB,
// loaded under many ids, make the player hold tens of gigabytes.
constexpr std::uint64_t kSoundMemoryLimit = std::uint64_t{1} << 30;

// Ids are 32-bit: numbers, or four characters packed big-endian. Id 0 names
// no sound; to the stop and delete calls it means all of them. Before
// Initialize the effect calls answer true and do nothing and no music loads,
// so a scene runs silent. Volumes are 0 to 1; a pan is -1 (left speaker) to
// 1 (right speaker) for every caller; starts are in seconds.
class SoundManager {
 public:
  SoundManager() = default;
  // Stops and deletes the music, releases the sounds, then Terminate.
  virtual ~SoundManager();
  SoundManager(const SoundManager&) = delete;
  SoundManager& operator=(const SoundManager&) = delete;

  // Loads the Ogg Vorbis library from the program's folder and opens the
  // output. False only for the library: without an audio device the game
  // runs silent (a line on standard error says so).
  virtual bool Initialize(AudioOutput output = AudioOutput::kDevice);
  // Stops and deletes the music, closes the output, unloads the library. The
  // sounds stay.
  virtual void Terminate();

  // Reads the WAVE file (LoadFileBytes) and adds it. False for a file that
  // cannot be read or added (a line on standard error names it and why).
  virtual bool LoadSound(std::uint32_t id, const char* file);
  // An id already loaded keeps its sound (true, the bytes ignored). False for
  // id 0, a full table, bytes that are not a WAVE file we play, samples that
  // would take the sounds past kSoundMemoryLimit (checked before they are
  // copied) or memory that runs out (why goes to standard error).
  virtual bool AddSound(std::uint32_t id, const void* bytes, std::size_t size);
  // Restarts the first sound with the id. False when none has it, or the
  // start lies at or past its end.
  virtual bool PlaySound(std::uint32_t id, float volume, float pan, float start);
  // Id 0 stops every sound and answers false, as it always did.
  virtual bool StopSound(std::uint32_t id);
  virtual void ReleaseAll();
  // The effects master, clamped to 0..1 (NaN: 0); every loaded sound takes it
  // at once.
  virtual void PutSoundVolume(float volume);
  virtual float GetSoundVolume() const { return soundVolume_; }

  // The first free stream takes the Ogg Vorbis bytes, unless a stream holds
  // the id already. Bytes no stream takes (id 0, an id loaded, no free
  // stream, not Ogg Vorbis) are freed.
  virtual void LoadMusic(std::uint32_t id, FileData bytes);
  // LoadMusic with the file read by LoadFileBytes; an unreadable file loads
  // nothing, and a line on standard error names it.
  void LoadMusicFile(std::uint32_t id, const char* file);
  virtual void DeleteMusic(std::uint32_t id);
  // Playing already: true, nothing changes. False for an id not loaded.
  virtual bool PlayMusic(std::uint32_t id, bool loop, float volume);
  virtual void StopMusic(std::uint32_t id);
  virtual bool IsMusicPlaying(std::uint32_t id) const;
  // A fade of the stream's volume to `target` over `steps` frames (at least
  // one); with `stopAtEnd`, a fade to 0 stops the music when it ends.
  virtual bool SetMusicVolume(std::uint32_t id, float target, std::int32_t steps, bool stopAtEnd);
  // The music master, clamped like the effects master; applied to every
  // stream at once.
  virtual void PutMusicVolume(float volume);
  virtual float GetMusicVolume() const { return musicVolume_; }

  // Once a frame: advances the music fades.
  virtual void Update();

  // Reads a whole file; false when it cannot be read.
  virtual bool LoadFileBytes(const char* file, FileData& out) = 0;

  bool IsInitialized() const { return initialized_; }
  // Records in use at the front of the table.
  int GetSoundCount() const { return soundCount_; }
  // What the loaded sounds' samples take.
  std::uint64_t GetSoundBytes() const;
  // Tests bound the sounds at a few KiB instead of holding a gigabyte.
  void SetSoundMemoryLimit(std::uint64_t limit) { soundMemoryLimit_ = limit; }

 private:
  // AddSound; a refusal's line names `file` when there is one, else the id.
  bool AddWave(std::uint32_t id, const void* bytes, std::size_t size, const char* file);
  SoundBuffer* FindSound(std::uint32_t id);
  MusicStream* FindMusic(std::uint32_t id);
  const MusicStream* FindMusic(std::uint32_t id) const;

  AudioMixer mixer_;
  AudioDevice device_{mixer_};
  VorbisLibrary library_;
  bool initialized_ = false;
  std::array<SoundBuffer, kSoundCount> sounds_;
  int soundCount_ = 0;
  std::uint64_t soundMemoryLimit_ = kSoundMemoryLimit;
  float soundVolume_ = 1.0f;
  float musicVolume_ = 1.0f;
  std::array<MusicStream, kMusicStreamCount> music_;
};

// The game's manager: files are read relative to the program's folder,
// archives first.
class GameSoundManager : public SoundManager {
 public:
  ~GameSoundManager() override;
  // The program folder and the name through LoadFile; a name of 260 bytes or
  // more is not read.
  bool LoadFileBytes(const char* file, FileData& out) override;
};
