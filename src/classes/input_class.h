// The "Input" class object: the pad's button mask and its edges, the pad's
// enable mask and the key map, over the program's input manager. Only the
// scene's engine holds one.
#pragma once

#include "classes/class_object.h"

class InputManager;
struct GameManagers;

// What an Input member acts on: the input manager, null in a scene that has
// none (then the pad reads 0 and changes go nowhere).
struct InputCall {
  CCScript& engine;
  InputManager* manager;
};

class InputClass : public TableClassObject<InputCall> {
 public:
  // `managers` is the host's record, read at every call.
  explicit InputClass(const GameManagers& managers);
  // Every method answers 0 unless it gives another result.
  bool CallMethod(int member, void* instance, ScriptValue& result, ScriptValue* args, int argCount,
                  CCScript& engine) override;

 protected:
  InputCall Bind(void* instance, CCScript& engine) override;

 private:
  const GameManagers& managers_;
};
