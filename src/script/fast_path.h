// The compiled form of statements that the interpreter caches per token
// position (FastCode, FastNode) and the numeric operators both paths share.
// Internal to the script engine (interpreter.cpp, fast_path*.cpp, engine.cpp).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include <climits>
#include "script/engine.h"

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


enum class FastOp : std::uint8_t {
  // expressions
  Number,
  String,
  Global,
  Local,
  Empty,
  Class,
  Function,
  Identifier,  // a member name on its own: 45
  Call,
  Method,
  Property,
  Step,  // postfix ++ and --
  Negate,
  Plus,
  Binary,
  Or,
  AndChain,
  Assign,
  Comma,
  // statements
  Expression,
  Block,
  If,
  While,
  For,
  Break,
  Continue,
  Return,
  Goto,
};

// One node. Positions are token indexes into the function's token array: the
// place the plain interpreter's current token would be at the moment the
// node's operation throws or calls out, so that error reports and hosts see
// the same position.
struct FastNode {
  FastOp op;
  std::uint8_t code = 0;   // BinaryOp or assignment code; Step: 1 for ++
  std::uint8_t pure = 0;   // a number-only tree of locals, globals, literals and operators
  std::uint16_t count = 0; // list length (arguments, statements, operands)
  std::int32_t pos = 0;
  std::int32_t pos2 = 0;
  std::int32_t a = -1, b = -1, c = -1, d = -1;  // children; lists start at `c` in FastCode::lists
  std::int32_t rel = 0;    // Call: nesting units in use at the call, relative to the root
  union {
    double number;
    const char* text;
    std::int32_t index;
    NativeClass* cls;
    ScriptFunction* function;
  };
  FastNode() : number(0) {}
};

// A statement compiled at one position: its nodes (never changed after the
// compile, so running code may hold pointers into them), where it ends, and how
// many nesting units it uses at most below the position where it starts.
struct FastRoot {
  std::vector<FastNode> nodes;
  std::vector<std::int32_t> lists;
  std::int32_t node = -1;
  std::int32_t end = 0;
  std::int32_t maxRel = 0;
};

// Per function: the cache of compiled statements. It lives and dies with the
// ScriptFunction.
struct FastCode {
  std::vector<std::unique_ptr<FastRoot>> roots;
  // Per token: 0 not tried yet, -1 not compiled (a syntax error, or too deep:
  // the plain routines run it), else the index of its FastRoot plus 1.
  std::vector<std::int32_t> at;
  std::int32_t bodyStart = 0;  // the body's "{" (0: not known yet, -1: none)
  const FastRoot* body = nullptr;  // the body's compiled form, once made
};

// What running compiled code needs at hand.
struct FastFrame {
  const FastNode* nodes;
  const std::int32_t* lists;
  const Token* base;  // the function's first token
  int depth;          // nesting units in use where the root started
};

// Compiles the statement (or with `body`, a function body's block) at `start`.
// Returns the root's index plus 1, or -1 when it cannot be compiled.
std::int32_t CompileFastStatement(FastCode& code, const Token* tokens, std::int32_t start, bool body);

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
