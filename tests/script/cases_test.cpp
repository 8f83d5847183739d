// Data-driven script cases: cases/NAME.csc runs through the script driver and
// its whole output must equal cases/NAME.expected. A first line
// "// run: FUNCTION ARG..." chooses the function and its arguments.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <cstdio>

#include "support/case_files.h"

namespace {

namespace fs = std::filesystem;

const fs::path kCases = fs::path(T3D_SOURCE_DIR) / "tests/script/cases";

// Each case runs in a process of its own, through the script-run tool itself:
// member-name ids depend on what a process registered before.
std::string RunDriver(const fs::path& source, const std::string& function, const std::vector<std::string>& args) {
  std::string command = std::string(T3D_SCRIPT_RUN) + " '" + source.string() + "' '" + function + "'";
  for (const std::string& arg : args) command += " '" + arg + "'";
  std::string output;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
    pclose(pipe);
  }
  return output;
}

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
  EXPECT_EQ(ReadTextFile(expected), RunDriver(source, function, args));
}

INSTANTIATE_TEST_SUITE_P(Cases, ScriptCase, testing::ValuesIn(CaseNames()),
                         [](const testing::TestParamInfo<std::string>& param) { return param.param; });

}  // namespace
