// Runs scripts as bytecode and with the plain routines and requires the
// same observable outcome: result code, error position and report, every call
// into the host class in order, the globals and the stack registers. Covers
// the case files, hand-written programs with errors at many positions, and
// every step budget up to the program's length.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/system/numbers.h"
#include "script/engine.h"
#include "script/engine_internal.h"

namespace {

namespace fs = std::filesystem;

// A class that writes down every call the interpreter makes into it.
class LoggingProbe : public NativeClass {
 public:
  std::string* log = nullptr;
  const char* ClassName() override { return "Probe"; }
  MemberRecord* GetMemberTable() override { return members_; }
  void* GetOwner() override {
    Note("owner");
    return this;
  }
  bool GetProperty(int member, void*, ScriptValue& out, CCScript& engine) override {
    Note("get " + std::to_string(member));
    if (member == 1) out.SetNumber(7);
    if (member == 3) out.Assign(value_);
    if (member == 6) out.SetString("12");
    if (member == 7) throw ERR_OUT_OF_RANGE;
    (void)engine;
    return member == 1 || member == 3 || member == 6;
  }
  bool SetProperty(int member, void*, const ScriptValue& in, CCScript& engine) override {
    Note("set " + std::to_string(member) + " " + Describe(engine, in));
    if (member == 3) value_.Assign(in);
    return true;
  }
  bool CallMethod(int member, void*, ScriptValue& result, ScriptValue* args, int count, CCScript& engine) override {
    std::string line = "call " + std::to_string(member);
    for (int i = 0; i < count; ++i) line += " " + Describe(engine, args[i]);
    Note(line);
    switch (member) {
      case 0:
        if (const ScriptValue* arg = engine.FollowReferences(args[0])) result.Assign(*arg);
        break;
      case 4: {  // Call(name): re-enters the engine
        std::string name;
        if (engine.ToString(args[0], name)) {
          const EErrorCode code = engine.CallFunction(engine.FindFunction(name.c_str()), nullptr, 0);
          result.SetNumber(code);
        }
        break;
      }
      case 5:
        throw ERR_OUT_OF_RANGE;
      case 8:
        throw ERR_ARGUMENT_TYPE;
      default:
        break;
    }
    return true;
  }

 private:
  void Note(const std::string& line) {
    if (log) *log += line + "\n";
  }
  static std::string Describe(CCScript& engine, const ScriptValue& value) {
    const ScriptValue* target = engine.FollowReferences(value);
    if (!target) return "<dangling>";
    std::string text;
    if (target->type == SVT_Number || target->type == SVT_String) {
      engine.ToString(*target, text);
      return "'" + text + "'";
    }
    return "<type " + std::to_string(target->type) + ">";
  }
  MemberRecord members_[10] = {
      {MK_Method, SVT_None, "Echo", 0, 1},      {MK_ReadOnly, SVT_Number, "Count", 0, 0},
      {MK_WriteOnly, SVT_None, "Sink", 0, 0},   {MK_ReadWrite, SVT_None, "Value", 0, 0},
      {MK_Method, SVT_None, "Call", 0, 1},      {MK_Method, SVT_None, "Fail", 0, 0},
      {MK_ReadOnly, SVT_String, "Text", 0, 0},  {MK_ReadOnly, SVT_Number, "Broken", 0, 0},
      {MK_Method, SVT_None, "WrongType", 0, 1}, {MK_End, 0, nullptr, 0, 0},
  };
  ScriptValue value_;
};

// A second class, so that a member name exists that Probe does not have.
class Other : public NativeClass {
 public:
  const char* ClassName() override { return "Other"; }
  MemberRecord* GetMemberTable() override { return members_; }

