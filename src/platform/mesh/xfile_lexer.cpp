// .x header and tokenizer for the text and binary encodings.
#include "platform/mesh/xfile_lexer.h"

#include <cfloat>
#include <cstring>

#include "platform/system/numbers.h"
#include "platform/system/shift_jis.h"

namespace {

// Binary token codes of the file format.
enum : std::uint16_t {
  kTokName = 1,
  kTokString = 2,
  kTokInteger = 3,
  kTokGuid = 5,
  kTokIntegerList = 6,
  kTokFloatList = 7,
  kTokOBrace = 10,
  kTokCBrace = 11,
  kTokOParen = 12,
  kTokCParen = 13,
  kTokOBracket = 14,
  kTokCBracket = 15,
  kTokOAngle = 16,
  kTokCAngle = 17,
  kTokDot = 18,
  kTokComma = 19,
  kTokSemicolon = 20,
  kTokTemplate = 31,
  kTokFirstType = 40,  // WORD
  kTokLastType = 52,   // array
};

// Byte classes of the text grammar, looked up once per byte.
enum : std::uint8_t {
  kBlank = 1,        // NUL and Ctrl-Z pad the end of some files written by old tools
  kPunctuation = 2,  // ends a word
  kLeadByte = 4,     // first byte of a Shift-JIS double-byte character
  kSeparator = 8,    // "," and ";", which value readers may skip like blanks
};

struct ByteClasses {
  std::uint8_t of[256] = {};
  constexpr ByteClasses() {
    for (unsigned char c : {' ', '\t', '\r', '\n', '\f', '\v', '\0', '\x1A'}) of[c] = kBlank;
    for (unsigned char c : {'{', '}', '[', ']', '(', ')', '<', '>', ';', ',', '"'}) {
      of[c] = kPunctuation;
    }
    of[static_cast<unsigned char>(',')] |= kSeparator;
    of[static_cast<unsigned char>(';')] |= kSeparator;
    for (int c = 0x81; c <= 0x9F; ++c) of[c] = kLeadByte;
    for (int c = 0xE0; c <= 0xFC; ++c) of[c] = kLeadByte;
  }
};
constexpr ByteClasses kClasses;

bool IsDigit(std::uint8_t c) { return c >= '0' && c <= '9'; }

// Powers of ten that a double holds exactly.
constexpr double kExactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                        1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// Reads "[sign]digits[.digits]" from `at`, up to the first other byte, and
// returns where it stopped; null when that is no such number, or a decimal
// that the full reader must take. Integers keep their exact value (counts
// and indices up to 2^32; growth stops past 2^40, so larger ones stay too
// large). A decimal of at most 15 significant digits, 22 after the point and
// 12 before it is one division of two exact doubles, which rounds to the
// double the full decimal reader gives.
const std::uint8_t* ReadPlainNumber(const std::uint8_t* at, const std::uint8_t* end,
                                    XToken* token) {
  const bool negative = *at == '-';
  if (*at == '-' || *at == '+') ++at;
  const std::uint8_t* const whole = at;
  std::uint64_t integer = 0;
  for (; at < end && IsDigit(*at); ++at) {
    if (integer < (1ull << 40)) integer = integer * 10 + static_cast<std::uint64_t>(*at - '0');
  }
  if (at == end || *at != '.') {
    if (at == whole) return nullptr;
    token->integral = true;
    token->negative = negative;
    token->integer = integer;
    return at;
  }
  std::size_t significant = 0;
  if (integer != 0) {
    const std::uint8_t* first = whole;
    while (*first == '0') ++first;
    significant = static_cast<std::size_t>(at - first);
    if (significant > 12) return nullptr;
  }
  const std::uint8_t* const fraction = ++at;
  std::uint64_t digits = integer;  // wraps only for decimals refused below
  for (; at < end && IsDigit(*at); ++at) digits = digits * 10 + static_cast<std::uint64_t>(*at - '0');
  const std::size_t afterPoint = static_cast<std::size_t>(at - fraction);
  if (integer == 0) {
    const std::uint8_t* first = fraction;
    while (first < at && *first == '0') ++first;
    significant = static_cast<std::size_t>(at - first);
  } else {
    significant += afterPoint;
  }
  if (fraction - 1 == whole && afterPoint == 0) return nullptr;
  if (significant > 15 || afterPoint > 22) return nullptr;
  const double magnitude = static_cast<double>(digits) / kExactPowersOfTen[afterPoint];
  token->integral = false;
  token->number = negative ? -magnitude : magnitude;
  return at;
}

bool StartsNumber(std::uint8_t c) { return IsDigit(c) || c == '-' || c == '+' || c == '.'; }

// A text word is a number when all of it reads as one. The forms "1.#QNAN0",
// "-1.#IND00" and "1.#INF00" that some exporters print read as 0 and the
// largest finite float, since a NaN would poison every bound built from it.
bool ParseNumberWord(std::string_view word, XToken* token) {
  if (word.empty() || word.size() > 63) return false;
  const std::uint8_t first = static_cast<std::uint8_t>(word[0]);
  if (!StartsNumber(first)) return false;
  const auto* begin = reinterpret_cast<const std::uint8_t*>(word.data());
  if (ReadPlainNumber(begin, begin + word.size(), token) == begin + word.size()) return true;
  *token = XToken{};

  char buffer[64];
  std::memcpy(buffer, word.data(), word.size());
  buffer[word.size()] = '\0';
  const char* end = buffer;
  const double parsed = ReadDecimal(buffer, &end);
  if (end == buffer) return false;
  const std::size_t used = static_cast<std::size_t>(end - buffer);
  if (used == word.size()) {
    token->number = parsed;
    return true;
  }
  std::size_t mark = used;
  if (buffer[mark] == '.') ++mark;
  if (buffer[mark] != '#') return false;
  const std::string_view rest = word.substr(mark);
  if (rest.find("INF") != std::string_view::npos) {
    token->number = first == '-' ? -FLT_MAX : FLT_MAX;
  } else {
    token->number = 0.0;
  }
  return true;
}

// Little-endian, whatever the machine.
std::uint32_t LoadDword(const std::uint8_t* at) {
  return static_cast<std::uint32_t>(at[0]) | static_cast<std::uint32_t>(at[1]) << 8 |
         static_cast<std::uint32_t>(at[2]) << 16 | static_cast<std::uint32_t>(at[3]) << 24;
}

}  // namespace

