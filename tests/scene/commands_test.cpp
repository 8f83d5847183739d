// Commands: the parsed form of command texts (cases/commands/parse.cases);
// running them is shown by the step cases.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>

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

// A function Command without its function is an error (the function
// Commands that have one are step cases).
TEST(Commands, FunctionWithoutItsFunctionIsAnError) {
  Scene scene;
  Command bare;
  bare.type = CommandType::Function;
  EXPECT_EQ(scene.ExecuteCommand(bare, nullptr, nullptr, 0), ERR_NO_FUNCTION_NAME);
}

}  // namespace
