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
#include <cstring>
#include <map>

#include "platform/system/stack_guard.h"
#include "script/bytecode.h"

namespace {

// Bodies that nest more deeply than this stay with the plain routines: no
// script needs it, and it bounds the compiler's own recursion.
constexpr int kMaxCompiledNesting = 128;
constexpr std::uint32_t kUnresolved = 0xFFFFFFFF;

struct TooDeep {};
struct StackShort {};

// A place in the code that jumps refer to before it is known.
struct Label {
  std::int32_t at = -1;
  std::vector<std::uint32_t> uses;  // instructions whose target is this label
};

// The field that holds an instruction's target, or null for one that never jumps.
std::uint32_t* TargetOf(Instruction& instruction) {
  switch (instruction.op) {
    case Op::Jump:
    case Op::JumpIfFalse:
    case Op::JumpIfTrue:
    case Op::EqJumpIfFalse: case Op::NeJumpIfFalse: case Op::LtJumpIfFalse:
    case Op::GtJumpIfFalse: case Op::LeJumpIfFalse: case Op::GeJumpIfFalse:
    case Op::EqJumpIfTrue: case Op::NeJumpIfTrue: case Op::LtJumpIfTrue:
    case Op::GtJumpIfTrue: case Op::LeJumpIfTrue: case Op::GeJumpIfTrue:
    case Op::Return:
      return &instruction.a;
    case Op::TruthJumpIfFalse:
      return &instruction.c;
    default:
      return nullptr;
  }
}

// What a primary expression was, for the postfix after it.
struct PrimaryInfo {
  const ScriptFunction* function = nullptr;  // a function named directly
  bool classObject = false;                  // a class name: the value is its object already
};

class Compiler {
 public:
  Compiler(const ScriptFunction& fn, Bytecode& out, std::uintptr_t stackLimit)
      : t_(fn.tokens.data()), out_(out), code_(out.counted), stackLimit_(stackLimit) {}

  void Body() {
    const BodyStart body = FindBodyStart(t_);
    p_ = body.at;
    try {
      if (body.fault != ERR_NONE) throw body.fault;
      if (!Block(0)) throw ERR_NO_PARENTHESIS;
      Bind(end_);
      Emit(Op::End, 0, p_);
    } catch (EErrorCode code) {
      Fault(code);
    }
    out_.temps = maxTemps_;
    out_.maxRel = maxRel_;
  }

 private:
  // ---- emitting

  TokenKind Peek() const { return t_[p_].kind; }

  std::uint32_t Emit(Op op, int rel, std::int32_t pos, std::uint32_t a = 0, std::uint32_t b = 0,
                     std::uint32_t c = 0, int code = 0) {
    Instruction instruction;
    instruction.op = op;
    instruction.code = static_cast<std::uint8_t>(code);
    instruction.rel = static_cast<std::uint16_t>(rel);
    instruction.pos = pos;
    instruction.a = a;
    instruction.b = b;
    instruction.c = c;
    code_.push_back(instruction);
    return static_cast<std::uint32_t>(code_.size() - 1);
  }

  // Points the instruction's target at the label, now or once it is bound.
  void Target(std::uint32_t instruction, Label& label) {
    std::uint32_t* target = TargetOf(code_[instruction]);
    if (label.at >= 0) {
      *target = static_cast<std::uint32_t>(label.at);
    } else {
      *target = kUnresolved;
      label.uses.push_back(instruction);
    }
  }

  void Bind(Label& label) {
    label.at = static_cast<std::int32_t>(code_.size());
    for (std::uint32_t use : label.uses) *TargetOf(code_[use]) = static_cast<std::uint32_t>(label.at);
    label.uses.clear();
    boundAtEnd_ = code_.size();
  }

  void Jump(Label& label) { Target(Emit(Op::Jump, 0, 0), label); }