 private:
  MemberRecord members_[2] = {{MK_ReadOnly, SVT_Number, "Missing", 0, 0}, {MK_End, 0, nullptr, 0, 0}};
};

class LoggingEngine : public CCScript {
 public:
  std::string* log = nullptr;
  bool OnError(int line, int column, int code) override {
    char text[1024];
    FormatError(line, column, code, text, sizeof text);
    *log += "error " + std::to_string(line) + "," + std::to_string(column) + " " + std::to_string(code) + "\n" +
            text;
    return false;
  }
};

struct ScriptRun {
  std::string function = "main";
  std::vector<std::string> args;
  std::uint64_t budget = 0;
};

std::string Execute(const std::string& source, const ScriptRun& run, bool bytecode) {
  std::string log;
  LoggingProbe probe;
  Other other;
  probe.log = &log;
  LoggingEngine engine;
  engine.log = &log;
  engine.SetBytecode(bytecode);
  engine.RegisterClass(&probe);
  engine.RegisterClass(&other);
  engine.SetStepBudget(run.budget);
  const EErrorCode compiled = engine.CompileScript(source.c_str(), "");
  if (compiled != ERR_NONE) return "compile " + std::to_string(compiled) + "\n";
  std::vector<ScriptValue> values(run.args.size());
  for (std::size_t i = 0; i < run.args.size(); ++i) {
    if (IsNumberString(run.args[i].c_str())) {
      values[i].SetNumber(std::atof(run.args[i].c_str()));
    } else {
      values[i].SetString(run.args[i].c_str());
    }
  }
  // Twice: the second call runs what the first one cached.
  for (int pass = 0; pass < 2; ++pass) {
    const EErrorCode result =
        engine.CallFunction(engine.FindFunction(run.function.c_str()), values.data(), static_cast<int>(values.size()));
    log += "result " + std::to_string(result) + " sp " + std::to_string(engine.StackPointer()) + " base " +
           std::to_string(engine.FrameBase()) + "\n";
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

// Every step budget up to the point where the program finishes on its own.
void ExpectSameUnderEveryBudget(const std::string& source, const ScriptRun& base) {
  ExpectSameBothWays(source, base);
  for (std::uint64_t budget = 1; budget <= 60; ++budget) {
    ScriptRun run = base;
    run.budget = budget;
    ExpectSameBothWays(source, run);
    if (testing::Test::HasFailure()) return;
  }
}

std::string ReadAll(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

TEST(Bytecode, CaseFilesRunTheSameBothWays) {
  const fs::path folder = fs::path(T3D_SOURCE_DIR) / "tests/script/cases";
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(folder))
    if (entry.path().extension() == ".csc") files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  ASSERT_FALSE(files.empty());
  for (const fs::path& file : files) {
    const std::string text = ReadAll(file);
    ScriptRun run;
    std::istringstream firstLine(text.substr(0, text.find('\n')));
    std::string word;
    if (firstLine >> word && word == "//" && firstLine >> word && word == "run:") {
      firstLine >> run.function;
      while (firstLine >> word) run.args.push_back(word);
    }
    SCOPED_TRACE(file.filename().string());
    ExpectSameUnderEveryBudget(text, run);
  }
}

// Programs that run to the end, exercising each construct with side effects
// whose order the log records.
const char* const kPrograms[] = {
    R"(main() { x = 1 + 2 * 3 - 4 / 2 % 3; y = x << 2 >> 1 | 5 & 3; z = x == 5 != (y < 3) <= 1 >= 0 > -1;
        $r = x + y + z; $s = "a" + 1 + 2.5; $t = 1 + "2"; $u = "abc" < "abd"; $v = "3" * 1; })",
    R"(main() { s = ""; for (i = 0; i < 5; i++) s = s + i; $s = s; i = 0; while (i < 7) { i += 2; if (i == 4) continue; $w = $w + i; } })",
    R"(main() { i = 0; for (;;) { i++; if (i > 3) break; } $i = i; for (j = 0; j < 3;) j++; $j = j; for (k = 5; ; k--) if (k < 2) break; $k = k; })",
    R"(main() { a = 0 && Probe.Echo(1); b = 1 && Probe.Echo(2) && Probe.Echo(0) && Probe.Echo(3); c = Probe.Echo(0) || Probe.Echo(4);
        d = 1 && 0 || 2 && 3; e = (0 && 1) + 5; $r = a + b + c + d + e; f = 0; g = f && 1; $g = g; })",
    R"(main() { Probe.Value = Probe.Echo(5) + Probe.Count; x = Probe.Value; Probe.Value += 2; $x = x + Probe.Value;
        y = +Probe.Count; z = -Probe.Count; Probe.Value++; $y = y + z + Probe.Value; $t = Probe.Text + 1; $u = 1 + Probe.Text; })",
    R"(add(a, b) { return a + b; } twice(byref v) { v = v * 2; } str(string s) { return s + "!"; } num(number n) { return n + 1; }
       obj(Probe p) { return p.Count; }
       main() { x = add(1, 2); twice(x); $x = x; $s = str(12); $n = num("41"); $o = obj(Probe); c = Probe; $c = c.Count; $e = empty == q; $f = x != empty; })",
    R"(fib(n) { if (n < 2) return n; return fib(n - 1) + fib(n - 2); } main() { $f = fib(12); r = 0; while (1) { r++; if (r == 3) { return; } } })",
    R"(inner() { Probe.Echo("inner"); return 9; } main() { $a = Probe.Call("inner"); $b = Probe.Call("missing"); x = y = z = 4; $x = x + y + z; x -= 1; x *= 3; x /= 2; x &= 6; x |= 9; x <<= 2; x >>= 1; $y = x; })",
    R"(main() { x = "5"; y = x + 1; z = 1 + x; $r = y + z; w = 7 / 0; $w = w; n = 0 / 0; $n = n; $m = n == n; if (n) $q = 1; a = 2147483647 * 4; $a = a | 0; $b = -7 % 3; $c = 1 << 33; })",
    R"(loop(n) { t = 0; for (i = 0; i < n; i++) { for (j = 0; j < n; j++) { if (j > i) break; t = t + i * j; } } return t; } main() { $l = loop(6); $k = loop(0); })",
    R"(main() { x = 1; { { x = x + 1; } x = x + 1; } if (x == 3) { $a = 1; } else { $a = 2; } if (0) $b = 1; else if (1) $b = 2; else $b = 3; $x = (x, 5, x + 1); })",
    R"(r(n) { if (n == 0) return "end"; return r(n - 1); } main() { $r = r(20); x = r(3) + r(2); $x = x; return x; $y = 1; })",
    R"(main() { x = 1; break; $x = 2; } )",
    R"(main() { $n = 0; for (k = 3, n = 1; ; k--) { $n = $n + 1; if ($n > 10) break; } for (m = -4, z = 1; ; m++) { $m = m; if (m > 9) break; } })",
    R"(main() { while (1) { while (1) { break; } $a = $a + 1; if ($a > 2) return; } })",
    R"(set(byref a, byref b) { a = 1; b = "t"; } main() { set($g, loc); $l = loc; set(p, p); $p = p; })",
    // Variables are read when an operator, a call or a return uses them, after
    // everything to their right has run.
    R"(pair(p, q) { return p * 10 + q; } bump(byref v) { v = v + 1; return v; } get(v) { return v; } none() { w = 1; }
       main() { $n = ("a" + 1, none()) == empty; $o = none() == empty;
        a = 1; $x = a + (a = 5); b = 2; $y = (b && 1) + (b = 0); c = 0; $z = (c && 1) + (c = 7);
        d = 3; $w = pair(d, d = 4); e = 1; $v = e * 100 + bump(e); $u = (get)(e); s = "a"; $s = s + (s = "b") + s; })",
    // Loop ends, stepped and tested at once or one by one.
    R"(main() { s = 0; for (i = 0; i < 5; i++) { if (i == 2) continue; s = s + i; } $s = s;
        j = "3"; while (j < 6) { j++; }
        $j = j; k = 9; for (; k > Probe.Count; k--) $k = k; n = 0; for (m = 3; m != -1; m--) n = n + m; $n = n;
        for (q = 0; q <= "2"; q++) $q = q; })",
    // Remainders by constants, whole and not, in and out of the 32-bit range.
    R"(main() { t = ""; for (x = -20; x < 20; x += 0.75) t = t + (x % 7) + " " + (x % -3) + " " + (x % 2.5) + ",";
        $t = t;
        $e = 2147483647 % 2 + "," + -2147483648 % 3 + "," + 4294967295 % 10 + "," + 10000000000 % 7 + "," +
             2147483648 % 1000 + "," + (0 / 0) % 7 + "," + -0.5 % 3 + "," + 1 / (-7 % 7) + "," +
             -2147483648 % 2147483647 + "," + 123456789 % -2147483647 + "," + -5 % 1000000007 + "," + 9 % 1 + "," +
             9 % -1;
        y = "12"; $y = y % 5; })",
    // A native that enters the engine again sees the nesting count of the
    // expression it was called from.
    R"(down() { $n = $n + 1; down(); }
       main() { $n = 0; x = (((Probe.Call("down")))); $m = $n; $n = 0; y = 1 + (Probe.Call("down")); })",
};

