// Scenario members.
#include "classes/scenario_class.h"

#include <string>

#include "files/archive.h"
#include "scene/scenario_runtime.h"

namespace {

using Row = MemberRow<ScenarioCall>;

void GetSceneFile(ScenarioCall& call, ScriptValue& out) {
  if (call.runtime.GetSceneFile()[0] != '\0') out.SetString(call.runtime.GetSceneFile());
}

void SetSceneFile(ScenarioCall& call, const ScriptValue& in) {
  // A value without a text form (such as empty) empties the name, which ends
  // the scenario after the running scene.
  std::string text;
  call.runtime.SetSceneFile(TryArgText(call.engine, in, text) ? text.c_str() : "");
}

void Exit(ScenarioCall& call, ScriptValue&, ScriptValue*) { call.runtime.EndScenario(); }

void AddArchiveFile(ScenarioCall& call, ScriptValue& result, ScriptValue* args) {
  result.SetNumber(GetArchiveManager().AddArchiveFile(ArgText(call.engine, args[0])) ? 1 : 0);
}

constexpr Row kScenarioMembers[] = {
    Row::ReadWrite(SVT_String, "SceneFile", GetSceneFile, SetSceneFile),
    Row::Method(SVT_None, "Exit", 0, Exit),
    Row::Method(SVT_Number, "AddArchiveFile", 1, AddArchiveFile),
};

}  // namespace

ScenarioClass::ScenarioClass(ScenarioRuntime& runtime)
    : TableClassObject("Scenario", kScenarioMembers), runtime_(runtime) {}

void* ScenarioClass::GetOwner() { return static_cast<void*>(&runtime_); }

ScenarioCall ScenarioClass::Bind(void*, CCScript& engine) { return {runtime_, engine}; }
