// Data-driven script cases: cases/NAME.csc runs through the script driver and
// its whole output must equal cases/NAME.expected. A first line
// "// run: FUNCTION ARG..." chooses the function and its arguments.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "script/script_runner.h"
#include "support/case_files.h"

namespace {

namespace fs = std::filesystem;

const fs::path kCases = fs::path(T3D_SOURCE_DIR) / "tests/script/cases";

std::vector<std::string> CaseNames() {
  return ListCases(kCases, ".csc");
}

class ScriptCase : public testing::TestWithParam<std::string> {};

TEST_P(ScriptCase, OutputMatchesExpected) {
  const fs::path source = kCases / (GetParam() + ".csc");
  std::string function = "main";
  std::vector<std::string> args;
  const std::string text = ReadTextFile(source);
  std::istringstream firstLine(text.substr(0, text.find('\n')));
  std::string word;
  if (firstLine >> word && word == "//" && firstLine >> word && word == "run:") {
    firstLine >> function;
    while (firstLine >> word) args.push_back(word);
  }
  const fs::path expected = kCases / (GetParam() + ".expected");
  ASSERT_TRUE(fs::exists(expected)) << "missing " << expected;
  EXPECT_EQ(ReadTextFile(expected), RunScriptFile(source.string(), function, args));
}

INSTANTIATE_TEST_SUITE_P(Cases, ScriptCase, testing::ValuesIn(CaseNames()),
                         [](const testing::TestParamInfo<std::string>& param) { return param.param; });

}  // namespace
