// The compiled form of a script function: register instructions that the
// interpreter runs instead of walking the tokens again. Made by
// bytecode_compiler.cpp at a function's first call, run by bytecode_vm.cpp
// and bytecode_general.cpp. Internal to the script engine.
#pragma once

#include <cstdint>
#include <vector>

#include "script/engine_internal.h"

// An operand names one value: a temporary of the running frame, a local (a
// slot of the value stack counted from the frame base), a constant of the
// function or a global. It is the byte offset from that kind's base with the
// kind in the two low bits (offsets are multiples of 32), so that finding a
// value is one masked load and an add. Locals and globals read as the plain
// routines' references do: at the moment an instruction uses them, never
// earlier.
enum OperandKind : std::uint32_t { kOperandTemp = 0, kOperandLocal = 1, kOperandConstant = 2, kOperandGlobal = 3 };
constexpr std::uint32_t kOperandKindMask = 3;
static_assert(sizeof(ScriptValue) % 4 == 0 && sizeof(GlobalVar) % 4 == 0, "offsets leave the kind bits free");

inline std::uint32_t OperandKindOf(std::uint32_t operand) { return operand & kOperandKindMask; }
inline std::uint32_t OperandOffset(std::uint32_t operand) { return operand & ~kOperandKindMask; }
// Locals and globals, the odd kinds.
inline bool IsVariableOperand(std::uint32_t operand) { return (operand & 1) != 0; }

// A, B and C are the instruction's fields a, b and c; a "go to" target is the
// signed distance from the instruction after the jump. Every instruction
// carries the token position the plain routines would stand at when it raises
// an error or calls the host, and the nesting units they would have open then.
enum class Op : std::uint8_t {
  Step,             // count one statement: stop (4) here when the budget is spent
  Throw,            // raise `code` here
  Jump,             // go to A
  JumpIfFalse,      // unless B is true (27 when no number) go to A
  JumpIfTrue,       // if B is true (27 when no number) go to A; only at a loop's end, back to its body
  // B compared with C (as Eq..Ge below); go to A when the result is 0 (False)
  // or 1 (True), the *True ones only at a loop's end, as JumpIfTrue
  EqJumpIfFalse, NeJumpIfFalse, LtJumpIfFalse, GtJumpIfFalse, LeJumpIfFalse, GeJumpIfFalse,
  EqJumpIfTrue, NeJumpIfTrue, LtJumpIfTrue, GtJumpIfTrue, LeJumpIfTrue, GeJumpIfTrue,
  // A := B (operator) C, the operators of BinaryOp; A is a temporary, or the
  // variable of "variable = B (operator) C", which is assigned the result
  Add, Sub, Mul, Div, Mod, BitAnd, BitOr, Shl, Shr, Eq, Ne, Lt, Gt, Le, Ge,
  ModConstant,      // Mod, C a constant whose whole part is none of 0, 1, -1 and -2^31: the
                    // remainder by its magnitude (divisors[code]) without a division
  Negate,           // A := -B (27 unless B is a number)
  CheckNumber,      // prefix "+": 27 unless B converts to a number; B is the value
  Or,               // A := B || C, both judged, B first
  TruthJumpIfFalse, // A := B judged as 1 or 0; go to C when 0 (one "&& B")
  Move,             // A := B as the plain routines hold it (a variable as a reference to it)
  LoadClass,        // A := object of class constant B and its owner
  ObjectOf,         // A := the object B designates (29 when none)
  Property,         // A := reference to member (name id C) of object A (30, 31)
  CallMethod,       // A := method (name id C) of object A called with `code` arguments at operands[B]
  Call,             // A := value B called with `code` arguments at operands[C] (43 unless a function)
  CallScript,       // A := callees[C] called with `code` arguments at operands[B], whose parameters take any value
  Assign,           // B := C, or B := B (code) C for a compound assignment; B is the value
  StepBy,           // B := B + 1 (code 1) or B - 1 (code 0); B is the value
  // the StepBy of a variable and the comparison jump after it (as Eq..Ge) at
  // once when both are numbers, else on to the two; A is 1 when the jump is
  // on true. Only in code without steps, where loops end so.
  EqStepAndTest, NeStepAndTest, LtStepAndTest, GtStepAndTest, LeStepAndTest, GeStepAndTest,
  Return,           // the result := B; then go to A (a fault found after the return), or end when `code` is 1
  End,              // the call ends without a return: its value is unset
};

// The remainder by a fixed whole number without a division: for a dividend
// u below 2^32, floor(u / magnitude) is the high half of u * magic, exactly.
struct Divisor {
  std::uint64_t magic;  // (2^64 - 1) / magnitude + 1
  std::uint32_t magnitude;
};

struct Instruction {
  Op op;
  std::uint8_t code = 0;
  std::uint16_t rel = 0;  // nesting units open, counted from the body's entry
  std::int32_t pos = 0;   // token index
  std::uint32_t a = 0, b = 0, c = 0;
};

// One function's compiled body. Two copies of the code: one counts statements
// for the step budget, the other (run when there is no budget) has no Step
// instructions at all.
struct Bytecode {
  std::vector<Instruction> counted;
  std::vector<Instruction> uncounted;
  std::vector<std::uint32_t> operands;    // argument lists of calls
  std::vector<ScriptValue> constants;
  std::vector<ScriptFunction*> callees;   // CallScript's functions
  std::vector<Divisor> divisors;          // ModConstant's
  int temps = 0;    // temporaries a frame needs
  int maxRel = 0;   // the most nesting units the body can open, calls included
  std::size_t size = 0;  // the bytes its vectors and texts take
};

// The machine's running frame (bytecode_vm.cpp, bytecode_general.cpp): where
// each kind of operand is counted from, and what nesting counts are relative
// to. Positions are in running_'s tokens.
struct VmFrame {
  // Where temporaries, locals, constants and globals begin (OperandKind
  // order), less their kind, which every operand adds back.
  std::uintptr_t base[4];
  const Bytecode* bytecode;
  int depth;  // nesting units in use when the body was entered
  // ScriptTextsMade() when the body was entered, or kMayHoldTexts when its
  // arguments may have brought texts in: unchanged at its return, its
  // temporaries and locals hold no text.
  std::uint64_t textsMade;
};
constexpr std::uint64_t kMayHoldTexts = UINT64_MAX;

// The value an operand names in the frame.
inline ScriptValue* At(const VmFrame& frame, std::uint32_t operand) {
  return reinterpret_cast<ScriptValue*>(frame.base[operand & kOperandKindMask] + operand);
}

// The outcome of compiling a function body.
enum class CompileResult {
  kCompiled,
  kNever,  // nested too deeply to be worth it, or too large: the plain routines always run it
  kLater,  // the native stack ran short while compiling: try again at another call
};

// Compiles fn's body into `out`, mirroring the plain routines' parse token
// for token. `stackLimit` bounds the compiler's own recursion, `room` the
// bytes the code may take (checked before they are allocated).
CompileResult CompileBytecode(const ScriptFunction& fn, Bytecode& out, std::uintptr_t stackLimit, std::size_t room);
