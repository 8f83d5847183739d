// ScenarioRuntime: the root scenario's script engine, its outer loop over
// scene files, and the "Scenario" class object that its scripts see. Used by start-up.
#pragma once

#include <cstddef>

#include "classes/class_object.h"
#include "classes/math_class.h"
#include "classes/storage_class.h"
#include "classes/system_class.h"
#include "scene/scenario_scene.h"
#include "script/game_script.h"

class ScenarioRuntime : public GameScript, public ClassObject {
 public:
  enum Member { kSceneFile, kExit, kAddArchiveFile };
  // The scene file name keeps at most 259 bytes.
  static constexpr std::size_t kSceneFileSize = 260;

  // Registers System, Math, Storage and the runtime itself as "Scenario" with
  // its engine; start-up adds the scene's class object after.
  ScenarioRuntime();
  ScenarioRuntime(const ScenarioRuntime&) = delete;
  ScenarioRuntime& operator=(const ScenarioRuntime&) = delete;

  // Reads `name` (relative to the program folder) from the archives or the
  // disk and compiles it; false when it is missing or does not compile.
  bool LoadScenario(const char* name);
  // "OnBegin", then each scene that Scenario.SceneFile names, each followed by
  // "OnEndScene", then "OnEnd". A scene that fails to load ends it at once.
  void RunScenario(ScenarioScene& scene);

  const char* GetSceneFile() const { return sceneFile_; }
  bool IsRunning() const { return scenarioRunning_; }

  // The "Scenario" class object.
  void* GetOwner() override { return static_cast<void*>(this); }
  bool GetProperty(int member, void* instance, ScriptValue& out, CCScript& engine) override;
  bool SetProperty(int member, void* instance, const ScriptValue& in, CCScript& engine) override;
  bool CallMethod(int member, void* instance, ScriptValue& result, ScriptValue* args, int argCount,
                  CCScript& engine) override;

 private:
  void CallIfPresent(const char* function);

  SystemClass system_;
  MathClass math_;
  StorageClass storage_;
  char sceneFile_[kSceneFileSize] = {};
  bool scenarioRunning_ = false;
};
