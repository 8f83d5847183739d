// The interpreter: walks a compiled function's token array with a recursive
// descent parser that evaluates as it parses. With the execute flag clear the
// same routines only parse, which is how untaken branches and the final pass of
// a loop are checked. These routines define the language; function bodies run
// as bytecode (bytecode_vm.cpp) when it is on, which must and does behave
// exactly like them. What both do to values, calls and members is written
// once, in operations.cpp.
#include "platform/system/stack_guard.h"
#include "script/engine_internal.h"
#include "script/script_context.h"

namespace {

inline const OperatorInfo& InfoOf(TokenKind kind) { return kOperators[static_cast<int>(kind)]; }

}  // namespace

Interpreter::Interpreter(CCScript& engine)
    : stack_(new ScriptValue[kStackSize]), engine_(engine), attention_(engine.context_.attention) {}

void Interpreter::AttendAt(const Token* at) {
  if (attention_.StopRequested()) StopAt(at);
}

// Nesting is bounded by a count of recursive constructs (statements, groups,
// argument lists, assignment right sides, calls) rather than by the native
// stack alone, so that where 46 is raised does not depend on frame sizes and
// is the same whichever way a statement is executed. The native check stays
// as a backstop for hosts that call in with little stack left.
Interpreter::NestingUnit::NestingUnit(Interpreter& machine) : machine_(machine) {
  if (++machine_.depth_ > machine_.peak_) machine_.peak_ = machine_.depth_;
  if (machine_.depth_ > kMaxNesting || NativeStackExhausted(machine_.stackLimit_)) {
    --machine_.depth_;
    throw ERR_STACK_OVERFLOW;
  }
}

// ---- calls ---------------------------------------------------------------

void Interpreter::RunFunctionBody(bool execute, ScriptValue& result, ScriptFunction* fn) {
  if (execute && bytecode_ && RunBytecode(fn, result)) return;
  const BodyStart body = FindBodyStart(pc_);
  pc_ += body.at;
  if (body.fault != ERR_NONE) throw body.fault;
  int control = kNormal;
  if (!Block(execute, control)) throw ERR_NO_PARENTHESIS;
}

int Interpreter::Arguments(bool execute, ScriptValue* args) {
  NestingUnit unit(*this);
  int count = 0;
  if (AssignExpression(execute, args[0])) {
    count = 1;
    while (Peek() == TokenKind::Comma) {
      ++pc_;
      if (count == kMaxParameters) throw ERR_ARGUMENT_COUNT;
      if (!AssignExpression(execute, args[count])) throw ERR_NO_EXPRESSION;
      ++count;
    }
  }
  if (Peek() != TokenKind::RParenthesis) throw ERR_NO_CLOSE_PARENTHESIS;
  ++pc_;
  return count;
}

// ---- statements ----------------------------------------------------------

bool Interpreter::Statement(bool execute, int& control) {
  NestingUnit unit(*this);
  const Token* base = running_->tokens.data();
  const std::size_t at = static_cast<std::size_t>(pc_ - base);
  int outerPeak = 0;
  if (!execute) {
    // Parsing a statement without executing it never depends on values, so
    // a statement checked once is skipped in one step afterwards, unless its
    // nesting would now pass the limit: then it is parsed again and fails
    // where it always fails, whether it was seen before or not.
    if (std::int32_t next = running_->skipTo[at]) {
      const int below = running_->skipDepth[at];
      if (depth_ + below <= kMaxNesting) {
        if (depth_ + below > peak_) peak_ = depth_ + below;
        pc_ = base + next;
        return true;
      }
    }
    outerPeak = peak_;
    peak_ = depth_;
  } else if (StepSpent()) {
    StopAt(pc_);
  }
  bool found;
  switch (Peek()) {
    case TokenKind::LMiddleParenthesis: found = Block(execute, control); break;
    case TokenKind::If: found = IfStatement(execute, control); break;
    case TokenKind::While: found = WhileStatement(execute, control); break;
    case TokenKind::For: found = ForStatement(execute, control); break;
    case TokenKind::Goto:
    case TokenKind::Break:
    case TokenKind::Continue:
    case TokenKind::Return: found = JumpStatement(execute, control); break;
    default: {
      ScriptValue value;
      found = CommaExpression(execute, value);
      if (found) {
        if (Peek() != TokenKind::Semicolon) throw ERR_NO_SEMICOLON;
        ++pc_;
      }
      break;
    }
  }
  if (!execute) {
    if (found) {
      running_->skipTo[at] = static_cast<std::int32_t>(pc_ - base);
      running_->skipDepth[at] = peak_ - depth_;
    }
    if (outerPeak > peak_) peak_ = outerPeak;
  }
  return found;
}

