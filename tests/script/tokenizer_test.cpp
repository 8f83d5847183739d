// The tokenizer: tokens, character classes, spellings, expressions and block
// ends are tables in tables/*.rows; reserved words, long tokens and the
// expected-token check are here.
#include "script/tokenizer.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "script/script_tables.h"

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

TEST(Tokenizer, ReadsTheTokensOfTheText) {
  for (const auto& row : ScriptTable("lex.rows", 4)) {
    EXPECT_EQ(Lex(row[0], row[1] == "quoted", row[2] == "skip"), row[3])
        << "text: " << row[0] << " " << row[1] << " " << row[2];
  }
}

TEST(Tokenizer, ClassifiesWithoutMoving) {
  for (const auto& row : ScriptTable("classify.rows", 2))
    EXPECT_EQ(ClassifyChar(Exact(row[0]).get()), std::stoi(row[1])) << row[0];
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
  for (const auto& row : ScriptTable("spellings.rows", 2))
    EXPECT_EQ(TokenSpelling(static_cast<TokenKind>(std::stoi(row[0]))), row[1]) << row[0];
}

TEST(Tokenizer, LongTokensAreCutButConsumedWhole) {
  constexpr std::size_t kRoom = kTokenBufferSize - 1;
  const auto run = [](std::size_t count, char c) { return std::string(count, c); };
  EXPECT_EQ(Lex(run(3000, 'a') + " b", false, false), "String(" + run(kRoom, 'a') + ") String(b)");
  EXPECT_EQ(Lex(run(kRoom, '7') + " b", false, false), "Digit(" + run(kRoom, '7') + ") String(b)");
  // A pair that would end one byte past the room is dropped whole.
  EXPECT_EQ(Lex(run(kRoom - 1, 'a') + "\x82\xA0z b", false, false), "String(" + run(kRoom - 1, 'a') + ") String(b)");
  EXPECT_EQ(Lex("\"" + run(5000, 'q') + "\" b", true, false), "String(" + run(kRoom, 'q') + ") String(b)");
  EXPECT_EQ(Lex("0x" + run(2000, 'f') + " b", false, false), "Hex(0x" + run(kRoom - 2, 'f') + ") String(b)");
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

// A row of an expression table as the evaluation gives it: "ok" and the value
// (the row's text when equal), or "fails" (the value left aside), then the
// characters consumed.
template <typename T>
std::string Evaluate(bool (*eval)(const char**, T*, bool), const std::vector<std::string>& row) {
  auto text = Exact(row[0]);
  const char* pos = text.get();
  T value{};
  std::ostringstream out;
  T expected{};
  std::istringstream(row[3]) >> expected;
  if (eval(&pos, &value, row[1] == "multi")) {
    out << "ok " << (value == expected ? row[3] : std::to_string(value));
  } else {
    out << "fails " << row[3];
  }
  out << " " << pos - text.get();
  return out.str();
}

TEST(Tokenizer, ExpressionsApplyLeftToRight) {
  for (const auto& row : ScriptTable("int_expressions.rows", 5))
    for (auto* eval : {&ReadIntExpression, &EvalIntExpression})
      EXPECT_EQ(Evaluate(eval, row), row[2] + " " + row[3] + " " + row[4]) << row[0];
  for (const auto& row : ScriptTable("float_expressions.rows", 5))
    EXPECT_EQ(Evaluate(&EvalFloatExpression, row), row[2] + " " + row[3] + " " + row[4]) << row[0];
}

TEST(Tokenizer, AllCharsInClassChecksEveryByte) {
  for (const auto& row : ScriptTable("char_classes.rows", 3))
    EXPECT_EQ(AllCharsInClass(row[0].c_str(), std::stoul(row[1])), row[2] == "yes") << row[0] << " " << row[1];
}

TEST(Tokenizer, FindBlockEndStopsAfterTheFirstFunction) {
  for (const auto& row : ScriptTable("block_ends.rows", 2)) {
    EXPECT_EQ(FindBlockEnd(Exact(row[0]).get()), std::stoul(row[1])) << row[0];
  }
}

}  // namespace
