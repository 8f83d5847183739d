// The line reader where its case files (cases/*.txt) do not reach: the
// definition table, includes served from memory (the paths asked for, cycles,
// depth and budget) and a reader that keeps directives.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "files/line_reader.h"
#include "files/markup_trace.h"

namespace {

// Files in memory; every path asked for is recorded.
struct MemoryFiles {
  std::map<std::string, std::string> files;
  std::vector<std::string> requests;

  LineReader::FileSource Source() {
    return [this](const std::string& path, FileData& out) {
      requests.push_back(path);
      auto found = files.find(path);
      if (found == files.end()) return false;
      out.Assign(found->second);
      return true;
    };
  }
};

std::vector<std::string> AllLines(LineReader& reader, bool expand) {
  std::vector<std::string> lines;
  while (reader.ReadLine(expand)) lines.emplace_back(reader.GetLine());
  return lines;
}

TEST(LineReaderTest, DefinitionTableStopsAt1000AndLivesFromTextToClose) {
  LineReader reader;
  EXPECT_FALSE(reader.Define("A", "1")) << "no table before a text";
  ASSERT_TRUE(reader.SetText(""));
  // Replacing, exact names and numbers are the line case definitions_replaced_and_counted.
  EXPECT_TRUE(reader.Define("A", "1"));
  for (int i = reader.GetDefinitionCount(); i < kLineDefinitionCount; ++i)
    ASSERT_TRUE(reader.Define("K" + std::to_string(i), "v"));
  EXPECT_FALSE(reader.Define("OneTooMany", "v"));
  EXPECT_TRUE(reader.Define("A", "3")) << "replacing needs no new entry";
  EXPECT_EQ(reader.GetDefinitionCount(), kLineDefinitionCount);

  reader.Close();
  EXPECT_EQ(reader.GetDefinitionCount(), 0);
  EXPECT_FALSE(reader.Define("A", "1"));
  EXPECT_FALSE(reader.SetText(nullptr));
}

TEST(LineReaderTest, SetTextStartsAFreshTable) {
  LineReader reader;
  ASSERT_TRUE(reader.SetText("#define A 1\n$(A)"));
  EXPECT_EQ(AllLines(reader, true), std::vector<std::string>{"1"});
  ASSERT_TRUE(reader.SetText("$(A,none)"));
  EXPECT_EQ(AllLines(reader, true), std::vector<std::string>{"none"});
}

TEST(LineReaderTest, OpenNeedsANonEmptyFileAndRemembersItsPath) {
  MemoryFiles files;
  files.files = {{"data/a.txt", "line"}, {"data/empty.txt", ""}};
  LineReader reader;
  reader.SetFileSource(files.Source());
  EXPECT_FALSE(reader.Open("data/missing.txt"));
  EXPECT_FALSE(reader.Open("data/empty.txt"));
  ASSERT_TRUE(reader.Open("data/a.txt"));
  EXPECT_EQ(reader.GetPath(), "data/a.txt");
  EXPECT_EQ(AllLines(reader, false), std::vector<std::string>{"line"});
  reader.SetText("other");
  EXPECT_EQ(reader.GetPath(), "");
}

TEST(LineReaderTest, IncludesAreTakenFromTheIncludingFilesFolder) {
  MemoryFiles files;
  files.files = {{"models\\a.txt", "#include \"part.txt\"\n#include part.txt\n"},
                 {"b.txt", "#include \"part.txt\"\n"},
                 {"x/y/c.txt", "#include \"sub\\d.txt\"\n$(D)"},
                 {"x/y/sub\\d.txt", "#include \"e.txt\"\n#define D fromd\n"}};
  for (const char* path : {"models\\a.txt", "b.txt", "x/y/c.txt"}) {
    LineReader reader;
    reader.SetFileSource(files.Source());
    ASSERT_TRUE(reader.Open(path));
    AllLines(reader, true);
  }
  EXPECT_EQ(files.requests,
            (std::vector<std::string>{"models\\a.txt", "models\\part.txt", "models\\part", "b.txt", "part.txt",
                                      "x/y/c.txt", "x/y/sub\\d.txt", "x/y/sub\\e.txt"}));
}

// The expanded lines, the size of the table and its last name, whether an
// include failed and how many files were asked for.
std::string Expand(const std::map<std::string, std::string>& texts, const std::string& path) {
  MemoryFiles files{texts, {}};
  LineReader reader;
  reader.SetFileSource(files.Source());
  if (!reader.Open(path)) return "<cannot open>";
  std::string out;
  for (const std::string& line : AllLines(reader, true)) out += line + "|";
  const int count = reader.GetDefinitionCount();
  out += " definitions " + std::to_string(count);
  if (count > 0) out += std::string(" last ") + reader.GetDefinition(count - 1).name;
  return out + (reader.IncludeFailed() ? " failed" : "") + " requests " + std::to_string(files.requests.size());
}

TEST(LineReaderTest, IncludesStopAtCyclesDepthBudgetAndAFullTable) {
  std::map<std::string, std::string> chain, doubling, many;
  // chain0 includes chain1 ... up to chain39: far deeper than allowed.
  for (int i = 0; i < 40; ++i)
    chain["chain" + std::to_string(i) + ".txt"] =
        "#define C" + std::to_string(i) + " x\n#include \"chain" + std::to_string(i + 1) + ".txt\"\n";
  // Each level includes the next one twice: 2^20 reads without a budget.
  for (int i = 0; i < 20; ++i)
    doubling["level" + std::to_string(i) + ".txt"] = Repeat("#include \"level" + std::to_string(i + 1) + ".txt\"\n", 2);
  doubling["level20.txt"] = "#define LEAF 1\n";
  for (int i = 0; i < 600; ++i) many["many.txt"] += "#define I" + std::to_string(i) + " v\n";
  for (int i = 0; i < 500; ++i) many["main.txt"] += "#define M" + std::to_string(i) + " v\n";
  many["main.txt"] += "#include \"many.txt\"\n#define AFTER v\n";
  const std::string depth = std::to_string(kLineIncludeDepth);
  EXPECT_EQ(Expand({{"self.txt", "#define S 1\n#include \"SELF.TXT\"\n#include \"./self.txt\"\n$(S)"}}, "self.txt"),
            "1| definitions 1 last S failed requests 1");
  EXPECT_EQ(Expand(chain, "chain0.txt"), " definitions " + std::to_string(1 + kLineIncludeDepth) + " last C" + depth +
                                             " failed requests " + std::to_string(1 + kLineIncludeDepth));
  EXPECT_EQ(Expand(doubling, "level0.txt"), " definitions 0 failed requests " + std::to_string(1 + kLineIncludeBudget));
  EXPECT_EQ(Expand(many, "main.txt"), " definitions " + std::to_string(kLineDefinitionCount) + " last I499 requests 2");
}

// A reader that keeps directive lines for itself, as a subclass may.
class DeliveringReader : public LineReader {
 public:
  bool OnDirective(const char* line) override { return line[0] == '#' || LineReader::OnDirective(line); }
};

TEST(LineReaderTest, OnDirectiveDecidesWhichExpandedLinesAreDelivered) {
  DeliveringReader reader;
  ASSERT_TRUE(reader.SetText("#define A 1\n  $(A,0)\n"));
  EXPECT_EQ(AllLines(reader, true), (std::vector<std::string>{"#define A 1", "0"}));
}

}  // namespace
