// Compiles a function body into register instructions (bytecode.h). The parse
// is the plain routines' own, step for step: the same grammar, the same tokens
// consumed in the same order, and every instruction is placed where the plain
// routines would do its work, so the code means exactly what the tokens do:
// - what the plain routines only parse (an untaken branch, the rest of a
//   chain of && after a zero, the statements after a break or return) is
//   jumped over;
// - each statement counts a step where the plain routines count one,
//   including the statement that is not there at the end of a list;
// - a syntax fault ends the code with an instruction that raises it, and
//   every jump over code the plain routines would still parse up to the fault
//   goes there instead, so the effects before the fault happen as they did;
// - the nesting units the plain routines would open are counted, so the
//   interpreter knows before the body runs whether the limit can be met in it.
// How the code is laid out is bytecode_builder.cpp's.
#include <new>

#include "platform/system/stack_guard.h"
#include "script/bytecode/bytecode_builder.h"

namespace {

struct StackShort {};

// What a primary expression was, for the postfix after it.
struct PrimaryInfo {
  const ScriptFunction* function = nullptr;  // a function named directly
  bool classObject = false;                  // a class name: the value is its object already
};

class Compiler {
 public:
  Compiler(const ScriptFunction& fn, Bytecode& out, std::uintptr_t stackLimit, std::size_t room)
      : t_(fn.tokens.data()), code_(out, room), stackLimit_(stackLimit) {}

  void Body() {
    const BodyStart body = FindBodyStart(t_);
    p_ = body.at;
    try {
      if (body.fault != ERR_NONE) throw body.fault;
      if (!Block(0)) throw ERR_NO_PARENTHESIS;
      code_.Bind(end_);
      code_.Emit(Op::End, 0, p_);
    } catch (EErrorCode code) {
      code_.Fault(code, p_);
    }
    code_.Finish();
  }

 private:
  TokenKind Peek() const { return t_[p_].kind; }

  void CheckStack() const {
    if (NativeStackExhausted(stackLimit_)) throw StackShort{};
  }

  // ---- statements: `depth` counts the units open, the statement's own included

  bool Statement(int depth) {
    code_.Note(depth);
    CheckStack();
    code_.Emit(Op::Step, depth, p_);
    const int temps = code_.TempsTaken();
    bool found = true;
    switch (Peek()) {
      case TokenKind::LMiddleParenthesis: Block(depth); break;
      case TokenKind::If: IfStatement(depth); break;
      case TokenKind::While: WhileStatement(depth); break;
      case TokenKind::For: ForStatement(depth); break;
      case TokenKind::Goto:
      case TokenKind::Break:
      case TokenKind::Continue:
      case TokenKind::Return: JumpStatement(depth); break;
      default: {
        std::uint32_t value;
        found = Comma(depth, value);
        if (found) {
          if (Peek() != TokenKind::Semicolon) throw ERR_NO_SEMICOLON;
          ++p_;
        }
        break;
      }
    }
    code_.GiveBackTemps(temps);
    return found;
  }

  bool Block(int depth) {
    if (Peek() != TokenKind::LMiddleParenthesis) return false;
    ++p_;
    while (Statement(depth + 1)) {
    }
    if (Peek() != TokenKind::RMiddleParenthesis) throw ERR_NO_CLOSE_PARENTHESIS;
    ++p_;
    return true;
  }

  // "( expression )" after an if or a while.
  std::uint32_t Condition(int depth) {
    if (Peek() != TokenKind::LParenthesis) throw ERR_NO_PARENTHESIS;
    ++p_;
    std::uint32_t value;
    if (!Comma(depth, value)) throw ERR_NO_EXPRESSION;
    if (Peek() != TokenKind::RParenthesis) throw ERR_NO_CLOSE_PARENTHESIS;
    ++p_;
    return value;
  }

  void IfStatement(int depth) {
    ++p_;
    const std::uint32_t condition = Condition(depth);
    Label otherwise;
    code_.JumpOn(false, condition, otherwise, p_, depth);
    code_.Release(condition);
    if (!Statement(depth + 1)) throw ERR_NO_EXPRESSION;
    if (Peek() != TokenKind::Else) {
      code_.Bind(otherwise);
      return;
    }
    Label end;
    code_.Jump(end);
    code_.Bind(otherwise);
    ++p_;
    if (!Statement(depth + 1)) throw ERR_NO_EXPRESSION;
    code_.Bind(end);
  }

  struct Loop {
    Label* exit;
    Label* next;
  };

  // The body of a loop, with its break and continue targets.
  bool LoopBody(int depth, Label& exit, Label& next) {
    loops_.push_back({&exit, &next});
    const bool found = Statement(depth + 1);
    loops_.pop_back();
    return found;
  }