  // Goes to `label` when `value` is false (or true, with `when`), judged where
  // the plain routines stand at `pos`. A comparison just made for the test
  // alone (`consumed`) is folded into it: its value is a number, whose truth
  // raises nothing.
  void JumpOn(bool when, std::uint32_t value, Label& label, std::int32_t pos, int rel, bool consumed = true) {
    if (consumed && ResultOfLast(value, Op::Eq, Op::Ge)) {
      Instruction& last = code_.back();
      const int index = static_cast<int>(last.op) - static_cast<int>(Op::Eq);
      const Op first = when ? Op::EqJumpIfTrue : Op::EqJumpIfFalse;
      last.op = static_cast<Op>(static_cast<int>(first) + index);
      Target(static_cast<std::uint32_t>(code_.size() - 1), label);
      return;
    }
    Target(Emit(when ? Op::JumpIfTrue : Op::JumpIfFalse, rel, pos, 0, value), label);
  }

  // A syntax fault: the code ends by raising it, and every jump still waiting
  // for its place goes there, since the plain routines would parse on to it.
  void Fault(EErrorCode code) {
    if (dryMark_ >= 0) code_.resize(static_cast<std::size_t>(dryMark_));
    const std::uint32_t at = Emit(Op::Throw, 0, p_, 0, 0, 0, code);
    for (Instruction& instruction : code_) {
      std::uint32_t* target = TargetOf(instruction);
      if (target && *target == kUnresolved) *target = at;
    }
  }

  // Parses what the plain routines only parse at this point (a for loop's
  // step before its body): its syntax faults count here, its code does not.
  template <typename F>
  bool DryRun(F&& parse) {
    const std::size_t mark = code_.size();
    const int temps = freeTemp_;
    dryMark_ = static_cast<std::int64_t>(mark);
    const bool found = parse();
    dryMark_ = -1;
    code_.resize(mark);
    if (boundAtEnd_ > mark) boundAtEnd_ = mark;
    freeTemp_ = temps;
    return found;
  }

  // Records that `depth` nesting units are open here.
  void Note(int depth) {
    if (depth > kMaxCompiledNesting) throw TooDeep{};
    if (depth > maxRel_) maxRel_ = depth;
  }

  void CheckStack() const {
    if (NativeStackExhausted(stackLimit_)) throw StackShort{};
  }

  // ---- operands

  static std::uint32_t Operand(OperandKind kind, std::size_t offset) {
    return static_cast<std::uint32_t>(offset) | kind;
  }
  std::uint32_t Local(int index) const { return Operand(kOperandLocal, index * sizeof(ScriptValue)); }
  std::uint32_t Global(int index) const { return Operand(kOperandGlobal, index * sizeof(GlobalVar)); }

  std::uint32_t NewTemp() {
    const int index = freeTemp_++;
    if (freeTemp_ > maxTemps_) maxTemps_ = freeTemp_;
    return Operand(kOperandTemp, index * sizeof(ScriptValue));
  }
  // Temporaries are taken and given back last first; one given back out of
  // turn stays taken until its statement ends.
  void Release(std::uint32_t operand) {
    if (OperandKindOf(operand) != kOperandTemp) return;
    const int index = static_cast<int>(OperandOffset(operand) / sizeof(ScriptValue));
    if (index == freeTemp_ - 1) freeTemp_ = index;
  }

