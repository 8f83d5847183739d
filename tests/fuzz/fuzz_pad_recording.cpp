// Fuzz target for the recording of the attract sequence: any bytes, read back
// as words or refused, never a word more than the bytes hold.
#include <vector>

#include "fuzz_support.h"
#include "scene/session_replay.h"

T3D_FUZZ_TARGET(data, size) {
  std::vector<std::uint32_t> words;
  std::string error;
  const bool read = ParsePadRecording(FuzzText(data, size), words, error);
  FaultIf(!read && error.empty());
  FaultIf(words.size() * 4 > size || (read && words.size() * 4 != size));
  return 0;
}
