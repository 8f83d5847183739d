// CastClass: the "Cast" script class, whose members read and change the cast an
// object value designates. Each scene's SceneClasses holds one and registers it with the scene's engine.
#pragma once

#include "classes/class_object.h"

class Cast;
class CastClass;
class Scene;
class SceneClasses;
class ScriptServices;

// What a Cast member acts on: the cast, checked to be alive, and the scene's
// services.
struct CastCall {
  CastClass& object;
  Scene& scene;
  ScriptServices& services;
  Cast& cast;
  CCScript& engine;
};

class CastClass : public TableClassObject<CastCall> {
 public:
  explicit CastClass(SceneClasses& classes);

 protected:
  // 44 for a member reached through the bare class name or a deleted cast.
  CastCall Bind(void* instance, CCScript& engine) override;

 private:
  SceneClasses& classes_;
};

// A cast argument: an object of class "Cast" (36 otherwise), read in the
// scene's registry. Null for the class used by itself; 44 for a cast that has
// been deleted.
Cast* ArgCast(const Scene& scene, CCScript& engine, const ScriptValue& value);
// The cast a member was called on: 44 without one or when it has been deleted.
Cast& RequireCast(const Scene& scene, void* instance);
