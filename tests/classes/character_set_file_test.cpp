// The character-set file reader: IMAGE and CHAR lines read with the script
// lexer, everything else skipped, at most 1024 glyphs.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "platform/system/shift_jis.h"
#include "classes/character_set_file.h"

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

struct FileCase {
  const char* name;
  std::string text;
  const char* expected;
};

class CharacterSetFileCase : public testing::TestWithParam<FileCase> {};

TEST_P(CharacterSetFileCase, ReadsAsExpected) { EXPECT_EQ(GetParam().expected, Read(GetParam().text)); }

const FileCase kCases[] = {
    {"ImageAndChars", "IMAGE, \"font.png\"\r\nCHAR, a, 1, 2, 8, 16, 3\r\nchar, \"B\", 9, 2, 8, 16, -1\r\n",
     "image \"font.png\"\n61 1 2 9 18 3\n42 9 2 17 18 -1"},
    {"WordsWithoutCaseAndLastImageWins", "image, first\nImage, \"second.bmp\"\n",
     "image \"second.bmp\""},
    // Unquoted, the point ends the word.
    {"UnquotedImageNameStopsAtThePoint", "IMAGE, font.png\n", "image \"font\""},
    {"FieldsAreExpressions", "CHAR, x, 2+3*4, 16/4, 1|6, 7&3, 9%4\n", "image \"\"\n78 20 4 27 7 1"},
    // A digit or a punctuation sign must be quoted; quoted it is the character.
    {"QuotedDigitAndSign", "CHAR, \"1\", 0, 0, 1, 1, 0\nCHAR, \",\", 0, 0, 1, 1, 0\n",
     "image \"\"\n31 0 0 1 1 0\n2c 0 0 1 1 0"},
    {"UnquotedDigitSkipsTheLine", "CHAR, 1, 0, 0, 1, 1, 0\nCHAR, b, 0, 0, 1, 1, 0\n",
     "image \"\"\n62 0 0 1 1 0"},
    {"MissingFieldSkipsTheLine", "CHAR, a, 0, 0, 1, 1\nCHAR, b, 0, 0, 1\nCHAR, c 0, 0, 1, 1, 0\nCHAR, d, 0, 0, 1, 1, 0\n",
     "image \"\"\n64 0 0 1 1 0"},
    {"BadFieldSkipsTheLine", "CHAR, a, 0, x, 1, 1, 0\nCHAR, b, 0, 0, 1, 1, 1/0\nCHAR, c, 0, 0, 1, 1, 0\n",
     "image \"\"\n63 0 0 1 1 0"},
    {"RestOfLineSkipped", "CHAR, a, 0, 0, 1, 1, 0, CHAR, b, 0, 0, 1, 1, 0\nIMAGE, x junk, CHAR\n",
     "image \"x\"\n61 0 0 1 1 0"},
    {"CommentsEmptyAndOtherLinesSkipped",
     "// a comment\n\n\r\n   \nFONT, a, 0, 0, 1, 1, 0\n, CHAR\n\"CHAR\", a, 0, 0, 1, 1, 0\nCHAR, a, 0, 0, 1, 1, 0",
     "image \"\"\n61 0 0 1 1 0\n61 0 0 1 1 0"},
    // Neither a comment line nor a line of blanks takes the next line with it.
    {"LineAfterBlanksOrCommentIsRead", "  \t \nCHAR, a, 0, 0, 1, 1, 0\n// c\nCHAR, b, 0, 0, 1, 1, 0\r\n // c\r\nCHAR, c, 0, 0, 1, 1, 0\n",
     "image \"\"\n61 0 0 1 1 0\n62 0 0 1 1 0\n63 0 0 1 1 0"},
    {"EmptyImageNameIgnored", "IMAGE, \"\"\nIMAGE,\nIMAGE\n", "image \"\""},
    {"EmptyText", "", "image \"\""},
    {"HugeSizesWrapAt32Bits", "CHAR, a, 2147483647, 1, 1, 2147483647, 0\n", "image \"\"\n61 2147483647 1 -2147483648 -2147483648 0"},
    {"CommentBetweenLines", "IMAGE, \"f.img\"\r\n// glyphs\r\nCHAR, a, 0, 0, 8, 16, 0\r\nCHAR, \"1\", 8, 0, 8, 16, 1\r\n",
     "image \"f.img\"\n61 0 0 8 16 0\n31 8 0 16 16 1"},
    // Single bytes 0x80..0xFF are codes of their own, as the text drawing reads them.
    {"HighSingleByteIsItsOwnCode", "CHAR, \"\xA6\", 0, 0, 1, 1, 0\n", "image \"\"\na6 0 0 1 1 0"},
    {"TwoByteCode", "CHAR, \"\x8A\xBF\", 0, 0, 1, 1, 0\nCHAR, \x93\xFA, 0, 0, 1, 1, 0\n",
     "image \"\"\n8abf 0 0 1 1 0\n93fa 0 0 1 1 0"},
    // A lead byte whose trail is the closing quote or the end of the text.
    {"LeadByteBeforeQuote", "CHAR, \"\x8A\", 0, 0, 1, 1, 0\n", "image \"\""},
    {"LeadByteAtTheEnd", "CHAR, \"\x8A", "image \"\""},
    {"LeadByteEndsTheText", "CHAR, a, 0, 0, 1, 1, 0\nCHAR\x8A", "image \"\"\n61 0 0 1 1 0"},
    {"OpenQuoteAtTheEnd", "IMAGE, \"font.png", "image \"font.png\""},
};

INSTANTIATE_TEST_SUITE_P(Lines, CharacterSetFileCase, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<FileCase>& param) { return std::string(param.param.name); });

TEST(CharacterSetFile, KeepsTheFirst1024Glyphs) {
  std::string text;
  for (int i = 0; i < 1100; ++i) text += "CHAR, a, " + std::to_string(i) + ", 0, 1, 1, 0\n";
  text += "IMAGE, last\n";
  const CharacterSetFile file = ParseCharacterSetFile(text.c_str());
  ASSERT_EQ(file.glyphs.size(), 1024u);
  EXPECT_EQ(file.glyphs.front().left, 0);
  EXPECT_EQ(file.glyphs.back().left, 1023);
  // Lines after the limit are still read.
  EXPECT_EQ(file.image, "last");
}

TEST(CharacterSetFile, LongWordsAreCutNotOverrun) {
  const std::string name(5000, 'n');
  const CharacterSetFile file = ParseCharacterSetFile(("IMAGE, \"" + name + "\"\nCHAR, " + name + ", 1, 2, 3, 4, 5\n").c_str());
  EXPECT_LT(file.image.size(), name.size());
  ASSERT_EQ(file.glyphs.size(), 1u);
  EXPECT_EQ(file.glyphs[0].code, 'n');
}

}  // namespace
