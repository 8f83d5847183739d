// Tokens of the text and binary .x encodings.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/mesh/xfile_lexer.h"
#include "platform/system/numbers.h"
#include "xfile_test_support.h"

namespace {

std::string Tokens(const std::vector<std::uint8_t>& body, XFileEncoding encoding,
                   int floatBits = 32) {
  XFileLexer lexer(body, encoding, floatBits);
  std::string out;
  for (;;) {
    const XToken* next = lexer.Next();
    if (!next) return out + "error:" + lexer.Error();
    const XToken& token = *next;
    switch (token.kind) {
      case XTokenKind::End: return out + "end";
      case XTokenKind::Name: out += "name:" + std::string(token.text); break;
      case XTokenKind::String: out += "string:" + std::string(token.text); break;
      case XTokenKind::Number:
        if (token.integral) {
          const double magnitude = static_cast<double>(token.integer);
          out += "int:" + std::to_string(token.negative ? -magnitude : magnitude);
        } else {
          out += "float:" + std::to_string(token.number);
        }
        break;
      case XTokenKind::Guid: out += "guid"; break;
      case XTokenKind::OpenBrace: out += "{"; break;
      case XTokenKind::CloseBrace: out += "}"; break;
      case XTokenKind::OpenBracket: out += "["; break;
      case XTokenKind::CloseBracket: out += "]"; break;
      case XTokenKind::OpenAngle: out += "<"; break;
      case XTokenKind::CloseAngle: out += ">"; break;
      case XTokenKind::Comma: out += ","; break;
      case XTokenKind::Semicolon: out += ";"; break;
      case XTokenKind::Template: out += "template"; break;
      default: out += "?"; break;
    }
    out += " ";
  }
}

TEST(XFileLexer, TextTokens) {
  const struct {
    const char* text;
    const char* tokens;
  } cases[] = {
      {"Frame Bip01.L_1 {", "name:Frame name:Bip01.L_1 { end"},
      {"3;1.5,-2e-1;;", "int:3.000000 ; float:1.500000 , float:-0.200000 ; ; end"},
      {"4294967295 -7", "int:4294967295.000000 int:-7.000000 end"},
      {"# comment {\n// another }\n}", "} end"},
      {"a#b 1/2", "name:a#b name:1/2 end"},
      {"\"c:\\\\dir\\\\t.png\";", "string:c:\\\\dir\\\\t.png ; end"},
      {"<3D82AB44-62DA-11CF-AB39-0020AF71E433> < x", "guid < name:x end"},
      {"template X { [...] }", "template name:X { [ name:... ] } end"},
      // Exporter spellings of NaN and infinity.
      {"1.#QNAN0 -1.#IND00 1.#INF00", "float:0.000000 float:0.000000 float:340282346638528859811704183484516925440.000000 end"},
      {"1stBone 1.2.3", "name:1stBone name:1.2.3 end"},
      {"5. .5 +.5 -0 -0.0 +7", "float:5.000000 float:0.500000 float:0.500000 int:-0.000000 float:-0.000000 int:7.000000 end"},
      {"12abc 1.5//x - 1234567890123456789012345678901234567890123456789012345678901234",
       "name:12abc name:1.5//x name:- name:1234567890123456789012345678901234567890123456789012345678901234 end"},
      // The second byte of a double-byte character may look like "{" or "[".
      {"\x83\x7B\x81\x5B\x83\x93 {", "name:\x83\x7B\x81\x5B\x83\x93 { end"},
      {"\"\x83\x7B\"", "string:\x83\x7B end"},
      {"\"open", "error:unterminated string"},
      {"\0\x1A Frame", "name:Frame end"},
  };
  for (const auto& c : cases) {
    std::vector<std::uint8_t> body = Bytes(c.text);
    if (c.text[0] == '\0') body = {0, 0x1A, ' ', 'F', 'r', 'a', 'm', 'e'};
    EXPECT_EQ(c.tokens, Tokens(body, XFileEncoding::Text)) << c.text;
  }
}

TEST(XFileLexer, DecimalsReadAsTheFullDecimalReaderReadsThem) {
  const char* const words[] = {
      "0.1", "0.7", "-3.14159", "0.80000", "123456789012.345", "1234567890123.5",
      "0.1234567890123456", "0.000000000000000000001", "0.0000000000000000000000001",
      "9007199254740993.0", "0.30000000000000004", "00012.50", "2.5e-3", "1E+2"};
  for (const char* word : words) {
    const std::vector<std::uint8_t> body = Bytes(word);
    XFileLexer lexer(body, XFileEncoding::Text, 32);
    const XToken* token = lexer.Next();
    ASSERT_TRUE(token && token->kind == XTokenKind::Number && !token->integral) << word;
    const double expected = ReadDecimal(word, nullptr);
    EXPECT_EQ(0, std::memcmp(&expected, &token->number, sizeof expected))
        << word << " reads " << token->number << ", not " << expected;
  }
}

TEST(XFileLexer, BinaryTokens) {
  const struct {
    const char* what;
    std::vector<std::uint8_t> body;
    int floatBits;
    const char* tokens;
  } cases[] = {
      {"name and brace", {1, 0, 2, 0, 0, 0, 'A', 'b', 10, 0}, 32, "name:Ab { end"},
      {"string with its terminator", {2, 0, 1, 0, 0, 0, 'x', 20, 0}, 32, "string:x ; end"},
      {"integer list", {6, 0, 2, 0, 0, 0, 7, 0, 0, 0, 255, 255, 255, 255}, 32,
       "int:7.000000 int:4294967295.000000 end"},
      {"float list", {7, 0, 1, 0, 0, 0, 0, 0, 0xC0, 0x3F}, 32, "float:1.500000 end"},
      {"double list", {7, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xF8, 0x3F}, 64, "float:1.500000 end"},
      {"empty lists vanish", {6, 0, 0, 0, 0, 0, 7, 0, 0, 0, 0, 0, 11, 0}, 32, "} end"},
      {"single integer", {3, 0, 5, 0, 0, 0}, 32, "int:5.000000 end"},
      {"template and types", {31, 0, 41, 0, 52, 0, 14, 0, 15, 0}, 32, "template ? ? [ ] end"},
      {"zero word ends the stream", {11, 0, 0, 0, 99, 99}, 32, "} end"},
      {"odd trailing byte", {11, 0, 7}, 32, "} end"},
      {"float list past the end", {7, 0, 2, 0, 0, 0, 0, 0, 0x80, 0x3F}, 32,
       "error:list count runs past the end of the data"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.tokens, Tokens(c.body, XFileEncoding::Binary, c.floatBits)) << c.what;
  }
}

TEST(XFileLexer, HeaderNamesEncodingAndFloatSize) {
  const struct {
    const char* header;
    bool ok;
    XFileEncoding encoding;
    bool compressed;
    int floatBits;
  } cases[] = {
      {"xof 0303txt 0032", true, XFileEncoding::Text, false, 32},
      {"xof 0302bin 0064", true, XFileEncoding::Binary, false, 64},
      {"xof 0303tzip0032", true, XFileEncoding::Text, true, 32},
      {"xof 0303bzip0032", true, XFileEncoding::Binary, true, 32},
      {"xof 03a3txt 0032", false, XFileEncoding::Text, false, 32},
      {"xof 0303txt 003", false, XFileEncoding::Text, false, 32},
  };
  for (const auto& c : cases) {
    XFileHeader header;
    std::string error;
    const bool ok = ParseXFileHeader(Bytes(c.header), &header, &error);
    EXPECT_EQ(c.ok, ok) << c.header;
    if (!ok || !c.ok) continue;
    EXPECT_EQ(c.encoding, header.encoding) << c.header;
    EXPECT_EQ(c.compressed, header.compressed) << c.header;
    EXPECT_EQ(c.floatBits, header.floatBits) << c.header;
  }
}

}  // namespace
