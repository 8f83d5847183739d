// A scene on the headless host with a "Test" script class that logs, ends the
// scene, sets timers and deletes casts. Used by the run-loop tests and the game cases.
#pragma once

#include <string>

#include "classes/class_object.h"
#include "app/headless_host.h"
#include "scene/game/game_scene.h"
#include "scene/scenario_runtime.h"
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

// A root scenario's engine whose script errors become lines of the trace,
// "PREFIXerror N".
class TracingRuntime : public ScenarioRuntime {
 public:
  TracingRuntime(std::string& trace, std::string prefix) : trace_(trace), prefix_(std::move(prefix)) {}
  bool OnError(int, int, int code) override {
    trace_ += prefix_ + "error " + std::to_string(code) + "\n";
    return false;
  }

 private:
  std::string& trace_;
  std::string prefix_;
};
