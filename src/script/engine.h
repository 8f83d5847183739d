// CCScript, the script engine as a host sees it: compiled functions, registered
// classes, globals and the value stack; compiles sources into itself and runs
// one function at a time. Also the compiled forms Token and ScriptFunction.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "script/errors.h"
#include "script/fault_places.h"
#include "script/native_class.h"
#include "script/tokenizer.h"
#include "script/value.h"

constexpr int kMaxFunctions = 512;
constexpr int kMaxClasses = 256;
constexpr int kMaxGlobals = 256;
constexpr int kMaxLocals = 64;
constexpr int kMaxLabels = 16;
constexpr int kMaxParameters = 16;
constexpr int kStackSize = 10240;
constexpr int kFunctionNameSize = 260;
// How deeply statements, groups, argument lists, assignments and calls may nest
// in one host call before 46 is raised (a script call costs at least two: the
// call and the statement in its body). Small enough that even a sanitizer
// build never reaches the native stack's end first.
constexpr int kMaxNesting = 2000;

// What the compiled functions of one engine keep (their tokens and the texts
// of these, the memo tables of the plain routines, the bytecode made at a
// first call) comes to at most this many bytes. A compile that would pass it
// stops before it allocates and fails (4); bytecode that would pass it is not
// made, and the plain routines run the function.
constexpr std::size_t kMaxCompiledBytes = std::size_t{512} << 20;

// The bytes an engine's compiled functions keep, and how many they may.
struct CompiledAccount {
  std::size_t held = 0;
  std::size_t bound = kMaxCompiledBytes;
};

// Parameter flag bits.
enum ParameterFlag : std::uint16_t {
  kParamPresent = 1,
  kParamByRef = 2,
  kParamString = 4,
  kParamNumber = 8,
  kParamClass = 16,  // the class's slot in the engine (255: unknown) stands in the high byte
};

struct ScriptFunction;
struct Bytecode;

struct Token {
  TokenKind kind = TokenKind::None;
  std::uint16_t line = 0;
  std::uint16_t column = 0;
  union {
    double number;
    char* text;          // String: owned
    std::int32_t index;  // Label, GlobalValiable, AutoValiable, Identifier
    NativeClass* cls;    // Class
    ScriptFunction* function;
  };
  Token() : number(0) {}
};

struct ScriptFunction {
  char name[kFunctionNameSize] = {};
  std::vector<Token> tokens;  // ends with a None token
  int localCount = 0;
  std::array<std::int32_t, kMaxLabels> labels{};
  std::array<char[32], kMaxLabels> labelNames{};
  std::array<std::uint16_t, kMaxParameters + 1> parameterFlags{};  // one spare word, always 0
  // Parse-only results memoised per statement start: the index after the
  // statement, or 0 when not known yet. Filled by the interpreter.
  std::vector<std::int32_t> skipTo;
  // For each memoised statement: the nesting units its parse used below its own.
  std::vector<std::int32_t> skipDepth;
  // The body compiled at its first call (bytecode.h); made by the interpreter.
  std::unique_ptr<Bytecode> bytecode;
  // The body nests too deeply, or its code would take its engine's compiled
  // functions past their bound: the plain routines always run it.
  bool bytecodeNever = false;
  TokenPlaces places;  // where each token stands in the content's files

  // Charged to its engine's account for what it keeps, which it gives back when it goes.
  explicit ScriptFunction(CompiledAccount& account);
  ~ScriptFunction();
  ScriptFunction(const ScriptFunction&) = delete;
  ScriptFunction& operator=(const ScriptFunction&) = delete;
  // Charges `bytes` before they are allocated; false, with nothing charged,
  // when the engine's compiled functions would pass their bound.
  bool Charge(std::size_t bytes);
  // What the account can still take.
  std::size_t Room() const { return account_.held < account_.bound ? account_.bound - account_.held : 0; }
  std::size_t Bound() const { return account_.bound; }

 private:
  CompiledAccount& account_;
  std::size_t charged_ = 0;
};

class Interpreter;
class FunctionCompiler;
struct ScriptContext;

// A failed compile as its report names it: the code, the file the fault
// stands in as the content names it (the source's path, or an included file's
// folder and name) and its line there, and the name the fault is about: the
// include that could not be read (2) or the label defined twice (14). A
// latent fault (OnLatentFault) is named the same way, with its function. A
// compile stopped by a bound, or for want of memory, says so in `reason`,
// which a report gives in place of the code's message.
struct CompileFault {
  EErrorCode code = ERR_NONE;
  std::string file;
  int line = 0;
  std::string name;
  std::string reason;
  // A latent fault only: the function's "}" is missing, and the place is
  // where the function it swallowed starts.
  bool swallows = false;
};

