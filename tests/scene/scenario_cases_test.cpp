// Data-driven scenario runs: cases/NAME.csc is the root scenario of a fresh
// program folder, run against a recording scene; the trace of scene calls,
// script marks and errors must equal cases/NAME.expected.
//
// The recording scene: a scene file whose name holds "missing" fails to load;
// one holding "quit" ends as the window's quit message does, "nodevice" as
// without a device. During each run it calls the root script's "DuringScene"
// when there is one. Scripts mark the trace with Trace.Log(text) and reach
// the scene's class object as Scene.Mark(text).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/case_files.h"
#include "classes/class_object.h"
#include "classes/script_classes.h"
#include "platform/system/content_path.h"
#include "platform/system/temp_folder.h"
#include "run_harness.h"
#include "scene/scenario_runtime.h"

namespace {

namespace fs = std::filesystem;

const fs::path kCases = fs::path(T3D_SOURCE_DIR) / "tests/scene/cases";

// Trace.Log(text) and Scene.Mark(text) both append a line to the trace.
class MarkClass : public ClassObject {
 public:
  MarkClass(const char* name, const char* prefix, std::string& trace)
      : ClassObject(name, {{MK_Method, SVT_None, name[0] == 'T' ? "Log" : "Mark", 0, 1}}),
        prefix_(prefix),
        trace_(trace) {}
  bool CallMethod(int member, void*, ScriptValue&, ScriptValue* args, int, CCScript& engine) override {
    if (member != 0) return false;
    trace_ += prefix_ + ArgText(engine, args[0]) + "\n";
    return true;
  }

 private:
  std::string prefix_;
  std::string& trace_;
};

class RecordingScene : public ScenarioScene {
 public:
  RecordingScene(std::string& trace, std::string programDir) : trace_(trace), programDir_(std::move(programDir)) {}
  void Attach(ScenarioRuntime* runtime) { runtime_ = runtime; }

  void ClearScene() override { trace_ += "clear\n"; }
  bool LoadScene(const std::string& path) override {
    name_ = path.compare(0, programDir_.size(), programDir_) == 0 ? path.substr(programDir_.size()) : path;
    trace_ += "load " + name_ + "\n";
    return name_.find("missing") == std::string::npos;
  }
  int Run() override {
    trace_ += "run " + name_ + "\n";
    if (ScriptFunction* during = runtime_->FindFunction("DuringScene")) runtime_->CallFunction(during, nullptr, 0);
    if (name_.find("quit") != std::string::npos) return kRunQuit;
    if (name_.find("nodevice") != std::string::npos) return kRunNoDevice;
    return 0;
  }
  NativeClass* GetSceneClass() override { return &sceneClass_; }

 private:
  std::string& trace_;
  std::string programDir_;
  std::string name_;
  ScenarioRuntime* runtime_ = nullptr;
  MarkClass sceneClass_{"Scene", "scene ", trace_};
};

std::string RunCase(const std::string& name) {
  TempFolder folder;
  folder.Write("RootScenairo.csc", ReadTextFile(kCases / (name + ".csc")));
  SetProgramDir(folder.path());
  std::string trace;
  UseGameScriptClasses();
  {
    MarkClass traceClass("Trace", "", trace);
    RecordingScene scene(trace, folder.path());
    TracingRuntime runtime(trace, "");
    scene.Attach(&runtime);
    runtime.RegisterClass(scene.GetSceneClass());
    runtime.RegisterClass(&traceClass);
    const bool loaded = runtime.LoadScenario("RootScenairo.csc");
    trace += std::string("loaded ") + (loaded ? "1" : "0") + "\n";
    if (loaded) {
      runtime.RunScenario(scene);
      trace += std::string("ended running ") + (runtime.IsRunning() ? "1" : "0") + " scene file \"" +
               runtime.GetSceneFile() + "\"\n";
    }
  }
  SetProgramDir("");
  return trace;
}

std::vector<std::string> CaseNames() {
  return ListCases(kCases, ".csc");
}

class ScenarioCase : public testing::TestWithParam<std::string> {};

TEST_P(ScenarioCase, TraceMatchesExpected) {
  EXPECT_EQ(RunCase(GetParam()), ReadTextFile(kCases / (GetParam() + ".expected")));
}

INSTANTIATE_TEST_SUITE_P(Cases, ScenarioCase, testing::ValuesIn(CaseNames()),
                         [](const testing::TestParamInfo<std::string>& param) { return param.param; });

}  // namespace
