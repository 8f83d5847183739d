// Fuzz target for character-set files: any bytes as a NUL-terminated text
// (a NUL inside ends it, as when the file is loaded).
#include <cstddef>
#include <cstdint>
#include <string>

#include "classes/character_set_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const CharacterSetFile file = ParseCharacterSetFile(text.c_str());
  if (file.glyphs.size() > kMaxCharacterGlyphs) __builtin_trap();
  return 0;
}