bool ParseXFileHeader(std::span<const std::uint8_t> file, XFileHeader* header,
                      std::string* error) {
  if (file.size() < kXFileHeaderSize || std::memcmp(file.data(), "xof ", 4) != 0) {
    if (error) *error = "not a .x file (no \"xof \" header)";
    return false;
  }
  for (int i = 4; i < 8; ++i) {
    if (!IsDigit(file[i])) {
      if (error) *error = "bad version in the .x header";
      return false;
    }
  }
  XFileHeader out;
  const char* format = reinterpret_cast<const char*>(file.data()) + 8;
  if (std::memcmp(format, "txt ", 4) == 0) {
    out.encoding = XFileEncoding::Text;
  } else if (std::memcmp(format, "bin ", 4) == 0) {
    out.encoding = XFileEncoding::Binary;
  } else if (std::memcmp(format, "tzip", 4) == 0) {
    out.encoding = XFileEncoding::Text;
    out.compressed = true;
  } else if (std::memcmp(format, "bzip", 4) == 0) {
    out.encoding = XFileEncoding::Binary;
    out.compressed = true;
  } else {
    if (error) *error = "unknown format in the .x header";
    return false;
  }
  const char* floats = reinterpret_cast<const char*>(file.data()) + 12;
  if (std::memcmp(floats, "0032", 4) == 0) {
    out.floatBits = 32;
  } else if (std::memcmp(floats, "0064", 4) == 0) {
    out.floatBits = 64;
  } else {
    if (error) *error = "unknown float size in the .x header";
    return false;
  }
  *header = out;
  return true;
}

XFileLexer::XFileLexer(std::span<const std::uint8_t> body, XFileEncoding encoding, int floatBits)
    : body_(body), encoding_(encoding), floatBits_(floatBits) {}

bool XFileLexer::Fail(const char* message) {
  error_ = message;
  return false;
}

std::string XFileLexer::Where() const {
  if (encoding_ == XFileEncoding::Text) return "line " + std::to_string(tokenLine_);
  return "offset " + std::to_string(tokenStart_ + kXFileHeaderSize);
}

bool XFileLexer::Scan(XToken* token, bool skipSeparators) {
  // The numbers of binary lists, most of a binary file, go the short way.
  if (listLeft_ > 0 && error_.empty()) {
    ReadListItem(token);
    return true;
  }
  *token = XToken{};
  if (!error_.empty()) return false;
  return encoding_ == XFileEncoding::Text ? ScanText(token, skipSeparators) : ScanBinary(token);
}