  std::uint32_t AddConstant(ScriptValue&& value) {
    out_.constants.push_back(std::move(value));
    return Operand(kOperandConstant, (out_.constants.size() - 1) * sizeof(ScriptValue));
  }
  std::uint32_t NumberConstant(double number) {
    std::uint64_t bits;
    static_assert(sizeof bits == sizeof number);
    std::memcpy(&bits, &number, sizeof bits);
    auto found = numbers_.find(bits);
    if (found != numbers_.end()) return found->second;
    ScriptValue value;
    value.SetNumber(number);
    return numbers_[bits] = AddConstant(std::move(value));
  }
  std::uint32_t TextConstant(const char* text) {
    ScriptValue value;
    value.SetString(text);
    return AddConstant(std::move(value));
  }
  std::uint32_t NoneConstant() {
    if (!none_) none_ = AddConstant(ScriptValue());
    return none_;
  }
  std::uint32_t EmptyConstant() {
    if (!empty_) {
      ScriptValue value;
      value.SetEmpty();
      empty_ = AddConstant(std::move(value));
    }
    return empty_;
  }
  std::uint32_t FunctionConstant(ScriptFunction* function) {
    ScriptValue value;
    value.SetFunction(function);
    return AddConstant(std::move(value));
  }
  std::uint32_t ClassConstant(NativeClass* cls) {
    ScriptValue value;
    value.SetObject(cls, nullptr);
    return AddConstant(std::move(value));
  }

  // ---- statements: `depth` counts the units open, the statement's own included

  bool Statement(int depth) {
    Note(depth);
    CheckStack();
    Emit(Op::Step, depth, p_);
    const int temps = freeTemp_;
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
    freeTemp_ = temps;
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
    JumpOn(false, condition, otherwise, p_, depth);
    Release(condition);
    if (!Statement(depth + 1)) throw ERR_NO_EXPRESSION;
    if (Peek() != TokenKind::Else) {
      Bind(otherwise);
      return;
    }
    Label end;
    Jump(end);
    Bind(otherwise);
    ++p_;
    if (!Statement(depth + 1)) throw ERR_NO_EXPRESSION;
    Bind(end);
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
    JumpOn(false, condition, exit, p_, depth);
    Release(condition);
    Bind(body);
    if (!LoopBody(depth, exit, next)) throw ERR_NO_EXPRESSION;
    Bind(next);
    const std::int32_t after = p_;
    p_ = conditionStart;
    condition = Condition(depth);
    JumpOn(true, condition, body, p_, depth);
    Release(condition);
    p_ = after;
    Bind(exit);
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
    const bool hasStep = DryRun([&] {
      std::uint32_t ignored;
      return Comma(depth, ignored);
    });
    if (Peek() != TokenKind::RParenthesis) throw ERR_NO_CLOSE_PARENTHESIS;
    ++p_;
    const std::int32_t bodyStart = p_;
    const std::uint32_t first = hasCondition ? condition : hasInit ? init : NoneConstant();
    Label exit, body, next;
    // Without condition or step the first value is judged on every pass.
    JumpOn(false, first, exit, bodyStart, depth, hasCondition || hasStep);
    if (hasCondition) Release(condition);
    Bind(body);
    if (!LoopBody(depth, exit, next)) throw ERR_NO_STATEMENT;
    Bind(next);
    const std::int32_t after = p_;
    std::uint32_t later = first;
    if (hasStep) {
      p_ = stepStart;
      std::uint32_t step;
      Comma(depth, step);
      if (hasCondition) {
        Release(step);
      } else {
        later = step;
      }
    }
    if (hasCondition) {
      p_ = conditionStart;
      Comma(depth, later);
    }
    JumpOn(true, later, body, bodyStart, depth);
    p_ = after;
    Bind(exit);
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
        Emit(Op::Throw, depth, p_, 0, 0, 0, ERR_NO_LABEL);
        break;
      case TokenKind::Break:
      case TokenKind::Continue:
        if (Peek() != TokenKind::Semicolon) throw ERR_NO_SEMICOLON;
        // Outside any loop they end the function like a return.
        if (loops_.empty()) {
          Jump(end_);
        } else {
          Jump(kind == TokenKind::Break ? *loops_.back().exit : *loops_.back().next);
        }
        break;
      default: {
        std::uint32_t value;
        const bool hasValue = Comma(depth, value);
        if (Peek() != TokenKind::Semicolon) throw ERR_NO_SEMICOLON;
        if (hasValue) {
          Target(Emit(Op::Return, depth, p_, 0, value), end_);
        } else {
          Jump(end_);
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
      Release(value);
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
    Note(depth + 1);
    std::uint32_t right;
    if (!Assign(depth + 1, right)) throw ERR_NO_RIGHT_VALUE;
    Release(right);
    if (code == 1 && IsVariableOperand(value) && ResultOfLast(right, Op::Add, Op::ModConstant)) {
      // "variable = a (operator) b": the operator stores into the variable.
      // Nothing happens between the two, and a number or a text assigned to a
      // variable raises nothing and calls no host.
      code_.back().a = value;
      return true;
    }
    // The plain routines assign while the right side's unit is still open.
    Emit(Op::Assign, depth + 1, p_, 0, value, right, code);
    return true;
  }

  // True when `value` is the temporary the last instruction (one of first to
  // last) just wrote, with no jump landing after it.
  bool ResultOfLast(std::uint32_t value, Op first, Op last) const {
    if (OperandKindOf(value) != kOperandTemp || code_.empty() || boundAtEnd_ == code_.size()) return false;
    const Instruction& instruction = code_.back();
    return instruction.op >= first && instruction.op <= last && instruction.a == value;
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
    chain.result = OperandKindOf(value) == kOperandTemp ? value : NewTemp();
    JumpOn(false, value, chain.dead, p_, depth, false);
  }

  std::uint32_t CloseChain(AndChain& chain, int depth) {
    chain.open = false;
    if (chain.first != chain.result) {
      Jump(chain.end);
      Bind(chain.dead);
      Emit(Op::Move, depth, p_, chain.result, chain.first);
    } else {
      Bind(chain.dead);
    }
    Bind(chain.end);
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
        Target(Emit(Op::TruthJumpIfFalse, depth, p_, chain.result, right), chain.end);
        Release(right);
        continue;
      }
      if (chain.open) value = CloseChain(chain, depth);
      if (!Binary(depth, op.level + 1, right)) throw kMissingOperand[op.level];
      Release(right);
      Release(value);
      const std::uint32_t result = NewTemp();
      const Op operation = op.level == kOrOr ? Op::Or : static_cast<Op>(static_cast<int>(Op::Add) + op.code - 2);
      const std::uint32_t instruction = Emit(operation, depth, p_, result, value, right);
      if (operation == Op::Mod) ByConstant(code_[instruction]);
      value = result;
    }
    if (chain.open) value = CloseChain(chain, depth);
    return true;
  }

