// A script stopped from outside: the attention raised while it runs, as the
// program's watch raises it, and a hook that answers as the program's window
// does. Loops going back, calls (also where nothing loops), a host's call and
// the compile all hear it, in both execution paths alike, and the stop shows
// nothing.
#include <gtest/gtest.h>

#include <string>
#include <cstdint>

#include "platform/system/message_box.h"
#include "script/game_script.h"
#include "script/script_context.h"
#include "script/script_runner.h"

namespace {

// "Outside.Raise()" raises the attention of its context, as the watch would
// at that moment.
class Outside : public NativeClass {
 public:
  explicit Outside(ScriptContext& context) : context_(context) {}
  const char* ClassName() override { return "Outside"; }
  MemberRecord* GetMemberTable() override { return members_; }
  bool CallMethod(int, void*, ScriptValue&, ScriptValue*, int, CCScript&) override {
    context_.attention.Raise();
    return true;
  }

 private:
  ScriptContext& context_;
  MemberRecord members_[2] = {{MK_Method, SVT_None, "Raise", 0, 0}, {MK_End, 0, nullptr, 0, 0}};
};

// The name of the function a report stands in ("" for none).
std::string ReportedFunction(const std::string& report) {
  const std::size_t blank = report.find("\n\n");
  if (blank == std::string::npos) return "";
  return report.substr(blank + 2, report.find('(', blank) - blank - 2);
}

// Calls `main` of `source` `calls` times; the hook answers `stop`. Each
// call's code, then $done, where the last report stands and how often the
// hook was asked.
std::string RunHearing(const char* source, bool stop, bool bytecode, int calls) {
  ScriptContext context;
  int asks = 0;
  context.attention.SetHook([&] {
    ++asks;
    return stop;
  });
  ReportingEngine engine(context);
  Outside outside(context);
  engine.RegisterClass(&outside);
  engine.SetBytecode(bytecode);
  if (engine.CompileScript(source, "") != ERR_NONE) return "does not compile";
  std::string out;
  for (int i = 0; i < calls; ++i)
    out += "code " + std::to_string(engine.CallFunction(engine.FindFunction("main"), nullptr, 0)) + ", ";
  std::string done = "unset";
  engine.ToString(engine.Global(0).value, done);
  return out + "done " + done + ", in " + ReportedFunction(engine.report) + ", asked " + std::to_string(asks);
}

// Each loop would end by itself within milliseconds if nothing heard the
// attention: a row then fails on its code, never by hanging.
TEST(Attention, AStopEndsTheRunningCallInBothPaths) {
  const struct {
    const char* name;
    const char* source;
    bool stop;
    int calls;
    const char* expected;
  } cases[] = {
      {"while", "main() { $done = 0; Outside.Raise(); i = 0; while (i < 3000000) i++; $done = 1; }", true, 1,
       "code 4, done 0, in main, asked 1"},
      {"for", "main() { $done = 0; Outside.Raise(); for (i = 0; i < 3000000; i = i + 1) { } $done = 1; }", true, 1,
       "code 4, done 0, in main, asked 1"},
      {"loop in a callee",
       "spin() { Outside.Raise(); for (i = 0; i < 3000000; i++) { } }\nmain() { $done = 0; spin(); $done = 1; }", true,
       1, "code 4, done 0, in spin, asked 1"},
      // Nothing loops, yet the calls go on and on: each starts by hearing it.
      {"calls", "g(n) { if (n > 0) { g(n - 1); g(n - 1); } }\nmain() { $done = 0; Outside.Raise(); g(17); $done = 1; }",
       true, 1, "code 4, done 0, in g, asked 1"},
      // Told to go on, the call runs to its end: the flag is down after one answer.
      {"go on", "main() { Outside.Raise(); i = 0; while (i < 100000) i++; $done = 1; }", false, 1,
       "code 0, done 1, in , asked 1"},
      // Straight on to its end, the call hears nothing; a host's next call
      // stops before its first statement, and while the hook says stop, the
      // one after it does too, without another raise.
      {"next calls", "main() { Outside.Raise(); $done = 1; }", true, 3,
       "code 0, code 4, code 4, done 1, in main, asked 2"},
  };
  for (const auto& c : cases) {
    for (const bool bytecode : {true, false}) {
      SCOPED_TRACE(std::string(c.name) + (bytecode ? " (bytecode)" : " (plain)"));
      EXPECT_EQ(RunHearing(c.source, c.stop, bytecode, c.calls), c.expected);
    }
  }
}

// The compile hears it while it preprocesses (here in the included file) and
// while it reads the tokens of a function: it fails with 4 where it stood,
// and no function of it stays. The hook says go on, raising again, until the
// moment of the row.
TEST(Attention, AStopEndsTheCompile) {
  const std::string body = "main() {" + std::string(20000, ' ') + std::string(20000, ';') + "}\n";
  const struct {
    const char* name;
    const char* source;
    bool whenIncluded;   // stop once the include has been read
    bool whenTokenized;  // stop once main's tokens are being read
    const char* expected;
  } cases[] = {
      {"preprocessing", "\n#include \"big.txt\"\n", true, false, "code 4, at big.txt:1, main missing"},
      {"tokens", body.c_str(), false, true, "code 4, at main.csc:1, main missing"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptContext context;
    bool included = false;
    context.fileReader = [&](const std::string& path, std::uint64_t, std::string& out) {
      out = body;
      included = path == "big.txt";
      return included ? ScriptFileRead::Read : ScriptFileRead::Missing;
    };
    struct Engine : ReportingEngine {
      using ReportingEngine::ReportingEngine;
      CompileFault fault;
      void OnCompileError(const CompileFault& fault_) override { fault = fault_; }
    } engine(context);
    context.attention.SetHook([&] {
      if ((c.whenIncluded && included) || (c.whenTokenized && engine.FindFunction("main"))) return true;
      context.attention.Raise();
      return false;
    });
    context.attention.Raise();
    const EErrorCode code = engine.CompileScript(c.source, "main.csc");
    EXPECT_EQ("code " + std::to_string(code) + ", at " + engine.fault.file + ":" + std::to_string(engine.fault.line) +
                  ", main " + (engine.FindFunction("main") ? "compiled" : "missing"),
              c.expected);
  }
}

// The program's engine shows no box and writes no line for the stop.
TEST(Attention, TheStopShowsNothing) {
  static int boxes = 0;
  SetMessageBoxPresenter([](const char*, const char*, const MessageBoxStyle&) { ++boxes; });
  ScriptContext context;
  context.attention.SetHook([] { return true; });
  GameScript engine(context);
  ASSERT_EQ(engine.CompileScript("main() { }", ""), ERR_NONE);
  context.attention.Raise();
  testing::internal::CaptureStderr();
  EXPECT_EQ(engine.CallFunction(engine.FindFunction("main"), nullptr, 0), ERR_USER_STOP);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(boxes, 0);
  SetMessageBoxPresenter(nullptr);
}

}  // namespace
