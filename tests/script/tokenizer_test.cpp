#include "script/tokenizer.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <memory>
#include <string>

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
  struct Case {
    const char* text;
    bool quoted;
    bool skipComments;
    const char* expected;
  } cases[] = {
      {"a||b", false, false, "String(a) || String(b)"},
      {"a|&b", false, false, "String(a) | & String(b)"},
      {"x+=1", false, false, "String(x) += Digit(1)"},
      {"a<<=2", false, false, "String(a) <<= Digit(2)"},
      {"!x", false, false, "! String(x)"},
      {"_name#1 12ab 0x1G 0XfF 0x", false, false,
       "String(_name#1) String(12ab) Hex(0x1) String(G) Hex(0xfF) Hex(0x)"},
      {"1.5", false, false, "Digit(1) . Digit(5)"},
      {"%= ++--", false, false, "% = ++ --"},
      {"a>>=b>>c>=d>e<=f<g!=h==i=j", false, false,
       "String(a) >>= String(b) >> String(c) >= String(d) > String(e) <= String(f) < String(g) "
       "!= String(h) == String(i) = String(j)"},
      {"*= /= &= |= && & - -= * / ( ) { } , : ; ? $", false, false,
       "*= /= &= |= && & - -= * / ( ) { } , : ; ? $"},
      {"@[]^~\\`#\x01", false, false, "String(@[]^~\\`#\x01)"},
      {"a\t \r\nb", false, false, "String(a) LF CR String(b)"},
      {"  ", false, false, ""},
      // Quotes.
      {"\"ab cd\"x 'e\"f'", true, false, "String(ab cd) String(x) String(e\"f)"},
      {"\"ab cd\"x", false, false, "\" String(ab) String(cd) \" String(x)"},
      {"'q'", false, false, "' String(q) '"},
      {"\"open", true, false, "String(open)"},
      {"\"\"", true, false, "String()"},
      // Comments: a carriage return belongs to the comment, the line feed not.
      {"a // c\r\nb", false, true, "String(a) CR String(b)"},
      {"a // c\r\nb", false, false, "String(a) / / String(c) LF CR String(b)"},
      {"// one\n  // two\nx //", false, true, "CR CR String(x)"},
      {"a//", false, true, "String(a)"},
      {"a /= b", false, true, "String(a) /= String(b)"},
      // Double-byte characters travel whole, whatever their trail byte.
      {"\x83\x5C(\x82\xA0)", false, false, "String(\x83\x5C) ( String(\x82\xA0) )"},
      {"\x82\"x\"", true, false, "String(\x82\"x) String()"},
      {"\"\x82\"\"z", true, false, "String(\x82\") String(z)"},
      {"\x82/\x82}\x82\\", false, false, "String(\x82/\x82}\x82\\)"},
      {"// \x82\nx\ny", false, true, "CR String(y)"},  // the pair hides the line feed
      {"a // \x82/ b\nc", false, true, "String(a) CR String(c)"},
      {"12\x82\x4F", false, false, "String(12\x82\x4F)"},
      // A lead byte right before the end is one byte.
      {"ab\x82", false, false, "String(ab\x82)"},
      {"\"ab\x82", true, false, "String(ab\x82)"},
      {"x //\x82", false, true, "String(x)"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Lex(c.text, c.quoted, c.skipComments), c.expected)
        << "text: " << c.text << " quoted " << c.quoted << " comments " << c.skipComments;
  }
}

