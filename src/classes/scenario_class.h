// ScenarioClass: the "Scenario" script class of the root scenario's engine:
// the next scene file, the end of the scenario and more archives.
#pragma once

#include "classes/class_object.h"

class ScenarioRuntime;

// What a Scenario member acts on.
struct ScenarioCall {
  ScenarioRuntime& runtime;
  CCScript& engine;
};

class ScenarioClass : public TableClassObject<ScenarioCall> {
 public:
  explicit ScenarioClass(ScenarioRuntime& runtime);
  // The bare name "Scenario" designates the runtime itself.
  void* GetOwner() override;

 protected:
  ScenarioCall Bind(void* instance, CCScript& engine) override;

 private:
  ScenarioRuntime& runtime_;
};
