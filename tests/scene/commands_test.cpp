// Commands: the parsed form of command texts (cases/commands/parse.cases),
// script-function Commands and their arguments, pushing along a hit list,
// and errors of actions inside and outside a script call.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "motion/object_class.h"
#include "motion/object_flags.h"
#include "scene/scene.h"

namespace {

namespace fs = std::filesystem;

const fs::path kCases = fs::path(T3D_SOURCE_DIR) / "tests/scene/cases";

std::string ParsedForm(const Command& command, bool parsed) {
  std::string out = parsed ? "ok" : "fail";
  switch (command.type) {
    case CommandType::None:
      return out + " none";
    case CommandType::Function:
      return out + " function " + (command.function ? command.function->name : "(null)");
    case CommandType::Action:
      break;
  }
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
    char text[160];
    switch (p.kind) {
      case CommandParamKind::Empty:
        std::snprintf(text, sizeof text, "-");
        break;
      case CommandParamKind::Number:
        std::snprintf(text, sizeof text, "%g", static_cast<double>(p.number));
        break;
      case CommandParamKind::Hex:
        std::snprintf(text, sizeof text, "#%x", p.word);
        break;
      case CommandParamKind::String:
        std::snprintf(text, sizeof text, "'%s'", p.text);
        break;
    }
    out += std::string(" ") + text;
  }
  return out;
}

