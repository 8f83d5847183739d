// Fuzz target for the WAVE reader: whatever the sizes in the file say, the
// samples it finds lie within the bytes, in whole frames of a supported layout.
#include <cstddef>
#include <cstdint>

#include "sound/wave_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const WaveFile wave = ParseWave(data, size);
  if (wave.error != WaveError::kNone) {
    if (wave.samples || wave.size) __builtin_trap();
    return 0;
  }
  if (!wave.format.IsSupported() || wave.size == 0 ||
      wave.size % static_cast<std::size_t>(wave.format.BlockAlign()) != 0 || wave.samples < data ||
      wave.samples + wave.size > data + size) {
    __builtin_trap();
  }
  volatile std::uint8_t sink = wave.samples[wave.size - 1];
  (void)sink;
  return 0;
}
