// Compiles arbitrary source and runs every function it defines with a bounded
// step count, with a small class to reach, and a second engine that the class
// re-enters. Includes never touch the disk.
#include <cstddef>
#include <cstdint>
#include <string>

#include "script/engine.h"
#include "script/preprocessor.h"

namespace {

class Probe : public NativeClass {
 public:
  const char* ClassName() override { return "Probe"; }
  MemberRecord* GetMemberTable() override { return members_; }
  bool GetProperty(int member, void*, ScriptValue& out, CCScript&) override {
    if (member == 1) out.SetNumber(7);
    if (member == 3) out.Assign(value_);
    return member == 1 || member == 3;
  }
  bool SetProperty(int member, void*, const ScriptValue& in, CCScript&) override {
    if (member == 3) value_.Assign(in);
    return true;
  }
  bool CallMethod(int member, void*, ScriptValue& result, ScriptValue* args, int, CCScript& engine) override {
    if (member == 0) {
      if (const ScriptValue* arg = engine.FollowReferences(args[0])) result.Assign(*arg);
    } else if (member == 4) {  // Call(name): re-enters the engine
      std::string name;
      if (engine.ToString(args[0], name)) engine.CallFunction(engine.FindFunction(name.c_str()), nullptr, 0);
    } else if (member == 5) {
      throw ERR_OUT_OF_RANGE;
    }
    return true;
  }

 private:
  MemberRecord members_[7] = {
      {MK_Method, SVT_None, "Echo", 0, 1},     {MK_ReadOnly, SVT_Number, "Count", 0, 0},
      {MK_WriteOnly, SVT_None, "Sink", 0, 0},  {MK_ReadWrite, SVT_None, "Value", 0, 0},
      {MK_Method, SVT_None, "Call", 0, 1},     {MK_Method, SVT_None, "Fail", 0, 0},
      {MK_End, 0, nullptr, 0, 0},
  };
  ScriptValue value_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static bool initialised = [] {
    SetScriptFileReader([](const std::string&, std::string&) { return false; });
    return true;
  }();
  (void)initialised;
  std::string source(reinterpret_cast<const char*>(data), size);
  Probe probe;
  CCScript engine;
  engine.RegisterClass(&probe);
  engine.SetStepBudget(20000);
  engine.CompileScript(source.c_str(), "fuzz.csc");
  ScriptValue args[3];
  args[0].SetNumber(1);
  args[1].SetString("text");
  for (int i = 0; i < kMaxFunctions; ++i) {
    ScriptFunction* fn = engine.FunctionAt(i);
    if (!fn) break;
    engine.CallFunction(fn, args, i % 4);
  }
  return 0;
}
