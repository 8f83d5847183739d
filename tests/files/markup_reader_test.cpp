#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "files/markup_reader.h"
#include "files/markup_trace.h"

namespace {

TEST(MarkupReaderTest, LongNamesAndValuesAreCutAtTheirLimits) {
  const std::string name40 = Repeat("N", 40);
  const std::string value300 = Repeat("v", 300);
  // A value whose 255th byte would be the first half of a double-byte character.
  const std::string straddling = Repeat("w", 254) + "\x82\xa0" + "xyz";
  const std::string text = "<" + name40 + " " + name40 + "=\"" + value300 + "\" s=\"" + straddling + "\"/>\n";
  const std::string name31 = Repeat("N", 31);
  EXPECT_EQ(TraceParseText(text.c_str()), "start " + name31 + " " + name31 + "=\"" + Repeat("v", 255) +
                                              "\" s=\"" + Repeat("w", 254) + "\"\nend " + name31 +
                                              "\nresult true\n");
}

TEST(MarkupReaderTest, OnlyTheFirst64AttributesArePassedOn) {
  std::string text = "<A";
  std::string expected = "start A";
  for (int i = 0; i < 70; ++i) {
    text += " a" + std::to_string(i) + "=\"" + std::to_string(i) + "\"";
    if (i < kMarkupMaxAttributes) expected += " a" + std::to_string(i) + "=\"" + std::to_string(i) + "\"";
  }
  text += " bad_name=\"x\">";
  // The dropped attributes are still parsed: the bad name after them fails.
  EXPECT_EQ(TraceParseText(text.c_str()), "error 3 at 1:1\nresult false\n");
  text.resize(text.size() - std::strlen(" bad_name=\"x\">"));
  text += "/>";
  EXPECT_EQ(TraceParseText(text.c_str()), expected + "\nend A\nresult true\n");
}

TEST(MarkupReaderTest, TextOfAnyLengthArrivesWholeInOneCall) {
  // Far past the 64 KB the pending text once had: many lines and one long one.
  const std::string body = Repeat(Repeat("x=y&amp;z; // ", 8) + "\n", 3000) + Repeat("L", 200000) + "\n";
  const std::string decoded = Repeat(Repeat("x=y&z; // ", 8) + "\n", 3000) + Repeat("L", 200000) + "\n";
  const std::string text = "<Script>\n" + body + "</Script>\n";

  struct Collector : ElementHandler {
    std::vector<std::string> texts;
    bool OnText(const char*, const char* textIn, void*, MarkupReader&) override {
      texts.emplace_back(textIn);
      return true;
    }
  } collector;
  MarkupReader reader;
  reader.SetText(text.c_str());
  ASSERT_TRUE(reader.ParseElements(collector, nullptr));
  ASSERT_EQ(collector.texts.size(), 1u);
  EXPECT_EQ(collector.texts[0].size(), decoded.size());
  EXPECT_TRUE(collector.texts[0] == decoded);
}

TEST(MarkupReaderTest, TagsOnLinesLongerThanTheLineBufferAreReadWhole) {
  const std::string value = Repeat("v", 200);
  std::string text;
  for (int i = 0; i < 10; ++i) text += "<E a=\"" + value + "\"/>";
  std::string expected;
  for (int i = 0; i < 10; ++i) expected += "start E a=\"" + value + "\"\nend E\n";
  EXPECT_EQ(TraceParseText(text.c_str()), expected + "result true\n");
}

TEST(MarkupReaderTest, DeepNestingKeepsTheInnermostName) {
  std::string text;
  std::string expected;
  for (int i = 0; i < 200; ++i) {
    text += "<E" + std::to_string(i) + ">";
    expected += "start E" + std::to_string(i) + "\n";
  }
  text += "in</E199>";
  expected += "text E199 \"in\"\nend E199\n";
  for (int i = 198; i >= 0; --i) {
    text += "t</X>";
    expected += "text E" + std::to_string(i) + " \"t\"\nend X\n";
  }
  text += "out<Z/>";
  expected += "text  \"out\"\nstart Z\nend Z\nresult true\n";
  EXPECT_EQ(TraceParseText(text.c_str()), expected);
}

TEST(MarkupReaderTest, LineBreaksOfEveryKindEndTextLinesWithOneLineFeed) {
  EXPECT_EQ(TraceParseText("<A>\r\nab\r\ncd\ref\n\r\n</A>"), "start A\ntext A \"ab\\ncd\\nef\\n\"\nend A\nresult true\n");
}

TEST(MarkupReaderTest, DoubleByteTextIsCopiedWholeAndNamesRefuseIt) {
  // "\x82\xa0" is one character; "\x81&" pairs the ampersand, which stays.
  EXPECT_EQ(TraceParseText("<A>\x82\xa0&lt;\x81&amp;</A>"),
            "start A\ntext A \"\x82\xa0<\x81&amp;\"\nend A\nresult true\n");
  EXPECT_EQ(TraceParseText("<\x96\xbc>"), "error 2 at 1:1\nresult false\n");
  EXPECT_EQ(TraceParseText("<A \x96\xbc=\"1\">"), "error 3 at 1:1\nresult false\n");
  EXPECT_EQ(TraceParseText("<A v=\"\x96\xbc\"/>"), "start A v=\"\x96\xbc\"\nend A\nresult true\n");
}

TEST(MarkupReaderTest, LeadByteBeforeTheEndNeverReadsPastTheText) {
  const std::vector<std::string> texts = {"\x81", "<A>\x81", "<\x81", "<A \x81", "<A x=\"\x81", "<A x=\"1\" \x81",
                                          "<A>&\x81", "<?\x81", "</\x81", "<A/\x81", "x\n<A x=\"\x9f"};
  for (const std::string& text : texts) {
    auto block = std::make_unique<char[]>(text.size() + 1);
    std::memcpy(block.get(), text.c_str(), text.size() + 1);
    MarkupReader reader;
    reader.SetText(block.get());
    TraceParse(reader);
  }
  EXPECT_EQ(TraceParseText("<A x=\"\x81"), "error 8 at 1:1\nresult false\n");
}

TEST(MarkupReaderTest, ReaderWithoutTextParsesNothing) {
  MarkupReader reader;
  EXPECT_EQ(TraceParse(reader), "result true\n");
}

TEST(MarkupReaderTest, FindAttributeIgnoresAsciiCaseAndTakesTheFirst) {
  const char* names[] = {"Value", "src", "VALUE", "\x82\x61"};
  const char* values[] = {"first", "s", "second", "wide"};
  EXPECT_STREQ(FindAttribute("value", names, values, 4), "first");
  EXPECT_STREQ(FindAttribute("SRC", names, values, 4), "s");
  EXPECT_STREQ(FindAttribute("\x82\x61", names, values, 4), "wide");
  // The second byte of a double-byte character is not a letter to fold.
  EXPECT_EQ(FindAttribute("\x82\x41", names, values, 4), nullptr);
  EXPECT_EQ(FindAttribute("missing", names, values, 4), nullptr);
  EXPECT_EQ(FindAttribute("value", names, values, 0), nullptr);
  EXPECT_EQ(FindAttributeIndex("VaLuE", names, 4), 0);
  EXPECT_EQ(FindAttributeIndex("src", names, 1), -1);
}

}  // namespace
