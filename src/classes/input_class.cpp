// Input members.
#include "classes/input_class.h"

#include "input/input_manager.h"

namespace {

using Row = MemberRow<InputCall>;

// Pad numbers past the one pad are refused with 48 before anything is read.
int ArgPad(CCScript& engine, const ScriptValue& value) { return ArgIndex(engine, value, InputManager::kPadCount); }

void GetJoy(InputCall& call, ScriptValue& result, ScriptValue* args) {
  // No range test here: the manager answers 0 for a pad it does not have.
  const std::int32_t pad = ArgInt(call.engine, args[0]);
  if (call.manager) result.SetNumber(call.manager->GetJoy(pad, 0));
}

void GetJoyPressed(InputCall& call, ScriptValue& result, ScriptValue* args) {
  const int pad = ArgPad(call.engine, args[0]);
  if (call.manager) result.SetNumber(call.manager->GetJoyPressed(pad));
}

void GetJoyReleased(InputCall& call, ScriptValue& result, ScriptValue* args) {
  const int pad = ArgPad(call.engine, args[0]);
  if (call.manager) result.SetNumber(call.manager->GetJoyReleased(pad));
}

void SetJoyMask(InputCall& call, ScriptValue&, ScriptValue* args) {
  const int pad = ArgPad(call.engine, args[0]);
  const std::uint32_t mask = ArgWord(call.engine, args[1]);
  if (call.manager) call.manager->SetJoyMask(pad, mask);
}

void SetKeyMap(InputCall& call, ScriptValue&, ScriptValue* args) {
  // All three convert before the pad is tested: a bad key is 36 even for pad 1.
  const std::int32_t pad = ArgInt(call.engine, args[0]);
  const std::int32_t buttons = ArgInt(call.engine, args[1]);
  const std::int32_t key = ArgInt(call.engine, args[2]);
  RequireRange(pad >= 0 && pad < InputManager::kPadCount);
  // The key is stored as given; the manager reads nothing for keys outside 0..255.
  if (call.manager) call.manager->MapButtonsToKey(pad, static_cast<std::uint32_t>(buttons), key);
}

constexpr Row kInputMembers[] = {
    Row::Method(SVT_Number, "GetJoy", 1, GetJoy),
    Row::Method(SVT_Number, "GetJoyPressed", 1, GetJoyPressed),
    Row::Method(SVT_Number, "GetJoyReleased", 1, GetJoyReleased),
    Row::Method(SVT_None, "SetJoyMask", 2, SetJoyMask),
    Row::Method(SVT_None, "SetKeyMap", 3, SetKeyMap),
};

}  // namespace

InputClass::InputClass(const GameManagers& managers) : ManagerClassObject("Input", kInputMembers, managers) {}
