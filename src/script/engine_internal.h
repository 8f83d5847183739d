// The script engine's inside, for the files of src/script only: the
// interpreter with its registers, value stack and globals, the compiler of one
// function, and the operator table and numeric operators both execution paths
// use. Hosts see CCScript (engine.h) alone.
#pragma once

#include <array>
#include <climits>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "script/engine.h"
#include "script/script_attention.h"

struct Bytecode;
struct Instruction;
struct VmFrame;

// A statement list's control code: how the statements after the current one,
// and the loop around it, go on.
enum Control { kNormal = 0, kBreak = 1, kContinue = 2, kReturn = 3 };

// After one pass of a loop body: the loop ends after its parse-only pass (the
// body did not run), on break, and on return, which the statement list around
// the loop then sees. Continue, and the body's other codes, go no further.
inline bool LoopEnds(bool ran, int bodyControl, int& control) {
  if (!ran || bodyControl == kBreak) return true;
  if (bodyControl == kReturn) {
    control = kReturn;
    return true;
  }
  return false;
}

// Where a function's body starts: the token after its name and the parameter
// list up to ")". On a broken header `at` is where the scan stopped and
// `fault` what the plain routines raise there.
struct BodyStart {
  std::int32_t at;
  EErrorCode fault;
};
BodyStart FindBodyStart(const Token* tokens);

// The operator table both execution paths parse with.
// Binary operator levels, tighter binding higher; 0 is no binary operator.
enum Level { kOrOr = 1, kAndAnd, kBitOr, kBitAnd, kEquality, kRelational, kShift, kAdditive, kMultiplicative };

struct OperatorInfo {
  std::uint8_t level;
  std::uint8_t code;        // BinaryOp code
  std::uint8_t assignCode;  // code of an assignment operator, 0 when none
};

constexpr std::array<OperatorInfo, kTokenKindCount> MakeOperatorTable() {
  std::array<OperatorInfo, kTokenKindCount> table{};
  auto set = [&table](TokenKind kind, int level, int code) {
    table[static_cast<int>(kind)].level = static_cast<std::uint8_t>(level);
    table[static_cast<int>(kind)].code = static_cast<std::uint8_t>(code);
  };
  set(TokenKind::OrOr, kOrOr, 0);
  set(TokenKind::AndAnd, kAndAnd, 0);
  set(TokenKind::Or, kBitOr, 8);
  set(TokenKind::And, kBitAnd, 7);
  set(TokenKind::EqualEqual, kEquality, 11);
  set(TokenKind::NotEqual, kEquality, 12);
  set(TokenKind::Less, kRelational, 13);
  set(TokenKind::Grater, kRelational, 14);
  set(TokenKind::EqualLess, kRelational, 15);
  set(TokenKind::EqualGrater, kRelational, 16);
  set(TokenKind::LShift, kShift, 9);
  set(TokenKind::RShift, kShift, 10);
  set(TokenKind::Plus, kAdditive, 2);
  set(TokenKind::Minus, kAdditive, 3);
  set(TokenKind::Asta, kMultiplicative, 4);
  set(TokenKind::Slash, kMultiplicative, 5);
  set(TokenKind::Percent, kMultiplicative, 6);
  auto assign = [&table](TokenKind kind, int code) { table[static_cast<int>(kind)].assignCode = static_cast<std::uint8_t>(code); };
  assign(TokenKind::Equal, 1);
  assign(TokenKind::PlusEqual, 2);
  assign(TokenKind::MinusEqual, 3);
  assign(TokenKind::MultiplyEqual, 4);
  assign(TokenKind::DevideEqual, 5);
  assign(TokenKind::AndEqual, 7);
  assign(TokenKind::OrEqual, 8);
  assign(TokenKind::LShiftEqual, 9);
  assign(TokenKind::RShiftEqual, 10);
  return table;
}

constexpr std::array<OperatorInfo, kTokenKindCount> kOperators = MakeOperatorTable();

