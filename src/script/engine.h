// CCScript, the script engine as a host sees it: compiled functions, registered
// classes, globals and the value stack; compiles sources into itself and runs
// one function at a time. Also the compiled forms Token and ScriptFunction.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "script/errors.h"
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

// Parameter flag bits.
enum ParameterFlag : std::uint16_t {
  kParamPresent = 1,
  kParamByRef = 2,
  kParamString = 4,
  kParamNumber = 8,
  kParamClass = 16,  // the class's slot in the engine (255: unknown) stands in the high byte
};

struct ScriptFunction;
struct FastCode;
struct FastFrame;
struct FastNode;

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
  // Statements compiled on their first run (fast_path.h); made by the interpreter.
  std::unique_ptr<FastCode> fast;

  ScriptFunction();
  ~ScriptFunction();
};

class CCScript {
 public:
  CCScript();
  virtual ~CCScript();
  CCScript(const CCScript&) = delete;
  CCScript& operator=(const CCScript&) = delete;

  virtual bool OnError(int line, int column, int code) { return false; }

  bool RegisterClass(NativeClass* cls);
  EErrorCode CompileScript(const char* source, const char* path);
  ScriptFunction* FindFunction(const char* name);
  EErrorCode CallFunction(ScriptFunction* function, ScriptValue* args, int argCount);
  void ClearFunctions();
  void FormatError(int line, int column, int code, char* out, std::size_t size);

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
  GlobalVar& Global(int index) { return globals_[index]; }
  ScriptFunction* FunctionAt(int slot) { return functions_[slot].get(); }
  NativeClass* ClassAt(int slot) { return classes_[slot]; }
  int ClassSlotOf(NativeClass* cls) const;
  int StackPointer() const { return stackPointer_; }
  int FrameBase() const { return frameBase_; }

  // Bounds the statements one host call may run (0: unbounded); when spent the
  // call ends as if the script asked to stop (code 4). For tools and fuzzing.
  void SetStepBudget(std::uint64_t steps) { stepBudget_ = steps; }

  // Statements run through a compiled form cached per token position (on by
  // default). Off, every statement runs through the plain parse-while-executing
  // routines; both ways give the same results, which the tests compare.
  void SetFastPath(bool on) { fastPath_ = on; }
  bool FastPath() const { return fastPath_; }

 protected:
  // A value's text without copying where it already is one.
  struct TextView {
    const char* text = "";
    std::size_t length = 0;
    std::string storage;
  };
  bool TextOf(const ScriptValue& value, TextView& view);
  const MemberRecord& ReadableMember(const ScriptValue& memberRef);

  // Compiler.
  EErrorCode CompileFunction(const char* text, std::size_t length);
  void Tokenize(ScriptFunction& function, const char* text, std::size_t length, bool singleFunction);

  // Interpreter (interpreter.cpp).
  void CallScript(ScriptFunction* function, ScriptValue* args, int argCount, ScriptValue& result, bool hostEntry);
  void RunFunctionBody(bool execute, ScriptValue& result, ScriptFunction* function);
  bool Statement(bool execute, int& control);
  void StatementList(bool execute, int& control);
  bool Block(bool execute, int& control);
  bool IfStatement(bool execute, int& control);
  bool WhileStatement(bool execute, int& control);
  bool ForStatement(bool execute, int& control);
  bool JumpStatement(bool execute, int& control);
  bool CommaExpression(bool execute, ScriptValue& value);
  bool AssignExpression(bool execute, ScriptValue& value);
  bool BinaryExpression(bool execute, ScriptValue& value, int minLevel);
  bool UnaryExpression(bool execute, ScriptValue& value);
  bool PostfixExpression(bool execute, ScriptValue& value);
  bool PrimaryExpression(bool execute, ScriptValue& value);
  int Arguments(bool execute, ScriptValue* args);
  // Assignment may take a temporary source's text instead of copying it.
  void Assign(ScriptValue& target, ScriptValue& source);
  void AssignToVariable(ScriptValue& variable, ScriptValue& source);
  void BinaryOp(ScriptValue& result, const ScriptValue& a, const ScriptValue& b, int code);
  bool IsNumeric(const ScriptValue& value);
  bool ReadProperty(const ScriptValue& memberRef, ScriptValue& out);
  bool Truth(const ScriptValue& value);
  // The fast path (fast_path.cpp): runs the statement at pc_ (its own nesting
  // unit and step already counted) or a function body from its compiled form;
  // false when it has none and the plain routines must run it.
  bool RunCachedStatement(int& control);
  bool RunCachedBody(ScriptFunction* fn);
  void FastExec(const FastFrame& frame, std::int32_t node, int& control);
  void FastStatement(const FastFrame& frame, std::int32_t node, int& control);
  void FastBlock(const FastFrame& frame, const FastNode& node, int& control);
  void FastEval(const FastFrame& frame, std::int32_t node, ScriptValue& out);
  void FastArguments(const FastFrame& frame, const FastNode& node, ScriptValue* args);
  bool FastNumber(const FastFrame& frame, std::int32_t node, double& out);
  void FastCall(const FastFrame& frame, const FastNode& node, ScriptValue& out);
  void FastMethod(const FastFrame& frame, const FastNode& node, ScriptValue& out);
  bool FastCondition(const FastFrame& frame, std::int32_t node, std::int32_t pos);
  bool FastOperand(const FastFrame& frame, std::int32_t node, double& out);
  // The variable at the end of a reference chain (the value itself otherwise).
  const ScriptValue* Deref(const ScriptValue& value) {
    if (value.type != SVT_Reference) return &value;
    if (value.ref.kind == kStorageLocal && value.ref.index >= 0 && frameBase_ + value.ref.index < kStackSize) {
      const ScriptValue* slot = &stack_[frameBase_ + value.ref.index];
      if (slot->type != SVT_Reference) return slot;
    }
    return FollowReferences(value);
  }

  // Counts one level of nesting for as long as it lives; 46 past kMaxNesting.
  class NestingUnit {
   public:
    explicit NestingUnit(CCScript& engine);
    ~NestingUnit() { --engine_.depth_; }
    NestingUnit(const NestingUnit&) = delete;
    NestingUnit& operator=(const NestingUnit&) = delete;

   private:
    CCScript& engine_;
  };

  const Token& Current() const { return *pc_; }
  TokenKind Peek() const { return pc_->kind; }

  std::array<std::unique_ptr<ScriptFunction>, kMaxFunctions> functions_;
  std::array<NativeClass*, kMaxClasses> classes_{};
  std::array<GlobalVar, kMaxGlobals> globals_;
  std::unique_ptr<ScriptValue[]> stack_;
  int stackPointer_ = 0;
  int frameBase_ = 0;
  const Token* pc_ = nullptr;
  ScriptFunction* running_ = nullptr;
  ScriptValue* returnValue_ = nullptr;
  std::vector<std::unique_ptr<ScriptFunction>> retired_;
  std::uintptr_t stackLimit_ = 0;
  int hostDepth_ = 0;
  int depth_ = 0;  // nesting units in use (NestingUnit)
  int peak_ = 0;   // the most units in use since the parse-only statement being memoised began
  std::uint64_t stepBudget_ = 0;
  std::uint64_t stepsLeft_ = 0;
  bool fastPath_ = true;
};
