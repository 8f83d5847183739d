// The engine as a host sees it: the host entry, re-entrant calls, class
// registration, error reports and compile failures. Reports of errors met in
// scripts are case files (cases/err_*).
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "script/script_context.h"
#include "script/script_runner.h"

namespace {

// Counts its reports; the last one's text is kept in `report`.
class TestEngine : public ReportingEngine {
 public:
  using ReportingEngine::ReportingEngine;
  int reports = 0;
  bool OnError(int line, int column, int code) override {
    ++reports;
    return ReportingEngine::OnError(line, column, code);
  }
};

class Other : public NativeClass {
 public:
  explicit Other(const char* name) : name_(name) {}
  const char* ClassName() override { return name_; }
  MemberRecord* GetMemberTable() override { return members_; }

  MemberRecord members_[3] = {
      {MK_ReadOnly, SVT_Number, "Shared", 0, 0},
      {MK_ReadOnly, SVT_Number, "Call", 0, 0},
      {MK_End, 0, nullptr, 0, 0},
  };

 private:
  const char* name_;
};

class Bare : public NativeClass {
 public:
  const char* ClassName() override { return "Bare"; }
};

TEST(Engine, NullFunctionReturnsZeroWithoutReport) {
  TestEngine engine;
  EXPECT_EQ(ERR_NONE, engine.CallFunction(nullptr, nullptr, 0));
  EXPECT_EQ(0, engine.reports);
}

TEST(Engine, StateIsRestoredAfterAnError) {
  TestEngine engine;
  ASSERT_EQ(ERR_NONE, engine.CompileScript("bad(a, b) { c = a; return a % 0; }\ngood(n) { $r = n * 2; }", ""));
  ScriptValue args[2];
  args[0].SetNumber(1);
  args[1].SetNumber(2);
  EXPECT_EQ(ERR_WRONG_OPERATOR, engine.CallFunction(engine.FindFunction("bad"), args, 2));
  EXPECT_EQ(0, engine.StackPointer());
  EXPECT_EQ(0, engine.FrameBase());
  args[0].SetNumber(21);
  EXPECT_EQ(ERR_NONE, engine.CallFunction(engine.FindFunction("good"), args, 1));
  EXPECT_EQ(42, engine.Global(0).value.number);
}

TEST(Engine, HostArgumentsAreConvertedInPlace) {
  TestEngine engine;
  ASSERT_EQ(ERR_NONE, engine.CompileScript("f(number n, string s) { $sum = n + 1; $text = s; }", ""));
  ScriptValue args[2];
  args[0].SetString("41");
  args[1].SetNumber(2.5);
  EXPECT_EQ(ERR_NONE, engine.CallFunction(engine.FindFunction("f"), args, 2));
  EXPECT_EQ(SVT_Number, args[0].type);
  EXPECT_EQ(41, args[0].number);
  ASSERT_EQ(SVT_String, args[1].type);
  EXPECT_STREQ("2.5", args[1].text);
  EXPECT_EQ(42, engine.Global(0).value.number);
}

TEST(Engine, NativeMethodMayReenterTheEngine) {
  TestEngine engine;
  Probe probe;
  ASSERT_TRUE(engine.RegisterClass(&probe));
  ASSERT_EQ(ERR_NONE, engine.CompileScript(
                          "leaf() { $leaf = 1; }\n"
                          "failing() { x = 1 % 0; }\n"
                          "outer(a, b) { r = Probe.Call(\"leaf\"); $f = Probe.Call(\"failing\"); $after = a + b + r; }",
                          ""));
  ScriptValue args[2];
  args[0].SetNumber(10);
  args[1].SetNumber(20);
  EXPECT_EQ(ERR_NONE, engine.CallFunction(engine.FindFunction("outer"), args, 2));
  EXPECT_EQ(ERR_WRONG_OPERATOR, engine.Global(1).value.number);
  EXPECT_EQ(1, engine.reports);
  EXPECT_EQ(30, engine.Global(2).value.number);  // the outer frame survived both nested calls
  EXPECT_EQ(0, engine.StackPointer());
}

TEST(Engine, ClassRegistrationRules) {
  TestEngine engine;
  Other first("Same"), second("Same"), third("Third");
  Bare bare;
  EXPECT_TRUE(engine.RegisterClass(&first));
  EXPECT_FALSE(engine.RegisterClass(&first));
  EXPECT_FALSE(engine.RegisterClass(&second));
  EXPECT_TRUE(engine.RegisterClass(&third));
  EXPECT_TRUE(engine.RegisterClass(&bare));
  // Two classes with a member of the same name share its id, and each finds its own row.
  EXPECT_EQ(first.members_[0].nameId, third.members_[0].nameId);
  EXPECT_EQ(0, third.FindMember(third.members_[0].nameId));
  EXPECT_EQ(1, third.FindMember(third.members_[1].nameId));
  // A class without members is a value, but every member access fails.
  ASSERT_EQ(ERR_NONE, engine.CompileScript("f() { b = Bare; $x = b.Shared; }", ""));
  EXPECT_EQ(ERR_NO_SUCH_MEMBER, engine.CallFunction(engine.FindFunction("f"), nullptr, 0));
}

// Each context numbers member names on its own; a class object keeps the ids
// of the context it was registered in, for any number of its engines.
TEST(Engine, MemberNameIdsBelongToTheirContext) {
  ScriptContext first, second;
  TestEngine a(first), b(second), c(first);
  Other shared("Shared"), alone("Alone");
  Probe probe;  // "Echo" ... "Call" (4) ... "Stop" (9)
  EXPECT_TRUE(a.RegisterClass(&shared));
  EXPECT_TRUE(b.RegisterClass(&probe));
  EXPECT_TRUE(b.RegisterClass(&alone));
  EXPECT_FALSE(b.RegisterClass(&shared));
  EXPECT_TRUE(c.RegisterClass(&shared));
  const auto ids = [](const Other& cls) { return std::vector<int>{cls.members_[0].nameId, cls.members_[1].nameId}; };
  EXPECT_EQ((std::vector<int>{0, 1}), ids(shared));
  EXPECT_EQ((std::vector<int>{10, 4}), ids(alone));
  // A script of the second context calls its own "Call".
  ASSERT_EQ(ERR_NONE, b.CompileScript("f() { $r = Probe.Call(\"g\"); } g() { }", ""));
  EXPECT_EQ(ERR_NONE, b.CallFunction(b.FindFunction("f"), nullptr, 0));
  EXPECT_EQ(0, b.Global(0).value.number);
}

TEST(Engine, FailedCompileLeavesNoHalfBuiltFunction) {
  TestEngine engine;
  EXPECT_EQ(ERR_BAD_STRING, engine.CompileScript("good() { }\nbad() { x = \"open; }\n", ""));
  EXPECT_NE(nullptr, engine.FindFunction("good"));
  EXPECT_EQ(nullptr, engine.FindFunction("bad"));
  EXPECT_EQ(ERR_NONE, engine.CompileScript("bad() { $ok = 1; }", ""));
  EXPECT_EQ(ERR_NONE, engine.CallFunction(engine.FindFunction("bad"), nullptr, 0));
}

TEST(Engine, ClearFunctionsKeepsGlobals) {
  TestEngine engine;
  ASSERT_EQ(ERR_NONE, engine.CompileScript("f() { $kept = \"yes\"; }", ""));
  engine.CallFunction(engine.FindFunction("f"), nullptr, 0);
  engine.ClearFunctions();
  EXPECT_EQ(nullptr, engine.FindFunction("f"));
  ASSERT_EQ(ERR_NONE, engine.CompileScript("g() { $copy = $kept; }", ""));
  engine.CallFunction(engine.FindFunction("g"), nullptr, 0);
  EXPECT_STREQ("yes", engine.Global(1).value.text);
}

TEST(Engine, FormatErrorStaysWithinTheBuffer) {
  TestEngine engine;
  char small[16];
  std::memset(small, 'x', sizeof small);
  engine.FormatError(1, 2, 23, small, sizeof small);
  EXPECT_EQ('\0', small[15]);
  EXPECT_EQ(0, std::strncmp(small, "(1,2) : error 2", 15));
}

TEST(Engine, StepBudgetEndsRunawayScripts) {
  TestEngine engine;
  engine.SetStepBudget(1000);
  ASSERT_EQ(ERR_NONE, engine.CompileScript("f() { while (1) { x = 1; } }", ""));
  EXPECT_EQ(ERR_USER_STOP, engine.CallFunction(engine.FindFunction("f"), nullptr, 0));
}

// Recursion that needs no value-stack slots, and deep nesting in the source,
// end with 46 before the native stack runs out (the nesting count ends them;
// the differential tests check that both execution paths stop at one place).
TEST(Engine, DeepNativeRecursionEndsWithStackOverflow) {
  const std::string parens = "f() { x = " + std::string(200000, '(') + "1" + std::string(200000, ')') + "; }";
  const std::string blocks = "f() " + std::string(200000, '{') + std::string(200000, '}');
  const std::string calls = "f() { f(); }";
  for (const std::string& source : {parens, blocks, calls}) {
    TestEngine engine;
    ASSERT_EQ(ERR_NONE, engine.CompileScript(source.c_str(), ""));
    EXPECT_EQ(ERR_STACK_OVERFLOW, engine.CallFunction(engine.FindFunction("f"), nullptr, 0)) << source.substr(0, 20);
    EXPECT_EQ(0, engine.StackPointer());
  }
}

TEST(Engine, PushingPastTheStackFails) {
  TestEngine engine;
  ScriptValue value;
  value.SetNumber(1);
  engine.SetStackPointer(kStackSize - 2);
  engine.Push(value);
  EXPECT_EQ(kStackSize - 1, engine.StackPointer());
  EXPECT_THROW(engine.Push(value), EErrorCode);
  EXPECT_THROW(engine.SetStackPointer(-1), EErrorCode);
}

}  // namespace
