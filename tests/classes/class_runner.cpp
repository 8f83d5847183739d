// The class case driver.
#include "classes/class_runner.h"

#include "classes/math_class.h"
#include "classes/storage_class.h"
#include "classes/system_class.h"
#include "platform/system/random.h"
#include "platform/system/shift_jis.h"

std::string DescribeValue(const ScriptValue* value) {
  switch (value ? value->type : SVT_None) {
    case SVT_None: return "<none>";
    case SVT_Number: return NumberToText(value->number);
    case SVT_String: return "\"" + ShiftJisToUtf8(value->text) + "\"";
    default: return "<other>";
  }
}

std::string AnswerFragment(CCScript& engine, const std::string& function, const std::string& fragment,
                           const std::function<std::string(const ScriptValue*)>& describe,
                           const std::function<void()>& beforeCall) {
  const std::string body = fragment.find(';') == std::string::npos ? "$r = " + fragment + ";" : fragment;
  const std::string source = function + "()\n{\n  $r = empty;\n  " + Utf8ToShiftJis(body) + "\n}\n";
  const EErrorCode compiled = engine.CompileScript(source.c_str(), "case");
  if (compiled != ERR_NONE) return "compile " + std::to_string(compiled);
  if (beforeCall) beforeCall();
  const EErrorCode result = engine.CallFunction(engine.FindFunction(function.c_str()), nullptr, 0);
  if (result != ERR_NONE) return "error " + std::to_string(result);
  for (int i = 0; i < kMaxGlobals; ++i) {
    GlobalVar& global = engine.Global(i);
    if (std::string(global.name) == "r") return describe(engine.FollowReferences(global.value));
  }
  return describe(nullptr);
}

std::string RunClassFragment(const std::string& fragment) {
  SystemClass system;
  MathClass math;
  StorageClass storage;
  Quiet<CCScript> engine;
  engine.RegisterClass(&system);
  engine.RegisterClass(&math);
  engine.RegisterClass(&storage);
  SharedRandom().Seed(1);
  return AnswerFragment(engine, "main", fragment, DescribeValue);
}
