// The texts scripts hold: counted exactly however values travel, bounded per
// text and for all of one context's engines together, and an allocation
// failure that ends only the call. Both execution paths.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "script/script_context.h"
#include "script/script_runner.h"

namespace {

constexpr std::size_t kMiB = std::size_t{1} << 20;

// Every way a value's text comes and goes, with what the account holds after
// each step; texts made outside a scope belong to no account.
TEST(TextBounds, AccountFollowsEveryCopyMoveAndRelease) {
  ScriptTextAccount account, other;
  std::string trace;
  ScriptValue host;
  host.SetString("host");  // no scope open: counted nowhere
  {
    ScriptTextScope scope(&account);
    ScriptValue a, b, c;
    const std::vector<std::pair<const char*, std::function<void()>>> steps = {
        {"set", [&] { a.SetString("abcd"); }},
        {"copy", [&] { b = a; }},
        {"self", [&] { b.Assign(b); }},
        {"move", [&] { c = std::move(b); }},
        {"own part", [&] { c.SetString(c.text + 1); }},
        {"number", [&] { a.SetNumber(1); }},
        {"scoped copy", [&] { ScriptValue d(c); }},
        {"host copy", [&] { a = host; }},
        {"host cleared", [&] { host.Clear(); }},
        {"other account", [&] {
           ScriptTextScope inner(&other);
           b.SetString("xy");
         }},
        {"released outside", [&] {
           ScriptTextScope none(nullptr);
           b.Clear();
           c.Clear();
         }},
    };
    for (const auto& [name, step] : steps) {
      step();
      trace += std::string(name) + " " + std::to_string(account.held) + "/" + std::to_string(other.held) + "\n";
    }
  }
  EXPECT_EQ(trace,
            "set 4/0\ncopy 8/0\nself 8/0\nmove 8/0\nown part 7/0\nnumber 3/0\nscoped copy 3/0\nhost copy 7/0\n"
            "host cleared 7/0\nother account 7/2\nreleased outside 4/0\n");
}

// 64 globals, each given a different 32 MiB text: the text s and 30 of them
// fill the 1 GiB, the 31st ends the call with 46. The globals set keep their
// texts, s is let go with the call, the engine takes the next call, a call
// whose second argument cannot be copied lets go of the first one's copy,
// and a second engine of the same context finds no room for a 64 MiB text
// where one of another context does.
TEST(TextBounds, GlobalsFilledPastTheBoundEndTheCallAndKeepTheirText) {
  std::string fill = "fill() { s = \"0123456789ABCDEF\"; i = 0; while (i < 21) { s = s + s; i = i + 1; }\n";
  for (int g = 0; g < 64; ++g) fill += "$g" + std::to_string(g) + " = \"" + std::to_string(g) + ":\" + s;\n";
  fill += "}\nafter() { $after = \"ok\"; }\ntake(x, y) { }\npass() { take($g0, $g1); }\n";
  const char* grow = "grow() { s = \"0123456789ABCDEF\"; i = 0; while (i < 22) { s = s + s; i = i + 1; } }";
  const std::size_t textLength = 32 * kMiB;
  for (bool bytecode : {false, true}) {
    SCOPED_TRACE(bytecode ? "bytecode" : "plain");
    ScriptContext context;
    {
      ReportingEngine engine(context);
      engine.SetBytecode(bytecode);
      ASSERT_EQ(ERR_NONE, engine.CompileScript(fill.c_str(), ""));
      EXPECT_EQ(ERR_STACK_OVERFLOW, engine.CallFunction(engine.FindFunction("fill"), nullptr, 0));
      std::size_t held = 0;
      int set = 0;
      for (int g = 0; g < 64; ++g) {
        const ScriptValue& value = engine.Global(g).value;
        if (value.type != SVT_String) continue;
        const std::string prefix = std::to_string(g) + ":";
        EXPECT_EQ(g, set++);
        EXPECT_EQ(prefix.size() + textLength, std::strlen(value.text)) << g;
        EXPECT_EQ(0, std::strncmp(value.text, prefix.c_str(), prefix.size())) << g;
        held += prefix.size() + textLength;
      }
      EXPECT_EQ(30, set);
      EXPECT_EQ(held, context.texts.held);

      EXPECT_EQ(ERR_NONE, engine.CallFunction(engine.FindFunction("after"), nullptr, 0));
      ASSERT_EQ(SVT_String, engine.Global(64).value.type);
      EXPECT_STREQ("ok", engine.Global(64).value.text);
      EXPECT_EQ(ERR_STACK_OVERFLOW, engine.CallFunction(engine.FindFunction("pass"), nullptr, 0));
      EXPECT_EQ(held + 2, context.texts.held);

      ReportingEngine second(context);
      second.SetBytecode(bytecode);
      ASSERT_EQ(ERR_NONE, second.CompileScript(grow, ""));
      EXPECT_EQ(ERR_STACK_OVERFLOW, second.CallFunction(second.FindFunction("grow"), nullptr, 0));
      ScriptContext elsewhere;
      ReportingEngine third(elsewhere);
      ASSERT_EQ(ERR_NONE, third.CompileScript(grow, ""));
      EXPECT_EQ(ERR_NONE, third.CallFunction(third.FindFunction("grow"), nullptr, 0));
    }
    EXPECT_EQ(0u, context.texts.held);
  }
}

// A recursion 26 deep holding a 32 MiB local at each level returns; its
// texts count no more, and ten 32 MiB globals made after it all fit.
TEST(TextBounds, LargeTextsOfAFinishedRecursionLeaveRoom) {
  const char* source = R"(
    grow() { s = "0123456789ABCDEF"; i = 0; while (i < 21) { s = s + s; i = i + 1; } return s; }
    deep(n, byref s) { t = s + n; if (n > 1) deep(n - 1, s); }
    main() {
      s = grow(); deep(26, s);
      $g1 = s + 1; $g2 = s + 2; $g3 = s + 3; $g4 = s + 4; $g5 = s + 5;
      $g6 = s + 6; $g7 = s + 7; $g8 = s + 8; $g9 = s + 9; $g10 = s + 10;
    }
  )";
  for (bool bytecode : {false, true}) {
    SCOPED_TRACE(bytecode ? "bytecode" : "plain");
    ScriptContext context;
    ReportingEngine engine(context);
    engine.SetBytecode(bytecode);
    ASSERT_EQ(ERR_NONE, engine.CompileScript(source, ""));
    EXPECT_EQ(ERR_NONE, engine.CallFunction(engine.FindFunction("main"), nullptr, 0)) << engine.report;
    EXPECT_EQ(10 * 32 * kMiB + 11, context.texts.held);
  }
}

