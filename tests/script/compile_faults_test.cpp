// Script faults say so on standard error, naming the file and line they stand
// in: a script that does not compile in one line (tables/compile_faults.txt);
// one that compiles but holds a fault the interpreter meets only when it gets
// there in one line at load, and, when that fault is met, in the line before
// the copy of its "Script Error" box (tables/latent_faults.txt). Both through
// the program's engine.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <new>
#include <sstream>
#include <string>
#include <vector>

#include "platform/system/error_lines.h"
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
  std::vector<std::string> calls;  // functions called after the compile, in order
  std::string expected;            // standard error, line by line
};

std::vector<CompileCase> ReadCases(const std::string& table) {
  std::vector<CompileCase> cases;
  std::istringstream lines(ReadTextFile(std::filesystem::path(T3D_SOURCE_DIR) / "tests/script/tables" / table));
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
    } else if (line.rfind("! ", 0) == 0) {
      cases.back().calls.push_back(line.substr(2));
      text = nullptr;
    } else if (line.rfind("> ", 0) == 0) {
      cases.back().expected += line.substr(2) + "\n";
      text = nullptr;
    } else if (text) {
      *text += line + "\n";
    }
  }
  return cases;
}

struct Played {
  EErrorCode code;
  std::string printed;
};

// Compiles the case's source in an engine of its own, whose include reader
// serves the case's files, then calls its functions.
Played Play(const CompileCase& c) {
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
  // Each case stands for a game of its own: the lines of one said before do
  // not hold back its lines.
  ForgetWrittenErrorLines();
  testing::internal::CaptureStderr();
  const EErrorCode code = engine.CompileScript(c.source.c_str(), c.path.c_str(), c.fileLines);
  for (const std::string& name : c.calls) engine.CallFunction(engine.FindFunction(name.c_str()), nullptr, 0);
  return {code, testing::internal::GetCapturedStderr()};
}

// Plays every case of `table`, whose sources compile or fail as `compiles`
// says, and compares standard error whole.
void ExpectEachCase(const std::string& table, bool compiles) {
  const std::vector<CompileCase> cases = ReadCases(table);
  ASSERT_GE(cases.size(), 15u);
  for (const CompileCase& c : cases) {
    const Played played = Play(c);
    EXPECT_EQ(compiles, played.code == ERR_NONE) << c.name;
    EXPECT_EQ(c.expected, played.printed) << c.name;
  }
}

TEST(CompileFaults, EachPrintsOneLineNamingItsFileAndLine) { ExpectEachCase("compile_faults.txt", false); }

TEST(CompileFaults, LatentFaultsAreNamedAtLoadAndWhereTheirBoxMarks) { ExpectEachCase("latent_faults.txt", true); }

}  // namespace
