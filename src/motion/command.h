// Command: the stored form of an event hook (a script function name or a "#"
// action with its parameters). Motions, keys and case tables keep it; the scene resolves and runs it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

struct ScriptFunction;

constexpr int kCommandParamCount = 10;
constexpr std::size_t kCommandTextSize = 256;
constexpr std::size_t kCommandParamTextSize = 128;

enum class CommandType : std::uint32_t {
  None = 0,
  Function = 1,  // a script function, in `function`
  Action = 2,    // a built-in action, in `code` and `params`
};

enum class CommandParamKind : std::uint32_t {
  Empty = 0,
  Number = 1,  // `number`
  Hex = 2,     // `word`
  String = 3,  // `text`
};

struct CommandParam {
  CommandParamKind kind = CommandParamKind::Empty;
  float number = 0.0f;
  std::uint32_t word = 0;
  char text[kCommandParamTextSize] = {};
};

// A plain value: copying a Command copies its text, its parameters and the
// reference to the (engine-owned) script function.
struct Command {
  CommandType type = CommandType::None;
  // The action's four characters, first one in the highest byte.
  std::uint32_t code = 0;
  std::array<CommandParam, kCommandParamCount> params{};
  const ScriptFunction* function = nullptr;
  // The text as written in the file, NUL-terminated.
  char text[kCommandTextSize] = {};

  // Type None, no code, parameters or function, empty text.
  void Clear();
  // Copies at most 255 bytes (never half a double-byte character); the type
  // and what was resolved stay as they are.
  void SetText(const char* source);
  const char* GetText() const { return text; }
  bool HasText() const { return text[0] != '\0'; }
};
