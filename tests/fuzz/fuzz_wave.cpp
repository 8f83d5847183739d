// Fuzz target for the WAVE reader: whatever the sizes in the file say, the
// samples it finds lie within the bytes, in whole frames of a supported layout.
#include "fuzz_support.h"
#include "sound/wave_file.h"

T3D_FUZZ_TARGET(data, size) {
  const WaveFile wave = ParseWave(data, size);
  if (wave.error != WaveError::kNone) {
    FaultIf(wave.samples || wave.size);
    return 0;
  }
  FaultIf(!wave.format.IsSupported() || wave.size == 0 ||
          wave.size % static_cast<std::size_t>(wave.format.BlockAlign()) != 0 || wave.samples < data ||
          wave.samples + wave.size > data + size);
  volatile std::uint8_t sink = wave.samples[wave.size - 1];
  (void)sink;
  return 0;
}
