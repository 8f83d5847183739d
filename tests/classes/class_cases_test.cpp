// Data-driven class cases: every line "FRAGMENT => EXPECTED" of cases/*.txt is
// run and the whole file, answers included, must come out as written.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/case_files.h"
#include "classes/class_runner.h"
#include "platform/system/content_path.h"
#include "platform/system/temp_folder.h"

namespace {

namespace fs = std::filesystem;

const fs::path kCases = fs::path(T3D_SOURCE_DIR) / "tests/classes/cases";

std::vector<std::string> CaseNames() {
  return ListCases(kCases, ".txt");
}

class ClassCase : public testing::TestWithParam<std::string> {};

TEST_P(ClassCase, AnswersMatchTheCaseFile) {
  // Settings go to a fresh program folder for each file.
  TempFolder folder;
  SetProgramDir(folder.path());
  const std::string expected = ReadTextFile(kCases / (GetParam() + ".txt"));
  EXPECT_EQ(RunClassCases(expected), expected);
  SetProgramDir("");
}

INSTANTIATE_TEST_SUITE_P(Cases, ClassCase, testing::ValuesIn(CaseNames()),
                         [](const testing::TestParamInfo<std::string>& param) { return param.param; });

}  // namespace