void Interpreter::StatementList(bool execute, int& control) {
  while (Statement(execute && control == kNormal, control)) {
  }
}

bool Interpreter::Block(bool execute, int& control) {
  if (Peek() != TokenKind::LMiddleParenthesis) return false;
  ++pc_;
  StatementList(execute, control);
  if (Peek() != TokenKind::RMiddleParenthesis) throw ERR_NO_CLOSE_PARENTHESIS;
  ++pc_;
  return true;
}

// "( expression )" after an if or a while; true when executing and the value
// is not zero.
bool Interpreter::Condition(bool execute) {
  if (Peek() != TokenKind::LParenthesis) throw ERR_NO_PARENTHESIS;
  ++pc_;
  ScriptValue condition;
  if (!CommaExpression(execute, condition)) throw ERR_NO_EXPRESSION;
  if (Peek() != TokenKind::RParenthesis) throw ERR_NO_CLOSE_PARENTHESIS;
  ++pc_;
  return execute && Truth(condition);
}

bool Interpreter::IfStatement(bool execute, int& control) {
  ++pc_;
  const bool taken = Condition(execute);
  if (!Statement(taken, control)) throw ERR_NO_EXPRESSION;
  if (Peek() == TokenKind::Else) {
    ++pc_;
    if (!Statement(execute && !taken && control == kNormal, control)) throw ERR_NO_EXPRESSION;
  }
  return true;
}

bool Interpreter::WhileStatement(bool execute, int& control) {
  ++pc_;
  const Token* loopStart = pc_;
  for (bool again = false;; again = true) {
    const bool run = Condition(execute);
    if (run && again) HearAttention(pc_);
    int bodyControl = kNormal;
    if (!Statement(run, bodyControl)) throw ERR_NO_EXPRESSION;
    if (LoopEnds(run, bodyControl, control)) return true;
    pc_ = loopStart;
  }
}

bool Interpreter::ForStatement(bool execute, int& control) {
  ++pc_;
  if (Peek() != TokenKind::LParenthesis) throw ERR_NO_PARENTHESIS;
  ++pc_;
  // Init, condition and step share one value: an empty condition is judged
  // by the expression evaluated just before it.
  ScriptValue value;
  CommaExpression(execute, value);
  if (Peek() != TokenKind::Semicolon) throw ERR_NO_SEMICOLON;
  ++pc_;
  const Token* conditionStart = pc_;
  CommaExpression(execute, value);
  if (Peek() != TokenKind::Semicolon) throw ERR_NO_SEMICOLON;
  ++pc_;
  const Token* stepStart = pc_;
  {
    ScriptValue ignored;
    CommaExpression(false, ignored);
  }
  if (Peek() != TokenKind::RParenthesis) throw ERR_NO_CLOSE_PARENTHESIS;
  ++pc_;
  const Token* bodyStart = pc_;
  for (bool again = false;; again = true) {
    const bool run = execute && Truth(value);
    if (run && again) HearAttention(pc_);
    int bodyControl = kNormal;
    if (!Statement(run, bodyControl)) throw ERR_NO_STATEMENT;
    if (LoopEnds(run, bodyControl, control)) return true;
    pc_ = stepStart;
    CommaExpression(true, value);
    pc_ = conditionStart;
    CommaExpression(true, value);
    pc_ = bodyStart;
  }
}

bool Interpreter::JumpStatement(bool execute, int& control) {
  const TokenKind kind = Peek();
  ++pc_;
  switch (kind) {
    case TokenKind::Goto:
      if (Peek() != TokenKind::GlobalValiable && Peek() != TokenKind::AutoValiable) throw ERR_NO_LABEL;
      ++pc_;
      if (Peek() != TokenKind::Semicolon) throw ERR_NO_SEMICOLON;
      // Labels are recorded but a jump has no defined target: scripts must
      // not rely on it, so executing one is an error rather than a guess.
      if (execute) throw ERR_NO_LABEL;
      break;
    case TokenKind::Break:
    case TokenKind::Continue:
      if (Peek() != TokenKind::Semicolon) throw ERR_NO_SEMICOLON;
      if (execute) control = kind == TokenKind::Break ? kBreak : kContinue;
      break;
    default: {  // return
      ScriptValue value;
      const bool hasValue = CommaExpression(execute, value);
      if (Peek() != TokenKind::Semicolon) throw ERR_NO_SEMICOLON;
      if (execute) {
        if (hasValue) StoreReturnValue(value);
        control = kReturn;
      }
      break;
    }
  }
  ++pc_;
  return true;
}

// ---- expressions ---------------------------------------------------------

