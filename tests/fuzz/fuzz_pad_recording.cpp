// Fuzz target for the recording of the attract sequence: any bytes, read back
// as words or refused, never a word more than the bytes hold.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "scene/session_replay.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::uint32_t> words;
  std::string error;
  const bool read = ParsePadRecording(std::string_view(reinterpret_cast<const char*>(data), size), words, error);
  if (!read && error.empty()) __builtin_trap();
  if (words.size() * 4 > size || (read && words.size() * 4 != size)) __builtin_trap();
  return 0;
}
