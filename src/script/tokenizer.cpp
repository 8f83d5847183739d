// The lexer: token kinds and their spellings, the reserved-word table, and the
// reading of one token from NUL-terminated Shift-JIS text. It never allocates,
// and no loop steps past the terminator, even right after a lead byte.
#include "script/tokenizer.h"

#include <array>
#include <cstring>

#include "platform/system/numbers.h"
#include "platform/system/shift_jis.h"

namespace {

constexpr std::array<const char*, kTokenKindCount> kSpellings = {
    "None", " ", "CR", "LF", "Digit", "Hex", "String",
    "=", "+", "-", "*", "/", "%", "&", "|",
    "+=", "-=", "*=", "/=", "&=", "|=", "<<=", ">>=",
    "&&", "||", "==", "!=", "<<", ">>", "<", ">", "<=", ">=", "!",
    "(", ")", "{", "}", ",", ".", "++", "--", "\"", "\"", ":", ";", "?", "$", "#",
    "#define", "#elif", "#else", "#endif", "#error", "#if", "#ifdef", "#include",
    "#line", "#pragma", "#undef",
    "Auto", "Break", "ByRef", "Case", "Char", "Const", "Continue", "Default", "Do", "Double",
    "Else", "Empty", "Enum", "Extern", "Float", "For", "Goto", "If", "Int", "Long", "Number",
    "Register", "Return", "Short", "Signed", "Sizeof", "Static", "String", "Struct", "Switch",
    "Typedef", "Union", "Unsigned", "Void", "Volaitle", "While",
    "Label", "GlobalValiable", "AutoValiable", "Number", "Class", "Identifier", "Function",
};

// In ascending byte order; a word's kind is kFirstReservedWord plus its index.
constexpr std::array<const char*, kLastReservedWord - kFirstReservedWord + 1> kReservedWords = {
    "#define", "#elif", "#else", "#endif", "#error", "#if", "#ifdef", "#include",
    "#line", "#pragma", "#undef",
    "auto", "break", "byref", "case", "char", "const", "continue", "default", "do", "double",
    "else", "empty", "enum", "extern", "float", "for", "goto", "if", "int", "long", "number",
    "register", "return", "short", "signed", "sizeof", "static", "string", "struct", "switch",
    "typedef", "union", "unsigned", "void", "volaitle", "while",
};

constexpr unsigned ClassOf(int c) {
  if (c >= 'A' && c <= 'Z') return kClassUpper;
  if (c >= 'a' && c <= 'z') return kClassLower;
  if (c >= '0' && c <= '9') return kClassDigit;
  if (c < 32 || c == 127) return kClassControl;
  if (c == ' ') return kClassSpace;
  return kClassOther;
}

constexpr std::array<unsigned char, 128> MakeClassTable() {
  std::array<unsigned char, 128> table{};
  for (int c = 0; c < 128; ++c) table[c] = static_cast<unsigned char>(ClassOf(c));
  return table;
}

constexpr std::array<unsigned char, 128> kCharClass = MakeClassTable();

bool IsDigitChar(char c) { return c >= '0' && c <= '9'; }

bool IsHexChar(char c) {
  return IsDigitChar(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Width of the character at p: 2 for a lead byte with a trail byte, else 1.
// A lead byte right before the terminator is a character on its own, so a
// scan never steps over the NUL.
std::size_t CharWidth(const char* p) {
  return (IsShiftJisLeadByte(static_cast<unsigned char>(*p)) && p[1] != '\0') ? 2 : 1;
}

int TokenLength(int kind) {
  using K = TokenKind;
  switch (static_cast<TokenKind>(kind)) {
    case K::LShiftEqual:
    case K::RShiftEqual:
      return 3;
    case K::PlusEqual: case K::MinusEqual: case K::MultiplyEqual: case K::DevideEqual:
    case K::AndEqual: case K::OrEqual: case K::AndAnd: case K::OrOr: case K::EqualEqual:
    case K::NotEqual: case K::LShift: case K::RShift: case K::EqualLess: case K::EqualGrater:
    case K::PlusPlus: case K::MinusMinus:
      return 2;
    default:
      return 1;
  }
}

// Appends token text to a kTokenBufferSize buffer, dropping what does not fit
// (a double-byte character is dropped whole rather than split).
class TokenWriter {
 public:
  explicit TokenWriter(char* out) : out_(out) {
    if (out_ != nullptr) out_[0] = '\0';
  }
  void Append(const char* p, std::size_t n) {
    if (out_ == nullptr || full_) return;
    if (length_ + n > kTokenBufferSize - 1) {
      full_ = true;
      return;
    }
    std::memcpy(out_ + length_, p, n);
    length_ += n;
    out_[length_] = '\0';
  }

 private:
  char* out_;
  std::size_t length_ = 0;
  bool full_ = false;
};

const char* SkipBlanks(const char* p) {
  while (*p == ' ' || *p == '\t') ++p;
  return p;
}

bool IsKind(TokenKind kind, TokenKind a, TokenKind b) { return kind == a || kind == b; }

}  // namespace

const char* TokenSpelling(TokenKind kind) {
  auto index = static_cast<std::size_t>(kind);
  return index < kSpellings.size() ? kSpellings[index] : "";
}

TokenKind LookupReservedWord(const char* word) {
  if (word == nullptr) return TokenKind::None;
  std::size_t low = 0;
  std::size_t high = kReservedWords.size();
  while (low < high) {
    std::size_t mid = (low + high) / 2;
    int order = std::strcmp(word, kReservedWords[mid]);
    if (order == 0) return static_cast<TokenKind>(kFirstReservedWord + static_cast<int>(mid));
    if (order < 0)
      high = mid;
    else
      low = mid + 1;
  }
  return TokenKind::None;
}

int ClassifyChar(const char* text) {
  using K = TokenKind;
  auto kind = [](K k) { return static_cast<int>(k); };
  // Each look at text[1] or text[2] happens only after text[0] or text[1]
  // matched a non-NUL character, so the terminator is never passed.
  switch (text[0]) {
    case '\0': return kind(K::None);
    case ' ':
    case '\t': return kind(K::Space);
    case '\n': return kind(K::CR);
    case '\r': return kind(K::LF);
    case '+': return kind(text[1] == '=' ? K::PlusEqual : text[1] == '+' ? K::PlusPlus : K::Plus);
    case '-': return kind(text[1] == '=' ? K::MinusEqual : text[1] == '-' ? K::MinusMinus : K::Minus);
    case '*': return kind(text[1] == '=' ? K::MultiplyEqual : K::Asta);
    case '/': return kind(text[1] == '=' ? K::DevideEqual : K::Slash);
    case '%': return kind(K::Percent);
    case '&': return kind(text[1] == '=' ? K::AndEqual : text[1] == '&' ? K::AndAnd : K::And);
    case '|': return kind(text[1] == '=' ? K::OrEqual : text[1] == '|' ? K::OrOr : K::Or);
    case '<':
      if (text[1] == '<') return kind(text[2] == '=' ? K::LShiftEqual : K::LShift);
      return kind(text[1] == '=' ? K::EqualLess : K::Less);
    case '>':
      if (text[1] == '>') return kind(text[2] == '=' ? K::RShiftEqual : K::RShift);
      return kind(text[1] == '=' ? K::EqualGrater : K::Grater);
    case '=': return kind(text[1] == '=' ? K::EqualEqual : K::Equal);
    case '!': return kind(text[1] == '=' ? K::NotEqual : K::Exclamation);
    case '(': return kind(K::LParenthesis);
    case ')': return kind(K::RParenthesis);
    case '{': return kind(K::LMiddleParenthesis);
    case '}': return kind(K::RMiddleParenthesis);
    case ',': return kind(K::Comma);
    case '.': return kind(K::Period);
    case ':': return kind(K::Colon);
    case ';': return kind(K::Semicolon);
    case '?': return kind(K::Question);
    case '$': return kind(K::Dollar);
    case '"': return kind(K::DQuate);
    case '\'': return kind(K::Quate);
    default: return -1;
  }
}

TokenKind ReadToken(const char** pos, char* out, bool quotedStrings, bool skipComments) {
  TokenWriter writer(out);
  if (pos == nullptr || *pos == nullptr) return TokenKind::None;
  const char* p = SkipBlanks(*pos);
  while (skipComments && p[0] == '/' && p[1] == '/') {
    // A comment runs to the line feed; a carriage return inside belongs to it.
    p += 2;
    while (*p != '\0' && *p != '\n') p += CharWidth(p);
    p = SkipBlanks(p);
  }

  int kind = ClassifyChar(p);
  if (kind == -1) {
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
      writer.Append("0x", 2);
      p += 2;
      for (; IsHexChar(*p); ++p) writer.Append(p, 1);
      *pos = p;
      return TokenKind::Hex;
    }
    bool allDigits = true;
    while (*p != '\0' && ClassifyChar(p) == -1) {
      std::size_t width = CharWidth(p);
      if (width != 1 || !IsDigitChar(*p)) allDigits = false;
      writer.Append(p, width);
      p += width;
    }
    *pos = p;
    return allDigits ? TokenKind::Digit : TokenKind::String;
  }

  auto token = static_cast<TokenKind>(kind);
  if (quotedStrings && IsKind(token, TokenKind::DQuate, TokenKind::Quate)) {
    const char quote = *p++;
    while (*p != '\0' && *p != quote) {
      std::size_t width = CharWidth(p);
      writer.Append(p, width);
      p += width;
    }
    if (*p == quote) ++p;
    *pos = p;
    return TokenKind::String;
  }
  if (token == TokenKind::None) {
    *pos = p;
    return TokenKind::None;
  }
  int length = TokenLength(kind);
  writer.Append(p, static_cast<std::size_t>(length));
  *pos = p + length;
  return token;
}

bool ExpectToken(const char** pos, TokenKind expected, char* out, bool quotedStrings,
                 bool skipComments) {
  if (pos == nullptr) return false;
  const char* start = *pos;
  if (ReadToken(pos, out, quotedStrings, skipComments) == expected) return true;
  *pos = start;
  return false;
}

namespace {

enum class IntOp { Add, Subtract, And, Or, Multiply, Divide, Remainder };

// Wrapping arithmetic: content can overflow 32 bits, which must not be
// undefined behaviour.
bool ApplyIntOp(IntOp op, std::int32_t& result, std::int32_t operand) {
  auto a = static_cast<std::uint32_t>(result);
  auto b = static_cast<std::uint32_t>(operand);
  switch (op) {
    case IntOp::Add: result = static_cast<std::int32_t>(a + b); break;
    case IntOp::Subtract: result = static_cast<std::int32_t>(a - b); break;
    case IntOp::And: result = static_cast<std::int32_t>(a & b); break;
    case IntOp::Or: result = static_cast<std::int32_t>(a | b); break;
    case IntOp::Multiply: result = static_cast<std::int32_t>(a * b); break;
    case IntOp::Divide:
    case IntOp::Remainder:
      if (operand == 0) return false;
      if (operand == -1) {
        // INT32_MIN / -1 overflows; the wrapped quotient is INT32_MIN again.
        result = op == IntOp::Divide ? static_cast<std::int32_t>(0u - a) : 0;
      } else {
        result = op == IntOp::Divide ? result / operand : result % operand;
      }
      break;
  }
  return true;
}

bool ReadIntOperator(TokenKind kind, IntOp& op) {
  switch (kind) {
    case TokenKind::Plus: op = IntOp::Add; return true;
    case TokenKind::Minus: op = IntOp::Subtract; return true;
    case TokenKind::And: op = IntOp::And; return true;
    case TokenKind::Or: op = IntOp::Or; return true;
    case TokenKind::Asta: op = IntOp::Multiply; return true;
    case TokenKind::Slash: op = IntOp::Divide; return true;
    case TokenKind::Percent: op = IntOp::Remainder; return true;
    default: return false;
  }
}

}  // namespace

bool ReadIntExpression(const char** pos, int* out, bool multi) {
  if (pos == nullptr || *pos == nullptr) return false;
  const char* const start = *pos;
  char token[kTokenBufferSize];
  std::int32_t result = 0;
  IntOp op = IntOp::Add;

  const char* p = start;
  TokenKind kind = ReadToken(&p, token, true, false);
  if (kind == TokenKind::Plus || kind == TokenKind::Minus) {
    op = kind == TokenKind::Minus ? IntOp::Subtract : IntOp::Add;
    *pos = p;
  }

  const char* beforeOperator = nullptr;  // set once an operator follows an operand
  for (;;) {
    p = *pos;
    kind = ReadToken(&p, token, true, false);
    std::int32_t operand = 0;
    if (kind == TokenKind::Digit) {
      operand = ReadDecimalInt32(token);
    } else if (kind == TokenKind::Hex) {
      operand = static_cast<std::int32_t>(ReadHex32(token));
    } else {
      if (beforeOperator == nullptr) {
        *pos = start;
        return false;
      }
      // A dangling operator is left for the caller.
      *pos = beforeOperator;
      break;
    }
    *pos = p;
    if (!ApplyIntOp(op, result, operand)) {
      *pos = start;
      return false;
    }
    if (!multi) break;

    beforeOperator = *pos;
    if (!ReadIntOperator(ReadToken(&p, token, true, false), op)) {
      *pos = beforeOperator;
      break;
    }
    *pos = p;
  }
  if (out != nullptr) *out = result;
  return true;
}

bool EvalIntExpression(const char** pos, int* out, bool multi) {
  return ReadIntExpression(pos, out, multi);
}

bool EvalFloatExpression(const char** pos, float* out, bool multi) {
  if (pos == nullptr || *pos == nullptr) return false;
  const char* const start = *pos;
  char token[kTokenBufferSize];
  float result = 0.0f;
  bool subtract = false;

  const char* p = start;
  TokenKind kind = ReadToken(&p, token, true, false);
  if (kind == TokenKind::Plus || kind == TokenKind::Minus) {
    subtract = kind == TokenKind::Minus;
  } else {
    p = start;
  }

  for (;;) {
    p = SkipBlanks(p);
    double operand = 0.0;
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
      // Checked before the digit run, which would otherwise take the "0" and
      // leave the hexadecimal form unreachable.
      ReadToken(&p, token, false, false);
      operand = static_cast<double>(ReadHex32(token));
    } else if (IsDigitChar(*p) || *p == '.') {
      // The conversion may read an exponent, but the position moves only
      // over the digits and points.
      operand = ReadDecimal(p);
      while (IsDigitChar(*p) || *p == '.') ++p;
    } else {
      *pos = start;
      return false;
    }
    result = static_cast<float>(subtract ? result - operand : result + operand);
    if (!multi) break;

    const char* beforeOperator = p;
    kind = ReadToken(&p, token, true, false);
    if (kind != TokenKind::Plus && kind != TokenKind::Minus) {
      p = beforeOperator;
      break;
    }
    subtract = kind == TokenKind::Minus;
  }
  *pos = p;
  if (out != nullptr) *out = result;
  return true;
}

bool AllCharsInClass(const char* text, unsigned mask) {
  if (text == nullptr) return true;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p != '\0'; ++p) {
    if (*p >= 128 || (kCharClass[*p] & mask) == 0) return false;
  }
  return true;
}

std::size_t FindBlockEnd(const char* text) {
  if (text == nullptr) return 0;
  const char* p = text;
  int depth = 0;
  while (*p != '\0') {
    if (p[0] == '/' && p[1] == '/') {
      p += 2;
      while (*p != '\0' && *p != '\r' && *p != '\n') p += CharWidth(p);
      continue;
    }
    if (*p == '"') {
      ++p;
      while (*p != '\0' && *p != '"') {
        if (*p == '\\' && p[1] != '\0') ++p;  // the escaped character, whole
        p += CharWidth(p);
      }
      if (*p == '"') ++p;
      continue;
    }
    if (*p == '{') {
      ++depth;
    } else if (*p == '}') {
      if (--depth == 0) {
        ++p;
        break;
      }
    }
    p += CharWidth(p);
  }
  while (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n') ++p;
  return static_cast<std::size_t>(p - text);
}
