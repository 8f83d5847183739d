// Tokens of the text and binary .x encodings, from the tables
// tables/text_tokens.rows and tables/binary_tokens.rows.
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
    // What each kind prints, in XTokenKind order; names and strings add their text.
    static const char* const kShown[] = {"end", "name:", "string:", "", "guid", "{", "}", "[", "]",
                                         "?", "?", "<", ">", ",", ";", "?", "template", "?"};
    if (token.kind == XTokenKind::End) return out + "end";
    out += kShown[static_cast<int>(token.kind)];
    if (token.kind == XTokenKind::Name || token.kind == XTokenKind::String) out += token.text;
    const double integer = static_cast<double>(token.integer) * (token.negative ? -1.0 : 1.0);
    if (token.kind == XTokenKind::Number)
      out += token.integral ? "int:" + std::to_string(integer) : "float:" + std::to_string(token.number);
    out += " ";
  }
}

const std::filesystem::path kTables = std::filesystem::path(T3D_SOURCE_DIR) / "tests/platform/mesh/tables";

TEST(XFileLexer, TextTokens) {
  const auto rows = ReadTableRows(kTables / "text_tokens.rows");
  EXPECT_GE(rows.size(), 16u);
  for (const auto& row : rows) {
    ASSERT_EQ(2u, row.size()) << row[0];
    EXPECT_EQ(row[1], Tokens(Bytes(row[0]), XFileEncoding::Text)) << row[0];
  }
}

TEST(XFileLexer, BinaryTokens) {
  const auto rows = ReadTableRows(kTables / "binary_tokens.rows");
  EXPECT_GE(rows.size(), 11u);
  for (const auto& row : rows) {
    ASSERT_EQ(3u, row.size()) << row[0];
    EXPECT_EQ(row[2], Tokens(HexBytes(row[1]), XFileEncoding::Binary, std::stoi(row[0]))) << row[1];
  }
}

TEST(XFileLexer, DecimalsReadAsTheFullDecimalReaderReadsThem) {
  const auto rows = ReadTableRows(kTables / "decimals.rows");
  EXPECT_GE(rows.size(), 14u);
  for (const auto& row : rows) {
    const char* word = row.at(0).c_str();
    const std::vector<std::uint8_t> body = Bytes(word);
    XFileLexer lexer(body, XFileEncoding::Text, 32);
    const XToken* token = lexer.Next();
    ASSERT_TRUE(token && token->kind == XTokenKind::Number && !token->integral) << word;
    const double expected = ReadDecimal(word, nullptr);
    EXPECT_EQ(0, std::memcmp(&expected, &token->number, sizeof expected))
        << word << " reads " << token->number << ", not " << expected;
  }
}

TEST(XFileLexer, HeaderNamesEncodingAndFloatSize) {
  const std::pair<const char*, const char*> cases[] = {
      {"xof 0303txt 0032", "text 32"},           {"xof 0302bin 0064", "binary 64"},
      {"xof 0303tzip0032", "text compressed 32"}, {"xof 0303bzip0032", "binary compressed 32"},
      {"xof 03a3txt 0032", "refused"},           {"xof 0303txt 003", "refused"},
  };
  for (const auto& [text, expected] : cases) {
    XFileHeader header;
    std::string error;
    const std::string got = !ParseXFileHeader(Bytes(text), &header, &error) ? "refused"
                            : std::string(header.encoding == XFileEncoding::Text ? "text " : "binary ") +
                                  (header.compressed ? "compressed " : "") + std::to_string(header.floatBits);
    EXPECT_EQ(expected, got) << text;
  }
}

}  // namespace
