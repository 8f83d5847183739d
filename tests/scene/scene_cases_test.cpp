// Data-driven scene cases (see cases/README): cases/steps/NAME.steps drives a
// scene over the scene files of cases/scenes and the classes of cases/classes;
// its trace must equal cases/steps/NAME.trace.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/case_files.h"
#include "scene/scene_steps.h"

namespace {

namespace fs = std::filesystem;

const fs::path kCases = fs::path(T3D_SOURCE_DIR) / "tests/scene/cases";

std::vector<std::string> CaseNames() {
  return ListCases(kCases / "steps", ".steps");
}

class SceneCase : public testing::TestWithParam<std::string> {};

// SCENE_CASES_WRITE=1 writes the traces of new cases (never over an existing
// one: expected values are worked out by hand and reviewed).
TEST_P(SceneCase, TraceMatchesExpected) {
  const fs::path expected = kCases / "steps" / (GetParam() + ".trace");
  const std::string trace = RunSceneSteps(ReadTextFile(kCases / "steps" / (GetParam() + ".steps")), kCases.string() + "/");
  if (!fs::exists(expected) && std::getenv("SCENE_CASES_WRITE") != nullptr) {
    std::ofstream(expected, std::ios::binary) << trace;
    GTEST_SKIP() << "wrote " << expected;
  }
  ASSERT_TRUE(fs::exists(expected)) << "missing " << expected;
  EXPECT_EQ(ReadTextFile(expected), trace);
}

INSTANTIATE_TEST_SUITE_P(Cases, SceneCase, testing::ValuesIn(CaseNames()),
                         [](const testing::TestParamInfo<std::string>& param) { return param.param; });

}  // namespace
