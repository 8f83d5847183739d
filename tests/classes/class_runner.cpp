// The class case driver.
#include "classes/class_runner.h"

#include <sstream>

#include "classes/math_class.h"
#include "classes/storage_class.h"
#include "classes/system_class.h"
#include "platform/system/random.h"
#include "platform/system/shift_jis.h"

namespace {

class QuietEngine : public CCScript {
 public:
  bool OnError(int, int, int) override { return false; }
};

std::string Describe(CCScript& engine, const ScriptValue& value) {
  const ScriptValue* target = engine.FollowReferences(value);
  if (!target) return "<none>";
  switch (target->type) {
    case SVT_None: return "<none>";
    case SVT_Number: return NumberToText(target->number);
    case SVT_String: return "\"" + ShiftJisToUtf8(target->text) + "\"";
    default: return "<other>";
  }
}

}  // namespace

std::string RunClassFragment(const std::string& fragment) {
  SystemClass system;
  MathClass math;
  StorageClass storage;
  QuietEngine engine;
  engine.RegisterClass(&system);
  engine.RegisterClass(&math);
  engine.RegisterClass(&storage);
  const std::string body = fragment.find(';') == std::string::npos ? "$r = " + fragment + ";" : fragment;
  const std::string source = "main()\n{\n  $r = empty;\n  " + Utf8ToShiftJis(body) + "\n}\n";
  const EErrorCode compiled = engine.CompileScript(source.c_str(), "case");
  if (compiled != ERR_NONE) return "compile " + std::to_string(compiled);
  SharedRandom().Seed(1);
  const EErrorCode result = engine.CallFunction(engine.FindFunction("main"), nullptr, 0);
  if (result != ERR_NONE) return "error " + std::to_string(result);
  for (int i = 0; i < kMaxGlobals; ++i) {
    GlobalVar& global = engine.Global(i);
    if (std::string(global.name) == "r") return Describe(engine, global.value);
  }
  return "<none>";
}

std::string RunClassCases(const std::string& text) {
  std::istringstream in(text);
  std::ostringstream out;
  std::string line;
  while (std::getline(in, line)) {
    const std::size_t arrow = line.rfind(" => ");
    if (line.empty() || line[0] == '#' || arrow == std::string::npos) {
      out << line << "\n";
      continue;
    }
    const std::string fragment = line.substr(0, arrow);
    std::size_t end = fragment.find_last_not_of(' ');
    out << line.substr(0, arrow + 4) << RunClassFragment(fragment.substr(0, end + 1)) << "\n";
  }
  return out.str();
}
