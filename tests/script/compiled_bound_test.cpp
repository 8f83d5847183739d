// What the compiled functions of one engine keep is bounded: a compile that
// would take them past 512 MiB stops before it allocates, fails with 4 and
// says why in its line; what a failed or cleared function took is given back;
// bytecode that would not fit is not made, and the function runs as before.
#include <gtest/gtest.h>

#include <string>

#include "script/game_script.h"
#include "script/script_context.h"
#include "support/peak_memory.h"

namespace {

constexpr std::size_t kMiB = std::size_t{1} << 20;

// A function of `count` lines "x=1;" (four tokens each) that sets $NAME at its end.
std::string Statements(const std::string& name, std::size_t count) {
  std::string text = name + "() {\n";
  text.reserve(text.size() + count * 5 + 32);
  for (std::size_t i = 0; i < count; ++i) text += "x=1;\n";
  return text + "$" + name + " = 1;\n}\n";
}

// Whether the function made by Statements set its global.
bool RanToItsEnd(CCScript& engine, const std::string& name) {
  for (int g = 0; g < kMaxGlobals; ++g)
    if (engine.Global(g).name == name) return engine.Global(g).value.type == SVT_Number;
  return false;
}

// A class script whose function includes 24 MiB of "x=1;" lines, as a class
// that includes a generated file might: its tokens alone would pass the
// bound. It stops where they would, before the memory is taken, and says so.
// (At this size it shows the memory the compile takes: a sanitizer build,
// which neither measures that nor runs it quickly, leaves it out.)
TEST(CompiledBound, AScriptPastTheBoundStopsBeforeTakingTheMemory) {
  if (!kPeaksMeasured) GTEST_SKIP() << "peak memory is not the program's under a sanitizer";
  std::string body;
  while (body.size() < 24 * kMiB) body += "x=1;x=1;\n";
  ScriptContext context;
  context.fileReader = [&body](const std::string& path, std::uint64_t limit, std::string& out) {
    if (path != "classes/body.csc") return ScriptFileRead::Missing;
    if (body.size() > limit) return ScriptFileRead::TooLarge;
    out = body;
    return ScriptFileRead::Read;
  };
  GameScript engine(context);
  testing::internal::CaptureStderr();
  ResetPeakMemory();
  const EErrorCode code = engine.CompileScript("Big() {\n#include \"body.csc\"\n}\n", "classes/big.txt");
  const std::size_t peak = PeakMemory();
  const std::string printed = testing::internal::GetCapturedStderr();
  EXPECT_EQ(ERR_USER_STOP, code);
  // The line on which the token that would not fit stands.
  EXPECT_EQ("t3dplayer: classes/body.csc:2097152: error 4: not compiled: the compiled scripts would pass 512 MiB\n",
            printed);
  EXPECT_EQ(0u, engine.CompiledBytes());
  EXPECT_EQ(nullptr, engine.FindFunction("Big"));
  // The text, its copies and the tokens kept up to the bound (about 520
  // MiB); compiled whole, the tokens and their tables would take 900.
  EXPECT_LT(peak, 640 * kMiB);
}

// Functions compiled into one engine share its bound (here 4 MiB), and the
// bytecode made at a function's first call counts with it; when that would
// not fit, the plain routines run the function, to the same end. A function
// that fails gives back what it took, and so do functions cleared.
TEST(CompiledBound, FunctionsAndTheirBytecodeShareTheBound) {
  constexpr std::size_t kLines = 16000;  // 64,000 tokens: 1.7 MiB with their tables and places
  ScriptContext context;
  GameScript engine(context);
  engine.SetCompiledBound(4 * kMiB);
  ASSERT_EQ(ERR_NONE, engine.CompileScript(Statements("A", kLines).c_str(), "a.csc"));
  const std::size_t one = engine.CompiledBytes();
  EXPECT_GT(one, kMiB * 15 / 10);
  EXPECT_LT(one, kMiB * 18 / 10);
  ASSERT_EQ(ERR_NONE, engine.CompileScript(Statements("B", kLines).c_str(), "b.csc"));
  EXPECT_EQ(2 * one, engine.CompiledBytes());

  // Half its tokens fit; the token array's next growth does not.
  testing::internal::CaptureStderr();
  EXPECT_EQ(ERR_USER_STOP, engine.CompileScript(Statements("C", kLines).c_str(), "c.csc"));
  EXPECT_EQ("t3dplayer: c.csc:8192: error 4: not compiled: the compiled scripts would pass 4 MiB\n",
            testing::internal::GetCapturedStderr());
  EXPECT_EQ(2 * one, engine.CompiledBytes());

  ASSERT_EQ(ERR_NONE, engine.CompileScript(Statements("D", kLines / 5).c_str(), "d.csc"));
  for (const char* name : {"D", "A"}) {
    SCOPED_TRACE(name);
    const std::size_t before = engine.CompiledBytes();
    EXPECT_EQ(ERR_NONE, engine.CallFunction(engine.FindFunction(name), nullptr, 0));
    EXPECT_TRUE(RanToItsEnd(engine, name));
    if (name[0] == 'D') {
      EXPECT_NE(nullptr, engine.FindFunction(name)->bytecode);
      EXPECT_GT(engine.CompiledBytes(), before + 100 * 1024);
    } else {  // A's would not fit: none is made
      EXPECT_EQ(nullptr, engine.FindFunction(name)->bytecode);
      EXPECT_EQ(before, engine.CompiledBytes());
    }
  }
  EXPECT_LE(engine.CompiledBytes(), 4 * kMiB);
  engine.ClearFunctions();
  EXPECT_EQ(0u, engine.CompiledBytes());
}

}  // namespace
