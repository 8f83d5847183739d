// Scene and class files that fail in part, in cases/faults/: NAME.scn is
// loaded into a fresh scene, with the program folder there, and what standard
// error is told must equal NAME.said after the load's answer and what the
// scene then holds (classes, casts, frame rate): the failure keeps its effect,
// and its author reads one line for it, naming the file as the content does.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/system/content_path.h"
#include "scene/scene.h"
#include "support/case_files.h"

namespace {

namespace fs = std::filesystem;

const fs::path kFaults = fs::path(T3D_SOURCE_DIR) / "tests/scene/cases/faults";

class SceneFaultCase : public testing::TestWithParam<std::string> {
 protected:
  void SetUp() override { SetProgramDir(kFaults.string()); }
  void TearDown() override { SetProgramDir(""); }
};

TEST_P(SceneFaultCase, EachFailureTellsItsFileOnceAndKeepsItsEffect) {
  Scene scene;
  testing::internal::CaptureStderr();
  const bool loaded = scene.LoadScene(ProgramDir() + GetParam() + ".scn");
  const std::string said = testing::internal::GetCapturedStderr();
  const std::string result = "load " + std::to_string(loaded) + " classes " + std::to_string(scene.ClassCount()) +
                             " casts " + std::to_string(scene.CastCount()) + " fps " +
                             std::to_string(scene.GetFps()) + "\n" + said;
  EXPECT_EQ(GoldenText(kFaults / (GetParam() + ".said"), result), result);
}

INSTANTIATE_TEST_SUITE_P(Cases, SceneFaultCase, testing::ValuesIn(ListCases(kFaults, ".scn")),
                         [](const testing::TestParamInfo<std::string>& param) { return param.param; });

}  // namespace
