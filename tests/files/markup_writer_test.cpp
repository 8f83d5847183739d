#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "files/markup_trace.h"
#include "files/markup_writer.h"
#include "platform/system/temp_folder.h"
#include "support/case_files.h"

namespace {

TEST(MarkupWriterTest, EscapingReplacesTheFourMarkupCharactersOnlyWhenOn) {
  for (const auto& row : ReadTableRows(std::filesystem::path(T3D_SOURCE_DIR) / "tests/files/tables/escapes.rows")) {
    ASSERT_EQ(row.size(), 3u) << row[0];
    MarkupWriter written;
    written.SetEscape(row[0] == "on");
    EXPECT_TRUE(written.Append(row[1]));
    EXPECT_EQ(written.GetView(), row[2]) << row[1];
  }
  MarkupWriter writer;
  EXPECT_STREQ(writer.GetText(), "");
  writer.Append("<a>");
  writer.SetEscape(true);
  writer.Append("<b>");
  writer.SetEscape(false);
  writer.Append("<c>");
  EXPECT_STREQ(writer.GetText(), "<a>&lt;b&gt;<c>");
  EXPECT_EQ(writer.GetLength(), 15u);
}

TEST(MarkupWriterTest, CapacityGrowsInStepsOf4096CountingRoomForEscapes) {
  for (const auto& row : ReadTableRows(std::filesystem::path(T3D_SOURCE_DIR) / "tests/files/tables/capacities.rows")) {
    MarkupWriter writer;
    for (std::size_t i = 1; i < row.size(); ++i) {
      const std::size_t star = row[i].find('*');
      writer.Append(Repeat(row[i].substr(star + 1), std::stoi(row[i].substr(0, star))));
    }
    EXPECT_EQ(std::to_string(writer.GetCapacity()), row[0]) << row.size() - 1 << " appends: " << row.back();
  }
}

TEST(MarkupWriterTest, ManySmallAppendsBuildTheWholeText) {
  MarkupWriter writer;
  std::string expected;
  for (int i = 0; i < 200000; ++i) {
    const std::string piece = std::to_string(i % 10);
    writer.Append(piece);
    expected += piece;
  }
  EXPECT_EQ(writer.GetLength(), expected.size());
  EXPECT_TRUE(writer.GetView() == expected);
}

TEST(MarkupWriterTest, PrintfFormatsInTheCLocaleWithoutALengthLimit) {
  MarkupWriter writer;
  ASSERT_TRUE(writer.Printf(" <Flags value=\"#%08x\"/>\n", 0x90000001u));
  ASSERT_TRUE(writer.Printf("<X value=\"%f\" n=\"%d\" s=\"%s\"/>", 1.5, -7, "t"));
  EXPECT_STREQ(writer.GetText(), " <Flags value=\"#90000001\"/>\n<X value=\"1.500000\" n=\"-7\" s=\"t\"/>");

  // Far longer than twice the format plus 10240 bytes.
  const std::string longName(50000, 'n');
  MarkupWriter longWriter;
  ASSERT_TRUE(longWriter.Printf("<Name value=\"%s\"/>", longName.c_str()));
  EXPECT_EQ(std::string(longWriter.GetText()), "<Name value=\"" + longName + "\"/>");
  // Formatted text is escaped like any other when escaping is on.
  longWriter.SetEscape(true);
  longWriter.Printf("%s", "<");
  EXPECT_TRUE(longWriter.GetView().ends_with("&lt;"));
}

// The markup the motion-object data writes, read back by the parser: every
// element, attribute and text comes back as it went in. Text is element text
// whose lines end in a line feed and are not empty (the reader drops empty
// lines and turns every line end into one line feed). The events are those of
// golden/motion_object.trace, the script's text in place of SCRIPT.
TEST(MarkupWriterTest, WrittenMarkupReadsBackToTheSameEvents) {
  std::string longLine(3000, 'L');
  std::string longScript;
  for (int i = 0; i < 5000; ++i) longScript += "  x" + std::to_string(i) + " = a < b && c > \"d\";\n";
  const std::vector<std::string> scripts = {
      "",
      "plain\n",
      "if (a < b && c > \"d\") { s = \"100% &lt;\"; }\n  indented\n",
      "\x82\xa0\x95\x5c<\x82\xa0>&\n",
      longLine + "\n" + longScript,
  };
  for (const std::string& script : scripts) {
    MarkupWriter writer;
    writer.Printf("<MotionObject>\n");
    writer.Printf(" <Name value=\"%s\" />\n", "Cat \x82\xa0");
    writer.Printf(" <Flags value=\"#%08x\"/>\n", 0xAA0D6748u);
    writer.Printf(" <Script>\n");
    writer.SetEscape(true);
    writer.Append(script);
    writer.SetEscape(false);
    writer.Printf("</Script>\n");
    writer.Printf(" <Motion name=\"%s\" length=\"%d\">\n  <MotionFrame name=\"%s\">\n", "Walk", 30, "Root");
    writer.Printf("  </MotionFrame>\n </Motion>\n</MotionObject>\n");

    std::string expected = ReadTextFile(std::string(T3D_SOURCE_DIR) + "/tests/files/golden/motion_object.trace");
    const std::size_t at = expected.find("text Script SCRIPT\n");
    ASSERT_NE(at, std::string::npos);
    expected.replace(at, 19, script.empty() ? std::string() : "text Script " + TraceQuote(script) + "\n");
    EXPECT_EQ(TraceParseText(writer.GetText()), expected) << script.substr(0, 40);
  }
}

TEST(MarkupWriterTest, SaveToFileWritesTheTextWhole) {
  TempFolder folder;
  ASSERT_FALSE(folder.path().empty());
  MarkupWriter writer;
  writer.Printf("<A>%s</A>\n", "text");
  ASSERT_TRUE(writer.SaveToFile(folder.path() + "out.txt"));
  EXPECT_EQ(folder.Read("out.txt"), "<A>text</A>\n");
  EXPECT_FALSE(writer.SaveToFile(folder.path() + "missing/folder/out.txt"));
}

}  // namespace
