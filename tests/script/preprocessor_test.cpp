#include "script/preprocessor.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/system/temp_folder.h"
#include "script/script_tables.h"

namespace {

// Serves includes from memory and records every path asked for.
class PreprocessorTest : public testing::Test {
 protected:
  std::map<std::string, std::string> files_;
  std::string requested_;
  const ScriptFileReader reader_ = [this](const std::string& path, std::uint64_t limit, std::string& out) {
    requested_ += path + ";";
    auto found = files_.find(path);
    if (found == files_.end()) return ScriptFileRead::Missing;
    if (found->second.size() > limit) return ScriptFileRead::TooLarge;
    out = found->second;
    return ScriptFileRead::Read;
  };
};

struct Case {
  std::string text;
  std::string expected;
};

// The cases in tables/preprocess.rows, and the long ones.
TEST_F(PreprocessorTest, CopiesTokensDropsCommentsAndReplacesDefinitions) {
  const std::string longName(70, 'a');
  std::vector<Case> cases = {
      {std::string(3000, 'w'), std::string(3000, 'w')},
      // Names keep 63 characters, values 255: a longer name cannot be matched.
      {"#define " + longName + " 1\n" + longName + " " + std::string(63, 'a'), longName + " 1"},
      {"#define V " + std::string(300, 'v') + "\nV", std::string(255, 'v')},
  };
  for (const auto& row : ScriptTable("preprocess.rows", 2)) cases.push_back({row[0], row[1]});
  ASSERT_GT(cases.size(), 30u);
  for (const Case& c : cases) {
    std::string output = "stale";
    std::vector<PreprocessorDefinition> definitions;
    EXPECT_TRUE(Preprocess(c.text.c_str(), output, {}, definitions, reader_)) << c.text;
    EXPECT_EQ(output, c.expected) << c.text;
  }
}

TEST_F(PreprocessorTest, DefinitionRowsAreSharedInAndOut) {
  std::vector<PreprocessorDefinition> definitions = {{"OLD", "7"}};
  std::string output;
  ASSERT_TRUE(Preprocess("#define NEW 8\n#define E\nOLD NEW", output, {}, definitions, reader_));
  for (const PreprocessorDefinition& definition : definitions) output += " " + definition.name + "=" + definition.value;
  EXPECT_EQ(output, "7 8 OLD=7 NEW=8 E=");
}

TEST_F(PreprocessorTest, IncludeInsertsTheFileFromTheFirstFolderHoldingIt) {
  files_ = {{"dir/lib.txt", "#define W 3\nL1 V\n"}, {"dir/lib", "NOEXT"}, {"other/x.h", "X"},
            {"self.h", "a #include \"self.h\""}, {"ping.h", "#include \"pong.h\""}, {"pong.h", "#include \"ping.h\""}};
  for (const auto& row : ScriptTable("includes.rows", 3)) {
    std::string output;
    std::vector<PreprocessorDefinition> definitions;
    requested_.clear();
    if (!Preprocess(row[0].c_str(), output, {"dir/", "other/", ""}, definitions, reader_)) output = "<fails>";
    EXPECT_EQ(output + " " + (row[2] == "-" ? "-" : requested_), row[1] + " " + row[2]) << row[0];
  }
}

TEST_F(PreprocessorTest, IncludesNestToTheDepthLimit) {
  // file1 includes file2 ... fileN, which is plain text.
  auto chain = [this](int n) {
    files_.clear();
    for (int i = 1; i < n; ++i) files_["file" + std::to_string(i)] = "#include file" + std::to_string(i + 1);
    files_["file" + std::to_string(n)] = "end";
  };
  std::vector<PreprocessorDefinition> definitions;
  std::string output;
  chain(kMaxIncludeDepth);
  EXPECT_TRUE(Preprocess("#include file1", output, {""}, definitions, reader_));
  EXPECT_EQ(output, "end");
  chain(kMaxIncludeDepth + 1);
  EXPECT_FALSE(Preprocess("#include file1", output, {""}, definitions, reader_));
}

// i0 to i30 each include the next twice: 2^31 readings, each adding a byte,
// that neither the depth nor the output bound would stop for minutes. The
// reader gives up after a few thousand itself, so that without a budget this
// fails quickly instead of running on.
TEST_F(PreprocessorTest, IncludesPastTheBudgetFailBeforeTheyAreRead) {
  for (int i = 0; i < 30; ++i) {
    const std::string next = "i" + std::to_string(i + 1);
    files_["i" + std::to_string(i)] = "#include " + next + "\n#include " + next + "\n";
  }
  files_["i30"] = "x";
  int reads = 0;
  const ScriptFileReader counting = [&](const std::string& path, std::uint64_t limit, std::string& out) {
    return ++reads <= 5000 ? reader_(path, limit, out) : ScriptFileRead::Missing;
  };
  std::string output;
  std::vector<PreprocessorDefinition> definitions;
  SourceLines lines;
  EXPECT_FALSE(Preprocess("#include i0", output, {""}, definitions, counting, &lines));
  EXPECT_LE(reads, kMaxIncludes + 1);
  // The one that went past is reported as an include that could not be read.
  EXPECT_EQ(lines.faultInclude.rfind('i', 0), 0u) << lines.faultInclude;
  EXPECT_GT(lines.fault.file, 0);
}

TEST_F(PreprocessorTest, OutputBeyondTheSizeLimitFails) {
  files_["big"] = std::string(std::size_t{1} << 20, 'b');
  std::string text;
  for (std::size_t i = 0; i <= (kMaxPreprocessedSize >> 20); ++i) text += "#include big\n";
  std::string output;
  std::vector<PreprocessorDefinition> definitions;
  EXPECT_FALSE(Preprocess(text.c_str(), output, {""}, definitions, reader_));
}

TEST(ScriptFileReader, DefaultReadsRegularFilesFromDiskWithEitherSeparator) {
  TempFolder folder;
  ASSERT_FALSE(folder.path().empty());
  const std::string base = folder.Write("sub/lib.txt", "A\r\nB").substr(0, folder.path().size() - 1);
  std::string out;
  EXPECT_EQ(ScriptFileRead::Read, ReadScriptFile({}, base + "\\sub\\lib.txt", 4, out));
  EXPECT_EQ(out, "A\r\nB");
  EXPECT_EQ(ScriptFileRead::Missing, ReadScriptFile({}, base + "/sub", 4, out));
  EXPECT_EQ(ScriptFileRead::Missing, ReadScriptFile({}, base + "/sub/none.txt", 4, out));
  // One byte more than the limit is refused, and nothing is handed out.
  out = "<none>";
  EXPECT_EQ(ScriptFileRead::TooLarge, ReadScriptFile({}, base + "/sub/lib.txt", 3, out));
  EXPECT_EQ(out, "<none>");
  std::vector<PreprocessorDefinition> definitions;
  EXPECT_TRUE(Preprocess("#include \"lib.txt\"", out, {base + "\\sub\\"}, definitions, {}));
  EXPECT_EQ(out, "A\r\nB");
}

// Include names are content names: found by the one disk lookup, whatever
// byte ends a character, in whichever form and letter case the disk has them.
TEST(ScriptFileReader, DefaultFindsContentNamesAsTheDiskLookupDoes) {
  TempFolder folder;
  ASSERT_FALSE(folder.path().empty());
  folder.Write("表/能力.csc", "A");  // UTF-8 names on the disk, as unpacking tools write them
  folder.Write("一覧.csc", "B");
  const std::vector<Case> cases = {
      {"\x95\x5C\\\x94\x5C\x97\xCD.csc", "A"},  // "表\能力.csc": both second bytes are 0x5C
      {"\x88\xEA\x97\x97.CSC", "B"},              // "一覧.CSC": no such byte, another letter case
  };
  for (const Case& c : cases) {
    std::string out = "<none>";
    ReadScriptFile({}, folder.path() + c.text, 1, out);
    EXPECT_EQ(out, c.expected) << c.text;
  }
}

}  // namespace
