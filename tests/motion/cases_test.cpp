// Data-driven motion cases in cases/ (see cases/README):
//   NAME.track  track commands            -> NAME.out      their output
//   NAME.motion <Motion> elements with keys -> NAME.written  parse result and the motions written back
//   NAME.cases  a case-table file          -> NAME.records  the records per motion
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/case_files.h"
#include "motion/motion_dump.h"

namespace {

namespace fs = std::filesystem;

const fs::path kCases = fs::path(T3D_SOURCE_DIR) / "tests/motion/cases";

std::vector<std::string> CaseNames(const char* extension) {
  return ListCases(kCases, extension);
}

std::string CaseName(const testing::TestParamInfo<std::string>& param) { return param.param; }

// Set MOTION_CASES_WRITE=1 to (re)write the expected files from the current
// results, for review before committing.
void Compare(const fs::path& expected, const std::string& actual) {
  if (std::getenv("MOTION_CASES_WRITE") != nullptr) {
    std::ofstream(expected, std::ios::binary) << actual;
    return;
  }
  ASSERT_TRUE(fs::exists(expected)) << "missing " << expected;
  EXPECT_EQ(ReadTextFile(expected), actual);
}

class TrackCase : public testing::TestWithParam<std::string> {};

TEST_P(TrackCase, ValuesMatchExpected) {
  Compare(kCases / (GetParam() + ".out"), RunTrackScript(ReadTextFile(kCases / (GetParam() + ".track"))));
}

INSTANTIATE_TEST_SUITE_P(Cases, TrackCase, testing::ValuesIn(CaseNames(".track")), CaseName);

class KeyTextCase : public testing::TestWithParam<std::string> {};

TEST_P(KeyTextCase, RewrittenFormMatchesExpected) {
  std::string rewritten;
  const std::string written = ParseAndWriteMotions(ReadTextFile(kCases / (GetParam() + ".motion")), &rewritten);
  Compare(kCases / (GetParam() + ".written"), written);
  // What was written reads back to the same keys.
  const std::string body = written.substr(written.find('\n') + 1);
  EXPECT_EQ(body, rewritten) << "the written form does not read back the same";
}

INSTANTIATE_TEST_SUITE_P(Cases, KeyTextCase, testing::ValuesIn(CaseNames(".motion")), CaseName);

class CaseTableCase : public testing::TestWithParam<std::string> {};

TEST_P(CaseTableCase, RecordsMatchExpected) {
  std::vector<std::string> names = {"Stand", "Walk", "Run", "Jump"};
  if (fs::exists(kCases / (GetParam() + ".motions"))) {
    names.clear();
    std::istringstream list(ReadTextFile(kCases / (GetParam() + ".motions")));
    for (std::string name; list >> name;) names.push_back(name);
  }
  std::vector<Motion> motions = MakeMotions(names);
  CaseTable table;
  ASSERT_TRUE(table.Load((kCases / (GetParam() + ".cases")).string(), motions));
  Compare(kCases / (GetParam() + ".records"), DumpCaseTable(table, motions));
}

INSTANTIATE_TEST_SUITE_P(Cases, CaseTableCase, testing::ValuesIn(CaseNames(".cases")), CaseName);

}  // namespace
