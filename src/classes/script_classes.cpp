// The sets of script classes of the scene's and the root scenario's engines,
// in the order the original registered them.
#include "classes/script_classes.h"

#include <cassert>
#include <memory>

#include "scene/scenario_runtime.h"
#include "scene/scene.h"

SceneClasses::SceneClasses(Scene& scene)
    : scene_(scene), input_(scene.GetManagers()), sound_(scene.GetManagers()) {
  scene.RegisterClass(&system_);
  scene.RegisterClass(&math_);
  scene.RegisterClass(&cast_);
  scene.SetCastClass(&cast_);
  scene.RegisterClass(&input_);
  scene.RegisterClass(&sound_);
  scene.RegisterClass(&storage_);
  scene.RegisterClass(&sceneClass_);
  scene.SetSceneClass(&sceneClass_);
}

ScenarioClasses::ScenarioClasses(ScenarioRuntime& runtime) : sound_(runtime.GetManagers()), scenario_(runtime) {
  runtime.RegisterClass(&system_);
  runtime.RegisterClass(&math_);
  runtime.RegisterClass(&sound_);
  runtime.RegisterClass(&storage_);
  runtime.RegisterClass(&scenario_);
}

SceneClasses& ClassesOf(Scene& scene) {
  auto* classes = dynamic_cast<SceneClasses*>(scene.GetScriptClasses());
  assert(classes && "the scene was made before UseGameScriptClasses");
  return *classes;
}

namespace {

std::unique_ptr<ScriptClassSet> MakeSceneClasses(Scene& scene) { return std::make_unique<SceneClasses>(scene); }

std::unique_ptr<ScriptClassSet> MakeScenarioClasses(ScenarioRuntime& runtime) {
  return std::make_unique<ScenarioClasses>(runtime);
}

}  // namespace

void UseGameScriptClasses() { SetScriptClassHooks({MakeSceneClasses, MakeScenarioClasses}); }
