// The compiled form of statements that the interpreter caches per token
// position (FastCode, FastNode). Internal to the script engine (interpreter.cpp,
// fast_path*.cpp, engine.cpp).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "script/engine_internal.h"

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
