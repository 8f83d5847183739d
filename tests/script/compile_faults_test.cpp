// A script that does not compile says so in one line on standard error,
// naming the file and line the fault stands in: the cases of
// tables/compile_faults.txt through the program's engine.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <new>
#include <sstream>
#include <string>
#include <vector>

#include "script/game_script.h"
#include "script/script_context.h"
#include "support/case_files.h"

namespace {

struct CompileCase {
  std::string name;
  std::string path;
  std::vector<int> fileLines;
  std::string source;
  std::map<std::string, std::string> files;
  std::string expected;
};

std::vector<CompileCase> ReadCases() {
  std::vector<CompileCase> cases;
  std::istringstream lines(ReadTextFile(std::filesystem::path(T3D_SOURCE_DIR) / "tests/script/tables/compile_faults.txt"));
  std::string* text = nullptr;  // where the lines of a source go
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("=== ", 0) == 0) {
      cases.emplace_back().name = line.substr(4);
      text = nullptr;
    } else if (cases.empty()) {
      continue;  // the comment at the top
    } else if (line.rfind("@ ", 0) == 0) {
      std::istringstream words(line.substr(2));
      words >> cases.back().path;
      for (int number = 0; words >> number;) cases.back().fileLines.push_back(number);
      text = &cases.back().source;
    } else if (line.rfind("+ ", 0) == 0) {
      text = &cases.back().files[line.substr(2)];
    } else if (line.rfind("> ", 0) == 0) {
      cases.back().expected = line.substr(2);
      text = nullptr;
    } else if (text) {
      *text += line + "\n";
    }
  }
  return cases;
}

TEST(CompileFaults, EachPrintsOneLineNamingItsFileAndLine) {
  const std::vector<CompileCase> cases = ReadCases();
  ASSERT_GE(cases.size(), 15u);
  for (const CompileCase& c : cases) {
    ScriptContext context;
    context.fileReader = [&c](const std::string& path, std::uint64_t limit, std::string& out) {
      auto found = c.files.find(path);
      if (found == c.files.end()) return ScriptFileRead::Missing;
      const std::string& text = found->second;
      if (text == "!bad_alloc\n") throw std::bad_alloc();
      std::size_t size = text.size();
      std::string fill;
      if (text.rfind("!fill ", 0) == 0) {
        const std::size_t space = text.find(' ', 6);
        size = std::stoull(text.substr(6, space - 6));
        fill = text.substr(space + 1, text.size() - space - 2);  // up to the line's end
      }
      // Told from the size, as a reader must, before anything is made.
      if (size > limit) return ScriptFileRead::TooLarge;
      if (fill.empty()) {
        out = text;
      } else {
        for (out = fill; out.size() < size;) out += out.substr(0, size - out.size());
      }
      return ScriptFileRead::Read;
    };
    GameScript engine(context);
    testing::internal::CaptureStderr();
    const EErrorCode code = engine.CompileScript(c.source.c_str(), c.path.c_str(), c.fileLines);
    const std::string printed = testing::internal::GetCapturedStderr();
    EXPECT_NE(ERR_NONE, code) << c.name;
    EXPECT_EQ(c.expected + "\n", printed) << c.name;
  }
}

}  // namespace
