// The WAVE reader on files built chunk by chunk (tables/wave_files.rows): what
// it takes, what it refuses and why, and that no size in a file makes it read
// past the bytes.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "platform/audio/audio_capture.h"
#include "sound/wave_file.h"
#include "support/case_files.h"

namespace {

std::string Chunk(const std::string& id, const std::string& payload, std::uint32_t size) {
  return id + Le32(size) + payload + (payload.size() % 2 ? std::string(1, '\0') : "");
}

// The file the words of a row describe (see the table's head).
std::string BuildWave(const std::string& words) {
  std::string chunks, magic = "RIFF", riffSize;
  std::size_t keepChunks = std::string::npos, keepFile = std::string::npos;
  std::istringstream in(words);
  for (std::string word; in >> word;) {
    const std::string kind = word.substr(0, word.find(':')), rest = word.substr(word.find(':') + 1);
    std::vector<std::uint32_t> n;
    if (kind != "chunk" && kind != "magic")
      for (long number : Numbers(rest)) n.push_back(static_cast<std::uint32_t>(number));
    if (kind == "fmt") {
      std::string f = Le32(n[0] | n[1] << 16) + Le32(n[2]) + Le32(1) + Le32(1 | n[3] << 16);
      f.resize(n.size() > 4 ? n[4] : 16, '\0');
      chunks += Chunk("fmt ", f, static_cast<std::uint32_t>(f.size()));
    } else if (kind == "data") {
      chunks += Chunk("data", std::string(n[0], '\x11'), n.size() > 1 ? n[1] : n[0]);
    } else if (kind == "chunk") {
      std::istringstream parts(rest);
      std::string id, payload, declared;
      std::getline(parts, id, ':');
      std::getline(parts, payload, ':');
      const bool sized = static_cast<bool>(std::getline(parts, declared));
      const long size = sized ? Numbers(declared)[0] : static_cast<long>(payload.size());
      chunks += Chunk(id, payload, static_cast<std::uint32_t>(size));
    } else if (kind == "riff") {
      riffSize = Le32(n[0]);
    } else if (kind == "magic") {
      magic = rest;
    } else {
      (kind == "chunks" ? keepChunks : keepFile) = n[0];
    }
  }
  chunks = chunks.substr(0, keepChunks);
  if (riffSize.empty()) riffSize = Le32(static_cast<std::uint32_t>(4 + chunks.size()));
  return (magic + riffSize + "WAVE" + chunks).substr(0, keepFile);
}

std::string Describe(const std::string& file) {
  const WaveFile wave = ParseWave(file.data(), file.size());
  if (wave.error != WaveError::kNone) return std::string("error: ") + WaveErrorText(wave.error);
  return std::to_string(wave.format.channels) + "ch " + std::to_string(wave.format.bitsPerSample) + "bit " +
         std::to_string(wave.format.rate) + "Hz, " + std::to_string(wave.size) + " bytes at " +
         std::to_string(wave.samples - reinterpret_cast<const unsigned char*>(file.data()));
}

TEST(WaveFileTest, ReadsChunksAndRefusesWhatItCannotPlay) {
  const auto rows = ReadTableRows(std::filesystem::path(T3D_SOURCE_DIR) / "tests/sound/tables/wave_files.rows");
  ASSERT_EQ(rows.size(), 23u);
  for (const auto& row : rows) {
    ASSERT_EQ(row.size(), 3u) << row[0];
    EXPECT_EQ(Describe(BuildWave(row[1])), row[2]) << row[0];
  }
}

}  // namespace
