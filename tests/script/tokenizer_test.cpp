// The tokenizer: tokens, character classes, expressions and block ends are
// tables in tables/*.rows; reserved words, spellings, long tokens and the
// expected-token check are here.
#include "script/tokenizer.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "support/case_files.h"

namespace {

// The text in a heap block of exactly its size, so the sanitizers see any read
// past the terminator.
std::unique_ptr<char[]> Exact(const std::string& text) {
  auto copy = std::make_unique<char[]>(text.size() + 1);
  std::memcpy(copy.get(), text.c_str(), text.size() + 1);
  return copy;
}

// Every token of the text, as "Kind(text)" for literals and words, the kind's
// name for line ends and the token text for operators.
std::string Lex(const std::string& source, bool quoted, bool skipComments) {
  auto text = Exact(source);
  const char* pos = text.get();
  auto out = std::make_unique<char[]>(kTokenBufferSize);
  std::string trace;
  for (int guard = 0; guard < 1000; ++guard) {
    TokenKind kind = ReadToken(&pos, out.get(), quoted, skipComments);
    if (kind == TokenKind::None) {
      EXPECT_STREQ(out.get(), "");
      EXPECT_EQ(*pos, '\0');
      return trace;
    }
    if (!trace.empty()) trace += ' ';
    switch (kind) {
      case TokenKind::Digit:
      case TokenKind::Hex:
      case TokenKind::String:
        trace += std::string(TokenSpelling(kind)) + "(" + out.get() + ")";
        break;
      case TokenKind::CR:
      case TokenKind::LF:
        trace += TokenSpelling(kind);
        break;
      default:
        trace += out.get();
    }
  }
  ADD_FAILURE() << "no end of text";
  return trace;
}

// The rows of tables/NAME.rows, each with the number of fields the test reads.
std::vector<std::vector<std::string>> Rows(const char* name, std::size_t fields) {
  auto rows = ReadTableRows(std::filesystem::path(T3D_SOURCE_DIR) / "tests/script/tables" / name);
  EXPECT_FALSE(rows.empty()) << name;
  for (const auto& row : rows) EXPECT_EQ(row.size(), fields) << name << ": " << row[0];
  return rows;
}

TEST(Tokenizer, ReadsTheTokensOfTheText) {
  for (const auto& row : Rows("lex.rows", 4)) {
    EXPECT_EQ(Lex(row[0], row[1] == "quoted", row[2] == "skip"), row[3]) << "text: " << row[0] << " " << row[1] << " " << row[2];
  }
}

TEST(Tokenizer, ClassifiesWithoutMoving) {
  for (const auto& row : Rows("classify.rows", 2)) EXPECT_EQ(ClassifyChar(Exact(row[0]).get()), std::stoi(row[1])) << row[0];
}

TEST(Tokenizer, ReservedWordsAreSortedAndMatchExactly) {
  std::string previous;
  for (int kind = kFirstReservedWord; kind <= kLastReservedWord; ++kind) {
    std::string word = TokenSpelling(static_cast<TokenKind>(kind));
    if (kind >= static_cast<int>(TokenKind::Auto)) {
      // Keywords are written in lower case; the spelling is the kind's name.
      for (char& c : word) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    EXPECT_EQ(static_cast<int>(LookupReservedWord(word.c_str())), kind) << word;
    EXPECT_LT(previous, word);
    previous = word;
  }
  for (const char* notReserved : {"While", "WHILE", "whil", "whilex", "#Define", "#", "", "Number",
                                  "volatile", "\x82\xA0"}) {
    EXPECT_EQ(LookupReservedWord(notReserved), TokenKind::None) << notReserved;
  }
  EXPECT_EQ(LookupReservedWord(nullptr), TokenKind::None);
}

TEST(Tokenizer, SpellingsAreWhatTheErrorReportPrints) {
  struct Case {
    TokenKind kind;
    const char* spelling;
  } cases[] = {
      {TokenKind::None, "None"},        {TokenKind::Space, " "},
      {TokenKind::CR, "CR"},            {TokenKind::String, "String"},
      {TokenKind::DQuate, "\""},        {TokenKind::Quate, "\""},
      {TokenKind::Sharp, "#"},          {TokenKind::RShiftEqual, ">>="},
      {TokenKind::PpUndef, "#undef"},   {TokenKind::NumberType, "Number"},
      {TokenKind::StringType, "String"}, {TokenKind::Volaitle, "Volaitle"},
      {TokenKind::While, "While"},      {TokenKind::GlobalValiable, "GlobalValiable"},
      {TokenKind::Function, "Function"}, {TokenKind::Count, ""},
  };
  for (const Case& c : cases) EXPECT_STREQ(TokenSpelling(c.kind), c.spelling);
}

TEST(Tokenizer, LongTokensAreCutButConsumedWhole) {
  struct Case {
    std::string text;
    bool quoted;
    std::string expected;
  } cases[] = {
      {std::string(3000, 'a') + " b", false, std::string(kTokenBufferSize - 1, 'a')},
      {std::string(kTokenBufferSize - 1, '7') + " b", false, std::string(kTokenBufferSize - 1, '7')},
      // A pair that would end one byte past the room is dropped whole.
      {std::string(kTokenBufferSize - 2, 'a') + "\x82\xA0z b", false,
       std::string(kTokenBufferSize - 2, 'a')},
      {"\"" + std::string(5000, 'q') + "\" b", true, std::string(kTokenBufferSize - 1, 'q')},
      {"0x" + std::string(2000, 'f') + " b", false, "0x" + std::string(kTokenBufferSize - 3, 'f')},
  };
  for (const Case& c : cases) {
    auto text = Exact(c.text);
    const char* pos = text.get();
    auto out = std::make_unique<char[]>(kTokenBufferSize);
    ReadToken(&pos, out.get(), c.quoted, false);
    EXPECT_EQ(std::string(out.get()), c.expected);
    EXPECT_EQ(ReadToken(&pos, out.get(), c.quoted, false), TokenKind::String);
    EXPECT_STREQ(out.get(), "b");
  }
  // The kind still reflects the whole run.
  std::string digits(3000, '1');
  auto text = Exact(digits);
  const char* pos = text.get();
  EXPECT_EQ(ReadToken(&pos, nullptr, false, false), TokenKind::Digit);
  EXPECT_EQ(pos, text.get() + digits.size());
}

TEST(Tokenizer, FailedExpectTokenLeavesThePositionUnchanged) {
  auto text = Exact("   // comment\n  x");
  const char* pos = text.get();
  char out[kTokenBufferSize];
  EXPECT_FALSE(ExpectToken(&pos, TokenKind::String, out, false, true));
  EXPECT_EQ(pos, text.get());
  EXPECT_TRUE(ExpectToken(&pos, TokenKind::CR, out, false, true));
  EXPECT_TRUE(ExpectToken(&pos, TokenKind::String, out, false, true));
  EXPECT_STREQ(out, "x");
  EXPECT_FALSE(ExpectToken(&pos, TokenKind::String, nullptr, false, true));
  EXPECT_TRUE(ExpectToken(&pos, TokenKind::None, nullptr, false, true));
}

TEST(Tokenizer, IntExpressionsApplyLeftToRight) {
  for (const auto& row : Rows("int_expressions.rows", 5)) {
    for (auto* eval : {&ReadIntExpression, &EvalIntExpression}) {
      auto text = Exact(row[0]);
      const char* pos = text.get();
      int value = 12345;
      EXPECT_EQ(eval(&pos, &value, row[1] == "multi"), row[2] == "ok") << row[0];
      if (row[2] == "ok") {
        EXPECT_EQ(value, std::stoi(row[3])) << row[0];
      }
      EXPECT_EQ(pos - text.get(), std::stoi(row[4])) << row[0];
    }
  }
}

TEST(Tokenizer, FloatExpressionsAddAndSubtract) {
  for (const auto& row : Rows("float_expressions.rows", 5)) {
    auto text = Exact(row[0]);
    const char* pos = text.get();
    float value = 123.0f;
    EXPECT_EQ(EvalFloatExpression(&pos, &value, row[1] == "multi"), row[2] == "ok") << row[0];
    if (row[2] == "ok") {
      EXPECT_FLOAT_EQ(value, std::stof(row[3])) << row[0];
    }
    EXPECT_EQ(pos - text.get(), std::stoi(row[4])) << row[0];
  }
}

TEST(Tokenizer, AllCharsInClassChecksEveryByte) {
  struct Case {
    const char* text;
    unsigned mask;
    bool expected;
  } cases[] = {
      {"", 0, true},
      {"abc", kClassLower, true},
      {"aBc", kClassLower, false},
      {"aBc", kClassLower | kClassUpper, true},
      {"a_1", kClassLower | kClassDigit | kClassOther, true},
      {"a b", kClassLower, false},
      {"a b", kClassLower | kClassSpace, true},
      {"\t\x7F", kClassControl, true},
      {"\x82\xA0", 0xFF, false},
      {"09", kClassDigit, true},
  };
  for (const Case& c : cases) EXPECT_EQ(AllCharsInClass(c.text, c.mask), c.expected) << c.text;
}

TEST(Tokenizer, FindBlockEndStopsAfterTheFirstFunction) {
  for (const auto& row : Rows("block_ends.rows", 2)) {
    EXPECT_EQ(FindBlockEnd(Exact(row[0]).get()), std::stoul(row[1])) << row[0];
  }
}

}  // namespace
