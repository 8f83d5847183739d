// ScenarioRuntime: the root scenario's script engine and its outer loop over
// scene files. Used by start-up; the "Scenario" class object its scripts see
// comes through the script class hook.
#pragma once

#include <cstddef>
#include <memory>

#include "scene/game_managers.h"
#include "scene/scenario_scene.h"
#include "scene/script_class_hooks.h"
#include "script/game_script.h"

class ScenarioRuntime : public GameScript {
 public:
  // The scene file name keeps at most 259 bytes.
  static constexpr std::size_t kSceneFileSize = 260;

  // The script class hook, when set, gives the engine its classes (System,
  // Math, Sound, Storage, Scenario); start-up adds the scene's class object after.
  ScenarioRuntime();
  ScenarioRuntime(const ScenarioRuntime&) = delete;
  ScenarioRuntime& operator=(const ScenarioRuntime&) = delete;

  // Reads `name` (relative to the program folder) from the archives or the
  // disk and compiles it; false when it is missing or does not compile.
  bool LoadScenario(const char* name);
  // "OnBegin", then each scene that Scenario.SceneFile names, each followed by
  // "OnEndScene", then "OnEnd". A scene that fails to load, or whose drawing
  // cannot be made ready, ends it at once, and only then is the answer
  // false: the game ended without the scene it was to play.
  bool RunScenario(ScenarioScene& scene);

  const char* GetSceneFile() const { return sceneFile_; }
  // An empty name ends the scenario after the running scene.
  void SetSceneFile(const char* name);
  bool IsRunning() const { return scenarioRunning_; }
  // The scenario ends after the running scene.
  void EndScenario() { scenarioRunning_ = false; }
  // The program's managers, borrowed, for the classes of the root scenario.
  void SetManagers(const GameManagers& managers) { managers_ = managers; }
  const GameManagers& GetManagers() const { return managers_; }

 private:
  void CallIfPresent(const char* function);

  char sceneFile_[kSceneFileSize] = {};
  bool scenarioRunning_ = false;
  GameManagers managers_;
  std::unique_ptr<ScriptClassSet> scriptClasses_;
};