class CCScript {
 public:
  // An engine of the program (ScriptContext::Program), or of the given context.
  CCScript();
  explicit CCScript(ScriptContext& context);
  virtual ~CCScript();
  CCScript(const CCScript&) = delete;
  CCScript& operator=(const CCScript&) = delete;

  virtual bool OnError(int line, int column, int code) { return false; }
  // Once for each failed compile, before CompileScript returns the code. The
  // base does nothing: tests and tools compile broken scripts on purpose.
  virtual void OnCompileError(const CompileFault& fault) {}
  // After a compile that succeeded, once for each of its functions whose text
  // holds a fault the interpreter raises only when it reaches it (a ";" or a
  // "}" missing): where it stands, or for a "}" missing at the function's end
  // (8), where the function it swallowed starts. The function stays compiled
  // and runs as before. The base does nothing.
  virtual void OnLatentFault(const CompileFault& fault) {}

  bool RegisterClass(NativeClass* cls);
  // `fileLines` holds the line of `path` on which each line of `source`
  // stands: a script inside a scene or class file starts below its element's
  // tag, and the markup leaves its blank lines out. Lines past the list (all
  // of them for an empty one) follow on one by one.
  EErrorCode CompileScript(const char* source, const char* path, std::span<const int> fileLines = {});
  ScriptFunction* FindFunction(const char* name);
  EErrorCode CallFunction(ScriptFunction* function, ScriptValue* args, int argCount);
  void ClearFunctions();
  void FormatError(int line, int column, int code, char* out, std::size_t size);
  // The token a run-time error report marks (at `line` and `column` of the
  // function that holds the current position): that function, null when the
  // position lies in none, and where the token stands.
  struct MarkedToken {
    const ScriptFunction* function = nullptr;
    SourcePlace place;
  };
  MarkedToken MarkedTokenOf(int line, int column) const;

  // Value operations for native classes.
  ScriptValue* VariableAddress(int kind, int index);
  ScriptValue* ResolveReference(const ScriptValue& value);
  int KindOf(const ScriptValue& value);
  bool ToNumber(const ScriptValue& value, double& out);
  // On success `out` holds the text; the caller owns nothing extra.
  bool ToString(const ScriptValue& value, std::string& out);
  void Push(const ScriptValue& value);
  void SetStackPointer(int n);

  // The variable at the end of a chain of references (the value itself when it
  // is no reference); null when a reference designates no variable.
  const ScriptValue* FollowReferences(const ScriptValue& value);

  // Introspection for hosts and tools.
  GlobalVar& Global(int index);
  ScriptFunction* FunctionAt(int slot) { return functions_[slot].get(); }
  NativeClass* ClassAt(int slot) { return classes_[slot]; }
  int ClassSlotOf(NativeClass* cls) const;
  int StackPointer() const;
  int FrameBase() const;
  // The bytes its compiled functions keep.
  std::size_t CompiledBytes() const { return compiled_.held; }
  // Bounds what they may keep (kMaxCompiledBytes unless set), for compiles
  // and bytecode made from now on. For tests and tools.
  void SetCompiledBound(std::size_t bytes) { compiled_.bound = bytes; }

  // Bounds the statements one host call may run (0: unbounded); when spent the
  // call ends as if the script asked to stop (code 4). For tools and fuzzing.
  void SetStepBudget(std::uint64_t steps);

  // Function bodies run as bytecode compiled at their first call (on by
  // default). Off, every statement runs through the plain parse-while-executing
  // routines; both ways give the same results, which the tests compare.
  void SetBytecode(bool on);
  bool UsesBytecode() const;

 private:
  // Before the functions, which give back to it when they go.
  CompiledAccount compiled_;

 protected:
  // Filled from slot 0 without holes. A host that takes back the functions of
  // a failed load edits the table itself.
  std::array<std::unique_ptr<ScriptFunction>, kMaxFunctions> functions_;
  // Functions taken out while a script of this engine still runs: their tokens
  // must outlive that call, so they are freed when the outermost call ends.
  std::vector<std::unique_ptr<ScriptFunction>> retired_;
  int hostDepth_ = 0;  // CallFunction calls in progress, nested ones included

 private:
  // The compiler and the interpreter (engine_internal.h) are the engine's
  // inside; hosts see only the operations above.
  friend class FunctionCompiler;
  friend class Interpreter;

  // The compiled function whose tokens hold the current position, or null.
  const ScriptFunction* FunctionHoldingPosition() const;
  // OnLatentFault for each of `functions` that holds a latent fault.
  void ReportLatentFaults(std::span<ScriptFunction* const> functions);

  ScriptContext& context_;
  std::array<NativeClass*, kMaxClasses> classes_{};
  std::unique_ptr<Interpreter> interpreter_;
};
