// The character-set file reader: IMAGE and CHAR lines read with the script
// lexer, everything else skipped, at most 1024 glyphs.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>

#include "platform/system/shift_jis.h"
#include "classes/character_set_file.h"
#include "support/case_files.h"

namespace {

// The image name, then one "code left top right bottom extra" per glyph.
std::string Read(const std::string& text) {
  const CharacterSetFile file = ParseCharacterSetFile(text.c_str());
  std::ostringstream out;
  out << "image \"" << file.image << "\"";
  for (const Glyph& g : file.glyphs)
    out << "\n" << std::hex << g.code << std::dec << " " << g.left << " " << g.top << " " << g.right << " "
        << g.bottom << " " << g.extra;
  return out.str();
}

// Every row of tables/character_set_file.rows: the text read as it expects.
TEST(CharacterSetFile, ReadsEachTextOfTheTable) {
  const auto rows =
      ReadTableRows(std::filesystem::path(T3D_SOURCE_DIR) / "tests/classes/tables/character_set_file.rows");
  ASSERT_FALSE(rows.empty());
  for (const auto& row : rows) {
    ASSERT_EQ(row.size(), 3u) << row[0];
    EXPECT_EQ(Read(row[1]), row[2]) << row[0];
  }
}

// At most 1024 glyphs, while lines after the limit are still read; long
// words are cut, not overrun.
TEST(CharacterSetFile, KeepsTheFirst1024GlyphsAndCutsLongWords) {
  std::string text;
  for (int i = 0; i < 1100; ++i) text += "CHAR, a, " + std::to_string(i) + ", 0, 1, 1, 0\n";
  const CharacterSetFile file = ParseCharacterSetFile((text + "IMAGE, last\n").c_str());
  ASSERT_EQ(file.glyphs.size(), 1024u);
  EXPECT_EQ(std::to_string(file.glyphs.front().left) + " " + std::to_string(file.glyphs.back().left) + " " + file.image,
            "0 1023 last");
  const std::string name(5000, 'n');
  const std::string cutText = "IMAGE, \"" + name + "\"\nCHAR, " + name + ", 1, 2, 3, 4, 5\n";
  const CharacterSetFile cut = ParseCharacterSetFile(cutText.c_str());
  EXPECT_LT(cut.image.size(), name.size());
  ASSERT_EQ(cut.glyphs.size(), 1u);
  EXPECT_EQ(cut.glyphs[0].code, 'n');
}

}  // namespace
