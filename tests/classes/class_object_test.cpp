// The conversions that later classes rely on beyond System, Math and Storage:
// flag words, exact types, object arguments, instances and index ranges.
#include "classes/class_object.h"

#include <gtest/gtest.h>

#include <string>

#include "classes/class_runner.h"

namespace {

// Each method hands one argument to one helper and returns what it gave.
class Probe : public ClassObject {
 public:
  enum Member { kWord, kExactString, kExactNumber, kObject, kNeedInstance, kIndex, kEmpty };
  explicit Probe(const char* name = "Probe")
      : ClassObject(name, {
                                 {MK_Method, SVT_Number, "Word", 0, 1},
                                 {MK_Method, SVT_String, "ExactString", 0, 1},
                                 {MK_Method, SVT_Number, "ExactNumber", 0, 1},
                                 {MK_Method, SVT_Number, "Object", 0, 1},
                                 {MK_Method, SVT_Number, "NeedInstance", 0, 0},
                                 {MK_Method, SVT_Number, "Index", 0, 1},
                                 {MK_Method, SVT_Number, "Empty", 0, 1},
                             }) {}
  bool CallMethod(int member, void* instance, ScriptValue& result, ScriptValue* args, int,
                  CCScript& engine) override {
    switch (member) {
      case kWord: result.SetNumber(ArgWord(engine, args[0])); break;
      case kExactString: result.SetString(ArgExactString(engine, args[0]).c_str()); break;
      case kExactNumber: result.SetNumber(ArgExactNumber(engine, args[0])); break;
      case kObject: result.SetNumber(ArgObject(engine, args[0], "Probe") == this ? 1 : 0); break;
      case kNeedInstance: result.SetNumber(RequireInstance(instance) == this ? 1 : 0); break;
      case kIndex: result.SetNumber(ArgIndex(engine, args[0], 10)); break;
      case kEmpty: result.SetNumber(IsEmptyArg(engine, args[0]) ? 1 : 0); break;
      default: return false;
    }
    return true;
  }
};

// The probe's owner is itself, so the bare name "Probe" carries an instance;
// "Bare" is another class, and "Loose" a probe without an owner, whose bare
// name carries none.
class OwnedProbe : public Probe {
 public:
  void* GetOwner() override { return this; }
};

class Bare : public ClassObject {
 public:
  Bare() : ClassObject("Bare", {}) {}
};

std::string RunProbe(const std::string& expression) {
  OwnedProbe probe;
  Bare bare;
  Probe loose("Loose");
  Quiet<CCScript> engine;
  engine.RegisterClass(&probe);
  engine.RegisterClass(&bare);
  engine.RegisterClass(&loose);
  const std::string source = "main()\n{\n  v = 5;\n  s = \"text\";\n  $r = " + expression + ";\n}\n";
  if (engine.CompileScript(source.c_str(), "probe") != ERR_NONE) return "compile";
  const EErrorCode code = engine.CallFunction(engine.FindFunction("main"), nullptr, 0);
  if (code != ERR_NONE) return "error " + std::to_string(code);
  std::string text;
  engine.ToString(engine.Global(0).value, text);
  return text;
}

TEST(ClassObjectTest, ArgumentsConvertAndFailAlike) {
  struct Case {
    const char* expression;
    const char* expected;
  };
  const Case cases[] = {
      {"Probe.Word(4294967295)", "4294967295"},
      {"Probe.Word(2147483648)", "2147483648"},
      {"Probe.Word(-2.9)", "4294967294"},
      {"Probe.Word(\"16\")", "16"},
      {"Probe.Word(s)", "error 36"},
      {"Probe.ExactString(s)", "text"},
      {"Probe.ExactString(v)", "error 36"},
      {"Probe.ExactNumber(v)", "5"},
      {"Probe.ExactNumber(\"5\")", "error 36"},
      {"Probe.Object(Probe)", "1"},
      {"Probe.Object(Bare)", "error 36"},
      {"Probe.Object(v)", "error 36"},
      {"Probe.NeedInstance()", "1"},
      {"Loose.NeedInstance()", "error 44"},
      {"Probe.Index(0)", "0"},
      {"Probe.Index(9.99)", "9"},
      {"Probe.Index(10)", "error 48"},
      {"Probe.Index(-0.01)", "error 48"},
      {"Probe.Index(\"z\")", "error 36"},
      {"Probe.Empty(empty)", "1"},
      {"Probe.Empty(\"\")", "0"},
  };
  for (const Case& c : cases) EXPECT_EQ(RunProbe(c.expression), c.expected) << c.expression;
}

}  // namespace