// The code raised when an operator of a level has no right operand.
constexpr EErrorCode kMissingOperand[] = {ERR_NO_RIGHT_VALUE, ERR_SYNTAX,         ERR_NO_RIGHT_VALUE,
                                          ERR_SYNTAX,         ERR_NO_RIGHT_VALUE, ERR_NO_RIGHT_VALUE,
                                          ERR_NO_RIGHT_VALUE, ERR_NO_RIGHT_VALUE, ERR_NO_RIGHT_VALUE,
                                          ERR_NO_RIGHT_VALUE};

// TruncateToInt32 of platform/system/numbers.h, here so that the operators
// inline it; the two must agree (a test compares them).
inline std::int32_t TruncateForOperator(double value) {
  constexpr double kLow = -2147483648.0;
  constexpr double kHigh = 4294967296.0;
  if (!(value > kLow - 1.0 && value < kHigh)) return INT32_MIN;
  const auto whole = static_cast<std::int64_t>(value);  // truncates toward zero
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(whole)));
}

// The numeric operators on doubles; false when the code is no numeric
// operator or a remainder's divisor is 0 (the caller raises 25).
__attribute__((always_inline)) inline bool NumericOp(int code, double x, double y, double& r) {
  switch (code) {
    case 2: r = x + y; return true;
    case 3: r = x - y; return true;
    case 4: r = x * y; return true;
    case 5: r = x / y; return true;
    case 6: {
      const std::int32_t divisor = TruncateForOperator(y);
      if (divisor == 0) return false;
      const std::int32_t dividend = TruncateForOperator(x);
      // INT32_MIN % -1 traps on the machine; its remainder is 0.
      r = divisor == -1 ? 0 : dividend % divisor;
      return true;
    }
    case 7: r = static_cast<std::uint32_t>(TruncateForOperator(x)) & static_cast<std::uint32_t>(TruncateForOperator(y)); return true;
    case 8: r = static_cast<std::uint32_t>(TruncateForOperator(x)) | static_cast<std::uint32_t>(TruncateForOperator(y)); return true;
    case 9: r = static_cast<std::uint32_t>(static_cast<std::uint32_t>(TruncateForOperator(x)) << (TruncateForOperator(y) & 31)); return true;
    case 10: r = static_cast<std::uint32_t>(TruncateForOperator(x)) >> (TruncateForOperator(y) & 31); return true;
    case 11: r = x == y; return true;
    case 12: r = x != y; return true;
    case 13: r = x < y; return true;
    case 14: r = x > y; return true;
    case 15: r = x <= y; return true;
    case 16: r = x >= y; return true;
    default: return false;
  }
}

// Lets go of the texts that values of a call that is over held, so that
// they stop counting at once rather than when the slots are used again.
inline void ReleaseTexts(ScriptValue* values, ScriptValue* end) {
  for (; values < end; ++values)
    if (values->type == SVT_String) values->Clear();
}

// The temporaries of bytecode frames: blocks that never move, so that a
// frame's temporaries stay where they are while the calls above it come and go
// (a native method may enter the engine again). Taken and given back last first.
class TempStack {
 public:
  struct Mark {
    std::size_t block;
    std::size_t top;
  };
  Mark Where() const { return {block_, top_}; }
  ScriptValue* Take(std::size_t count) {
    if (top_ + count <= size_) {
      ScriptValue* taken = current_ + top_;
      top_ += count;
      return taken;
    }
    return TakeFromNextBlock(count);
  }
  void GiveBack(const Mark& mark) {
    if (mark.block != block_) Enter(mark.block);
    top_ = mark.top;
  }

 private:
  static constexpr std::size_t kBlockSize = 4096;
  ScriptValue* TakeFromNextBlock(std::size_t count);
  void Enter(std::size_t block);
  std::vector<std::unique_ptr<ScriptValue[]>> blocks_;
  std::vector<std::size_t> sizes_;
  std::size_t block_ = 0;
  std::size_t top_ = 0;
  ScriptValue* current_ = nullptr;
  std::size_t size_ = 0;
};

