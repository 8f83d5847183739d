// The hooks through which the script classes enter each new engine of the
// scene layer (each Scene's and the root scenario's) without the scene
// knowing them. Start-up sets them once; tests set the same through one helper.
#pragma once

#include <memory>

class Scene;
class ScenarioRuntime;

// The class objects one engine was given; its host holds them as long as the
// engine lives.
class ScriptClassSet {
 public:
  virtual ~ScriptClassSet() = default;
};

struct ScriptClassHooks {
  // Registers a new scene's classes with its engine, in their order, and
  // hands the scene its Cast and Scene class objects. Runs in Scene's
  // constructor: only the Scene part of a derived scene exists yet.
  std::unique_ptr<ScriptClassSet> (*scene)(Scene& scene) = nullptr;
  // Registers the root scenario's classes with its engine.
  std::unique_ptr<ScriptClassSet> (*scenario)(ScenarioRuntime& runtime) = nullptr;
};

// Engines made before the hooks are set, or without them, have no classes.
void SetScriptClassHooks(const ScriptClassHooks& hooks);
const ScriptClassHooks& GetScriptClassHooks();
