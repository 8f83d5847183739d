// Commands: the parsed form of command texts (cases/commands/parse.cases),
// script-function Commands and their arguments, and errors of actions inside
// and outside a script call (the actions themselves are step cases).
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>

#include "motion/object_class.h"
#include "scene/scene.h"
#include "support/case_files.h"

namespace {

namespace fs = std::filesystem;

const fs::path kCases = fs::path(T3D_SOURCE_DIR) / "tests/scene/cases";

std::string ParsedForm(const Command& command, bool parsed) {
  std::string out = parsed ? "ok" : "fail";
  if (command.type == CommandType::None) return out + " none";
  if (command.type == CommandType::Function)
    return out + " function " + (command.function ? command.function->name : "(null)");
  out += " action ";
  for (int shift = 24; shift >= 0; shift -= 8) {
    const char c = static_cast<char>((command.code >> shift) & 0xFF);
    out += c == '\0' ? '.' : c;
  }
  // Parameters print up to the last one that is not empty.
  int last = -1;
  for (int i = 0; i < kCommandParamCount; ++i)
    if (command.params[static_cast<std::size_t>(i)].kind != CommandParamKind::Empty) last = i;
  for (int i = 0; i <= last; ++i) {
    const CommandParam& p = command.params[static_cast<std::size_t>(i)];
    char text[160] = "-";
    if (p.kind == CommandParamKind::Number) std::snprintf(text, sizeof text, "%g", static_cast<double>(p.number));
    if (p.kind == CommandParamKind::Hex) std::snprintf(text, sizeof text, "#%x", p.word);
    if (p.kind == CommandParamKind::String) std::snprintf(text, sizeof text, "'%s'", p.text);
    out += std::string(" ") + text;
  }
  return out;
}

TEST(Commands, ParsedFormsMatchTheCases) {
  const std::string expected = ReadTextFile(kCases / "commands" / "parse.cases");
  ASSERT_FALSE(expected.empty()) << "missing parse.cases";
  Scene scene;
  ASSERT_EQ(scene.CompileScript("Hello(c) { return 1; }", "test"), ERR_NONE);
  std::istringstream lines(expected);
  std::string actual;
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("=> ", 0) == 0) continue;
    actual += line + "\n";
    if (line.rfind("# ", 0) == 0) continue;
    Command command;
    command.SetText(line.c_str());
    const bool parsed = scene.ParseCommand(command);
    actual += "=> " + ParsedForm(command, parsed) + "\n";
    EXPECT_STREQ(command.GetText(), line.c_str()) << "the text stays as written";
  }
  EXPECT_EQ(expected, actual);
}

// A class the scripts call: Run runs a Command inside the script call, Note
// keeps what it is given.
class Runner : public NativeClass {
 public:
  explicit Runner(Scene& scene) : scene_(scene) {}
  const char* ClassName() override { return "Runner"; }
  MemberRecord* GetMemberTable() override { return members_; }
  bool CallMethod(int member, void*, ScriptValue& result, ScriptValue* args, int, CCScript& engine) override {
    if (member == 1) {
      noted = *engine.FollowReferences(args[0]);
      return true;
    }
    Command command;
    command.SetText("#PSND,'SE01',1.5");
    scene_.ParseCommand(command);
    result.SetNumber(scene_.ExecuteCommand(command, nullptr, nullptr, 0));
    return true;
  }
  ScriptValue noted;

 private:
  Scene& scene_;
  MemberRecord members_[3] = {
      {MK_Method, SVT_Number, "Run", 0, 0}, {MK_Method, SVT_None, "Note", 0, 1}, {MK_End, SVT_None, "", 0, 0}};
};

class QuietScene : public Scene {
 public:
  bool OnError(int, int, int code) override {
    lastError = code;
    return false;
  }
  int lastError = 0;
};

// A name no script defines runs as nothing; a function Command without its
// function is error 40. A function gets the cast first, then the arguments,
// 16 values in all. A range error inside a script call is reported through
// the engine, outside one it is the result. Each line: the result, the
// error reported, and the value the function noted.
TEST(CommandScript, FunctionsGetTheCastThenTheArgumentsAndErrorsGoByWhereTheyHappen) {
  QuietScene scene;
  Runner runner(scene);
  scene.RegisterClass(&runner);
  ASSERT_EQ(scene.CompileScript("Last(a, b, c, d, e, f, g, h, i, j, k, l, m, n, o, p) { Runner.Note(p); }\n"
                                "First(a, b) { Runner.Note(a); }\n"
                                "Fail() { Runner.Run(); }\n",
                                "test"),
            ERR_NONE);
  ASSERT_TRUE(scene.RegisterClass((kCases / "classes" / "box.txt").string()));
  Cast* cast = scene.CreateCast(scene.FindObjectClass("Box"));
  ASSERT_NE(cast, nullptr);
  ScriptValue args[20];
  for (int i = 0; i < 20; ++i) args[i].SetNumber(i + 7);
  std::string trace;
  auto run = [&](const char* text, Cast* on, int count) {
    Command command;
    command.SetText(text);
    EXPECT_TRUE(scene.ParseCommand(command)) << text;
    runner.noted.Clear();
    scene.lastError = 0;
    const int result = scene.ExecuteCommand(command, on, args, count);
    const Cast* noted = scene.CastOfValue(runner.noted);
    const std::string value = noted ? noted->GetName()
                              : runner.noted.type == SVT_Number ? std::to_string(static_cast<int>(runner.noted.number))
                                                                : "-";
    trace += std::string(text) + (on ? " on a cast" : "") + " -> " + std::to_string(result) + " error " +
             std::to_string(scene.lastError) + " noted " + value + "\n";
  };
  run("Nowhere", nullptr, 0);
  run("First", cast, 1);
  run("First", nullptr, 2);
  run("Last", cast, 20);
  run("Last", nullptr, 20);
  run("Fail", nullptr, 0);
  run("#PSND,'SE01',-0.5", nullptr, 0);
  EXPECT_EQ(trace,
            "Nowhere -> 0 error 0 noted -\n"
            "First on a cast -> 0 error 0 noted Box_1\n"
            "First -> 0 error 0 noted 7\n"
            "Last on a cast -> 0 error 0 noted 21\n"
            "Last -> 0 error 0 noted 22\n"
            "Fail -> 48 error 48 noted -\n"
            "#PSND,'SE01',-0.5 -> 48 error 0 noted -\n");
  Command bare;
  bare.type = CommandType::Function;
  EXPECT_EQ(scene.ExecuteCommand(bare, nullptr, nullptr, 0), ERR_NO_FUNCTION_NAME);
}

}  // namespace
