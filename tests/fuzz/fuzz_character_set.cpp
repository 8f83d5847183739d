// Fuzz target for character-set files: any bytes as a NUL-terminated text
// (a NUL inside ends it, as when the file is loaded).
#include "classes/character_set_file.h"
#include "fuzz_support.h"

T3D_FUZZ_TARGET(data, size) {
  const std::string text(FuzzText(data, size));
  const CharacterSetFile file = ParseCharacterSetFile(text.c_str());
  FaultIf(file.glyphs.size() > kMaxCharacterGlyphs);
  return 0;
}
