// Runs scripts as bytecode and with the plain routines and requires the
// same observable outcome: result code, error position and report, every call
// into the host class in order, the globals and the stack registers. Covers
// the case files, programs with errors at many positions, and every step
// budget up to the program's length.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "platform/system/numbers.h"
#include "script/engine_internal.h"
#include "script/script_runner.h"
#include "support/case_files.h"

namespace {

namespace fs = std::filesystem;

struct ScriptRun {
  std::vector<ScriptCall> calls = {ScriptCall{}};
  std::uint64_t budget = 0;
};

std::string Execute(const std::string& source, const ScriptRun& run, bool bytecode) {
  std::string log;
  Probe probe;
  Other other("Other");
  probe.log = &log;
  ReportingEngine engine;
  engine.log = &log;
  engine.SetBytecode(bytecode);
  engine.RegisterClass(&probe);
  engine.RegisterClass(&other);
  engine.SetStepBudget(run.budget);
  const EErrorCode compiled = engine.CompileScript(source.c_str(), "");
  if (compiled != ERR_NONE) return "compile " + std::to_string(compiled) + "\n";
  for (const ScriptCall& call : run.calls) {
    std::vector<ScriptValue> values = HostArguments(engine, call.args);
    // Twice: the second call runs what the first one cached.
    for (int pass = 0; pass < 2; ++pass) {
      const EErrorCode result =
          engine.CallFunction(engine.FindFunction(call.function.c_str()), values.data(), static_cast<int>(values.size()));
      log += "result " + std::to_string(result) + " sp " + std::to_string(engine.StackPointer()) + " base " +
             std::to_string(engine.FrameBase()) + "\n";
    }
  }
  for (int i = 0; i < kMaxGlobals; ++i) {
    GlobalVar& global = engine.Global(i);
    if (!global.name[0]) continue;
    std::string text;
    const bool hasText = engine.ToString(global.value, text);
    log += std::string(global.name) + "=" + std::to_string(global.value.type) + ":" + (hasText ? text : "") + "\n";
  }
  return log;
}

void ExpectSameBothWays(const std::string& source, const ScriptRun& run) {
  const std::string reference = Execute(source, run, false);
  const std::string compiled = Execute(source, run, true);
  ASSERT_EQ(reference, compiled) << "budget " << run.budget << " in:\n" << source;
}

// No budget, then every budget up to `budgets`, past where the programs finish on their own.
void ExpectSameUnderEveryBudget(const std::string& source, const ScriptRun& base, std::uint64_t budgets = 60) {
  ExpectSameBothWays(source, base);
  for (std::uint64_t budget = 1; budget <= budgets; ++budget) {
    ScriptRun run = base;
    run.budget = budget;
    ExpectSameBothWays(source, run);
    if (testing::Test::HasFailure()) return;
  }
}

// The case files, among them programs that run to the end exercising each
// construct with side effects whose order the log records.
TEST(Bytecode, CaseFilesRunTheSameBothWays) {
  const fs::path folder = fs::path(T3D_SOURCE_DIR) / "tests/script/cases";
  const std::vector<std::string> names = ListCases(folder, ".csc");
  ASSERT_FALSE(names.empty());
  for (const std::string& name : names) {
    const std::string text = ReadTextFile(folder / (name + ".csc"));
    SCOPED_TRACE(name);
    ExpectSameUnderEveryBudget(text, ScriptRun{ReadRunLines(text)});
  }
}

const char* const kHelpers = R"(
num(number n) { return n; } str(string s) { return s; } obj(Probe p) { return p; } one(a) { return a; } two(a, b) { return b; }
deep(n) { Probe.Echo(n); return deep(n + 1); } flat() { flat(); } wide(n) { a = 1; b = 2; c = 3; d = 4; e = 5; f = 6; g = 7; h = 8; return wide(n + 1) + 1; }
)";

// Every statement of tables/faults.txt in each of its places.
std::vector<std::string> FaultPrograms() {
  std::vector<std::string> programs;
  std::istringstream faults(ReadTextFile(fs::path(T3D_SOURCE_DIR) / "tests/script/tables/faults.txt"));
  for (std::string f; std::getline(faults, f);) {
    if (f.empty() || f[0] == '#') continue;
    const std::string head = std::string(kHelpers) + "helper() { $h = Probe.Echo(\"h\"); " + f + " $after = 1; }\n";
    const std::string tail = "later() { }\n";
    programs.push_back(head + "main() { $a = Probe.Echo(\"start\"); " + f + " $b = 2; }\n" + tail);
    programs.push_back(head + "main() { $a = 1; x = helper() + Probe.Echo(\"after\"); }\n" + tail);
    programs.push_back(head + "main() { for (i = 0; i < 4; i++) { Probe.Echo(i); if (i == 2) { " + f +
                       " } } }\n" + tail);
    programs.push_back(head + "main() { Probe.Echo(\"s\"); if (0) { " + f + " } else Probe.Echo(\"e\"); $c = 1; }\n" + tail);
    programs.push_back(head + "main() { i = 0; while (i < 2) { i++; if (i == 5) { " + f + " } } $d = i; }\n" + tail);
    programs.push_back(head + "main() { Probe.Echo(1); return 1; " + f + " }\n" + tail);
    programs.push_back(head + "main() { x = 0 && (" + f + "); }\n" + tail);
  }
  EXPECT_GT(programs.size(), 500u);
  return programs;
}