bool XFileLexer::ScanText(XToken* token, bool skipSeparators) {
  const std::size_t size = body_.size();
  const std::uint8_t* const data = body_.data();
  const std::uint8_t skipped = skipSeparators ? kBlank | kSeparator : kBlank;
  // Blanks and comments ("#" or "//" to the end of the line).
  for (;;) {
    while (pos_ < size && (kClasses.of[data[pos_]] & skipped)) {
      if (data[pos_] == '\n') ++line_;
      ++pos_;
    }
    if (pos_ < size &&
        (data[pos_] == '#' || (data[pos_] == '/' && pos_ + 1 < size && data[pos_ + 1] == '/'))) {
      while (pos_ < size && data[pos_] != '\n') ++pos_;
      continue;
    }
    break;
  }
  tokenStart_ = pos_;
  tokenLine_ = line_;
  if (pos_ >= size) {
    token->kind = XTokenKind::End;
    return true;
  }
  const std::uint8_t c = body_[pos_];
  const char* base = reinterpret_cast<const char*>(body_.data());
  switch (c) {
    case '{': token->kind = XTokenKind::OpenBrace; ++pos_; return true;
    case '}': token->kind = XTokenKind::CloseBrace; ++pos_; return true;
    case '[': token->kind = XTokenKind::OpenBracket; ++pos_; return true;
    case ']': token->kind = XTokenKind::CloseBracket; ++pos_; return true;
    case '(': token->kind = XTokenKind::OpenParen; ++pos_; return true;
    case ')': token->kind = XTokenKind::CloseParen; ++pos_; return true;
    case '>': token->kind = XTokenKind::CloseAngle; ++pos_; return true;
    case ';': token->kind = XTokenKind::Semicolon; ++pos_; return true;
    case ',': token->kind = XTokenKind::Comma; ++pos_; return true;
    case '<': {
      // A GUID "<xxxxxxxx-xxxx-...>"; a lone "<" is punctuation.
      std::size_t end = pos_ + 1;
      while (end < size && end - pos_ < 64 && body_[end] != '>' && body_[end] != '\n') ++end;
      if (end < size && body_[end] == '>') {
        token->kind = XTokenKind::Guid;
        token->text = std::string_view(base + pos_ + 1, end - pos_ - 1);
        pos_ = end + 1;
      } else {
        token->kind = XTokenKind::OpenAngle;
        ++pos_;
      }
      return true;
    }
    case '"': {
      // No escapes: texture names keep "\\" exactly as the exporter wrote it.
      std::size_t end = pos_ + 1;
      while (end < size && body_[end] != '"') {
        if (body_[end] == '\n') ++line_;
        if (IsShiftJisLeadByte(body_[end]) && end + 1 < size && body_[end + 1] != '\0') ++end;
        ++end;
      }
      if (end >= size) return Fail("unterminated string");
      token->kind = XTokenKind::String;
      token->text = std::string_view(base + pos_ + 1, end - pos_ - 1);
      pos_ = end + 1;
      return true;
    }
    default:
      break;
  }
  // Most words are plain numbers, read as they are scanned: the word ends
  // where the number does when a blank or punctuation follows it.
  if (StartsNumber(c)) {
    const std::uint8_t* begin = data + pos_;
    const std::uint8_t* stop = ReadPlainNumber(begin, data + size, token);
    if (stop && stop - begin <= 63 &&
        (stop == data + size || (kClasses.of[*stop] & (kBlank | kPunctuation)))) {
      token->kind = XTokenKind::Number;
      pos_ = static_cast<std::size_t>(stop - data);
      return true;
    }
    *token = XToken{};
  }
  // A word: a name or a number. The second byte of a double-byte character is
  // part of the word even when it looks like punctuation ("{", "}", "[", "]").
  std::size_t end = pos_;
  for (; end < size; ++end) {
    const std::uint8_t classes = kClasses.of[data[end]];
    if (classes & (kBlank | kPunctuation)) break;
    if ((classes & kLeadByte) && end + 1 < size && data[end + 1] != '\0') ++end;
  }
  const std::string_view word(base + pos_, end - pos_);
  pos_ = end;
  if (ParseNumberWord(word, token)) {
    token->kind = XTokenKind::Number;
    return true;
  }
  token->kind = word == "template" ? XTokenKind::Template : XTokenKind::Name;
  token->text = word;
  return true;
}

bool XFileLexer::ReadWord(std::uint16_t* value) {
  if (body_.size() - pos_ < 2) return false;
  *value = static_cast<std::uint16_t>(body_[pos_] | (body_[pos_ + 1] << 8));
  pos_ += 2;
  return true;
}

