// Fuzz target for string lists: any bytes as a list file, then every entry
// found again by id and measured as the text drawing walks it.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "scene/text/glyph_table.h"
#include "scene/text/string_list.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  StringList list;
  list.Load(std::string_view(reinterpret_cast<const char*>(data), size));
  const GlyphTable glyphs({{'a', 0, 0, 8, 16, 1}, {0x82A0, 8, 0, 24, 16, 0}});
  int found = 0;
  for (int id = 0; id <= 9999; ++id) {
    const char* text = list.Find(id);
    if (!text) continue;
    ++found;
    if (std::strlen(text) > size) __builtin_trap();
    glyphs.GetCharacterLength(text);
  }
  if (found > list.Count()) __builtin_trap();
  return 0;
}
