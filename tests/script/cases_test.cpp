// Data-driven script cases: cases/NAME.csc runs through the script driver and
// its whole output must equal cases/NAME.expected. A first line
// "// run: FUNCTION ARG..." chooses the function and its arguments.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <cstdio>

namespace {

namespace fs = std::filesystem;

const fs::path kCases = fs::path(T3D_SOURCE_DIR) / "tests/script/cases";

std::string ReadAll(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

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
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(kCases))
    if (entry.path().extension() == ".csc") names.push_back(entry.path().stem().string());
  std::sort(names.begin(), names.end());
  return names;
}

class ScriptCase : public testing::TestWithParam<std::string> {};

TEST_P(ScriptCase, OutputMatchesExpected) {
  const fs::path source = kCases / (GetParam() + ".csc");
  std::string function = "main";
  std::vector<std::string> args;
  const std::string text = ReadAll(source);
  std::istringstream firstLine(text.substr(0, text.find('\n')));
  std::string word;
  if (firstLine >> word && word == "//" && firstLine >> word && word == "run:") {
    firstLine >> function;
    while (firstLine >> word) args.push_back(word);
  }
  const fs::path expected = kCases / (GetParam() + ".expected");
  ASSERT_TRUE(fs::exists(expected)) << "missing " << expected;
  EXPECT_EQ(ReadAll(expected), RunDriver(source, function, args));
}

INSTANTIATE_TEST_SUITE_P(Cases, ScriptCase, testing::ValuesIn(CaseNames()),
                         [](const testing::TestParamInfo<std::string>& param) { return param.param; });

}  // namespace