// A bytecode frame that called another without leaving the machine's loop:
// what it goes on with when the call returns.
struct SuspendedFrame {
  const Instruction* ip;  // after its call
  const Bytecode* bytecode;
  ScriptFunction* function;
  ScriptValue* result;
  std::uintptr_t temps;  // the operand base of its temporaries
  TempStack::Mark calleeTemps;  // where the callee's temporaries begin
  int frameBase;
  std::uint64_t textsMade;  // its VmFrame's
};

// The interpreter of one engine. The plain routines (interpreter.cpp) walk the
// token array, parsing while they execute; the bytecode machine
// (bytecode_vm.cpp) runs function bodies compiled at their first call
// (bytecode_compiler.cpp) and must behave exactly like them; operations.cpp
// holds what both do to values. CCScript owns one and hands it the host's
// value operations.
class Interpreter {
 public:
  explicit Interpreter(CCScript& engine);
  Interpreter(const Interpreter&) = delete;
  Interpreter& operator=(const Interpreter&) = delete;

  // The host entry: runs `fn` with the host's arguments, reports a thrown code
  // through the engine's OnError and leaves the registers as it found them.
  // The outermost call starts the native-stack limit and the step budget.
  EErrorCode HostCall(ScriptFunction* fn, ScriptValue* args, int argCount, bool outermost);

  // Value operations (CCScript's public ones).
  ScriptValue* VariableAddress(int kind, int index);
  ScriptValue* ResolveReference(const ScriptValue& value);
  const ScriptValue* FollowReferences(const ScriptValue& value);
  int KindOf(const ScriptValue& value);
  bool ToNumber(const ScriptValue& value, double& out);
  bool ToString(const ScriptValue& value, std::string& out);
  void Push(const ScriptValue& value);
  void SetStackPointer(int n);

  // The first fault fn's body raises when it is only parsed, as every call
  // would raise it on reaching it, and the index of the token it is raised
  // at; ERR_NONE when there is none (fault_places.cpp).
  struct SyntaxFault {
    EErrorCode code;
    std::size_t at;
  };
  SyntaxFault FirstSyntaxFault(ScriptFunction& fn);

  GlobalVar& Global(int index) { return globals_[index]; }
  // The token the running function stands at; null outside a call.
  const Token* Position() const { return pc_; }
  int StackPointer() const { return stackPointer_; }
  int FrameBase() const { return frameBase_; }
  void SetStepBudget(std::uint64_t steps) { stepBudget_ = steps; }
  void SetBytecode(bool on) { bytecode_ = on; }
  bool UsesBytecode() const { return bytecode_; }

 private:
  // ---- what both paths do (operations.cpp); the callers set pc_ first

  // A value's text without copying where it already is one.
  struct TextView {
    const char* text = "";
    std::size_t length = 0;
    std::string storage;
  };
  bool TextOf(const ScriptValue& value, TextView& view);
  const MemberRecord& ReadableMember(const ScriptValue& memberRef);
  bool ReadProperty(const ScriptValue& memberRef, ScriptValue& out);
  bool IsNumeric(const ScriptValue& value);
  // A condition's or a logical operand's truth; 27 when it is no number.
  bool Truth(const ScriptValue& value);

