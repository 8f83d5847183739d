// Opens fuzzed bytes as an archive, reads every entry and looks each name up.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "files/archive.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Archive archive;
  if (!archive.OpenImage("/game/Fuzz.dat", std::vector<char>(data, data + size))) return 0;
  for (std::size_t i = 0; i < archive.GetEntryCount(); ++i) {
    int index = static_cast<int>(i);
    const Archive::Entry& entry = archive.GetEntry(index);
    // Readable entries lie within the input, so this allocation stays small.
    std::uint32_t length = archive.GetEntrySize(index);
    std::vector<char> bytes(static_cast<std::size_t>(length) + 1);
    if (entry.readable != archive.ReadEntry(index, bytes.data(), length)) __builtin_trap();
    if (entry.named) archive.FindEntry(entry.name);
  }
  archive.FindEntry("..\\a\\..\\..\\B/c");
  return 0;
}