TEST(Tokenizer, ClassifiesWithoutMoving) {
  struct Case {
    const char* text;
    int kind;
  } cases[] = {
      {"", 0}, {" x", 1}, {"\t", 1}, {"\n", 2}, {"\r", 3}, {"+", 8}, {"+=", 15}, {"++", 40},
      {"<<=", 21}, {"<<", 27}, {"<=", 31}, {"<", 29}, {">>=", 22}, {"%=", 12}, {"\"", 42},
      {"'", 43}, {"#", -1}, {"_", -1}, {"a", -1}, {"0", -1}, {"\x82\xA0", -1}, {"\xFF", -1},
      {"\x7F", -1}, {"[", -1},
  };
  for (const Case& c : cases) EXPECT_EQ(ClassifyChar(Exact(c.text).get()), c.kind) << c.text;
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
  struct Case {
    const char* text;
    bool multi;
    bool ok;
    int value;
    int consumed;
  } cases[] = {
      {"2+3*4", true, true, 20, 5},
      {"2+3*4", false, true, 2, 1},
      {"10-", true, true, 10, 2},
      {"10 - x", true, true, 10, 2},
      {"1.5", true, true, 1, 1},
      {"-5", true, true, -5, 2},
      {"+ 0x10", false, true, 16, 6},
      {"0xFFFFFFFF", true, true, -1, 10},
      {"3 & 5 | 8", true, true, 9, 9},
      {"7 % 3", true, true, 1, 5},
      {"-7/2", true, true, -3, 4},
      {"5 x", true, true, 5, 1},
      {"1 2", true, true, 1, 1},
      {"1+2 // c", true, true, 3, 3},
      {"99999999999", true, true, 2147483647, 11},
      {"2147483647+1", true, true, INT32_MIN, 12},
      {"0x80000000/0xFFFFFFFF", true, true, INT32_MIN, 21},
      {"0x80000000%0xFFFFFFFF", true, true, 0, 21},
      {"7/0", true, false, 0, 0},
      {"1+7%0", true, false, 0, 0},
      {"", true, false, 0, 0},
      {"abc", true, false, 0, 0},
      {"- x", true, false, 0, 0},
      {"\"5\"", true, false, 0, 0},
      {"--5", true, false, 0, 0},
  };
  for (const Case& c : cases) {
    for (auto* eval : {&ReadIntExpression, &EvalIntExpression}) {
      auto text = Exact(c.text);
      const char* pos = text.get();
      int value = 12345;
      EXPECT_EQ(eval(&pos, &value, c.multi), c.ok) << c.text;
      if (c.ok) {
        EXPECT_EQ(value, c.value) << c.text;
      }
      EXPECT_EQ(pos - text.get(), c.consumed) << c.text;
    }
  }
}

TEST(Tokenizer, FloatExpressionsAddAndSubtract) {
  struct Case {
    const char* text;
    bool multi;
    bool ok;
    float value;
    int consumed;
  } cases[] = {
      {"1.5e3", true, true, 1500.0f, 3},  // the exponent is read but left in place
      {"-2.5+1", true, true, -1.5f, 6},
      {"1 - 0.25", true, true, 0.75f, 8},
      {"1+2", false, true, 1.0f, 1},
      {"+.5", true, true, 0.5f, 3},
      {"1.2.3", true, true, 1.2f, 5},
      {"0x10+1", true, true, 17.0f, 6},
      {"1*2", true, true, 1.0f, 1},
      {"3 x", true, true, 3.0f, 1},
      {"1+", true, false, 0.0f, 0},
      {"1 - x", true, false, 0.0f, 0},
      {"abc", true, false, 0.0f, 0},
      {"", true, false, 0.0f, 0},
      {"-", true, false, 0.0f, 0},
  };
  for (const Case& c : cases) {
    auto text = Exact(c.text);
    const char* pos = text.get();
    float value = 123.0f;
    EXPECT_EQ(EvalFloatExpression(&pos, &value, c.multi), c.ok) << c.text;
    if (c.ok) {
      EXPECT_FLOAT_EQ(value, c.value) << c.text;
    }
    EXPECT_EQ(pos - text.get(), c.consumed) << c.text;
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
  struct Case {
    std::string text;
    std::size_t length;
  } cases[] = {
      {"", 0},
      {"f(){}", 5},
      {"f(){ a{ } }\r\n \tg(){}", 15},
      {"f(){ x=\"}\"; }g(){}", 13},
      {"f(){ x=\"\\\"}\"; }g(){}", 15},          // escaped quote inside the literal
      {"f(){ x=\"\x83\x5C\"; }g(){}", 14},       // trail byte equal to a backslash
      {"f(){ a\x82}b }g(){}", 11},               // trail byte equal to a closing brace
      {"f(){ // }\n }g(){}", 12},
      {"f(){ // }\r }g(){}", 12},
      {"f(){ x=\"\\\x83\x5C\"; }g(){}", 15},     // escaped double-byte character
      {"f() // no braces", 16},
      {"   ", 3},
      {"f(){", 4},
      {"f(){\x82", 5},                            // lead byte before the end
      {"f(){\"ab\\", 8},                          // backslash before the end
      {"f(){\"\x82", 6},
      {"f(){//\x82", 7},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FindBlockEnd(Exact(c.text).get()), c.length) << c.text;
  }
}

}  // namespace
