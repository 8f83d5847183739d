// Whole games run headless: cases/games/NAME/ is a program folder (root
// scenario, scene files, classes) run on the virtual clock with the Test class
// in both engines; the trace of its calls must equal its expected.trace.
// An optional "input" file scripts the host, one line each:
//   key POLL CODE 1|0      the key goes down (1) or up (0) at that poll
//   pad POLL WORD          pad 0 gives the word from that poll on
//   quit PUMP              the window asks to quit at that message pump
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "classes/script_classes.h"
#include "platform/system/content_path.h"
#include "platform/system/temp_folder.h"
#include "run_harness.h"
#include "scene/scenario_runtime.h"
#include "support/case_files.h"

namespace {

namespace fs = std::filesystem;

const fs::path kGames = fs::path(T3D_SOURCE_DIR) / "tests/scene/cases/games";

class QuietRuntime : public ScenarioRuntime {
 public:
  explicit QuietRuntime(std::string& trace) : trace_(trace) {}
  bool OnError(int, int, int code) override {
    trace_ += "root error " + std::to_string(code) + "\n";
    return false;
  }

 private:
  std::string& trace_;
};

void ScriptHost(RunHarness& harness, const std::string& text) {
  std::istringstream lines(text);
  std::string op;
  while (lines >> op) {
    long long a = 0, b = 0, c = 0;
    if (op == "key" && lines >> a >> b >> c) harness.input.KeyAt(static_cast<int>(a), static_cast<int>(b), c != 0);
    else if (op == "pad" && lines >> a >> b) harness.input.PadAt(static_cast<int>(a), static_cast<std::uint32_t>(b));
    else if (op == "quit" && lines >> a) harness.window.QuitAtPump(static_cast<int>(a));
  }
}

std::string RunGame(const std::string& name) {
  TempFolder folder;
  for (const auto& entry : fs::recursive_directory_iterator(kGames / name)) {
    if (!entry.is_regular_file() || entry.path().filename() == "expected.trace") continue;
    folder.Write(fs::relative(entry.path(), kGames / name).string(), ReadTextFile(entry.path()));
  }
  SetProgramDir(folder.path());
  std::string trace;
  UseGameScriptClasses();
  {
    RunHarness harness;
    if (fs::exists(kGames / name / "input")) ScriptHost(harness, ReadTextFile(kGames / name / "input"));
    QuietRuntime runtime(harness.trace);
    runtime.RegisterClass(harness.scene.GetSceneClass());
    runtime.RegisterClass(static_cast<NativeClass*>(&harness.test));
    if (runtime.LoadScenario("RootScenairo.csc")) {
      runtime.RunScenario(harness.scene);
      harness.trace += "ended at " + std::to_string(harness.clock.NowMs()) + " ms\n";
    } else {
      harness.trace += "root scenario does not load\n";
    }
    trace = harness.trace;
  }
  SetProgramDir("");
  return trace;
}

std::vector<std::string> GameNames() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(kGames))
    if (entry.is_directory()) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

class GameCase : public testing::TestWithParam<std::string> {};

TEST_P(GameCase, TraceMatchesExpected) {
  EXPECT_EQ(RunGame(GetParam()), ReadTextFile(kGames / GetParam() / "expected.trace"));
}

INSTANTIATE_TEST_SUITE_P(Games, GameCase, testing::ValuesIn(GameNames()),
                         [](const testing::TestParamInfo<std::string>& param) { return param.param; });

}  // namespace