  // The condition is tested before the body and again after it; code for it
  // is made twice so a pass costs one test.
  void WhileStatement(int depth) {
    ++p_;
    const std::int32_t conditionStart = p_;
    std::uint32_t condition = Condition(depth);
    Label exit, body, next;
    code_.JumpOn(false, condition, exit, p_, depth);
    code_.Release(condition);
    code_.Bind(body);
    if (!LoopBody(depth, exit, next)) throw ERR_NO_EXPRESSION;
    code_.Bind(next);
    const std::int32_t after = p_;
    p_ = conditionStart;
    condition = Condition(depth);
    code_.JumpOn(true, condition, body, p_, depth);
    code_.Release(condition);
    p_ = after;
    code_.Bind(exit);
  }

  // Init, condition and step share one value: with no condition the value
  // judged is the step's, or before the first pass the init's.
  void ForStatement(int depth) {
    ++p_;
    if (Peek() != TokenKind::LParenthesis) throw ERR_NO_PARENTHESIS;
    ++p_;
    std::uint32_t init = 0;
    const bool hasInit = Comma(depth, init);
    if (Peek() != TokenKind::Semicolon) throw ERR_NO_SEMICOLON;
    ++p_;
    const std::int32_t conditionStart = p_;
    std::uint32_t condition = 0;
    const bool hasCondition = Comma(depth, condition);
    if (Peek() != TokenKind::Semicolon) throw ERR_NO_SEMICOLON;
    ++p_;
    const std::int32_t stepStart = p_;
    const bool hasStep = code_.DryRun([&] {
      std::uint32_t ignored;
      return Comma(depth, ignored);
    });
    if (Peek() != TokenKind::RParenthesis) throw ERR_NO_CLOSE_PARENTHESIS;
    ++p_;
    const std::int32_t bodyStart = p_;
    const std::uint32_t first = hasCondition ? condition : hasInit ? init : code_.NoneConstant();
    Label exit, body, next;
    // Without condition or step the first value is judged on every pass.
    code_.JumpOn(false, first, exit, bodyStart, depth, hasCondition || hasStep);
    if (hasCondition) code_.Release(condition);
    code_.Bind(body);
    if (!LoopBody(depth, exit, next)) throw ERR_NO_STATEMENT;
    code_.Bind(next);
    const std::int32_t after = p_;
    std::uint32_t later = first;
    if (hasStep) {
      p_ = stepStart;
      std::uint32_t step;
      Comma(depth, step);
      if (hasCondition) {
        code_.Release(step);
      } else {
        later = step;
      }
    }
    if (hasCondition) {
      p_ = conditionStart;
      Comma(depth, later);
    }
    code_.JumpOn(true, later, body, bodyStart, depth);
    p_ = after;
    code_.Bind(exit);
  }

  void JumpStatement(int depth) {
    const TokenKind kind = Peek();
    ++p_;
    switch (kind) {
      case TokenKind::Goto:
        if (Peek() != TokenKind::GlobalValiable && Peek() != TokenKind::AutoValiable) throw ERR_NO_LABEL;
        ++p_;
        if (Peek() != TokenKind::Semicolon) throw ERR_NO_SEMICOLON;
        // A jump has no defined target: running one is an error.
        code_.Emit(Op::Throw, depth, p_, 0, 0, 0, ERR_NO_LABEL);
        break;
      case TokenKind::Break:
      case TokenKind::Continue:
        if (Peek() != TokenKind::Semicolon) throw ERR_NO_SEMICOLON;
        // Outside any loop they end the function like a return.
        if (loops_.empty()) {
          code_.Jump(end_);
        } else {
          code_.Jump(kind == TokenKind::Break ? *loops_.back().exit : *loops_.back().next);
        }
        break;
      default: {
        std::uint32_t value;
        const bool hasValue = Comma(depth, value);
        if (Peek() != TokenKind::Semicolon) throw ERR_NO_SEMICOLON;
        if (hasValue) {
          code_.Target(code_.Emit(Op::Return, depth, p_, 0, value), end_);
        } else {
          code_.Jump(end_);
        }
        break;
      }
    }
    ++p_;
  }

  // ---- expressions: false when none is there; `value` gets its operand

  bool Comma(int depth, std::uint32_t& value) {
    if (!Assign(depth, value)) return false;
    while (Peek() == TokenKind::Comma) {
      ++p_;
      code_.Release(value);
      if (!Assign(depth, value)) throw ERR_SYNTAX;
    }
    return true;
  }

