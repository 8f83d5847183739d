// The lexer shared by the script compiler and every text loader: token kinds,
// ReadToken/ExpectToken over NUL-terminated Shift-JIS text, and the small
// integer and float expression readers of the content formats.
#pragma once

#include <cstddef>
#include <cstdint>

// Token kinds. The numbers are shared by the lexer, compiled token arrays and
// the error report, so they never change.
enum class TokenKind : std::uint8_t {
  None = 0, Space, CR, LF, Digit, Hex, String,
  Equal, Plus, Minus, Asta, Slash, Percent, And, Or,
  PlusEqual, MinusEqual, MultiplyEqual, DevideEqual, AndEqual, OrEqual,
  LShiftEqual, RShiftEqual, AndAnd, OrOr, EqualEqual, NotEqual, LShift, RShift,
  Less, Grater, EqualLess, EqualGrater, Exclamation,
  LParenthesis, RParenthesis, LMiddleParenthesis, RMiddleParenthesis,
  Comma, Period, PlusPlus, MinusMinus, DQuate, Quate, Colon, Semicolon,
  Question, Dollar, Sharp,
  // Directives, 49-59.
  PpDefine, PpElif, PpElse, PpEndif, PpError, PpIf, PpIfdef, PpInclude,
  PpLine, PpPragma, PpUndef,
  // Keywords, 60-95.
  Auto, Break, ByRef, Case, Char, Const, Continue, Default, Do, Double, Else,
  Empty, Enum, Extern, Float, For, Goto, If, Int, Long, NumberType, Register,
  Return, Short, Signed, Sizeof, Static, StringType, Struct, Switch, Typedef,
  Union, Unsigned, Void, Volaitle, While,
  // Resolved names, produced only by the compiler.
  Label, GlobalValiable, AutoValiable, Number, Class, Identifier, Function,
  Count
};

constexpr int kTokenKindCount = static_cast<int>(TokenKind::Count);
constexpr int kFirstReservedWord = static_cast<int>(TokenKind::PpDefine);
constexpr int kLastReservedWord = static_cast<int>(TokenKind::While);

// Every caller's output buffer holds at least this many bytes; ReadToken never
// writes more (a longer word or quoted text is cut, the rest still consumed).
constexpr std::size_t kTokenBufferSize = 1024;

// Character classes of the 7-bit characters (bytes 128-255 have none).
enum CharClass : unsigned {
  kClassUpper = 1, kClassLower = 2, kClassDigit = 4, kClassControl = 8,
  kClassSpace = 16, kClassOther = 32,
};

// What the error report prints for a kind ("+=", "While", "Number", ...).
const char* TokenSpelling(TokenKind kind);

// The directive or keyword spelled exactly so, or TokenKind::None.
TokenKind LookupReservedWord(const char* word);

// The kind of the token that starts at `text` without moving, or -1 for a word
// character. Looks at up to three characters, never past a NUL.
int ClassifyChar(const char* text);

// Reads one token from *pos and advances it. `out` (kTokenBufferSize bytes, or
// null) receives the token text, always NUL-terminated.
TokenKind ReadToken(const char** pos, char* out, bool quotedStrings, bool skipComments);

// ReadToken; when the kind is not `expected` the position is set back and
// false is returned.
bool ExpectToken(const char** pos, TokenKind expected, char* out, bool quotedStrings,
                 bool skipComments);

// Integer expression of the content formats, evaluated left to right with no
// precedence ("2+3*4" is 20). Without `multi` only the first operand is read.
// A zero divisor fails.
bool ReadIntExpression(const char** pos, int* out, bool multi);
bool EvalIntExpression(const char** pos, int* out, bool multi);

// Float expression: signed runs of digits and points joined by "+" or "-".
bool EvalFloatExpression(const char** pos, float* out, bool multi);

// True when every character of text has at least one bit of `mask`.
bool AllCharsInClass(const char* text, unsigned mask);

// Length of the first function's text in a script source: up to the "}" that
// closes its first block, then the blanks and line ends after it.
std::size_t FindBlockEnd(const char* text);
