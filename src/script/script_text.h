// The texts that String values own: made and released only here, each
// counted in the account of the scripts that made it, within the bounds of
// what scripts may hold. Used by ScriptValue, the compiler and the interpreter.
#pragma once

#include <cstddef>
#include <cstdint>

// One text of a script holds at most this many bytes, and the texts that the
// scripts of one account hold together at most kMaxScriptTextHeld: a script
// that doubles a text in a loop, or fills variable after variable, meets a
// script error (StackOverflow) long before it could take the machine's memory.
constexpr std::size_t kMaxScriptTextLength = std::size_t{64} << 20;
constexpr std::size_t kMaxScriptTextHeld = std::size_t{1} << 30;

// The bytes of the texts that String values made by scripts hold, wherever
// those values are by now (variables, the stack, temporaries, a host's
// tables). A ScriptContext owns one for all of its engines.
struct ScriptTextAccount {
  std::size_t held = 0;
};

// While one lives, new texts are charged to `account`, and a text that would
// pass either bound raises StackOverflow instead of being made. With a null
// account new texts are counted nowhere and never refused: the host's own and
// the compiler's (its string literals are the program, not what it makes).
// The host entry opens one for each call; scopes nest, each restoring the one
// it replaced. Every text remembers its account, so its release is exact
// whichever scope is open then. Main thread only, as the engines are.
class ScriptTextScope {
 public:
  explicit ScriptTextScope(ScriptTextAccount* account);
  ~ScriptTextScope();
  ScriptTextScope(const ScriptTextScope&) = delete;
  ScriptTextScope& operator=(const ScriptTextScope&) = delete;

 private:
  ScriptTextAccount* replaced_;
};

// A text of `length` bytes and a terminator; the caller fills the bytes.
char* NewScriptText(std::size_t length);

// How many texts have been made so far, under any account. A frame of the
// bytecode machine in which none was made, and which was handed none, holds
// none either: its return need not look for texts to let go.
namespace script_text_internal {
extern std::uint64_t g_made;
}
inline std::uint64_t ScriptTextsMade() { return script_text_internal::g_made; }
// A copy of `length` bytes of `text`, terminated.
char* NewScriptText(const char* text, std::size_t length);
void DeleteScriptText(char* text);
// The bytes a text of `length` bytes takes in memory, its bookkeeping included.
std::size_t ScriptTextSize(std::size_t length);