// Whichever way a call ends, the texts its locals and temporaries held (at
// every level of a recursion, arguments included) are let go: the account
// holds what the globals hold and nothing else, call after call.
TEST(TextBounds, TextsOfAFinishedCallAreLetGo) {
  const std::string common = R"(
    main() { s = "0123456789ABCDEF"; $g = s; deep(6, s); }
  )";
  struct Case {
    const char* name;
    const char* deep;
    EErrorCode result;
  };
  // A byref parameter makes every call a call of its own; with plain ones
  // the bytecode machine runs the whole recursion in one loop.
  const Case cases[] = {
      {"locals", "deep(n, byref s) { t = s + n; if (n > 1) deep(n - 1, s); }", ERR_NONE},
      {"locals and arguments", "deep(n, s) { t = s + n; if (n > 1) deep(n - 1, s + n); }", ERR_NONE},
      // The innermost call makes no text itself: the one it was handed is
      // all it holds.
      {"arguments made by the caller", "deep(n, s) { if (n > 1) deep(n - 1, s + n); }", ERR_NONE},
      {"temporaries", "deep(n, byref s) { if (n > 1) deep(n - 1, s); s + n; }", ERR_NONE},
      {"temporaries in one loop", "deep(n, s) { if (n > 1) deep(n - 1, s); s + n; }", ERR_NONE},
      {"returned texts", "deep(n, s) { if (n > 1) return deep(n - 1, s) + n; return s; }", ERR_NONE},
      {"a failure at the end", "deep(n, byref s) { t = s + n; if (n > 1) deep(n - 1, s); else x = (s + n) - 1; }",
       ERR_WRONG_OPERATOR},
      {"a failure at the end of one loop",
       "deep(n, s) { t = s + n; if (n > 1) x = (s + n) + deep(n - 1, s); else x = (s + n) - 1; }",
       ERR_WRONG_OPERATOR},
      {"a host call inside", "deep(n, byref s) { t = s + n; if (n > 1) deep(n - 1, s); else Probe.Call(\"inner\"); }\n"
                             "inner() { u = $g + $g; x = (u + 1) - 1; }",
       ERR_NONE},
  };
  for (const Case& c : cases) {
    for (bool bytecode : {false, true}) {
      SCOPED_TRACE(std::string(c.name) + (bytecode ? ", bytecode" : ", plain"));
      ScriptContext context;
      Probe probe;
      ReportingEngine engine(context);
      engine.SetBytecode(bytecode);
      engine.RegisterClass(&probe);
      ASSERT_EQ(ERR_NONE, engine.CompileScript((c.deep + common).c_str(), ""));
      for (int round = 0; round < 2; ++round) {
        EXPECT_EQ(c.result, engine.CallFunction(engine.FindFunction("main"), nullptr, 0));
        EXPECT_EQ(16u, context.texts.held);
      }
    }
  }
}

