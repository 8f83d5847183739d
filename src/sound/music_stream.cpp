// Music streams: the memory source, the decode loop, the refill thread and
// fades.
#include "sound/music_stream.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <system_error>

#include "sound/sound_buffer.h"
#include "sound/sound_report.h"

std::size_t MemoryStreamRead(void* destination, std::size_t size, std::size_t count, void* source) {
  auto& stream = *static_cast<MemoryStream*>(source);
  const std::size_t left = stream.data.size() - stream.position;
  const std::size_t wanted = size != 0 && count > left / size ? left : size * count;
  const std::size_t n = std::min(wanted, left);
  if (n > 0) std::memcpy(destination, stream.data.data() + stream.position, n);
  stream.position += n;
  return n;
}

int MemoryStreamSeek(void* source, std::int64_t offset, int whence) {
  auto& stream = *static_cast<MemoryStream*>(source);
  const auto length = static_cast<std::int64_t>(stream.data.size());
  std::int64_t base = 0;
  if (whence == SEEK_CUR) base = static_cast<std::int64_t>(stream.position);
  else if (whence == SEEK_END) base = length;
  else if (whence != SEEK_SET) offset = 0;
  // Offsets from the library are small; one far out of range must not wrap.
  if (offset < -length || offset > length) return -1;
  const std::int64_t target = base + offset;
  if (target < 0 || target > length) return -1;
  stream.position = static_cast<std::size_t>(target);
  return 0;
}

int MemoryStreamClose(void* source) { return static_cast<MemoryStream*>(source)->data.empty() ? -1 : 0; }

long MemoryStreamTell(void* source) {
  const auto& stream = *static_cast<MemoryStream*>(source);
  if (stream.data.empty()) return -1;
  return static_cast<long>(stream.position);
}

namespace {

WuCallbacks MemoryStreamCallbacks() {
  return {&MemoryStreamRead, &MemoryStreamSeek, &MemoryStreamClose, &MemoryStreamTell};
}

}  // namespace

void MusicStream::Open(AudioMixer& mixer, const VorbisLibrary& library, std::uint32_t id, FileData bytes) {
  Close();
  if (bytes.empty()) return;
  if (!library.CanDecode()) {
    ReportSoundError("music", id, "the Ogg Vorbis library is not loaded");
    return;
  }
  id_ = id;
  kind_ = Kind::kOggVorbis;
  library_ = &library;
  source_.data = std::move(bytes);
  source_.position = 0;
  std::string problem;
  if (library.openCallbacks(&source_, decoder_, nullptr, 0, MemoryStreamCallbacks()) < 0) {
    problem = "not an Ogg Vorbis file";
  } else {
    decoderOpen_ = true;
    const WuInfo* info = library.info(decoder_, -1);
    PcmFormat format;
    if (info) format = {info->channels, 16, info->rate};
    if (!info) {
      problem = "the Ogg Vorbis stream has no format";
    } else if (info->channels != 1 && info->channels != 2) {
      problem = "Ogg Vorbis with " + std::to_string(info->channels) +
                " channels is not supported (mono or stereo only)";
    } else if (!format.IsSupported()) {
      problem = "Ogg Vorbis at " + std::to_string(info->rate) + " Hz is not supported";
    } else {
      blockAlign_ = static_cast<std::size_t>(format.BlockAlign());
      buffer_ = mixer.CreateBuffer(format, static_cast<std::size_t>(kRingSeconds * format.BytesPerSecond()));
      if (!buffer_) problem = "no ring buffer";
    }
  }
  if (!problem.empty()) {
    ReportSoundError("music", id, problem);
    Close();
  }
}

bool MusicStream::Play(bool loop, float volume, float master) {
  if (IsPlaying()) return true;
  if (!buffer_) return false;
  // A piece that ended by itself left its thread finished but not joined.
  JoinRefillThread();
  loop_ = loop;
  volume_ = targetVolume_ = volume;
  // A one-tick fade to the same value: the next frame's tick re-applies the
  // volume under the music master of that moment.
  fadeSteps_ = 1;
  fadeStep_ = 0;
  stopAtEnd_ = false;
  if (kind_ == Kind::kOggVorbis) library_->pcmSeek(decoder_, 0);
  decoderEnded_ = false;
  PcmBuffer::Regions regions;
  if (!buffer_->LockAll(regions)) return false;
  const DecodeResult filled = DecodeRegions(regions);
  buffer_->Unlock(regions);
  if (!filled.ok) return false;
  pendingMusic_ = filled.musicBytes;
  writeCursor_ = 0;
  ApplyVolume(master);
  buffer_->SetCurrentPosition(0);
  buffer_->Play(true);
  deadline_ = std::chrono::steady_clock::now() + kFirstRefill;
  stopSignalled_ = false;
  try {
    thread_ = std::thread(&MusicStream::RefillLoop, this);
  } catch (const std::system_error&) {
    buffer_->Stop();
    return false;
  }
  return true;
}

void MusicStream::Stop() {
  if (buffer_) buffer_->Stop();
  JoinRefillThread();
}

void MusicStream::JoinRefillThread() {
  if (!thread_.joinable()) return;
  {
    std::lock_guard lock(eventMutex_);
    stopSignalled_ = true;
  }
  event_.notify_one();
  thread_.join();
}

void MusicStream::Close() {
  Stop();
  id_ = 0;
  buffer_.reset();
  if (decoderOpen_) library_->clear(decoder_);
  decoderOpen_ = false;
  std::memset(decoder_, 0, sizeof decoder_);
  source_ = MemoryStream{};
  kind_ = Kind::kClosed;
  library_ = nullptr;
  loop_ = false;
  volume_ = targetVolume_ = 1.0f;
  fadeSteps_ = fadeStep_ = 0;
  stopAtEnd_ = false;
}

