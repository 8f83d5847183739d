// Data-driven script cases: cases/NAME.csc runs through the script driver and
// its whole output must equal cases/NAME.expected. First lines
// "// run: FUNCTION ARG..." choose the functions called and their arguments.
#include <gtest/gtest.h>

#include <filesystem>

#include "script/script_runner.h"
#include "support/case_files.h"

namespace {

namespace fs = std::filesystem;

const fs::path kCases = fs::path(T3D_SOURCE_DIR) / "tests/script/cases";

class ScriptCase : public testing::TestWithParam<std::string> {};

TEST_P(ScriptCase, OutputMatchesExpected) {
  const fs::path source = kCases / (GetParam() + ".csc");
  const std::string output = RunScriptFile(source.string(), ReadRunLines(ReadTextFile(source)));
  EXPECT_EQ(GoldenText(kCases / (GetParam() + ".expected"), output), output);
}

INSTANTIATE_TEST_SUITE_P(Cases, ScriptCase, testing::ValuesIn(ListCases(kCases, ".csc")),
                         [](const testing::TestParamInfo<std::string>& param) { return param.param; });

}  // namespace
