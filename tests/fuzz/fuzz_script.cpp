// Compiles arbitrary source and runs every function it defines with a bounded
// step count, with the script tests' Probe class to reach, which logs every
// call and re-enters the engine. Runs it twice, as bytecode and with the plain
// routines, and aborts when the two runs differ in anything observable.
// Includes never touch the disk.
#include <cstdio>
#include <cstdlib>

#include "fuzz_support.h"
#include "script/preprocessor.h"
#include "script/script_runner.h"

namespace {

std::string Run(const std::string& source, bool compiled, std::uint64_t budget) {
  std::string log;
  Probe probe;
  probe.log = &log;
  ReportingEngine engine;
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

// True when a call of the run, or a call a native made, may have ended for
// want of steps: code 4 is the budget's own (and Probe.Stop's).
bool RanOutOfSteps(const std::string& log) {
  for (std::size_t at = log.find("error "); at != std::string::npos; at = log.find("error ", at + 1)) {
    const std::size_t code = log.find(' ', at + 6);
    if (code != std::string::npos && log.compare(code, 3, " 4\n") == 0) return true;
  }
  return log.find("\nresult 4 ") != std::string::npos;
}

}  // namespace

T3D_FUZZ_TARGET(data, size) {
  [[maybe_unused]] static const bool noDisk =
      (SetScriptFileReader([](const std::string&, std::uint64_t, std::string&) { return ScriptFileRead::Missing; }),
       true);
  const std::string source(FuzzText(data, size));
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