  // A script call: binds the arguments to the parameters (checking, converting
  // and pushing them), runs the body and leaves the registers as they were.
  void CallScript(ScriptFunction* function, ScriptValue* args, int argCount, ScriptValue& result, bool hostEntry);
  // "value(arguments)": 43 unless the value is a function; the value becomes
  // the result. Here, like the next two, so that every call inlines it.
  void CallFunctionValue(ScriptValue& value, ScriptValue* args, int argCount) {
    if (value.type != SVT_FunctionReference) throw ERR_NOT_FUNCTION;
    ScriptValue result;
    CallScript(value.function, args, argCount, result, false);
    value.MoveFrom(result);
  }
  // "return value;": the result of the running call.
  void StoreReturnValue(ScriptValue& value) {
    if (!returnValue_) return;
    if (value.type != SVT_Reference) {
      returnValue_->MoveFrom(value);
      return;
    }
    // A variable's value, not the variable: the frame it lives in is about to go.
    const ScriptValue* target = FollowReferences(value);
    if (target) {
      returnValue_->Assign(*target);
    } else {
      returnValue_->Clear();
    }
  }
  // One statement's step of the budget; true when it is spent and the call
  // must end as if the script asked to stop (StopAt the statement).
  bool StepSpent() { return stepBudget_ && --stepsLeft_ == 0; }
  [[noreturn]] void StopAt(const Token* at) {
    pc_ = at;
    throw ERR_USER_STOP;
  }
  // Where a loop goes back for another pass and where a script call's body
  // starts, so that no script runs on after the program has been asked to
  // end: a raised attention whose hook says stop ends the call as stopped at
  // the user's request, standing at `at`. Both paths look at the same places.
  void HearAttention(const Token* at) {
    if (attention_.IsRaised()) [[unlikely]]
      AttendAt(at);
  }
  [[gnu::noinline, gnu::cold]] void AttendAt(const Token* at);

  // "object.name": the object before the period (29 when it is none), a
  // method called on it (30, 32, 33) or a reference to a property (30, 31).
  struct ObjectRef {
    NativeClass* cls;
    void* instance;
  };
  ObjectRef ObjectOf(const ScriptValue& value);
  void CallMember(const ObjectRef& object, int nameId, ScriptValue& result, ScriptValue* args, int argCount);
  void PropertyOf(const ObjectRef& object, int nameId, ScriptValue& out);

  // Assignment may take a temporary source's text instead of copying it.
  void Assign(ScriptValue& target, ScriptValue& source);
  void AssignToVariable(ScriptValue& variable, ScriptValue& source);
  // "=" (code 1) or a compound assignment with its BinaryOp code.
  void AssignWith(ScriptValue& target, ScriptValue& source, int code);
  void BinaryOp(ScriptValue& result, const ScriptValue& a, const ScriptValue& b, int code);
  // value = value (code) right.
  void ApplyBinary(ScriptValue& value, const ScriptValue& right, int code);
  // Prefix "-" (negate) or "+".
  void ApplySign(ScriptValue& value, bool negate);
  // Postfix "++" (step 1) or "--" (step -1).
  void StepBy(ScriptValue& value, double step);
  // value = value || right.
  void LogicalOr(ScriptValue& value, const ScriptValue& right);
  // One "&& right" of a live chain: value becomes 1 or 0; false ends the chain.
  bool LogicalAnd(ScriptValue& value, const ScriptValue& right);

  // ---- the plain routines (interpreter.cpp)
  void RunFunctionBody(bool execute, ScriptValue& result, ScriptFunction* function);
  bool Statement(bool execute, int& control);
  void StatementList(bool execute, int& control);
  bool Block(bool execute, int& control);
  bool Condition(bool execute);
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

