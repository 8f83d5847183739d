// Fuzz target for string lists: any bytes as a list file, then every entry
// found again by id and measured as the text drawing walks it.
#include <cstring>

#include "fuzz_support.h"
#include "scene/text/glyph_table.h"
#include "scene/text/string_list.h"

T3D_FUZZ_TARGET(data, size) {
  StringList list;
  list.Load(FuzzText(data, size));
  const GlyphTable glyphs({{'a', 0, 0, 8, 16, 1}, {0x82A0, 8, 0, 24, 16, 0}});
  int found = 0;
  for (int id = 0; id <= 9999; ++id) {
    const char* text = list.Find(id);
    if (!text) continue;
    ++found;
    FaultIf(std::strlen(text) > size);
    glyphs.GetCharacterLength(text);
  }
  FaultIf(found > list.Count());
  return 0;
}
