// The "Sound" class object: sound effects, streamed music and the two master
// volumes, over the program's sound manager. The scene's engine and the root
// scenario's each hold one; both act on the one manager.
#pragma once

#include "classes/manager_class.h"

class SoundManager;

// Without a sound manager nothing plays and the volumes read 0.
using SoundCall = ManagerCall<SoundManager>;

class SoundClass : public ManagerClassObject<SoundManager, &GameManagers::sound> {
 public:
  // `managers` is the host's record, which outlives the class object.
  explicit SoundClass(const GameManagers& managers);
};
