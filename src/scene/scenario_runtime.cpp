// The root scenario: loading, the outer loop and the Scenario members.
#include "scene/scenario_runtime.h"

#include <string>

#include "files/archive.h"
#include "platform/system/safe_string.h"

ScenarioRuntime::ScenarioRuntime()
    : ClassObject("Scenario", {
                                  {MK_ReadWrite, SVT_String, "SceneFile", 0, 0},
                                  {MK_Method, SVT_None, "Exit", 0, 0},
                                  {MK_Method, SVT_Number, "AddArchiveFile", 0, 1},
                              }) {
  // The order of the original: System, Math, Sound, Storage, Scenario. The
  // Sound class object joins between Math and Storage when sound exists.
  RegisterClass(&system_);
  RegisterClass(&math_);
  RegisterClass(&storage_);
  RegisterClass(this);
}

bool ScenarioRuntime::LoadScenario(const char* name) {
  // The whole path, never cut: a cut path could name another file.
  const std::string path = GetProgramDir() + (name ? name : "");
  FileData text;
  if (!LoadFile(path, text)) return false;
  return CompileScript(text.data(), path.c_str()) == ERR_NONE;
}

void ScenarioRuntime::CallIfPresent(const char* function) {
  // A run-time error is reported by the engine's handler; the loop goes on.
  if (ScriptFunction* found = FindFunction(function)) CallFunction(found, nullptr, 0);
}

void ScenarioRuntime::RunScenario(ScenarioScene& scene) {
  scenarioRunning_ = true;
  CallIfPresent("OnBegin");
  while (scenarioRunning_ && sceneFile_[0] != '\0') {
    const std::string path = GetProgramDir() + sceneFile_;
    scene.ClearScene();
    if (!scene.LoadScene(path)) return;  // ends the scenario: neither OnEndScene nor OnEnd
    const int result = scene.Run();
    ScriptFunction* onEndScene = FindFunction("OnEndScene");
    if (!onEndScene) break;
    CallFunction(onEndScene, nullptr, 0);
    // Once the window has quit (or when there is no device) every later
    // scene would end at once, and a script that keeps naming scenes would
    // keep a program without a window alive: the scenario ends here.
    // A scene that fails before its loop returns its own code, so the
    // window's quit is asked of the scene as well.
    if (result == ScenarioScene::kRunQuit || result == ScenarioScene::kRunNoDevice || scene.QuitRequested()) break;
  }
  CallIfPresent("OnEnd");
}

bool ScenarioRuntime::GetProperty(int member, void*, ScriptValue& out, CCScript&) {
  if (member != kSceneFile) return false;
  if (sceneFile_[0] != '\0') out.SetString(sceneFile_);
  return true;
}

bool ScenarioRuntime::SetProperty(int member, void*, const ScriptValue& in, CCScript& engine) {
  if (member != kSceneFile) return false;
  // A value without a text form (such as empty) empties the name, which ends
  // the scenario after the running scene.
  std::string text;
  SafeStrCopy(sceneFile_, TryArgText(engine, in, text) ? text.c_str() : "", sizeof sceneFile_);
  return true;
}

bool ScenarioRuntime::CallMethod(int member, void*, ScriptValue& result, ScriptValue* args, int,
                                 CCScript& engine) {
  switch (member) {
    case kExit:
      scenarioRunning_ = false;
      return true;
    case kAddArchiveFile:
      result.SetNumber(GetArchiveManager().AddArchiveFile(ArgText(engine, args[0])) ? 1 : 0);
      return true;
    default:
      return false;
  }
}
