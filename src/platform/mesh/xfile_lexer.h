// Tokens of DirectX .x files: the 16-byte header, the text grammar (names,
// strings, numbers, GUIDs, punctuation, comments) and the binary token stream.
// Used by the .x parser only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

enum class XFileEncoding { Text, Binary };

struct XFileHeader {
  XFileEncoding encoding = XFileEncoding::Text;
  bool compressed = false;
  int floatBits = 32;
};

constexpr std::size_t kXFileHeaderSize = 16;

// "xof " + version "0302"/"0303" (any four digits) + "txt "/"bin "/"tzip"/
// "bzip" + float size "0032"/"0064". False with a message otherwise.
bool ParseXFileHeader(std::span<const std::uint8_t> file, XFileHeader* header,
                      std::string* error);

enum class XTokenKind : std::uint8_t {
  End,
  Name,
  String,
  Number,
  Guid,
  OpenBrace,
  CloseBrace,
  OpenBracket,
  CloseBracket,
  OpenParen,
  CloseParen,
  OpenAngle,
  CloseAngle,
  Comma,
  Semicolon,
  Dot,
  Template,
  TypeKeyword,  // binary type tokens (WORD, DWORD, array, ...); text gives them as names
};

// Numbers keep the form they were written in: integers (text without a
// point or exponent, binary integers and integer lists) as their magnitude
// and sign, so counts and indices are never rounded through a double; every
// other number as a double.
struct XToken {
  XTokenKind kind = XTokenKind::End;
  bool integral = false;
  bool negative = false;  // integral: written with "-" ("-0" included)
  std::string_view text;  // Name and String: the bytes as written (no escapes)
  std::uint64_t integer = 0;  // integral: the magnitude
  double number = 0.0;        // not integral: the value
};

class XFileLexer {
 public:
  // `body` is everything after the header, uncompressed; it must outlive the
  // tokens, whose texts point into it.
  XFileLexer(std::span<const std::uint8_t> body, XFileEncoding encoding, int floatBits);

  // The token at the read position, scanned once however often it is asked
  // for; End at the end of the input. Null, with Error() set, for bytes that
  // form no token (a binary count past the data, an unknown token code, an
  // unterminated string). The token lives in the lexer: it stays valid until
  // the next Peek after a Next, so look-ahead copies nothing.
  const XToken* Peek() {
    if (!peeked_) {
      peekOk_ = Scan(&peek_);
      peeked_ = true;
    }
    return peekOk_ ? &peek_ : nullptr;
  }
  // The same token, and the read position moves past it.
  const XToken* Next() {
    const XToken* token = Peek();
    peeked_ = false;
    return token;
  }
  // Peek after stepping over "," and ";", which values are read across as
  // loose separators. Text skips them with the blanks, making no tokens.
  const XToken* PeekPastSeparators() {
    for (;;) {
      if (!peeked_) {
        peekOk_ = Scan(&peek_, true);
        peeked_ = true;
      }
      if (!peekOk_) return nullptr;
      if (peek_.kind != XTokenKind::Comma && peek_.kind != XTokenKind::Semicolon) return &peek_;
      peeked_ = false;
    }
  }

  const std::string& Error() const { return error_; }
  // Where the last token started: a line number for text, a byte offset for binary.
  std::string Where() const;

 private:
  bool Scan(XToken* token, bool skipSeparators = false);
  bool ScanText(XToken* token, bool skipSeparators);
  bool ScanBinary(XToken* token);
  bool ScanBinaryOnce(XToken* token, bool* produced);
  void ReadListItem(XToken* token);
  bool Fail(const char* message);
  bool ReadWord(std::uint16_t* value);
  bool ReadDword(std::uint32_t* value);

  std::span<const std::uint8_t> body_;
  XFileEncoding encoding_;
  int floatBits_;
  std::size_t pos_ = 0;
  std::size_t tokenStart_ = 0;
  int line_ = 1;
  int tokenLine_ = 1;
  std::string error_;
  bool peeked_ = false;
  bool peekOk_ = true;
  XToken peek_;
  // A binary integer or float list being handed out one number at a time.
  std::uint32_t listLeft_ = 0;
  bool listFloats_ = false;
};
