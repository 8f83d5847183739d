// The WAVE reader on files built chunk by chunk: what it takes, what it
// refuses and why, and that no size in a file makes it read past the bytes.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "sound/wave_file.h"

namespace {

std::string U32(std::uint32_t v) {
  return {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16), static_cast<char>(v >> 24)};
}
std::string U16(std::uint16_t v) { return {static_cast<char>(v), static_cast<char>(v >> 8)}; }

std::string Chunk(const std::string& id, const std::string& payload, std::uint32_t size) {
  return id + U32(size) + payload + (payload.size() % 2 ? std::string(1, '\0') : "");
}
std::string Chunk(const std::string& id, const std::string& payload) {
  return Chunk(id, payload, static_cast<std::uint32_t>(payload.size()));
}
std::string Format(std::uint16_t tag, std::uint16_t channels, std::uint32_t rate, std::uint16_t bits,
                   std::size_t size = 16) {
  // Block align and byte rate deliberately wrong: the reader works them out.
  std::string f = U16(tag) + U16(channels) + U32(rate) + U32(1) + U16(1) + U16(bits);
  f.resize(size, '\0');
  return Chunk("fmt ", f);
}
std::string Riff(const std::string& chunks, std::uint32_t size) { return "RIFF" + U32(size) + "WAVE" + chunks; }
std::string Riff(const std::string& chunks) { return Riff(chunks, static_cast<std::uint32_t>(4 + chunks.size())); }

std::string Describe(const std::string& file) {
  const WaveFile wave = ParseWave(file.data(), file.size());
  if (wave.error != WaveError::kNone) return std::string("error: ") + WaveErrorText(wave.error);
  return std::to_string(wave.format.channels) + "ch " + std::to_string(wave.format.bitsPerSample) + "bit " +
         std::to_string(wave.format.rate) + "Hz, " + std::to_string(wave.size) + " bytes at " +
         std::to_string(wave.samples - reinterpret_cast<const unsigned char*>(file.data()));
}

TEST(WaveFileTest, ReadsChunksAndRefusesWhatItCannotPlay) {
  const std::string pcm = Format(1, 2, 44100, 16);
  const std::string data8 = Chunk("data", std::string(8, '\x11'));
  struct Case {
    const char* name;
    std::string file;
    const char* expected;
  };
  const std::vector<Case> cases = {
      {"16-bit stereo", Riff(pcm + data8), "2ch 16bit 44100Hz, 8 bytes at 44"},
      {"8-bit mono", Riff(Format(1, 1, 22050, 8) + Chunk("data", "abc")), "1ch 8bit 22050Hz, 3 bytes at 44"},
      {"an empty first data chunk gives way to the next",
       Riff(pcm + Chunk("data", "") + Chunk("LIST", "odd") + data8), "2ch 16bit 44100Hz, 8 bytes at 64"},
      {"later fmt chunks are ignored", Riff(pcm + Format(3, 2, 44100, 32) + data8),
       "2ch 16bit 44100Hz, 8 bytes at 68"},
      {"data past the end of the file is cut to it and to whole frames",
       Riff(pcm + Chunk("data", std::string(10, '\x11'), 1000)), "2ch 16bit 44100Hz, 8 bytes at 44"},
      {"a RIFF size past the file is cut to the file", Riff(pcm + data8, 0xFFFFFFFF),
       "2ch 16bit 44100Hz, 8 bytes at 44"},
      {"a RIFF size that ends before the data", Riff(pcm + data8, 4 + 24),
       "error: WAVE file without sample data"},
      {"a chunk size that would wrap the offset", Riff(pcm + Chunk("LIST", "", 0xFFFFFFF8) + data8),
       "error: WAVE file without sample data"},
      {"data shorter than one frame", Riff(pcm + Chunk("data", "abc")), "error: WAVE file without sample data"},
      {"no data chunk", Riff(pcm), "error: WAVE file without sample data"},
      {"a fmt chunk of 12 bytes", Riff(Format(1, 2, 44100, 16, 12) + data8),
       "error: WAVE \"fmt \" chunk shorter than 16 bytes"},
      {"a fmt chunk of 14 bytes", Riff(Format(1, 2, 44100, 16, 14) + data8),
       "error: WAVE \"fmt \" chunk shorter than 16 bytes"},
      {"a fmt chunk cut by the end of the file", Riff(pcm.substr(0, 18)),
       "error: WAVE \"fmt \" chunk shorter than 16 bytes"},
      {"no fmt chunk", Riff(data8), "error: WAVE file without a \"fmt \" chunk"},
      {"float samples", Riff(Format(3, 2, 44100, 32) + data8),
       "error: WAVE with floating-point samples is not supported (16-bit or 8-bit PCM only)"},
      {"the extensible format", Riff(Format(0xFFFE, 2, 44100, 16, 40) + data8),
       "error: WAVE in the extensible format is not supported (16-bit or 8-bit PCM only)"},
      {"ADPCM", Riff(Format(2, 2, 44100, 4, 20) + data8),
       "error: compressed WAVE is not supported (16-bit or 8-bit PCM only)"},
      {"three channels", Riff(Format(1, 3, 44100, 16) + data8),
       "error: WAVE layout is not supported (mono or stereo, 8 or 16 bits, 1 to 384000 Hz)"},
      {"24 bits", Riff(Format(1, 2, 44100, 24) + data8),
       "error: WAVE layout is not supported (mono or stereo, 8 or 16 bits, 1 to 384000 Hz)"},
      {"rate 0", Riff(Format(1, 2, 0, 16) + data8),
       "error: WAVE layout is not supported (mono or stereo, 8 or 16 bits, 1 to 384000 Hz)"},
      {"rate 2^32-1", Riff(Format(1, 2, 0xFFFFFFFF, 16) + data8),
       "error: WAVE layout is not supported (mono or stereo, 8 or 16 bits, 1 to 384000 Hz)"},
      {"RIFX", "RIFX" + Riff(pcm + data8).substr(4), "error: not a RIFF WAVE file"},
      {"eight bytes", Riff("").substr(0, 8), "error: not a RIFF WAVE file"},
  };
  for (const Case& c : cases) EXPECT_EQ(Describe(c.file), c.expected) << c.name;
}

}  // namespace
