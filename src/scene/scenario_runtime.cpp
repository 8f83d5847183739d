// The root scenario: loading and the outer loop.
#include "scene/scenario_runtime.h"

#include <string>

#include "files/archive.h"
#include "platform/system/safe_string.h"

ScenarioRuntime::ScenarioRuntime() {
  if (const auto makeClasses = GetScriptClassHooks().scenario) scriptClasses_ = makeClasses(*this);
}

void ScenarioRuntime::SetSceneFile(const char* name) { SafeStrCopy(sceneFile_, name, sizeof sceneFile_); }

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

bool ScenarioRuntime::RunScenario(ScenarioScene& scene) {
  scenarioRunning_ = true;
  CallIfPresent("OnBegin");
  // Once the window has quit (or when there is no device) every later scene
  // would end at once, and a script that keeps naming scenes would keep a
  // program without a window alive: no scene starts after a quit. A scene
  // that fails before its loop returns its own code, and a quit may come
  // while a script runs, so the scene is asked as well.
  while (scenarioRunning_ && sceneFile_[0] != '\0' && !scene.QuitRequested()) {
    const std::string path = GetProgramDir() + sceneFile_;
    scene.ClearScene();
    if (!scene.LoadScene(path)) return false;  // ends the scenario: neither OnEndScene nor OnEnd
    const int result = scene.Run();
    // Like a scene that cannot load, a game whose scenes cannot start their
    // drawing ends at once, and start-up makes it a failed run.
    if (result == ScenarioScene::kRunNoRenderResources) return false;
    ScriptFunction* onEndScene = FindFunction("OnEndScene");
    if (!onEndScene) break;
    CallFunction(onEndScene, nullptr, 0);
    if (result == ScenarioScene::kRunQuit || result == ScenarioScene::kRunNoDevice) break;
  }
  CallIfPresent("OnEnd");
  return true;
}