bool MusicStream::IsPlaying() const { return buffer_ && buffer_->IsPlaying(); }

void MusicStream::RefillLoop() {
  const std::size_t ring = buffer_->GetSize();
  for (;;) {
    {
      std::unique_lock lock(eventMutex_);
      if (event_.wait_until(lock, deadline_, [this] { return stopSignalled_; })) return;
    }
    deadline_ += kRefillPeriod;
    if (!buffer_->IsPlaying()) return;
    // Everything from the last byte written up to the play cursor has been
    // played and is written again.
    const std::size_t play = buffer_->GetCurrentPosition();
    const std::size_t n = writeCursor_ <= play ? play - writeCursor_ : play + ring - writeCursor_;
    pendingMusic_ -= std::min(pendingMusic_, n);
    PcmBuffer::Regions regions;
    if (n > 0 && buffer_->Lock(writeCursor_, n, regions)) {
      const DecodeResult filled = DecodeRegions(regions);
      buffer_->Unlock(regions);
      writeCursor_ = (writeCursor_ + n) % ring;
      pendingMusic_ += filled.musicBytes;
      if (!filled.ok) {
        buffer_->Stop();
        return;
      }
    }
    // The end of a piece without loop has been heard: what follows in the
    // ring is silence, then older audio that must not be replayed.
    if (decoderEnded_ && pendingMusic_ == 0) {
      buffer_->Stop();
      return;
    }
  }
}

MusicStream::DecodeResult MusicStream::DecodeRegions(const PcmBuffer::Regions& regions) {
  DecodeResult result = Decode(regions.first, regions.firstSize);
  if (result.ok && regions.second) {
    const DecodeResult second = Decode(regions.second, regions.secondSize);
    result.ok = second.ok;
    result.musicBytes += second.musicBytes;
  }
  return result;
}

MusicStream::DecodeResult MusicStream::Decode(unsigned char* destination, std::size_t bytes) {
  DecodeResult result;
  if (kind_ != Kind::kOggVorbis) {
    result.ok = false;
    return result;
  }
  // The library writes whole frames only; a request for less would never
  // make progress, so a partial frame at the end stays silent.
  const std::size_t tail = bytes % blockAlign_;
  bytes -= tail;
  std::memset(destination + bytes, 0, tail);
  int errors = 0;
  bool restarted = false;  // back at the start with nothing decoded since
  bool reopened = false;   // opened again with nothing decoded since
  while (bytes > 0) {
    if (decoderEnded_) {
      std::memset(destination, 0, bytes);
      break;
    }
    int section = 0;
    const int request = static_cast<int>(std::min<std::size_t>(bytes, INT_MAX - INT_MAX % blockAlign_));
    long got = library_->read(decoder_, reinterpret_cast<char*>(destination), request, 0, 2, 1, &section);
    if (got == 0) {
      // The end of the music. A loop starts again, unless it just did: a
      // piece with no samples, or a start that yields none, ends instead.
      if (!loop_ || restarted) {
        decoderEnded_ = true;
        continue;
      }
      restarted = true;
      if (library_->timeSeek(decoder_, 0.0) >= 0) continue;
      got = -1;
    }
    if (got > 0) {
      const std::size_t n = std::min(static_cast<std::size_t>(got), bytes);
      destination += n;
      bytes -= n;
      result.musicBytes += n;
      errors = 0;
      restarted = reopened = false;
      continue;
    }
    if (++errors < kMaxDecodeErrors) continue;
    errors = 0;
    if (reopened) {
      // A fresh decoder fails the same way: the music ends here.
      decoderEnded_ = true;
      continue;
    }
    if (!ReopenDecoder()) {
      std::memset(destination, 0, bytes);
      result.ok = false;
      return result;
    }
    reopened = true;
  }
  return result;
}

bool MusicStream::ReopenDecoder() {
  library_->clear(decoder_);
  source_.position = 0;
  if (library_->openCallbacks(&source_, decoder_, nullptr, 0, MemoryStreamCallbacks()) >= 0) return true;
  decoderOpen_ = false;
  EmptySource();
  return false;
}

void MusicStream::EmptySource() {
  source_ = MemoryStream{};
  std::memset(decoder_, 0, sizeof decoder_);
  kind_ = Kind::kClosed;
}

float MusicStream::GetCurrentVolume() const {
  if (fadeSteps_ == 0) return volume_;
  return volume_ + (targetVolume_ - volume_) * static_cast<float>(fadeStep_) / static_cast<float>(fadeSteps_);
}

void MusicStream::SetFade(float target, std::int32_t steps, bool stopAtEnd) {
  if (fadeSteps_ != 0) volume_ = GetCurrentVolume();
  fadeStep_ = 0;
  fadeSteps_ = std::max(steps, 1);
  targetVolume_ = target;
  stopAtEnd_ = stopAtEnd;
}

void MusicStream::UpdateFade(float master) {
  if (fadeSteps_ == 0) return;
  if (++fadeStep_ > fadeSteps_) {
    fadeStep_ = fadeSteps_ = 0;
    volume_ = targetVolume_;
    if (stopAtEnd_ && volume_ == 0.0f) {
      stopAtEnd_ = false;
      Stop();
      return;
    }
  }
  ApplyVolume(master);
}

bool MusicStream::ApplyVolume(float master) {
  if (!buffer_) return false;
  buffer_->SetVolume(PercentToDecibels(GetCurrentVolume() * master * 100.0f));
  return true;
}
