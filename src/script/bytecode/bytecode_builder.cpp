// The layout of a function's bytecode (bytecode_builder.h): instructions and
// their targets, operands and constants, faults, and the finishing passes.
#include "script/bytecode/bytecode_builder.h"

#include <algorithm>
#include <cstring>

namespace {

// Bodies that nest more deeply than this stay with the plain routines: no
// script needs it, and it bounds the compiler's own recursion.
constexpr int kMaxCompiledNesting = 128;
constexpr std::uint32_t kUnresolved = 0xFFFFFFFF;

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

bool IsComparisonJump(Op op) { return op >= Op::EqJumpIfFalse && op <= Op::GeJumpIfTrue; }

std::uint32_t MakeOperand(OperandKind kind, std::size_t offset) { return static_cast<std::uint32_t>(offset) | kind; }

// A loop's end, where the code without steps fuses the two: a variable
// stepped, and next (steps left out) a comparison jump.
bool IsLoopEnd(const Instruction& step, const Instruction& next) {
  return step.op == Op::StepBy && IsVariableOperand(step.b) && IsComparisonJump(next.op);
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

// ---- instructions and targets

std::uint32_t CodeBuilder::Emit(Op op, int rel, std::int32_t pos, std::uint32_t a, std::uint32_t b, std::uint32_t c,
                                int code) {
  Instruction instruction;
  instruction.op = op;
  instruction.code = static_cast<std::uint8_t>(code);
  instruction.rel = static_cast<std::uint16_t>(rel);
  instruction.pos = pos;
  instruction.a = a;
  instruction.b = b;
  instruction.c = c;
  MakeRoom(code_, 1);
  code_.push_back(instruction);
  return static_cast<std::uint32_t>(code_.size() - 1);
}

void CodeBuilder::Target(std::uint32_t instruction, Label& label) {
  std::uint32_t* target = TargetOf(code_[instruction]);
  if (label.at >= 0) {
    *target = static_cast<std::uint32_t>(label.at);
  } else {
    *target = kUnresolved;
    label.uses.push_back(instruction);
  }
}

void CodeBuilder::Bind(Label& label) {
  label.at = static_cast<std::int32_t>(code_.size());
  for (std::uint32_t use : label.uses) *TargetOf(code_[use]) = static_cast<std::uint32_t>(label.at);
  label.uses.clear();
  boundAtEnd_ = code_.size();
}

void CodeBuilder::JumpOn(bool when, std::uint32_t value, Label& label, std::int32_t pos, int rel, bool consumed) {
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

bool CodeBuilder::ResultOfLast(std::uint32_t value, Op first, Op last) const {
  if (OperandKindOf(value) != kOperandTemp || code_.empty() || boundAtEnd_ == code_.size()) return false;
  const Instruction& instruction = code_.back();
  return instruction.op >= first && instruction.op <= last && instruction.a == value;
}

void CodeBuilder::RemainderByConstant() {
  Instruction& instruction = code_.back();
  if (OperandKindOf(instruction.c) != kOperandConstant || out_.divisors.size() > 255) return;
  const ScriptValue& constant = out_.constants[OperandOffset(instruction.c) / sizeof(ScriptValue)];
  if (constant.type != SVT_Number) return;
  const std::int32_t divisor = TruncateForOperator(constant.number);
  if (divisor == 0 || divisor == 1 || divisor == -1 || divisor == INT32_MIN) return;
  const auto magnitude = static_cast<std::uint32_t>(divisor < 0 ? -divisor : divisor);
  MakeRoom(out_.divisors, 1);
  out_.divisors.push_back({UINT64_MAX / magnitude + 1, magnitude});
  instruction.op = Op::ModConstant;
  instruction.code = static_cast<std::uint8_t>(out_.divisors.size() - 1);
}

void CodeBuilder::Fault(EErrorCode code, std::int32_t pos) {
  if (dryMark_ >= 0) code_.resize(static_cast<std::size_t>(dryMark_));
  const std::uint32_t at = Emit(Op::Throw, 0, pos, 0, 0, 0, code);
  for (Instruction& instruction : code_) {
    std::uint32_t* target = TargetOf(instruction);
    if (target && *target == kUnresolved) *target = at;
  }
}

void CodeBuilder::Note(int depth) {
  if (depth > kMaxCompiledNesting) throw TooDeep{};
  if (depth > maxRel_) maxRel_ = depth;
}

// ---- operands

std::uint32_t CodeBuilder::Local(int index) { return MakeOperand(kOperandLocal, index * sizeof(ScriptValue)); }
std::uint32_t CodeBuilder::Global(int index) { return MakeOperand(kOperandGlobal, index * sizeof(GlobalVar)); }

std::uint32_t CodeBuilder::NewTemp() {
  const int index = freeTemp_++;
  if (freeTemp_ > maxTemps_) maxTemps_ = freeTemp_;
  return MakeOperand(kOperandTemp, index * sizeof(ScriptValue));
}

void CodeBuilder::Release(std::uint32_t operand) {
  if (OperandKindOf(operand) != kOperandTemp) return;
  const int index = static_cast<int>(OperandOffset(operand) / sizeof(ScriptValue));
  if (index == freeTemp_ - 1) freeTemp_ = index;
}

std::uint32_t CodeBuilder::AddConstant(ScriptValue&& value) {
  MakeRoom(out_.constants, 1);
  out_.constants.push_back(std::move(value));
  return MakeOperand(kOperandConstant, (out_.constants.size() - 1) * sizeof(ScriptValue));
}

std::uint32_t CodeBuilder::NumberConstant(double number) {
  std::uint64_t bits;
  static_assert(sizeof bits == sizeof number);
  std::memcpy(&bits, &number, sizeof bits);
  auto found = numbers_.find(bits);
  if (found != numbers_.end()) return found->second;
  ScriptValue value;
  value.SetNumber(number);
  return numbers_[bits] = AddConstant(std::move(value));
}

std::uint32_t CodeBuilder::TextConstant(const char* text) {
  Charge(ScriptTextSize(std::strlen(text)));
  ScriptValue value;
  value.SetString(text);
  return AddConstant(std::move(value));
}

std::uint32_t CodeBuilder::NoneConstant() {
  if (!none_) none_ = AddConstant(ScriptValue());
  return none_;
}

std::uint32_t CodeBuilder::EmptyConstant() {
  if (!empty_) {
    ScriptValue value;
    value.SetEmpty();
    empty_ = AddConstant(std::move(value));
  }
  return empty_;
}

std::uint32_t CodeBuilder::FunctionConstant(ScriptFunction* function) {
  ScriptValue value;
  value.SetFunction(function);
  return AddConstant(std::move(value));
}

std::uint32_t CodeBuilder::ClassConstant(NativeClass* cls) {
  ScriptValue value;
  value.SetObject(cls, nullptr);
  return AddConstant(std::move(value));
}

std::uint32_t CodeBuilder::OperandList(const std::uint32_t* args, int count) {
  const auto start = static_cast<std::uint32_t>(out_.operands.size());
  MakeRoom(out_.operands, static_cast<std::size_t>(count));
  out_.operands.insert(out_.operands.end(), args, args + count);
  return start;
}

std::uint32_t CodeBuilder::CalleeIndex(const ScriptFunction* function) {
  for (std::size_t i = 0; i < out_.callees.size(); ++i)
    if (out_.callees[i] == function) return static_cast<std::uint32_t>(i);
  MakeRoom(out_.callees, 1);
  out_.callees.push_back(const_cast<ScriptFunction*>(function));
  return static_cast<std::uint32_t>(out_.callees.size() - 1);
}

// ---- room

void CodeBuilder::Charge(std::size_t bytes) {
  if (bytes > room_ - spent_) throw TooLarge{};
  spent_ += bytes;
}

template <typename T>
void CodeBuilder::MakeRoom(std::vector<T>& values, std::size_t count) {
  if (values.size() + count <= values.capacity()) return;
  const std::size_t capacity = std::max(values.size() + count, values.capacity() * 2);
  Charge((capacity - values.capacity()) * sizeof(T));
  values.reserve(capacity);
}

// ---- the finished code

// The same code without its Step instructions, for calls that run without a
// step budget; targets move with the instructions they name. A loop's end
// gets a *StepAndTest before it (which jumps to the step now lead to).
void CodeBuilder::StripSteps() {
  const std::vector<Instruction>& counted = code_;
  std::vector<Instruction>& uncounted = out_.uncounted;
  std::vector<std::size_t> kept;
  for (std::size_t i = 0; i < counted.size(); ++i)
    if (counted[i].op != Op::Step) kept.push_back(i);
  std::size_t loopEnds = 0;
  for (std::size_t k = 0; k + 1 < kept.size(); ++k)
    if (IsLoopEnd(counted[kept[k]], counted[kept[k + 1]])) ++loopEnds;
  uncounted.clear();
  MakeRoom(uncounted, kept.size() + loopEnds);
  std::vector<std::uint32_t> moved(counted.size());
  std::size_t k = 0;
  for (std::size_t i = 0; i < counted.size(); ++i) {
    const Instruction& instruction = counted[i];
    moved[i] = static_cast<std::uint32_t>(uncounted.size());
    if (instruction.op == Op::Step) continue;
    if (k + 1 < kept.size() && IsLoopEnd(instruction, counted[kept[k + 1]])) {
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

void CodeBuilder::Finish() {
  out_.temps = maxTemps_;
  out_.maxRel = maxRel_;
  for (Instruction& instruction : code_)
    if (instruction.op == Op::Return && code_[instruction.a].op == Op::End) instruction.code = 1;
  StripSteps();
  MakeTargetsRelative(code_);
  MakeTargetsRelative(out_.uncounted);
  out_.size = spent_;
}
