// The script classes each engine of the game gets, and the hooks that put them
// there. Start-up calls UseGameScriptClasses; so do tests, before they make engines.
#pragma once

#include "classes/cast_class.h"
#include "classes/input_class.h"
#include "classes/math_class.h"
#include "classes/scenario_class.h"
#include "classes/scene_class.h"
#include "classes/script_services.h"
#include "classes/sound_class.h"
#include "classes/storage_class.h"
#include "classes/system_class.h"
#include "scene/script_class_hooks.h"

// The classes of one scene's engine, held by the scene.
class SceneClasses : public ScriptClassSet {
 public:
  // Registers System, Math, Cast, Input, Sound, Storage and Scene with the
  // scene's engine and makes Cast the scene's cast class and Scene its scene
  // class. Input and Sound act on the managers the scene is handed.
  explicit SceneClasses(Scene& scene);
  SceneClasses(const SceneClasses&) = delete;
  SceneClasses& operator=(const SceneClasses&) = delete;

  Scene& GetScene() { return scene_; }
  CastClass& GetCastClass() { return cast_; }
  SceneClass& GetSceneClass() { return sceneClass_; }
  // What the Cast and Scene members ask of posing, contacts, camera, sound,
  // text and the scene's run-time records: the scene's own until a test puts
  // another in place (null: the scene's own again).
  ScriptServices& Services() { return *services_; }
  void SetServices(ScriptServices* services) { services_ = services ? services : &own_; }

 private:
  Scene& scene_;
  SceneServices own_{scene_};
  ScriptServices* services_ = &own_;
  SystemClass system_;
  MathClass math_;
  CastClass cast_{*this};
  InputClass input_;
  SoundClass sound_;
  StorageClass storage_;
  SceneClass sceneClass_{*this};
};

// The classes of the root scenario's engine, held by the runtime.
class ScenarioClasses : public ScriptClassSet {
 public:
  // Registers System, Math, Sound, Storage and Scenario with the runtime's
  // engine; Sound acts on the sound manager the runtime is handed.
  explicit ScenarioClasses(ScenarioRuntime& runtime);

 private:
  SystemClass system_;
  MathClass math_;
  SoundClass sound_;
  StorageClass storage_;
  ScenarioClass scenario_;
};

// The classes of a scene made while the hooks were set.
SceneClasses& ClassesOf(Scene& scene);

// Every scene and scenario runtime made from now on gets these classes.
void UseGameScriptClasses();
