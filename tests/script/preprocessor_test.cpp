#include "script/preprocessor.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "support/case_files.h"

namespace {

// Serves includes from memory and records every path asked for.
class PreprocessorTest : public testing::Test {
 protected:
  std::map<std::string, std::string> files_;
  std::string requested_;
  const ScriptFileReader reader_ = [this](const std::string& path, std::string& out) {
    requested_ += path + ";";
    auto found = files_.find(path);
    if (found == files_.end()) return false;
    out = found->second;
    return true;
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
  for (const auto& row : ReadTableRows(std::filesystem::path(T3D_SOURCE_DIR) / "tests/script/tables/preprocess.rows")) {
    ASSERT_EQ(row.size(), 2u) << row[0];
    cases.push_back({row[0], row[1]});
  }
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
  EXPECT_EQ(output, "7 8");
  ASSERT_EQ(definitions.size(), 3u);
  EXPECT_EQ(definitions[1].name, "NEW");
  EXPECT_EQ(definitions[1].value, "8");
  EXPECT_EQ(definitions[2].name, "E");
  EXPECT_EQ(definitions[2].value, "");
}

TEST_F(PreprocessorTest, IncludeInsertsTheFileInPlaceOfTheDirective) {
  files_["dir/lib.txt"] = "#define W 3\nL1 V\n";
  files_["dir/lib"] = "NOEXT";
  files_["other/x.h"] = "X";
  const std::vector<std::string> folders = {"dir/", "other/"};
  const Case cases[] = {
      {"#define V 2\n#include \"lib.txt\" tail\nW", "L1 2\n tail\n3"},
      {"#include lib.txt\n", "NOEXT.txt\n"},  // unquoted, the name ends at the point
      {"a #include \"x.h\"", "a X"},
      {"#include \"x.h\"//c\n", "X\n"},
  };
  for (const Case& c : cases) {
    std::string output;
    std::vector<PreprocessorDefinition> definitions;
    EXPECT_TRUE(Preprocess(c.text.c_str(), output, folders, definitions, reader_)) << c.text;
    EXPECT_EQ(output, c.expected) << c.text;
  }
  EXPECT_EQ(requested_, "dir/lib.txt;dir/lib;dir/x.h;other/x.h;dir/x.h;other/x.h;");
}

TEST_F(PreprocessorTest, IncludeFailures) {
  files_["self.h"] = "a #include \"self.h\"";
  files_["ping.h"] = "#include \"pong.h\"";
  files_["pong.h"] = "#include \"ping.h\"";
  const char* texts[] = {
      "#include \"missing.h\"",
      "#include",
      "#include\nx",
      "#include \"\"",
      "#include \"self.h\"",
      "#include \"ping.h\"",
  };
  for (const char* text : texts) {
    std::string output;
    std::vector<PreprocessorDefinition> definitions;
    EXPECT_FALSE(Preprocess(text, output, {""}, definitions, reader_)) << text;
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

TEST_F(PreprocessorTest, OutputBeyondTheSizeLimitFails) {
  files_["big"] = std::string(std::size_t{1} << 20, 'b');
  std::string text;
  for (std::size_t i = 0; i <= (kMaxPreprocessedSize >> 20); ++i) text += "#include big\n";
  std::string output;
  std::vector<PreprocessorDefinition> definitions;
  EXPECT_FALSE(Preprocess(text.c_str(), output, {""}, definitions, reader_));
}

TEST(ScriptFileReader, DefaultReadsRegularFilesFromDiskWithEitherSeparator) {
  char folder[] = "/tmp/preprocessor_testXXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  const std::string base = folder;
  ASSERT_EQ(mkdir((base + "/sub").c_str(), 0700), 0);
  std::FILE* file = std::fopen((base + "/sub/lib.txt").c_str(), "wb");
  ASSERT_NE(file, nullptr);
  std::fputs("A\r\nB", file);
  std::fclose(file);

  std::string out;
  EXPECT_TRUE(ReadScriptFile({}, base + "\\sub\\lib.txt", out));
  EXPECT_EQ(out, "A\r\nB");
  EXPECT_FALSE(ReadScriptFile({}, base + "/sub", out));
  EXPECT_FALSE(ReadScriptFile({}, base + "/sub/none.txt", out));

  std::vector<PreprocessorDefinition> definitions;
  EXPECT_TRUE(Preprocess("#include \"lib.txt\"", out, {base + "\\sub\\"}, definitions, {}));
  EXPECT_EQ(out, "A\r\nB");

  std::remove((base + "/sub/lib.txt").c_str());
  rmdir((base + "/sub").c_str());
  rmdir(folder);
}

}  // namespace
