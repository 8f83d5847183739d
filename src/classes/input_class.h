// The "Input" class object: the pad's button mask and its edges, the pad's
// enable mask and the key map, over the program's input manager. Only the
// scene's engine holds one.
#pragma once

#include "classes/manager_class.h"

class InputManager;

// Without an input manager the pad reads 0 and changes go nowhere.
using InputCall = ManagerCall<InputManager>;

class InputClass : public ManagerClassObject<InputManager, &GameManagers::input> {
 public:
  // `managers` is the host's record, which outlives the class object.
  explicit InputClass(const GameManagers& managers);
};
