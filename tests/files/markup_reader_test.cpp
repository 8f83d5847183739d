// The markup reader where case files (cases/*.xml) do not reach: text far
// longer than any file of the cases, texts that end in a lead byte with
// nothing after their terminator (for the line reader too), the line each
// text starts on, a reader without text, and the attribute look-up.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "files/line_reader.h"
#include "files/markup_reader.h"
#include "files/markup_trace.h"
#include "support/case_files.h"

namespace {

TEST(MarkupReaderTest, TextOfAnyLengthArrivesWholeInOneCall) {
  // Far past the 64 KB the pending text once had: many lines and one long one.
  const std::string body = Repeat(Repeat("x=y&amp;z; // ", 8) + "\n", 3000) + Repeat("L", 200000) + "\n";
  const std::string decoded = Repeat(Repeat("x=y&z; // ", 8) + "\n", 3000) + Repeat("L", 200000) + "\n";
  const std::string text = "<Script>\n" + body + "</Script>\n";
  const std::string trace = "start Script\ntext Script " + TraceQuote(decoded) + "\nend Script\nresult true\n";
  EXPECT_TRUE(TraceParseText(text.c_str()) == trace);
}

// Each text ends in a lead byte, in a heap block that ends right after its
// NUL, so that the sanitizer sees any read past the terminator by either
// reader. The line case ends_in_a_lead_byte shows the lines such a text gives.
TEST(MarkupReaderTest, LeadByteBeforeTheEndNeverReadsPastTheText) {
  const std::vector<std::string> texts = {"\x81", "<A>\x81", "<\x81", "<A \x81", "<A x=\"\x81", "<A x=\"1\" \x81",
                                          "<A>&\x81", "<?\x81", "</\x81", "<A/\x81", "x\n<A x=\"\x9f", "abc\x81",
                                          "$(\x81", "$(N,\x81", "$(N\x81", "//\x81", "#define A \x81",
                                          "#include \x81", "#set N 1+\xe0"};
  for (const std::string& text : texts) {
    auto block = std::make_unique<char[]>(text.size() + 1);
    std::memcpy(block.get(), text.c_str(), text.size() + 1);
    MarkupReader markup;
    markup.SetText(block.get());
    TraceParse(markup);
    for (bool expand : {false, true}) {
      LineReader lines;
      lines.SetText(block.get());
      while (lines.ReadLine(expand)) {
      }
    }
  }
  EXPECT_EQ(TraceParseText("<A x=\"\x81"), "error 8 at 1:1\nresult false\n");
}

// A handler that notes each text as "ELEMENT@LINE,LINE...", the line of the
// file on which each of its lines stands.
class TextLineHandler : public ElementHandler {
 public:
  bool OnText(const char* elementName, const char*, void*, MarkupReader& reader) override {
    if (!lines.empty()) lines += " ";
    lines += std::string(elementName) + "@";
    for (std::size_t i = 0; i < reader.GetTextLineNumbers().size(); ++i)
      lines += (i ? "," : "") + std::to_string(reader.GetTextLineNumbers()[i]);
    return true;
  }
  std::string lines;
};

TEST(MarkupReaderTest, TextKnowsTheLineOfTheFileItStartsOn) {
  const auto rows = ReadTableRows(std::filesystem::path(T3D_SOURCE_DIR) / "tests/files/tables/text_lines.rows", 2, 10);
  for (const auto& row : rows) {
    MarkupReader reader;
    reader.SetText(row[0].c_str());
    TextLineHandler handler;
    reader.ParseElements(handler, nullptr);
    EXPECT_EQ(handler.lines, row[1]) << TraceQuote(row[0]);
  }
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
