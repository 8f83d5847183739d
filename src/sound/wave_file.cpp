// The RIFF WAVE chunk walk and the format checks.
#include "sound/wave_file.h"

#include <cstdint>
#include <cstring>

namespace {

constexpr std::uint16_t kFormatPcm = 1;
constexpr std::uint16_t kFormatFloat = 3;
constexpr std::uint16_t kFormatExtensible = 0xFFFE;
// The integer PCM format record: tag, channels, rate, bytes per second,
// block align, bits per sample.
constexpr std::uint64_t kPcmFormatSize = 16;

std::uint16_t Read16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
std::uint32_t Read32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

}  // namespace

const char* WaveErrorText(WaveError error) {
  switch (error) {
    case WaveError::kNone: return "no error";
    case WaveError::kNotRiffWave: return "not a RIFF WAVE file";
    case WaveError::kNoFormat: return "WAVE file without a \"fmt \" chunk";
    case WaveError::kShortFormat: return "WAVE \"fmt \" chunk shorter than 16 bytes";
    case WaveError::kFloatSamples: return "WAVE with floating-point samples is not supported (16-bit or 8-bit PCM only)";
    case WaveError::kExtensibleFormat:
      return "WAVE in the extensible format is not supported (16-bit or 8-bit PCM only)";
    case WaveError::kCompressed: return "compressed WAVE is not supported (16-bit or 8-bit PCM only)";
    case WaveError::kUnsupportedLayout:
      return "WAVE layout is not supported (mono or stereo, 8 or 16 bits, 1 to 384000 Hz)";
    case WaveError::kNoData: return "WAVE file without sample data";
  }
  return "unknown WAVE error";
}

WaveFile ParseWave(const void* bytes, std::size_t size) {
  WaveFile wave;
  const auto* file = static_cast<const unsigned char*>(bytes);
  if (size < 12 || std::memcmp(file, "RIFF", 4) != 0 || std::memcmp(file + 8, "WAVE", 4) != 0) {
    wave.error = WaveError::kNotRiffWave;
    return wave;
  }
  // 64-bit offsets: a RIFF size near 4 GiB cannot wrap.
  std::uint64_t end = 8 + static_cast<std::uint64_t>(Read32(file + 4));
  if (end > size) end = size;
  const unsigned char* format = nullptr;
  const unsigned char* data = nullptr;
  std::uint64_t dataSize = 0;
  std::uint64_t offset = 12;
  while (offset + 8 <= end && !(format && dataSize > 0)) {
    const unsigned char* chunk = file + offset;
    const std::uint64_t chunkSize = Read32(chunk + 4);
    const std::uint64_t available = end - (offset + 8);
    if (std::memcmp(chunk, "fmt ", 4) == 0 && !format) {
      if (chunkSize < kPcmFormatSize || available < kPcmFormatSize) {
        wave.error = WaveError::kShortFormat;
        return wave;
      }
      format = chunk + 8;
    } else if (std::memcmp(chunk, "data", 4) == 0 && dataSize == 0) {
      data = chunk + 8;
      dataSize = chunkSize < available ? chunkSize : available;
    }
    offset += 8 + chunkSize + (chunkSize & 1);
  }
  if (!format) {
    wave.error = WaveError::kNoFormat;
    return wave;
  }
  switch (Read16(format)) {
    case kFormatPcm: break;
    case kFormatFloat: wave.error = WaveError::kFloatSamples; return wave;
    case kFormatExtensible: wave.error = WaveError::kExtensibleFormat; return wave;
    default: wave.error = WaveError::kCompressed; return wave;
  }
  // The block align and byte rate of the header are not trusted: both follow
  // from the layout.
  const std::uint32_t rate = Read32(format + 4);
  wave.format.channels = Read16(format + 2);
  wave.format.bitsPerSample = Read16(format + 14);
  wave.format.rate = rate > static_cast<std::uint32_t>(PcmFormat::kMaxRate) ? 0 : static_cast<int>(rate);
  if (!wave.format.IsSupported()) {
    wave.error = WaveError::kUnsupportedLayout;
    return wave;
  }
  dataSize -= dataSize % static_cast<std::uint64_t>(wave.format.BlockAlign());
  if (dataSize == 0) {
    wave.error = WaveError::kNoData;
    return wave;
  }
  wave.samples = data;
  wave.size = static_cast<std::size_t>(dataSize);
  return wave;
}
