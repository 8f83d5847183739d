// Data-driven class cases: every line "FRAGMENT => EXPECTED" of cases/*.txt is
// run and the whole file, answers included, must come out as written.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "classes/class_runner.h"
#include "platform/system/content_path.h"
#include "platform/system/temp_folder.h"

namespace {

namespace fs = std::filesystem;

const fs::path kCases = fs::path(T3D_SOURCE_DIR) / "tests/classes/cases";

std::string ReadAll(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

std::vector<std::string> CaseNames() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(kCases))
    if (entry.path().extension() == ".txt") names.push_back(entry.path().stem().string());
  std::sort(names.begin(), names.end());
  return names;
}

class ClassCase : public testing::TestWithParam<std::string> {};

TEST_P(ClassCase, AnswersMatchTheCaseFile) {
  // Settings go to a fresh program folder for each file.
  TempFolder folder;
  SetProgramDir(folder.path());
  const std::string expected = ReadAll(kCases / (GetParam() + ".txt"));
  EXPECT_EQ(RunClassCases(expected), expected);
  SetProgramDir("");
}

INSTANTIATE_TEST_SUITE_P(Cases, ClassCase, testing::ValuesIn(CaseNames()),
                         [](const testing::TestParamInfo<std::string>& param) { return param.param; });

}  // namespace