  // A remainder by a constant whole number that needs no special case.
  void ByConstant(Instruction& instruction) {
    if (OperandKindOf(instruction.c) != kOperandConstant || out_.divisors.size() > 255) return;
    const ScriptValue& constant = out_.constants[OperandOffset(instruction.c) / sizeof(ScriptValue)];
    if (constant.type != SVT_Number) return;
    const std::int32_t divisor = TruncateForOperator(constant.number);
    if (divisor == 0 || divisor == 1 || divisor == -1 || divisor == INT32_MIN) return;
    const auto magnitude = static_cast<std::uint32_t>(divisor < 0 ? -divisor : divisor);
    out_.divisors.push_back({UINT64_MAX / magnitude + 1, magnitude});
    instruction.op = Op::ModConstant;
    instruction.code = static_cast<std::uint8_t>(out_.divisors.size() - 1);
  }

  bool Unary(int depth, std::uint32_t& value) {
    const TokenKind kind = Peek();
    if (kind != TokenKind::Minus && kind != TokenKind::Plus) return Postfix(depth, value);
    ++p_;
    if (!Postfix(depth, value)) throw ERR_NO_RIGHT_VALUE;
    if (kind == TokenKind::Plus) {
      Emit(Op::CheckNumber, depth, p_, 0, value);
      return true;
    }
    Release(value);
    const std::uint32_t result = NewTemp();
    Emit(Op::Negate, depth, p_, result, value);
    value = result;
    return true;
  }

