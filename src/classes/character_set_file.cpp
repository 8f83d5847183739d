// Reading character-set files with the script lexer.
#include "classes/character_set_file.h"

#include <cstdint>
#include <cstring>
#include <strings.h>

#include "script/tokenizer.h"

namespace {

// A word that is not all digits, or a quoted string.
bool IsWordOrString(TokenKind kind) { return kind == TokenKind::String; }

bool ReadCommaInt(const char** pos, int& out) {
  char token[kTokenBufferSize];
  if (!ExpectToken(pos, TokenKind::Comma, token, true, false)) return false;
  return ReadIntExpression(pos, &out, true);
}

void ReadLine(const char** pos, CharacterSetFile& file) {
  char token[kTokenBufferSize];
  const TokenKind first = ReadToken(pos, token, true, true);
  // A line of blanks or of a comment only ends at the line end the lexer
  // just read: hand it back, or the caller would skip the next line as the
  // rest of this one.
  if (first == TokenKind::CR || first == TokenKind::LF) *pos -= std::strlen(token);
  if (first != TokenKind::String) return;
  if (strcasecmp(token, "IMAGE") == 0) {
    if (!ExpectToken(pos, TokenKind::Comma, token, true, false)) return;
    const TokenKind kind = ReadToken(pos, token, true, false);
    if (IsWordOrString(kind) && token[0] != '\0') file.image = token;
  } else if (strcasecmp(token, "CHAR") == 0) {
    if (!ExpectToken(pos, TokenKind::Comma, token, true, false)) return;
    const TokenKind kind = ReadToken(pos, token, true, false);
    if (!IsWordOrString(kind) || token[0] == '\0') return;
    // Read as the text drawing reads it, so every glyph is found again.
    const std::uint16_t code = ReadTextCharacter(token).code;
    int x = 0, y = 0, w = 0, h = 0, extra = 0;
    if (!ReadCommaInt(pos, x) || !ReadCommaInt(pos, y) || !ReadCommaInt(pos, w) || !ReadCommaInt(pos, h) ||
        !ReadCommaInt(pos, extra))
      return;
    if (file.glyphs.size() >= kMaxCharacterGlyphs) return;
    // Right and bottom wrap as 32-bit sums did; a huge width never becomes
    // undefined behaviour.
    const auto wrapSum = [](int a, int b) {
      return static_cast<int>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
    };
    file.glyphs.push_back({code, x, y, wrapSum(x, w), wrapSum(y, h), extra});
  }
}

}  // namespace

CharacterSetFile ParseCharacterSetFile(const char* text) {
  CharacterSetFile file;
  const char* pos = text;
  while (*pos != '\0') {
    ReadLine(&pos, file);
    // The rest of the line goes, then the run of line ends after it.
    while (*pos != '\0' && *pos != '\r' && *pos != '\n') ++pos;
    while (*pos == '\r' || *pos == '\n') ++pos;
  }
  return file;
}
