// Opens fuzzed bytes as an archive, reads every entry and looks each name up.
#include <vector>

#include "files/archive.h"
#include "fuzz_support.h"

T3D_FUZZ_TARGET(data, size) {
  Archive archive;
  if (!archive.OpenImage("/game/Fuzz.dat", std::vector<char>(data, data + size))) return 0;
  for (std::size_t i = 0; i < archive.GetEntryCount(); ++i) {
    int index = static_cast<int>(i);
    const Archive::Entry& entry = archive.GetEntry(index);
    // Readable entries lie within the input, so this allocation stays small.
    std::uint32_t length = archive.GetEntrySize(index);
    std::vector<char> bytes(static_cast<std::size_t>(length) + 1);
    FaultIf(entry.readable != archive.ReadEntry(index, bytes.data(), length));
    if (entry.named) archive.FindEntry(entry.name);
  }
  archive.FindEntry("..\\a\\..\\..\\B/c");
  return 0;
}
