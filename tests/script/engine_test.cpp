// The engine as a host sees it: arguments converted in place, class
// registration, compile failures, the report's buffer and the limits of steps
// and stacks. Calls made one after another, re-entry and the reports of errors
// met in scripts are case files (cases/).
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "script/script_context.h"
#include "script/script_runner.h"

namespace {

class Bare : public NativeClass {
 public:
  const char* ClassName() override { return "Bare"; }
};

TEST(Engine, HostArgumentsAreConvertedInPlace) {
  ReportingEngine engine;
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

TEST(Engine, ClassRegistrationRules) {
  ReportingEngine engine;
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
  ReportingEngine a(first), b(second), c(first);
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

// A failed compile keeps the functions before the fault and leaves no
// half-built one to clash with a later compile; clearing drops every function
// but keeps the globals.
TEST(Engine, FunctionsComeAndGoGlobalsStay) {
  ReportingEngine engine;
  EXPECT_EQ(ERR_BAD_STRING, engine.CompileScript("good() { $kept = \"yes\"; }\nbad() { x = \"open; }\n", ""));
  EXPECT_EQ(nullptr, engine.FindFunction("bad"));
  EXPECT_EQ(ERR_NONE, engine.CompileScript("bad() { $ok = 1; }", ""));
  EXPECT_EQ(ERR_NONE, engine.CallFunction(engine.FindFunction("bad"), nullptr, 0));
  EXPECT_EQ(ERR_NONE, engine.CallFunction(engine.FindFunction("good"), nullptr, 0));
  engine.ClearFunctions();
  EXPECT_EQ(nullptr, engine.FindFunction("good"));
  ASSERT_EQ(ERR_NONE, engine.CompileScript("g() { $copy = $kept; }", ""));
  engine.CallFunction(engine.FindFunction("g"), nullptr, 0);
  EXPECT_STREQ("yes", engine.Global(2).value.text);
}

TEST(Engine, FormatErrorStaysWithinTheBuffer) {
  ReportingEngine engine;
  char small[16];
  std::memset(small, 'x', sizeof small);
  engine.FormatError(1, 2, 23, small, sizeof small);
  EXPECT_EQ('\0', small[15]);
  EXPECT_EQ(0, std::strncmp(small, "(1,2) : error 2", 15));
}

TEST(Engine, StepBudgetEndsRunawayScripts) {
  ReportingEngine engine;
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
    ReportingEngine engine;
    ASSERT_EQ(ERR_NONE, engine.CompileScript(source.c_str(), ""));
    EXPECT_EQ(ERR_STACK_OVERFLOW, engine.CallFunction(engine.FindFunction("f"), nullptr, 0)) << source.substr(0, 20);
    EXPECT_EQ(0, engine.StackPointer());
  }
}

TEST(Engine, PushingPastTheStackFails) {
  ReportingEngine engine;
  ScriptValue value;
  value.SetNumber(1);
  engine.SetStackPointer(kStackSize - 2);
  engine.Push(value);
  EXPECT_EQ(kStackSize - 1, engine.StackPointer());
  EXPECT_THROW(engine.Push(value), EErrorCode);
  EXPECT_THROW(engine.SetStackPointer(-1), EErrorCode);
}

}  // namespace
