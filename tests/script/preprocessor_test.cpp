#include "script/preprocessor.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>

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

TEST_F(PreprocessorTest, CopiesTokensDropsCommentsAndReplacesDefinitions) {
  const std::string longName(70, 'a');
  const std::string name63(63, 'a');
  const std::string longValue(300, 'v');
  const Case cases[] = {
      {"a  b\tc", "a  b c"},
      {"a // comment\nb", "a \nb"},
      {"x=1; // c\r\ny", "x=1; \ny"},  // the carriage return belongs to the comment
      {"#define N 10\nx = N;", "x = 10;"},
      {"#define N 10\n#define M N\nM", "N"},  // a value is not scanned again
      {"#define H 1.5\nH", "1"},              // the value is one token
      {"#define A -1\nA", "-"},
      {"#define A 1 2 3\nA", "1"},
      {"#define A 1\n#define A 2\nA", "2"},
      {"#define Q 5\n\"Q\" 'Q'", "\"5\" '5'"},  // words between quotes are replaced too
      {"#define S \"x y\"\nS", "\""},
      {"#define E\nx E y", "x  y"},            // no value: empty, next line kept
      {"#define E\r\nx\r\n", "x\r\n"},
      {"#define E", ""},
      {"#define E // note\nx E", "x "},
      {"#define \nx", "x"},                    // no name: nothing defined
      {"#define", ""},
      // After a directive's line end, one line feed and then one carriage
      // return are dropped as well.
      {"#define A 1\n\nA", "1"},
      {"#define A 1\r\n\r\nA", "\n1"},
      {"#define A 1\n  \n  A", "  1"},
      {"#ifdef X\nfoo\n#endif\n", "foo\n"},
      {"#pragma once // c\nx", "x"},
      {"#undef A\n#if 0\n#elif\n#else\n#error e\n#line 5\nz", "z"},
      {"#defined x", "#defined x"},
      {"a\"b // c\"\nd", "a\"b \nd"},          // a comment inside quotes still starts
      {"0X1f+0x2", "0X1f+0x2"},
      {"\x82/\x82/ a", "\x82/\x82/ a"},        // trail bytes equal to '/' start no comment
      {"a//\x82\nb", "a"},                      // a pair in a comment hides the line feed
      {"a\x82", "a\x82"},
      {std::string(3000, 'w'), std::string(3000, 'w')},
      // Names keep 63 characters, values 255: a longer name cannot be matched.
      {"#define " + longName + " 1\n" + longName + " " + name63, longName + " 1"},
      {"#define V " + longValue + "\nV", std::string(255, 'v')},
  };
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