TEST(Bytecode, ProgramsRunTheSameBothWays) {
  for (const char* program : kPrograms) ExpectSameUnderEveryBudget(program, ScriptRun{});
}

// Faults raised in the middle of expressions, after side effects; each is
// placed inside main, inside a called function, late in a loop, and in code
// that does not run (where only syntax faults count).
const char* const kFaults[] = {
    // 23, 24, 25, 26, 27
    "x = Probe.Echo(1) + u - 2;", "x = \"a\" + Probe.Echo(2) + u;", "x = \"a\" - Probe.Echo(\"b\");", "x = 7 % (Probe.Echo(0));",
    "x = Probe.Echo(\"a\") * 2;", "Probe.Echo(3) = 2;", "x = 1 + (\"s\" = 1);", "u += 1;", "(Probe.Echo(1) + 1) = 3;",
    "if (Probe.Echo(\"x\")) x = 1;", "while (u) x = 1;", "x = -\"s\";", "x = +Probe.Echo(\"q\");", "u++;",
    "x = 1 || Probe.Echo(\"a\");", "x = Probe.Echo(\"a\") && 1;", "x = 1 && Probe.Echo(\"b\");", "for (x = \"a\"; ; ) break;",
    "for (;;) break;", "x = Probe.Echo(1) + 1 && \"z\";",
    // 29 to 38
    "x = 1; x.Count;", "x = Probe.Echo(1).Count;", "x = Probe.Missing;", "x = Probe.Missing(1);", "x = Probe.Echo;",
    "x = Probe.Count(1);", "x = Probe.Echo();", "x = Probe.Echo(1, 2);", "x = Probe.Sink;", "x = 1 + Probe.Sink;",
    "Probe.Count = Probe.Echo(4);", "Probe.Count++;", "x = Probe.Broken + 1;", "Probe.Fail();", "Probe.WrongType(1);",
    "num(\"abc\");", "str(empty);", "obj(1);", "one(1, 2);", "two(1);", "x = Probe.Echo(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17);",
    // 43, 45, 46
    "x = 1; x(Probe.Echo(2));", "later();", "x = Echo;", "x = Probe.Echo(Echo);", "deep(0);", "flat();", "wide(0);",
    "goto x;",
    // syntax: 5, 7, 8, 9, 10, 11, 15, 16 (and 13 without a name)
    "x = ();", "x = 1, ;", "x = 1 || ;", "x = 1 | ;", "if x;", "while 1;", "for x;", "x = (1;", "{ x = 1; ",
    "x = Probe.Echo(1;", "{ ; }", "for (;;) }", "if () x = 1;", "if (1) }", "while (1) }", "if (1) x = 1; else }",
    "x = f(1, );", "for (x = 1 x < 2;) x = 1;", "for (x = 1; x < 2 x++) x = 1;", "for (x = 1; x < 2; x++ x = 1;",
    "x = 1 }", "break }", "return 1 }", "goto 1;", "goto x }", "x = 1 + ;", "x = ;", "x = - ;", "x = 1 * ;", "x = 1 && ;",
    "x = Probe.;", "x = Probe.1;",
};

const char* const kHelpers = R"(
num(number n) { return n; } str(string s) { return s; } obj(Probe p) { return p; } one(a) { return a; } two(a, b) { return b; }
deep(n) { Probe.Echo(n); return deep(n + 1); } flat() { flat(); } wide(n) { a = 1; b = 2; c = 3; d = 4; e = 5; f = 6; g = 7; h = 8; return wide(n + 1) + 1; }
)";

std::vector<std::string> FaultPrograms() {
  std::vector<std::string> programs;
  for (const char* fault : kFaults) {
    const std::string f = fault;
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
  return programs;
}

TEST(Bytecode, FaultsReportTheSamePositionBothWays) {
  for (const std::string& program : FaultPrograms()) {
    ExpectSameBothWays(program, ScriptRun{});
    if (testing::Test::HasFailure()) return;
  }
}

TEST(Bytecode, FaultsUnderStepBudgetsBehaveTheSame) {
  const std::vector<std::string> programs = FaultPrograms();
  for (std::size_t i = 0; i < programs.size(); i += 3) {
    ExpectSameUnderEveryBudget(programs[i], ScriptRun{});
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