  // ---- the bytecode machine (bytecode_vm.cpp). VmFrame holds the running
  // frame's operand bases; the Slow* routines are the general cases of the
  // instructions, which set pc_ and the nesting count first and then do what
  // the plain routines do, through operations.cpp.
  // Runs fn's body as bytecode; false when the plain routines must run it.
  bool RunBytecode(ScriptFunction* fn, ScriptValue& result);
  // fn's bytecode, compiled at its first call; null when there is none.
  const Bytecode* BytecodeOf(ScriptFunction& fn);
  // Runs the body of running_ (set up by CallScript) from `code`.
  void Execute(const Bytecode& code, ScriptValue& result);
  void Enter(const Instruction& instruction, const VmFrame& frame);
  const ScriptValue& ValueOf(std::uint32_t operand, const VmFrame& frame, ScriptValue& scratch);
  ScriptValue& MutableValueOf(std::uint32_t operand, const VmFrame& frame, ScriptValue& scratch);
  void Materialize(ScriptValue& out, std::uint32_t operand, const VmFrame& frame);
  void PassValue(ScriptValue& to, std::uint32_t operand, const VmFrame& frame);
  bool SlowTruth(const Instruction& instruction, std::uint32_t operand, const VmFrame& frame);
  void StoreResultOf(const Instruction& instruction, const VmFrame& frame, ScriptValue& result);
  void StoreNumberOf(const Instruction& instruction, const VmFrame& frame, double number);
  void SlowBinary(const Instruction& instruction, const VmFrame& frame, int code);
  bool SlowCompare(const Instruction& instruction, const VmFrame& frame, int code);
  void SlowNegate(const Instruction& instruction, const VmFrame& frame);
  void SlowCheckNumber(const Instruction& instruction, const VmFrame& frame);
  void SlowOr(const Instruction& instruction, const VmFrame& frame);
  void SlowAssign(const Instruction& instruction, const VmFrame& frame);
  void SlowStepBy(const Instruction& instruction, const VmFrame& frame);
  void LoadClass(const Instruction& instruction, const VmFrame& frame);
  void ObjectOfOperand(const Instruction& instruction, const VmFrame& frame);
  void PropertyOfObject(const Instruction& instruction, const VmFrame& frame);
  void CallMethodOf(const Instruction& instruction, const VmFrame& frame);
  void CallValue(const Instruction& instruction, const VmFrame& frame);
  void CallScriptOutside(const Instruction& instruction, const VmFrame& frame, ScriptFunction* callee);
  [[noreturn]] void Raise(const Instruction& instruction, EErrorCode code);

  // Counts one level of nesting for as long as it lives; 46 past kMaxNesting.
  class NestingUnit {
   public:
    explicit NestingUnit(Interpreter& machine);
    ~NestingUnit() { --machine_.depth_; }
    NestingUnit(const NestingUnit&) = delete;
    NestingUnit& operator=(const NestingUnit&) = delete;

   private:
    Interpreter& machine_;
  };

  const Token& Current() const { return *pc_; }
  TokenKind Peek() const { return pc_->kind; }

  // The registers first: the loops read them all the time.
  const Token* pc_ = nullptr;
  std::unique_ptr<ScriptValue[]> stack_;
  int stackPointer_ = 0;
  int frameBase_ = 0;
  int depth_ = 0;  // nesting units in use (NestingUnit)
  int peak_ = 0;   // the most units in use since the parse-only statement being memoised began
  ScriptFunction* running_ = nullptr;
  ScriptValue* returnValue_ = nullptr;
  std::uint64_t stepBudget_ = 0;
  std::uint64_t stepsLeft_ = 0;
  std::uintptr_t stackLimit_ = 0;
  bool bytecode_ = true;
  CCScript& engine_;  // handed to the classes it calls
  ScriptAttention& attention_;  // the engine's context's
  std::array<GlobalVar, kMaxGlobals> globals_;
  TempStack temps_;
  std::vector<SuspendedFrame> suspended_;  // bytecode frames waiting for a call they made
  std::size_t suspendedTop_ = 0;           // how many of suspended_ are in use
};

// Compiles one function's text into an engine (compiler.cpp).
class FunctionCompiler {
 public:
  explicit FunctionCompiler(CCScript& engine) : engine_(engine) {}
  // `places` maps the text, which starts at `start` in the preprocessed
  // source, to the content's files and lines.
  EErrorCode Compile(const char* text, std::size_t length, const TokenPlaces::Builder& places, std::size_t start);
  // After a failed Compile: where in its text the token at fault starts, the
  // name the fault is about (a label defined twice), and why a compile that
  // met no script error stopped, for the report.
  std::size_t FaultOffset() const { return faultOffset_; }
  const std::string& FaultName() const { return faultName_; }
  const std::string& FaultReason() const { return faultReason_; }
  // After a Compile that succeeded: the function.
  ScriptFunction* Function() const { return function_; }

 private:
  void Tokenize(ScriptFunction& function, const char* text, std::size_t length, bool singleFunction);
  CCScript& engine_;
  ScriptFunction* function_ = nullptr;
  std::vector<std::size_t> offsets_;  // where each token of the function starts in its text
  std::size_t faultOffset_ = 0;       // while tokenizing: where the token being read starts
  std::string faultName_;
  std::string faultReason_;
};
