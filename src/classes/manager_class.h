// The class objects whose members act on one of the program's managers
// (Input, Sound): the manager is read from the host's record at every call,
// so a host handed its managers after its classes were made still reaches them.
#pragma once

#include <cstddef>

#include "classes/class_object.h"
#include "scene/game_managers.h"

// What such a member acts on: the manager, null in a host that has none.
template <class Manager>
struct ManagerCall {
  CCScript& engine;
  Manager* manager;
};

// `kManager` picks the manager out of the host's record. Every method answers
// 0 unless it gives another result.
template <class Manager, Manager* GameManagers::*kManager>
class ManagerClassObject : public TableClassObject<ManagerCall<Manager>> {
  using Base = TableClassObject<ManagerCall<Manager>>;

 public:
  bool CallMethod(int member, void* instance, ScriptValue& result, ScriptValue* args, int argCount,
                  CCScript& engine) override {
    result.SetNumber(0);
    return Base::CallMethod(member, instance, result, args, argCount, engine);
  }

 protected:
  template <std::size_t N>
  ManagerClassObject(const char* name, const MemberRow<ManagerCall<Manager>> (&rows)[N], const GameManagers& managers)
      : Base(name, rows), managers_(managers) {}
  ManagerCall<Manager> Bind(void*, CCScript& engine) override { return {engine, managers_.*kManager}; }

 private:
  const GameManagers& managers_;
};
