// Root scenarios run against a recording scene, and whole games run headless.
//
// cases/NAME.csc is the root scenario of a fresh program folder, run against a
// recording scene; the trace of scene calls, script marks and errors must
// equal cases/NAME.expected. A scene file whose name holds "missing" fails to
// load; one holding "quit" ends as the window's quit message does,
// "nodevice" as without a device. During each run the scene calls the root
// script's "DuringScene" when there is one. Scripts mark the trace with
// Trace.Log(text) and reach the scene's class object as Scene.Mark(text).
//
// cases/games/NAME/ is a program folder (root scenario, scene files, classes)
// run on the virtual clock with the Test class in both engines; the trace of
// its calls must equal its expected.trace.
// An optional "input" file scripts the host, one line each:
//   key POLL CODE 1|0      the key goes down (1) or up (0) at that poll
//   pad POLL WORD          pad 0 gives the word from that poll on
//   quit PUMP              the window asks to quit at that message pump
// Both engines are handed the program's managers: an input manager and a
// sound manager that writes each call into the trace ("sound ..."). With a
// "devices" file the host reads the input manager, as the program does, over
// a device scripted by its lines, and steps the sound manager each frame
// (their count ends the trace):
//   key READ CODE 1|0      the key goes down (1) or up (0) from that read of the device
//   button READ N 1|0      joystick button N, the same
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "classes/class_object.h"
#include "classes/script_classes.h"
#include "input/input_manager.h"
#include "platform/system/content_path.h"
#include "platform/system/temp_folder.h"
#include "run_harness.h"
#include "files/archive.h"
#include "scene/scenario_runtime.h"
#include "scene/session_replay.h"
#include "support/case_files.h"
#include "support/manager_stand_ins.h"

namespace {

namespace fs = std::filesystem;

const fs::path kCases = fs::path(T3D_SOURCE_DIR) / "tests/scene/cases", kGames = kCases / "games";

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

std::string RunScenarioCase(const std::string& name) {
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

// The lines of a game's "input" file (for the host), or of its "devices" file
// when `device` is given.
void ScriptInput(const std::string& text, RunHarness& harness, ScriptedInputDevice* device = nullptr) {
  std::istringstream lines(text);
  std::string op;
  long long a = 0, b = 0, c = 0;
  while (lines >> op >> a) {
    if (op == "quit") {
      harness.window.QuitAtPump(static_cast<int>(a));
    } else if (op == "pad" && lines >> b) {
      harness.input.PadAt(static_cast<int>(a), static_cast<std::uint32_t>(b));
    } else if (lines >> b >> c) {
      if (device && op == "button") device->ButtonAt(static_cast<int>(a), static_cast<int>(b), c != 0);
      else if (device) device->KeyAt(static_cast<int>(a), static_cast<int>(b), c != 0);
      else if (op == "key") harness.input.KeyAt(static_cast<int>(a), static_cast<int>(b), c != 0);
    }
  }
}

// The program's managers as start-up hands them to the scene, the root
// scenario and the run loop.
struct Managers {
  explicit Managers(std::string& trace) : sound(trace, "sound ") {
    auto owned = std::make_unique<ScriptedInputDevice>();
    device = owned.get();
    input.Initialize(std::move(owned));
  }
  ScriptedInputDevice* device = nullptr;
  InputManager input;
  RecordingSoundManager sound;
  ManagerInput inputSource{input};
  ManagerSoundPump soundPump{sound};
};

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
    if (fs::exists(kGames / name / "input")) ScriptInput(ReadTextFile(kGames / name / "input"), harness);
    Managers managers(harness.trace);
    const bool devices = fs::exists(kGames / name / "devices");
    if (devices) {
      ScriptInput(ReadTextFile(kGames / name / "devices"), harness, managers.device);
      RunHost host = harness.scene.GetRunHost();
      host.input = &managers.inputSource;
      host.sound = &managers.soundPump;
      harness.scene.SetRunHost(host);
    }
    // A recording in the folder is replayed over the whole session, as
    // start-up does for the attract sequence.
    std::vector<std::uint32_t> replay;
    std::string error;
    if (LoadPadRecording(GetProgramDir() + "Attract.rec", replay, error) == RecordingLoad::kLoaded)
      harness.scene.SetSessionReplay(std::move(replay));
    TracingRuntime runtime(harness.trace, "root ");
    harness.scene.SetManagers({&managers.input, &managers.sound});
    runtime.SetManagers({&managers.input, &managers.sound});
    runtime.RegisterClass(harness.scene.GetSceneClass());
    runtime.RegisterClass(static_cast<NativeClass*>(&harness.test));
    if (runtime.LoadScenario("RootScenairo.csc")) {
      runtime.RunScenario(harness.scene);
      harness.trace += "ended at " + std::to_string(harness.clock.NowMs()) + " ms\n";
      if (devices) harness.trace += "sound steps " + std::to_string(managers.sound.GetUpdateCount()) + "\n";
    } else {
      harness.trace += "root scenario does not load\n";
    }
    trace = harness.trace;
  }
  SetProgramDir("");
  return trace;
}

class GameCase : public testing::TestWithParam<std::string> {};

TEST_P(GameCase, TraceMatchesExpected) {
  EXPECT_EQ(RunGame(GetParam()), ReadTextFile(kGames / GetParam() / "expected.trace"));
}

INSTANTIATE_TEST_SUITE_P(Games, GameCase, testing::ValuesIn(ListCaseFolders(kGames)),
                         [](const testing::TestParamInfo<std::string>& param) { return param.param; });

class ScenarioCase : public testing::TestWithParam<std::string> {};

TEST_P(ScenarioCase, TraceMatchesExpected) {
  EXPECT_EQ(RunScenarioCase(GetParam()), ReadTextFile(kCases / (GetParam() + ".expected")));
}

INSTANTIATE_TEST_SUITE_P(Cases, ScenarioCase, testing::ValuesIn(ListCases(kCases, ".csc")),
                         [](const testing::TestParamInfo<std::string>& param) { return param.param; });

}  // namespace