// Texts made and dropped through every path a value takes (arguments
// converted and by reference, returns, a class's copy, errors unwinding
// temporaries) leave the count where it was: it never drifts call by call.
TEST(TextBounds, RepeatedCallsLeaveTheSameCount) {
  const char* source = R"(
    pass(string t) { return t + "."; }
    swap(byref a, byref b) { c = a; a = b; b = c; }
    churn(string t, n) {
      s = t + n; $g = s + s; $copy = $g; $h = pass(s); swap(s, $copy);
      Probe.Value = s + "!"; $back = Probe.Value; $echo = Probe.Echo($h + 1);
    }
    broken(t) { s = t + t; x = (s + "a") - 1; }
  )";
  for (bool bytecode : {false, true}) {
    SCOPED_TRACE(bytecode ? "bytecode" : "plain");
    ScriptContext context;
    {
      Probe probe;
      ReportingEngine engine(context);
      engine.SetBytecode(bytecode);
      engine.RegisterClass(&probe);
      ASSERT_EQ(ERR_NONE, engine.CompileScript(source, ""));
      std::vector<std::size_t> counts;
      for (int round = 0; round < 6; ++round) {
        ScriptValue args[2];
        args[0].SetString("text");
        args[1].SetNumber(round % 2);
        EXPECT_EQ(ERR_NONE, engine.CallFunction(engine.FindFunction("churn"), args, 2));
        EXPECT_EQ(ERR_WRONG_OPERATOR, engine.CallFunction(engine.FindFunction("broken"), args, 1));
        counts.push_back(context.texts.held);
      }
      EXPECT_GT(counts[0], 0u);
      EXPECT_EQ(std::vector<std::size_t>(counts.size(), counts[0]), counts);
    }
    EXPECT_EQ(0u, context.texts.held);
  }
}

// A class whose method or property runs out of memory.
class Greedy : public NativeClass {
 public:
  const char* ClassName() override { return "Greedy"; }
  MemberRecord* GetMemberTable() override { return members_; }
  bool GetProperty(int, void*, ScriptValue&, CCScript&) override { throw std::length_error("too long"); }
  bool CallMethod(int, void*, ScriptValue&, ScriptValue*, int, CCScript&) override { throw std::bad_alloc(); }

 private:
  MemberRecord members_[3] = {
      {MK_Method, SVT_None, "Take", 0, 0},
      {MK_ReadOnly, SVT_String, "Size", 0, 0},
      {MK_End, 0, nullptr, 0, 0},
  };
};

// An allocation that fails ends the call like a script error (46, reported
// at the statement), never the player; the engine takes the next call.
TEST(TextBounds, AllocationFailureEndsOnlyTheCall) {
  ScriptContext context;
  Greedy greedy;
  ReportingEngine engine(context);
  engine.RegisterClass(&greedy);
  ASSERT_EQ(ERR_NONE, engine.CompileScript("take() { Greedy.Take(); }\nsize() { $s = Greedy.Size; }\n"
                                           "fine() { $fine = 1; }", ""));
  for (const char* name : {"take", "size"}) {
    engine.report.clear();
    EXPECT_EQ(ERR_STACK_OVERFLOW, engine.CallFunction(engine.FindFunction(name), nullptr, 0)) << name;
    EXPECT_NE(std::string::npos, engine.report.find("error 46")) << engine.report;
    EXPECT_EQ(0, engine.StackPointer());
  }
  EXPECT_EQ(ERR_NONE, engine.CallFunction(engine.FindFunction("fine"), nullptr, 0));
}

}  // namespace
