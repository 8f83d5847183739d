// A scene on the headless host with a "Test" script class that logs, ends the
// scene, sets timers and deletes casts. Used by the run-loop tests and the game cases.
#pragma once

#include <string>

#include "classes/class_object.h"
#include "app/headless_host.h"
#include "scene/game/game_scene.h"
#include "scene/scene.h"

// Test.Log(text), Frame(), Now(), EndScene(), SetTimer(delay, id, name, a, b, c),
// KillTimer(id), AddCast(class), DeleteCast(name), Name(cast), CastCount(),
// Timers(), Pad(), Fail() (throws error 48), and the scene's records as text:
// Fade(slot), Slot(text slot), Camera().
class TestClass : public ClassObject {
 public:
  TestClass(std::string& trace, Scene& scene, FrameClock& clock);
  bool CallMethod(int member, void* instance, ScriptValue& result, ScriptValue* args, int argCount,
                  CCScript& engine) override;

 private:
  std::string& trace_;
  Scene& scene_;
  FrameClock& clock_;
};

// The scene, its host and the Test class registered with its engine.
struct RunHarness {
  RunHarness();
  std::string trace;
  VirtualClock clock;
  ScriptedInput input;
  NullDevice device;
  HeadlessWindow window;
  GameScene scene;
  TestClass test{trace, scene, clock};
};
