// Tokens of the text and binary .x encodings; the text tokens are a table
// (tables/text_tokens.rows).
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "platform/mesh/xfile_lexer.h"
#include "platform/system/numbers.h"
#include "support/case_files.h"
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
  const auto rows = ReadTableRows(std::filesystem::path(T3D_SOURCE_DIR) / "tests/platform/mesh/tables/text_tokens.rows");
  EXPECT_GE(rows.size(), 16u);
  for (const auto& row : rows) {
    ASSERT_EQ(2u, row.size()) << row[0];
    EXPECT_EQ(row[1], Tokens(Bytes(row[0]), XFileEncoding::Text)) << row[0];
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