  // "( arguments )" after the "(": their operands, last given back first.
  int Arguments(int depth, std::uint32_t* args) {
    Note(depth + 1);
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
    for (int i = count - 1; i >= 0; --i) Release(args[i]);
    return count;
  }

  std::uint32_t OperandList(const std::uint32_t* args, int count) {
    const auto start = static_cast<std::uint32_t>(out_.operands.size());
    out_.operands.insert(out_.operands.end(), args, args + count);
    return start;
  }

  // A function whose parameters all take any value, called with as many
  // arguments as it has: binding them can raise nothing but 46.
  static bool TakesPlainArguments(const ScriptFunction& function, int count) {
    for (int i = 0; i < count; ++i)
      if (function.parameterFlags[i] != kParamPresent) return false;
    return !(function.parameterFlags[count] & kParamPresent);
  }

  std::uint32_t CalleeIndex(const ScriptFunction* function) {
    for (std::size_t i = 0; i < out_.callees.size(); ++i)
      if (out_.callees[i] == function) return static_cast<std::uint32_t>(i);
    out_.callees.push_back(const_cast<ScriptFunction*>(function));
    return static_cast<std::uint32_t>(out_.callees.size() - 1);
  }

  bool Postfix(int depth, std::uint32_t& value) {
    PrimaryInfo info;
    if (!Primary(depth, value, info)) return false;
    std::uint32_t args[kMaxParameters];
    switch (Peek()) {
      case TokenKind::LParenthesis: {
        ++p_;
        const int count = Arguments(depth, args);
        Note(depth + 1);  // the call's own unit
        Release(value);
        const std::uint32_t result = NewTemp();
        const std::uint32_t list = OperandList(args, count);
        if (info.function && TakesPlainArguments(*info.function, count)) {
          Emit(Op::CallScript, depth, p_, result, list, CalleeIndex(info.function), count);
        } else {
          Emit(Op::Call, depth, p_, result, value, list, count);
        }
        value = result;
        return true;
      }
      case TokenKind::Period: {
        ++p_;
        std::uint32_t object = value;
        if (!info.classObject) {
          Release(value);
          object = NewTemp();
          Emit(Op::ObjectOf, depth, p_, object, value);
        }
        if (Peek() != TokenKind::Identifier) throw ERR_NO_MEMBER;
        const auto nameId = static_cast<std::uint32_t>(t_[p_].index);
        ++p_;
        if (Peek() == TokenKind::LParenthesis) {
          ++p_;
          const int count = Arguments(depth, args);
          Emit(Op::CallMethod, depth, p_, object, OperandList(args, count), nameId, count);
        } else {
          Emit(Op::Property, depth, p_, object, 0, nameId);
        }
        value = object;
        return true;
      }
      case TokenKind::PlusPlus:
      case TokenKind::MinusMinus: {
        const int up = Peek() == TokenKind::PlusPlus ? 1 : 0;
        ++p_;
        Emit(Op::StepBy, depth, p_, 0, value, 0, up);
        return true;
      }
      default:
        return true;
    }
  }

