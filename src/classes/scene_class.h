// SceneClass: the "Scene" script class, whose members act on the scene that
// holds it (classes and casts, messages, timers, the camera, parameters,
// colours, fades, text and pausing). Each scene's SceneClasses holds one.
#pragma once

#include <cstddef>

#include "classes/class_object.h"

class Scene;
class SceneClasses;
class ScriptServices;

// What a Scene member acts on: the scene and its services.
struct SceneCall {
  Scene& scene;
  ScriptServices& services;
  CCScript& engine;
};

class SceneClass : public TableClassObject<SceneCall> {
 public:
  explicit SceneClass(SceneClasses& classes);
  // The bare name "Scene" designates the scene itself.
  void* GetOwner() override;
  // Every method answers 0 unless it gives another result.
  bool CallMethod(int member, void* instance, ScriptValue& result, ScriptValue* args, int argCount,
                  CCScript& engine) override;

 protected:
  SceneCall Bind(void* instance, CCScript& engine) override;

 private:
  SceneClasses& classes_;
};

// Texts handed to a text slot keep at most this many bytes.
constexpr std::size_t kSceneTextLimit = 511;
