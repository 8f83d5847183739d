// One voice of streamed music: an Ogg Vorbis piece held whole in memory,
// decoded into a two-second ring that a thread of its own refills every
// 250 ms, with volume fades counted in frames. The sound manager owns four.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

#include "files/archive.h"
#include "platform/audio/audio_mixer.h"
#include "sound/vorbis_library.h"

// The encoded bytes and the position the library's stream callbacks move.
struct MemoryStream {
  FileData data;
  std::size_t position = 0;
};

// The stream functions handed to the library. Read answers bytes, not items;
// Seek refuses a position before the start or past the end (-1, position
// kept); Close frees nothing (the stream owns the bytes); Tell is -1 without
// data.
std::size_t MemoryStreamRead(void* destination, std::size_t size, std::size_t count, void* source);
int MemoryStreamSeek(void* source, std::int64_t offset, int whence);
int MemoryStreamClose(void* source);
long MemoryStreamTell(void* source);

// States: closed (id 0) -> Open -> loaded -> Play -> playing -> Stop ->
// loaded -> Close -> closed. All calls come from the main thread; while a
// piece plays, its refill thread alone touches the decoder and the ring's
// write side, and every call that ends or restarts the piece first signals
// that thread and waits for it.
class MusicStream {
 public:
  static constexpr int kRingSeconds = 2;
  static constexpr std::chrono::milliseconds kFirstRefill{1000};
  static constexpr std::chrono::milliseconds kRefillPeriod{250};
  // Decoding errors in a row before the decoder is opened again from the
  // start of the data.
  static constexpr int kMaxDecodeErrors = 100;

  MusicStream() = default;
  ~MusicStream() { Close(); }
  MusicStream(const MusicStream&) = delete;
  MusicStream& operator=(const MusicStream&) = delete;

  // Takes the bytes in every case: a failure (not Ogg Vorbis, more than two
  // channels, no library) frees them, says why on standard error unless the
  // bytes were empty, and leaves the stream closed.
  void Open(AudioMixer& mixer, const VorbisLibrary& library, std::uint32_t id, FileData bytes);
  // From the first sample. Playing already: true, nothing changes. Closed:
  // false.
  bool Play(bool loop, float volume, float master);
  void Stop();
  void Close();
  // True from Play until Stop, or until the end of a piece without loop has
  // been heard.
  bool IsPlaying() const;

  // A fade from the current value to `target` over `steps` ticks (at least
  // 1); with `stopAtEnd` a fade that ends at 0 stops the piece. Applied at
  // the next tick.
  void SetFade(float target, std::int32_t steps, bool stopAtEnd);
  // One tick, once a frame: a fade of N steps reaches its target on tick N and
  // ends on tick N + 1.
  void UpdateFade(float master);
  bool ApplyVolume(float master);
  float GetCurrentVolume() const;

  std::uint32_t GetId() const { return id_; }
  bool IsOpen() const { return kind_ != Kind::kClosed; }

 private:
  enum class Kind { kClosed, kOggVorbis };
  struct DecodeResult {
    bool ok = true;
    std::size_t musicBytes = 0;  // bytes of music written, before any silence
  };

  // Fills `bytes` bytes. After the end of a piece without loop, and when
  // decoding can make no progress, silence. False only when the decoder could
  // not be opened again; the stream is then emptied.
  DecodeResult Decode(unsigned char* destination, std::size_t bytes);
  DecodeResult DecodeRegions(const PcmBuffer::Regions& regions);
  bool ReopenDecoder();
  void EmptySource();
  void RefillLoop();
  void JoinRefillThread();

  std::uint32_t id_ = 0;
  Kind kind_ = Kind::kClosed;
  MemoryStream source_;
  const VorbisLibrary* library_ = nullptr;
  alignas(16) unsigned char decoder_[kDecoderStateSize] = {};
  bool decoderOpen_ = false;
  std::unique_ptr<PcmBuffer> buffer_;
  std::size_t blockAlign_ = 0;
  bool loop_ = false;

  // Owned by the refill thread while it runs.
  std::chrono::steady_clock::time_point deadline_;
  std::size_t writeCursor_ = 0;
  bool decoderEnded_ = false;
  std::size_t pendingMusic_ = 0;  // music bytes written and not yet played

  std::thread thread_;
  std::mutex eventMutex_;
  std::condition_variable event_;
  bool stopSignalled_ = false;

  float volume_ = 1.0f;
  float targetVolume_ = 1.0f;
  std::int32_t fadeSteps_ = 0;
  std::int32_t fadeStep_ = 0;
  bool stopAtEnd_ = false;
};