  bool Primary(int depth, std::uint32_t& value, PrimaryInfo& info) {
    const Token& token = t_[p_];
    switch (token.kind) {
      case TokenKind::Number: value = NumberConstant(token.number); break;
      case TokenKind::String: value = TextConstant(token.text); break;
      case TokenKind::GlobalValiable: value = Global(token.index); break;
      case TokenKind::AutoValiable: value = Local(token.index); break;
      case TokenKind::Empty: value = EmptyConstant(); break;
      case TokenKind::Class:
        value = NewTemp();
        Emit(Op::LoadClass, depth, p_, value, ClassConstant(token.cls));
        info.classObject = true;
        break;
      case TokenKind::Function:
        value = FunctionConstant(token.function);
        info.function = token.function;
        break;
      case TokenKind::Identifier:
        // A member name on its own is an error only when it runs.
        Emit(Op::Throw, depth, p_, 0, 0, 0, ERR_NO_CLASS);
        value = NoneConstant();
        break;
      case TokenKind::LParenthesis:
        Note(depth + 1);
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
  Bytecode& out_;
  std::vector<Instruction>& code_;
  std::uintptr_t stackLimit_;
  std::int32_t p_ = 0;
  std::size_t boundAtEnd_ = static_cast<std::size_t>(-1);  // code size when a label was last bound
  std::int64_t dryMark_ = -1;
  int freeTemp_ = 0;
  int maxTemps_ = 0;
  int maxRel_ = 0;
  Label end_;
  std::vector<Loop> loops_;
  std::map<std::uint64_t, std::uint32_t> numbers_;
  std::uint32_t none_ = 0;   // 0: not made yet (a constant's operand is never 0)
  std::uint32_t empty_ = 0;
};

bool IsComparisonJump(Op op) { return op >= Op::EqJumpIfFalse && op <= Op::GeJumpIfTrue; }

// The same code without its Step instructions, for calls that run without a
// step budget; targets move with the instructions they name. A loop's end,
// a variable stepped and then a comparison jump, gets a *StepAndTest before it
// (which jumps to the step now lead to).
void StripSteps(const std::vector<Instruction>& counted, std::vector<Instruction>& uncounted) {
  std::vector<std::size_t> kept;
  for (std::size_t i = 0; i < counted.size(); ++i)
    if (counted[i].op != Op::Step) kept.push_back(i);
  std::vector<std::uint32_t> moved(counted.size());
  uncounted.clear();
  std::size_t k = 0;
  for (std::size_t i = 0; i < counted.size(); ++i) {
    const Instruction& instruction = counted[i];
    moved[i] = static_cast<std::uint32_t>(uncounted.size());
    if (instruction.op == Op::Step) continue;
    const bool loopEnd = instruction.op == Op::StepBy && IsVariableOperand(instruction.b) && k + 1 < kept.size() &&
                         IsComparisonJump(counted[kept[k + 1]].op);
    if (loopEnd) {
      const Op test = counted[kept[k + 1]].op;
      const bool onTrue = test >= Op::EqJumpIfTrue;
      const int comparison = static_cast<int>(test) - static_cast<int>(onTrue ? Op::EqJumpIfTrue : Op::EqJumpIfFalse);
      Instruction fused = instruction;
      fused.op = static_cast<Op>(static_cast<int>(Op::EqStepAndTest) + comparison);
      fused.a = onTrue ? 1 : 0;
      uncounted.push_back(fused);
    }
    uncounted.push_back(instruction);
    ++k;
  }
  for (Instruction& instruction : uncounted)
    if (std::uint32_t* target = TargetOf(instruction)) *target = moved[*target];
}

// The machine steps from the instruction after a jump: a target becomes the
// distance from there, so no frame needs the start of its code.
void MakeTargetsRelative(std::vector<Instruction>& code) {
  for (std::size_t i = 0; i < code.size(); ++i) {
    if (std::uint32_t* target = TargetOf(code[i]))
      *target = static_cast<std::uint32_t>(static_cast<std::int64_t>(*target) - static_cast<std::int64_t>(i + 1));
  }
}

}  // namespace

CompileResult CompileBytecode(const ScriptFunction& fn, Bytecode& out, std::uintptr_t stackLimit) {
  out = Bytecode();
  try {
    Compiler(fn, out, stackLimit).Body();
  } catch (TooDeep) {
    return CompileResult::kNever;
  } catch (StackShort) {
    return CompileResult::kLater;
  }
  // A return that goes to the end ends the call itself.
  for (Instruction& instruction : out.counted)
    if (instruction.op == Op::Return && out.counted[instruction.a].op == Op::End) instruction.code = 1;
  StripSteps(out.counted, out.uncounted);
  MakeTargetsRelative(out.counted);
  MakeTargetsRelative(out.uncounted);
  return CompileResult::kCompiled;
}