bool Interpreter::CommaExpression(bool execute, ScriptValue& value) {
  if (!AssignExpression(execute, value)) return false;
  while (Peek() == TokenKind::Comma) {
    ++pc_;
    if (!AssignExpression(execute, value)) throw ERR_SYNTAX;
  }
  return true;
}

bool Interpreter::AssignExpression(bool execute, ScriptValue& value) {
  if (!BinaryExpression(execute, value, kOrOr)) return false;
  const int code = InfoOf(Peek()).assignCode;
  if (!code) return true;
  ++pc_;
  NestingUnit unit(*this);
  ScriptValue right;
  if (!AssignExpression(execute, right)) throw ERR_NO_RIGHT_VALUE;
  if (execute) AssignWith(value, right, code);
  return true;
}

bool Interpreter::BinaryExpression(bool execute, ScriptValue& value, int minLevel) {
  if (!UnaryExpression(execute, value)) return false;
  bool andChainLive = execute;  // cleared once a && operand was zero
  for (;;) {
    const OperatorInfo& op = InfoOf(Peek());
    if (op.level == 0 || op.level < minLevel) return true;
    ++pc_;
    ScriptValue right;
    if (op.level == kAndAnd) {
      if (andChainLive && !Truth(value)) andChainLive = false;
      if (!BinaryExpression(andChainLive, right, op.level + 1)) throw kMissingOperand[op.level];
      if (andChainLive) andChainLive = LogicalAnd(value, right);
      continue;
    }
    andChainLive = execute;
    if (!BinaryExpression(execute, right, op.level + 1)) throw kMissingOperand[op.level];
    if (!execute) continue;
    if (op.level == kOrOr) {
      LogicalOr(value, right);
    } else {
      ApplyBinary(value, right, op.code);
    }
  }
}

bool Interpreter::UnaryExpression(bool execute, ScriptValue& value) {
  const TokenKind kind = Peek();
  if (kind != TokenKind::Minus && kind != TokenKind::Plus) return PostfixExpression(execute, value);
  ++pc_;
  if (!PostfixExpression(execute, value)) throw ERR_NO_RIGHT_VALUE;
  if (execute) ApplySign(value, kind == TokenKind::Minus);
  return true;
}

bool Interpreter::PostfixExpression(bool execute, ScriptValue& value) {
  if (!PrimaryExpression(execute, value)) return false;
  switch (Peek()) {
    case TokenKind::LParenthesis: {
      ++pc_;
      ScriptValue args[kMaxParameters];
      const int count = Arguments(execute, args);
      if (execute) CallFunctionValue(value, args, count);
      return true;
    }
    case TokenKind::Period: {
      ++pc_;
      ObjectRef object{};
      if (execute) object = ObjectOf(value);
      if (Peek() != TokenKind::Identifier) throw ERR_NO_MEMBER;
      const int nameId = Current().index;
      ++pc_;
      if (Peek() == TokenKind::LParenthesis) {
        ++pc_;
        ScriptValue args[kMaxParameters];
        const int count = Arguments(execute, args);
        if (execute) CallMember(object, nameId, value, args, count);
      } else if (execute) {
        PropertyOf(object, nameId, value);
      }
      return true;
    }
    case TokenKind::PlusPlus:
    case TokenKind::MinusMinus: {
      const double step = Peek() == TokenKind::PlusPlus ? 1 : -1;
      ++pc_;
      if (execute) StepBy(value, step);
      return true;
    }
    default:
      return true;
  }
}

bool Interpreter::PrimaryExpression(bool execute, ScriptValue& value) {
  const Token& token = Current();
  switch (token.kind) {
    case TokenKind::Number:
      if (execute) value.SetNumber(token.number);
      break;
    case TokenKind::String:
      if (execute) value.SetString(token.text);
      break;
    case TokenKind::GlobalValiable:
      if (execute) value.SetReference(kStorageGlobal, token.index);
      break;
    case TokenKind::AutoValiable:
      if (execute) value.SetReference(kStorageLocal, token.index);
      break;
    case TokenKind::Empty:
      if (execute) value.SetEmpty();
      break;
    case TokenKind::Class:
      if (execute) value.SetObject(token.cls, token.cls->GetOwner());
      break;
    case TokenKind::Function:
      if (execute) value.SetFunction(token.function);
      break;
    case TokenKind::Identifier:
      if (execute) throw ERR_NO_CLASS;
      break;
    case TokenKind::LParenthesis: {
      NestingUnit unit(*this);
      ++pc_;
      if (!CommaExpression(execute, value)) throw ERR_SYNTAX;
      if (Peek() != TokenKind::RParenthesis) throw ERR_NO_CLOSE_PARENTHESIS;
      break;
    }
    default:
      return false;
  }
  ++pc_;
  return true;
}