TEST(Commands, ParsedFormsMatchTheCases) {
  std::ifstream file(kCases / "commands" / "parse.cases", std::ios::binary);
  ASSERT_TRUE(file) << "missing parse.cases";
  std::stringstream whole;
  whole << file.rdbuf();
  const std::string expected = whole.str();

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

class CommandScript : public testing::Test {
 protected:
  void SetUp() override {
    scene_.RegisterClass(&runner_);
    ASSERT_EQ(scene_.CompileScript("Last(a, b, c, d, e, f, g, h, i, j, k, l, m, n, o, p) { Runner.Note(p); }\n"
                                   "First(a, b) { Runner.Note(a); }\n"
                                   "Fail() { Runner.Run(); }\n",
                                   "test"),
              ERR_NONE);
  }
  int Run(const char* text, Cast* cast, ScriptValue* args, int count) {
    Command command;
    command.SetText(text);
    EXPECT_TRUE(scene_.ParseCommand(command));
    return scene_.ExecuteCommand(command, cast, args, count);
  }
  Cast* AddCast(const char* classFile, const char* className) {
    if (!scene_.RegisterClass((kCases / "classes" / classFile).string())) return nullptr;
    return scene_.CreateCast(scene_.FindObjectClass(className));
  }
  QuietScene scene_;
  Runner runner_{scene_};
};

TEST_F(CommandScript, UndefinedFunctionNameRunsAsNothing) { EXPECT_EQ(Run("Nowhere", nullptr, nullptr, 0), 0); }

TEST_F(CommandScript, FunctionCommandWithoutFunctionIsError40) {
  Command command;
  command.type = CommandType::Function;
  EXPECT_EQ(scene_.ExecuteCommand(command, nullptr, nullptr, 0), ERR_NO_FUNCTION_NAME);
}

TEST_F(CommandScript, FunctionGetsTheCastFirst) {
  Cast* cast = AddCast("box.txt", "Box");
  ASSERT_NE(cast, nullptr);
  ScriptValue extra;
  extra.SetNumber(7);
  EXPECT_EQ(Run("First", cast, &extra, 1), 0);
  EXPECT_EQ(scene_.CastOfValue(runner_.noted), cast);
  ScriptValue two[2] = {extra, extra};
  EXPECT_EQ(Run("First", nullptr, two, 2), 0);
  EXPECT_EQ(runner_.noted.type, SVT_Number);
  EXPECT_EQ(runner_.noted.number, 7.0);
}

TEST_F(CommandScript, CastAndFirstFifteenOfManyArgumentsArePassed) {
  Cast* cast = AddCast("box.txt", "Box");
  ASSERT_NE(cast, nullptr);
  ScriptValue args[20];
  for (int i = 0; i < 20; ++i) args[i].SetNumber(i + 1);
  EXPECT_EQ(Run("Last", cast, args, 20), 0);
  EXPECT_EQ(runner_.noted.number, 15.0);
  EXPECT_EQ(Run("Last", nullptr, args, 20), 0);
  EXPECT_EQ(runner_.noted.number, 16.0);
}

TEST_F(CommandScript, RangeErrorInsideScriptCallIsReportedByTheEngine) {
  EXPECT_EQ(Run("Fail", nullptr, nullptr, 0), ERR_OUT_OF_RANGE);
  EXPECT_EQ(scene_.lastError, ERR_OUT_OF_RANGE);
}

TEST_F(CommandScript, RangeErrorOutsideScriptCallIsTheResult) {
  EXPECT_EQ(Run("#PSND,'SE01',-0.5", nullptr, nullptr, 0), ERR_OUT_OF_RANGE);
  EXPECT_EQ(scene_.lastError, 0);
}

// The pusher walks "Walk" (its first track moves 5 a frame along z) into a box.
class Pushing : public CommandScript {
 protected:
  void SetUp() override {
    CommandScript::SetUp();
    box_ = AddCast("box.txt", "Box");
    walker_ = AddCast("walker.txt", "Walker");
    ASSERT_TRUE(box_ && walker_);
    box_->Reset();
    walker_->Reset();
  }
  void Hit(int index, Cast* cast, std::uint32_t bits) {
    CastHit& hit = walker_->HitList(walker_->GetCurrentHitList())[static_cast<std::size_t>(index)];
    hit.cast = CastHandle::Of(cast);
    hit.bits = bits;
  }
  Cast* box_ = nullptr;
  Cast* walker_ = nullptr;
};

TEST_F(Pushing, PushedCastMovesAwayFromThePusherAlongItsSide) {
  Hit(0, box_, kRegionPush);
  walker_->SetPositionBoth({100.0f, 0.0f, 0.0f});
  EXPECT_EQ(Run("#PUSH", walker_, nullptr, 0), 0);
  EXPECT_NEAR(box_->GetPosition().x, -5.0f, 1e-4f);
  EXPECT_NEAR(box_->GetPosition().z, 0.0f, 1e-4f);
  EXPECT_NEAR(walker_->GetPosition().x, -5.0f, 1e-4f);
  // Yaw of -90 degrees: the pusher faces -x.
  EXPECT_NEAR(walker_->GetRotation().y, -0.7071f, 1e-4f);

  walker_->SetPositionBoth({0.0f, 0.0f, -100.0f});
  EXPECT_EQ(Run("#PUSH", walker_, nullptr, 0), 0);
  EXPECT_NEAR(box_->GetPosition().x, -5.0f, 1e-4f);
  EXPECT_NEAR(box_->GetPosition().z, 5.0f, 1e-4f);
}


TEST_F(Pushing, HitListWithoutPushPicksTheThirdEntryOnlyWhenTwoAreFilled) {
  walker_->SetPositionBoth({0.0f, 0.0f, -100.0f});
  Hit(0, walker_, 0);
  EXPECT_EQ(Run("#PUSH", walker_, nullptr, 0), 0);
  EXPECT_NEAR(walker_->GetPosition().z, -100.0f, 1e-4f) << "an empty second entry: nobody is pushed";
  Hit(1, walker_, 0);
  Hit(2, box_, 0);
  EXPECT_EQ(Run("#PUSH", walker_, nullptr, 0), 0);
  EXPECT_NEAR(box_->GetPosition().z, 5.0f, 1e-4f);
}

TEST_F(Pushing, PusherWithoutKeysPushesNothing) {
  Cast* other = AddCast("box.txt", "Box");
  ASSERT_NE(other, nullptr);
  other->Reset();
  other->HitList(other->GetCurrentHitList())[0] = CastHit{CastHandle::Of(box_), kRegionPush};
  EXPECT_EQ(Run("#PUSH", other, nullptr, 0), 0);
  EXPECT_EQ(box_->GetPosition(), (Vector3{0.0f, 0.0f, 0.0f}));
}

TEST_F(Pushing, ActionsOnACastGiveError44WithoutOne) {
  for (const char* text : {"#PUSH", "#FCTC", "#SFLG,#1", "#SSPD,1", "#ROTE,1,2,3", "#STME,1", "#DSJT,1"})
    EXPECT_EQ(Run(text, nullptr, nullptr, 0), ERR_NO_INSTANCE) << text;
}

}  // namespace
