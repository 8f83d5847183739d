// Compiles arbitrary source and runs every function it defines with a bounded
// step count, with a small class to reach that logs every call and re-enters
// the engine. Runs it twice, as bytecode and with the plain routines, and
// aborts when the two runs differ in anything observable. Includes never touch
// the disk.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "script/engine.h"
#include "script/preprocessor.h"

namespace {

class Probe : public NativeClass {
 public:
  std::string* log = nullptr;
  const char* ClassName() override { return "Probe"; }
  MemberRecord* GetMemberTable() override { return members_; }
  void* GetOwner() override {
    *log += "owner\n";
    return nullptr;
  }
  bool GetProperty(int member, void*, ScriptValue& out, CCScript&) override {
    *log += "get " + std::to_string(member) + "\n";
    if (member == 1) out.SetNumber(7);
    if (member == 3) out.Assign(value_);
    return member == 1 || member == 3;
  }
  bool SetProperty(int member, void*, const ScriptValue& in, CCScript& engine) override {
    *log += "set " + std::to_string(member) + " " + Text(engine, in) + "\n";
    if (member == 3) value_.Assign(in);
    return true;
  }
  bool CallMethod(int member, void*, ScriptValue& result, ScriptValue* args, int count, CCScript& engine) override {
    *log += "call " + std::to_string(member);
    for (int i = 0; i < count; ++i) *log += " " + Text(engine, args[i]);
    *log += "\n";
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
  static std::string Text(CCScript& engine, const ScriptValue& value) {
    std::string text;
    return std::to_string(engine.KindOf(value)) + ":" + (engine.ToString(value, text) ? text : "");
  }
  MemberRecord members_[7] = {
      {MK_Method, SVT_None, "Echo", 0, 1},     {MK_ReadOnly, SVT_Number, "Count", 0, 0},
      {MK_WriteOnly, SVT_None, "Sink", 0, 0},  {MK_ReadWrite, SVT_None, "Value", 0, 0},
      {MK_Method, SVT_None, "Call", 0, 1},     {MK_Method, SVT_None, "Fail", 0, 0},
      {MK_End, 0, nullptr, 0, 0},
  };
  ScriptValue value_;
};

class LoggingEngine : public CCScript {
 public:
  std::string* log = nullptr;
  bool OnError(int line, int column, int code) override {
    char text[1024];
    FormatError(line, column, code, text, sizeof text);
    *log += "error " + std::to_string(line) + "," + std::to_string(column) + " " + std::to_string(code) + " " + text;
    return false;
  }
};

std::string Run(const std::string& source, bool compiled, std::uint64_t budget) {
  std::string log;
  Probe probe;
  probe.log = &log;
  LoggingEngine engine;
  engine.log = &log;
  engine.SetBytecode(compiled);
  engine.RegisterClass(&probe);
  engine.SetStepBudget(budget);
  log += "compile " + std::to_string(engine.CompileScript(source.c_str(), "fuzz.csc")) + "\n";
  ScriptValue args[3];
  args[0].SetNumber(1);
  args[1].SetString("text");
  for (int i = 0; i < kMaxFunctions; ++i) {
    ScriptFunction* fn = engine.FunctionAt(i);
    if (!fn) break;
    const EErrorCode code = engine.CallFunction(fn, args, i % 4);
    log += "result " + std::to_string(code) + " " + std::to_string(engine.StackPointer()) + "\n";
  }
  for (int i = 0; i < kMaxGlobals; ++i) {
    GlobalVar& global = engine.Global(i);
    std::string text;
    if (global.name[0] && engine.ToString(global.value, text)) log += std::string(global.name) + "=" + text + "\n";
  }
  return log;
}

// True when a call of the run ended for want of steps (code 4 is the
// budget's own: the probe never raises it).
bool RanOutOfSteps(const std::string& log) {
  std::size_t at = 0;
  while ((at = log.find("error ", at)) != std::string::npos) {
    const std::size_t code = log.find(' ', at + 6);
    if (code != std::string::npos && log.compare(code, 3, " 4 ") == 0) return true;
    at = code;
  }
  return log.find("\nresult 4 ") != std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static bool initialised = [] {
    SetScriptFileReader([](const std::string&, std::string&) { return false; });
    return true;
  }();
  (void)initialised;
  std::string source(reinterpret_cast<const char*>(data), size);
  constexpr std::uint64_t kBudget = 20000;
  const std::string reference = Run(source, false, kBudget);
  std::string compiled = Run(source, true, kBudget);
  // A run that finished within the budget also runs without one: that is the
  // bytecode's other code, the one without steps.
  if (reference == compiled && !RanOutOfSteps(reference)) compiled = Run(source, true, 0);
  if (reference != compiled) {
    std::fprintf(stderr, "bytecode differs\n--- reference\n%s--- bytecode\n%s", reference.c_str(), compiled.c_str());
    std::abort();
  }
  return 0;
}