  bool Assign(int depth, std::uint32_t& value) {
    CheckStack();
    if (!Binary(depth, kOrOr, value)) return false;
    const int code = kOperators[static_cast<int>(Peek())].assignCode;
    if (!code) return true;
    ++p_;
    code_.Note(depth + 1);
    std::uint32_t right;
    if (!Assign(depth + 1, right)) throw ERR_NO_RIGHT_VALUE;
    code_.Release(right);
    if (code == 1 && IsVariableOperand(value) && code_.ResultOfLast(right, Op::Add, Op::ModConstant)) {
      // "variable = a (operator) b": the operator stores into the variable.
      // Nothing happens between the two, and a number or a text assigned to a
      // variable raises nothing and calls no host.
      code_.RetargetLast(value);
      return true;
    }
    // The plain routines assign while the right side's unit is still open.
    code_.Emit(Op::Assign, depth + 1, p_, 0, value, right, code);
    return true;
  }

  // A run of && in one operator loop: the first operand is judged once; when
  // it is zero the chain's value is that operand itself, else 1 or 0 from the
  // operands after it, the first zero ending the chain.
  struct AndChain {
    bool open = false;
    std::uint32_t first = 0;
    std::uint32_t result = 0;
    Label dead, end;
  };

  void OpenChain(AndChain& chain, std::uint32_t value, int depth) {
    chain.open = true;
    chain.first = value;
    chain.result = OperandKindOf(value) == kOperandTemp ? value : code_.NewTemp();
    code_.JumpOn(false, value, chain.dead, p_, depth, false);
  }

  std::uint32_t CloseChain(AndChain& chain, int depth) {
    chain.open = false;
    if (chain.first != chain.result) {
      code_.Jump(chain.end);
      code_.Bind(chain.dead);
      code_.Emit(Op::Move, depth, p_, chain.result, chain.first);
    } else {
      code_.Bind(chain.dead);
    }
    code_.Bind(chain.end);
    return chain.result;
  }

  bool Binary(int depth, int minLevel, std::uint32_t& value) {
    if (!Unary(depth, value)) return false;
    AndChain chain;
    for (;;) {
      const OperatorInfo& op = kOperators[static_cast<int>(Peek())];
      if (op.level == 0 || op.level < minLevel) break;
      ++p_;
      std::uint32_t right;
      if (op.level == kAndAnd) {
        if (!chain.open) OpenChain(chain, value, depth);
        if (!Binary(depth, op.level + 1, right)) throw kMissingOperand[op.level];
        code_.Target(code_.Emit(Op::TruthJumpIfFalse, depth, p_, chain.result, right), chain.end);
        code_.Release(right);
        continue;
      }
      if (chain.open) value = CloseChain(chain, depth);
      if (!Binary(depth, op.level + 1, right)) throw kMissingOperand[op.level];
      code_.Release(right);
      code_.Release(value);
      const std::uint32_t result = code_.NewTemp();
      const Op operation = op.level == kOrOr ? Op::Or : static_cast<Op>(static_cast<int>(Op::Add) + op.code - 2);
      code_.Emit(operation, depth, p_, result, value, right);
      if (operation == Op::Mod) code_.RemainderByConstant();
      value = result;
    }
    if (chain.open) value = CloseChain(chain, depth);
    return true;
  }

  bool Unary(int depth, std::uint32_t& value) {
    const TokenKind kind = Peek();
    if (kind != TokenKind::Minus && kind != TokenKind::Plus) return Postfix(depth, value);
    ++p_;
    if (!Postfix(depth, value)) throw ERR_NO_RIGHT_VALUE;
    if (kind == TokenKind::Plus) {
      code_.Emit(Op::CheckNumber, depth, p_, 0, value);
      return true;
    }
    code_.Release(value);
    const std::uint32_t result = code_.NewTemp();
    code_.Emit(Op::Negate, depth, p_, result, value);
    value = result;
    return true;
  }

  // "( arguments )" after the "(": their operands, last given back first.
  int Arguments(int depth, std::uint32_t* args) {
    code_.Note(depth + 1);
    int count = 0;
    if (Assign(depth + 1, args[0])) {
      count = 1;
      while (Peek() == TokenKind::Comma) {
        ++p_;
        if (count == kMaxParameters) throw ERR_ARGUMENT_COUNT;
        if (!Assign(depth + 1, args[count])) throw ERR_NO_EXPRESSION;
        ++count;
      }
    }
    if (Peek() != TokenKind::RParenthesis) throw ERR_NO_CLOSE_PARENTHESIS;
    ++p_;
    for (int i = count - 1; i >= 0; --i) code_.Release(args[i]);
    return count;
  }