bool XFileLexer::ReadDword(std::uint32_t* value) {
  if (body_.size() - pos_ < 4) return false;
  *value = LoadDword(body_.data() + pos_);
  pos_ += 4;
  return true;
}

bool XFileLexer::ScanBinary(XToken* token) {
  // Empty lists yield no number; the loop goes on with what follows them.
  for (;;) {
    bool produced = true;
    if (!ScanBinaryOnce(token, &produced)) return false;
    if (produced) return true;
  }
}

void XFileLexer::ReadListItem(XToken* token) {
  tokenStart_ = pos_;
  --listLeft_;
  *token = XToken{};
  token->kind = XTokenKind::Number;
  // The list's size was checked when it started.
  if (!listFloats_) {
    token->integer = LoadDword(body_.data() + pos_);
    token->integral = true;
    pos_ += 4;
  } else if (floatBits_ == 64) {
    double d;
    std::memcpy(&d, body_.data() + pos_, sizeof d);
    pos_ += 8;
    token->number = d;
  } else {
    float f;
    std::memcpy(&f, body_.data() + pos_, sizeof f);
    pos_ += 4;
    token->number = f;
  }
}

bool XFileLexer::ScanBinaryOnce(XToken* token, bool* produced) {
  tokenStart_ = pos_;
  if (listLeft_ > 0) {
    ReadListItem(token);
    return true;
  }
  // Some writers pad the end of the stream; a lone odd byte or zero word ends it.
  if (body_.size() - pos_ < 2) {
    pos_ = body_.size();
    token->kind = XTokenKind::End;
    return true;
  }
  std::uint16_t code;
  ReadWord(&code);
  const char* base = reinterpret_cast<const char*>(body_.data());
  switch (code) {
    case 0:
      pos_ = body_.size();
      token->kind = XTokenKind::End;
      return true;
    case kTokName:
    case kTokString: {
      std::uint32_t length;
      if (!ReadDword(&length) || length > body_.size() - pos_) {
        return Fail("name or string runs past the end of the data");
      }
      token->kind = code == kTokName ? XTokenKind::Name : XTokenKind::String;
      token->text = std::string_view(base + pos_, length);
      pos_ += length;
      // A string carries its terminator (";" or ","), which comes next as an
      // ordinary token.
      return true;
    }
    case kTokInteger: {
      std::uint32_t v;
      if (!ReadDword(&v)) return Fail("integer runs past the end of the data");
      token->kind = XTokenKind::Number;
      token->integer = v;
      token->integral = true;
      return true;
    }
    case kTokGuid:
      if (body_.size() - pos_ < 16) return Fail("GUID runs past the end of the data");
      token->kind = XTokenKind::Guid;
      token->text = std::string_view(base + pos_, 16);
      pos_ += 16;
      return true;
    case kTokIntegerList:
    case kTokFloatList: {
      std::uint32_t count;
      if (!ReadDword(&count)) return Fail("list runs past the end of the data");
      const std::size_t itemSize = code == kTokFloatList && floatBits_ == 64 ? 8 : 4;
      if (count > (body_.size() - pos_) / itemSize) {
        return Fail("list count runs past the end of the data");
      }
      listLeft_ = count;
      listFloats_ = code == kTokFloatList;
      if (count > 0) return ScanBinaryOnce(token, produced);
      *produced = false;
      return true;
    }
    case kTokOBrace: token->kind = XTokenKind::OpenBrace; return true;
    case kTokCBrace: token->kind = XTokenKind::CloseBrace; return true;
    case kTokOParen: token->kind = XTokenKind::OpenParen; return true;
    case kTokCParen: token->kind = XTokenKind::CloseParen; return true;
    case kTokOBracket: token->kind = XTokenKind::OpenBracket; return true;
    case kTokCBracket: token->kind = XTokenKind::CloseBracket; return true;
    case kTokOAngle: token->kind = XTokenKind::OpenAngle; return true;
    case kTokCAngle: token->kind = XTokenKind::CloseAngle; return true;
    case kTokDot: token->kind = XTokenKind::Dot; return true;
    case kTokComma: token->kind = XTokenKind::Comma; return true;
    case kTokSemicolon: token->kind = XTokenKind::Semicolon; return true;
    case kTokTemplate: token->kind = XTokenKind::Template; return true;
    default:
      if (code >= kTokFirstType && code <= kTokLastType) {
        token->kind = XTokenKind::TypeKeyword;
        return true;
      }
      return Fail("unknown binary token");
  }
}
