// The "Sound" class object: sound effects, streamed music and the two master
// volumes, over the program's sound manager. The scene's engine and the root
// scenario's each hold one; both act on the one manager.
#pragma once

#include "classes/class_object.h"

class SoundManager;
struct GameManagers;

// What a Sound member acts on: the sound manager, null in a host that has
// none (then nothing plays and the volumes read 0).
struct SoundCall {
  CCScript& engine;
  SoundManager* manager;
};

class SoundClass : public TableClassObject<SoundCall> {
 public:
  // `managers` is the host's record, read at every call.
  explicit SoundClass(const GameManagers& managers);
  // Every method answers 0.
  bool CallMethod(int member, void* instance, ScriptValue& result, ScriptValue* args, int argCount,
                  CCScript& engine) override;

 protected:
  SoundCall Bind(void* instance, CCScript& engine) override;

 private:
  const GameManagers& managers_;
};