// Every third program under every step budget as well.
TEST(Bytecode, FaultsReportTheSamePositionBothWays) {
  const std::vector<std::string> programs = FaultPrograms();
  for (std::size_t i = 0; i < programs.size(); ++i) {
    ExpectSameUnderEveryBudget(programs[i], ScriptRun{}, i % 3 == 0 ? 60 : 0);
    if (testing::Test::HasFailure()) return;
  }
}

// Nesting deep enough to reach the limit, in every construct that counts.
TEST(Bytecode, NestingLimitIsReachedAtTheSamePlace) {
  const auto repeat = [](const std::string& text, int count) {
    std::string out;
    for (int i = 0; i < count; ++i) out += text;
    return out;
  };
  std::vector<std::string> programs;
  for (int depth : {500, 1990, 1996, 1999, 2000, 2001, 2500}) {
    programs.push_back("main() { Probe.Echo(1); x = " + repeat("(", depth) + "1" + repeat(")", depth) + "; }");
    programs.push_back("main() { Probe.Echo(1); " + repeat("{", depth) + "x = 1;" + repeat("}", depth) + " }");
    programs.push_back("main() { Probe.Echo(1); x = " + repeat("y = ", depth) + "1; }");
    programs.push_back("id(a) { return a; } main() { Probe.Echo(1); x = " + repeat("id(", depth) + "1" +
                       repeat(")", depth) + "; }");
    programs.push_back("r(n) { if (n > 0) { $d = n; r(n - 1); } } main() { r(" + std::to_string(depth / 3) + "); }");
  }
  // Recursion that passes statements whose untaken parts nest deeper than
  // the call: the limit is met inside them, memoised or compiled or not.
  programs.push_back("count() { while (1) { for (i = 5; i < 3; i++) s = s + i; $or = 1 || count(); } }\n"
                     "main() { count(); }");
  // A syntax fault that is never reached keeps the body uncompiled (found by the fuzz target).
  programs.push_back("main() { $e = \"\" && main(); $both = 2 && 3; i = 0; $w = 0; while (1) { 0; s = \"\";\n"
                     "for (i = 5; i < 3; i++) s = s + i; $s = s; $or = 1 || main(); $and = 0 && co } }");
  // The same recursions entered at every offset of the nesting count.
  for (int offset = 0; offset < 6; ++offset) {
    const std::string call = repeat("{ ", offset) + "count();" + repeat(" }", offset);
    for (const char* count : {
             "count() { while (1) { for (i = 5; i < 3; i++) s = s + i; $or = 1 || count(); $x = 0 && y } }",
             "count() { while (1) { for (i = 5; i < 3; i++) s = s + i; $or = 1 || count(); } }",
             "count() { if (0) { x = (((1))); } $d = $d + 1; count(); }",
             "count() { $d = $d + 1; if (1) count(); else { x = (((1))); } }",
             "count() { $d = $d + 1; x = 0 && (1 + (2 + (3 + count()))); count(); }",
         })
      programs.push_back(std::string(count) + "\nmain() { " + call + " }");
  }
  for (const std::string& program : programs) {
    ExpectSameBothWays(program, ScriptRun{});
    if (testing::Test::HasFailure()) return;
  }
}

// The operators' own copy of the truncation must agree with the shared one.
TEST(Bytecode, OperatorTruncationMatchesTheSharedOne) {
  const double values[] = {0.0,          -0.0,          0.5,           -0.5,         1.9,           -1.9,
                           2147483647.0, 2147483648.0,  -2147483648.0, -2147483649.0, -2147483648.5, 4294967295.9,
                           4294967296.0, 1e300,         -1e300,        3e9,           -3e9,          1.0 / 0.0,
                           -1.0 / 0.0,   std::nan(""), 123456.789,    -98765.4321};
  for (double value : values) EXPECT_EQ(TruncateToInt32(value), TruncateForOperator(value)) << value;
}

}  // namespace