  // A function whose parameters all take any value, called with as many
  // arguments as it has: binding them can raise nothing but 46. Its locals
  // must hold the arguments, since the machine checks the stack for the
  // locals alone; a parameter named as a global is no local.
  static bool TakesPlainArguments(const ScriptFunction& function, int count) {
    if (count > function.localCount) return false;
    for (int i = 0; i < count; ++i)
      if (function.parameterFlags[i] != kParamPresent) return false;
    return !(function.parameterFlags[count] & kParamPresent);
  }

  bool Postfix(int depth, std::uint32_t& value) {
    PrimaryInfo info;
    if (!Primary(depth, value, info)) return false;
    std::uint32_t args[kMaxParameters];
    switch (Peek()) {
      case TokenKind::LParenthesis: {
        ++p_;
        const int count = Arguments(depth, args);
        code_.Note(depth + 1);  // the call's own unit
        code_.Release(value);
        const std::uint32_t result = code_.NewTemp();
        const std::uint32_t list = code_.OperandList(args, count);
        if (info.function && TakesPlainArguments(*info.function, count)) {
          code_.Emit(Op::CallScript, depth, p_, result, list, code_.CalleeIndex(info.function), count);
        } else {
          code_.Emit(Op::Call, depth, p_, result, value, list, count);
        }
        value = result;
        return true;
      }
      case TokenKind::Period: {
        ++p_;
        std::uint32_t object = value;
        if (!info.classObject) {
          code_.Release(value);
          object = code_.NewTemp();
          code_.Emit(Op::ObjectOf, depth, p_, object, value);
        }
        if (Peek() != TokenKind::Identifier) throw ERR_NO_MEMBER;
        const auto nameId = static_cast<std::uint32_t>(t_[p_].index);
        ++p_;
        if (Peek() == TokenKind::LParenthesis) {
          ++p_;
          const int count = Arguments(depth, args);
          code_.Emit(Op::CallMethod, depth, p_, object, code_.OperandList(args, count), nameId, count);
        } else {
          code_.Emit(Op::Property, depth, p_, object, 0, nameId);
        }
        value = object;
        return true;
      }
      case TokenKind::PlusPlus:
      case TokenKind::MinusMinus: {
        const int up = Peek() == TokenKind::PlusPlus ? 1 : 0;
        ++p_;
        code_.Emit(Op::StepBy, depth, p_, 0, value, 0, up);
        return true;
      }
      default:
        return true;
    }
  }

  bool Primary(int depth, std::uint32_t& value, PrimaryInfo& info) {
    const Token& token = t_[p_];
    switch (token.kind) {
      case TokenKind::Number: value = code_.NumberConstant(token.number); break;
      case TokenKind::String: value = code_.TextConstant(token.text); break;
      case TokenKind::GlobalValiable: value = code_.Global(token.index); break;
      case TokenKind::AutoValiable: value = code_.Local(token.index); break;
      case TokenKind::Empty: value = code_.EmptyConstant(); break;
      case TokenKind::Class:
        value = code_.NewTemp();
        code_.Emit(Op::LoadClass, depth, p_, value, code_.ClassConstant(token.cls));
        info.classObject = true;
        break;
      case TokenKind::Function:
        value = code_.FunctionConstant(token.function);
        info.function = token.function;
        break;
      case TokenKind::Identifier:
        // A member name on its own is an error only when it runs.
        code_.Emit(Op::Throw, depth, p_, 0, 0, 0, ERR_NO_CLASS);
        value = code_.NoneConstant();
        break;
      case TokenKind::LParenthesis:
        code_.Note(depth + 1);
        ++p_;
        if (!Comma(depth + 1, value)) throw ERR_SYNTAX;
        if (Peek() != TokenKind::RParenthesis) throw ERR_NO_CLOSE_PARENTHESIS;
        break;
      default:
        return false;
    }
    ++p_;
    return true;
  }

  const Token* t_;
  CodeBuilder code_;
  std::uintptr_t stackLimit_;
  std::int32_t p_ = 0;
  Label end_;
  std::vector<Loop> loops_;
};

}  // namespace

CompileResult CompileBytecode(const ScriptFunction& fn, Bytecode& out, std::uintptr_t stackLimit, std::size_t room) {
  out = Bytecode();
  try {
    Compiler(fn, out, stackLimit, room).Body();
  } catch (TooDeep) {
    return CompileResult::kNever;
  } catch (TooLarge) {
    return CompileResult::kNever;
  } catch (const std::bad_alloc&) {
    // The plain routines need nothing more to run it.
    return CompileResult::kNever;
  } catch (StackShort) {
    return CompileResult::kLater;
  }
  return CompileResult::kCompiled;
}
