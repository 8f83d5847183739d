// The general cases of the bytecode machine's instructions (bytecode_vm.cpp
// runs numbers in place and comes here for everything else): each sets pc_
// and the nesting count where the plain routines would have them, then does
// what the plain routines do, through operations.cpp.
#include <new>

#include "script/bytecode/bytecode.h"

namespace {

inline int LocalIndex(std::uint32_t operand) { return static_cast<int>(OperandOffset(operand) / sizeof(ScriptValue)); }
inline int GlobalIndex(std::uint32_t operand) { return static_cast<int>(OperandOffset(operand) / sizeof(GlobalVar)); }

// The arguments of a call: only as many values as there are arguments are
// made (an array of 16 costs more than a small call itself).
class ArgumentArray {
 public:
  explicit ArgumentArray(int count) : count_(count) {
    for (int i = 0; i < count_; ++i) new (&storage_[i * sizeof(ScriptValue)]) ScriptValue();
  }
  ~ArgumentArray() {
    for (int i = 0; i < count_; ++i) data()[i].~ScriptValue();
  }
  ArgumentArray(const ArgumentArray&) = delete;
  ArgumentArray& operator=(const ArgumentArray&) = delete;
  ScriptValue* data() { return std::launder(reinterpret_cast<ScriptValue*>(storage_)); }

 private:
  int count_;
  alignas(ScriptValue) unsigned char storage_[kMaxParameters * sizeof(ScriptValue)];
};

}  // namespace

void Interpreter::Enter(const Instruction& instruction, const VmFrame& frame) {
  pc_ = running_->tokens.data() + instruction.pos;
  depth_ = frame.depth + instruction.rel;
}

void Interpreter::Raise(const Instruction& instruction, EErrorCode code) {
  pc_ = running_->tokens.data() + instruction.pos;
  throw code;
}

// The operand as the plain routines hold it: a variable as a reference to it.
const ScriptValue& Interpreter::ValueOf(std::uint32_t operand, const VmFrame& frame, ScriptValue& scratch) {
  switch (OperandKindOf(operand)) {
    case kOperandLocal:
      scratch.SetReference(kStorageLocal, LocalIndex(operand));
      return scratch;
    case kOperandGlobal:
      scratch.SetReference(kStorageGlobal, GlobalIndex(operand));
      return scratch;
    default:
      return *At(frame, operand);
  }
}

// ValueOf for routines that may change the value or take its text: a
// constant is copied first.
ScriptValue& Interpreter::MutableValueOf(std::uint32_t operand, const VmFrame& frame, ScriptValue& scratch) {
  if (OperandKindOf(operand) == kOperandConstant) {
    scratch.Assign(*At(frame, operand));
    return scratch;
  }
  return const_cast<ScriptValue&>(ValueOf(operand, frame, scratch));
}

// ValueOf into `out`; a temporary is given up to it.
void Interpreter::Materialize(ScriptValue& out, std::uint32_t operand, const VmFrame& frame) {
  ScriptValue* value = At(frame, operand);
  switch (OperandKindOf(operand)) {
    case kOperandTemp:
      if (&out != value) out.MoveFrom(*value);
      return;
    case kOperandConstant:
      out.Assign(*value);
      return;
    default:
      ValueOf(operand, frame, out);
      return;
  }
}

// The operand's value handed on by a call (to a parameter that takes any
// value) or by a return: a variable's value (unset when a reference leads
// nowhere), anything else as it is. Numbers never come here.
void Interpreter::PassValue(ScriptValue& to, std::uint32_t operand, const VmFrame& frame) {
  ScriptValue* value = At(frame, operand);
  if (value->type == SVT_Reference) {
    const ScriptValue* target = FollowReferences(*value);
    if (target) {
      to.Assign(*target);
    } else {
      to.Clear();
    }
  } else if (OperandKindOf(operand) == kOperandTemp) {
    to.MoveFrom(*value);
  } else {
    to.Assign(*value);
  }
}

bool Interpreter::SlowTruth(const Instruction& instruction, std::uint32_t operand, const VmFrame& frame) {
  Enter(instruction, frame);
  ScriptValue scratch;
  return Truth(ValueOf(operand, frame, scratch));
}

// An operator's result into A: a temporary takes it, a variable (the
// operator was the whole right side of "variable = ...") is assigned it.
void Interpreter::StoreResultOf(const Instruction& instruction, const VmFrame& frame, ScriptValue& result) {
  if (!IsVariableOperand(instruction.a)) {
    At(frame, instruction.a)->MoveFrom(result);
    return;
  }
  Enter(instruction, frame);
  ScriptValue variable;
  Assign(MutableValueOf(instruction.a, frame, variable), result);
}

void Interpreter::StoreNumberOf(const Instruction& instruction, const VmFrame& frame, double number) {
  ScriptValue result;
  result.SetNumber(number);
  StoreResultOf(instruction, frame, result);
}

void Interpreter::SlowBinary(const Instruction& instruction, const VmFrame& frame, int code) {
  Enter(instruction, frame);
  ScriptValue left, right, result;
  BinaryOp(result, ValueOf(instruction.b, frame, left), ValueOf(instruction.c, frame, right), code);
  StoreResultOf(instruction, frame, result);
}

bool Interpreter::SlowCompare(const Instruction& instruction, const VmFrame& frame, int code) {
  Enter(instruction, frame);
  ScriptValue left, right, result;
  BinaryOp(result, ValueOf(instruction.b, frame, left), ValueOf(instruction.c, frame, right), code);
  return result.number != 0;  // a comparison gives 1 or 0
}

void Interpreter::SlowNegate(const Instruction& instruction, const VmFrame& frame) {
  Enter(instruction, frame);
  ScriptValue& value = *At(frame, instruction.a);
  Materialize(value, instruction.b, frame);
  ApplySign(value, true);
}

void Interpreter::SlowCheckNumber(const Instruction& instruction, const VmFrame& frame) {
  Enter(instruction, frame);
  ScriptValue scratch;
  ApplySign(MutableValueOf(instruction.b, frame, scratch), false);
}

void Interpreter::SlowOr(const Instruction& instruction, const VmFrame& frame) {
  Enter(instruction, frame);
  ScriptValue left, right;
  // Both operands are judged, the left first.
  const bool first = Truth(ValueOf(instruction.b, frame, left));
  const bool either = Truth(ValueOf(instruction.c, frame, right)) || first;
  At(frame, instruction.a)->SetNumber(either ? 1 : 0);
}

void Interpreter::SlowAssign(const Instruction& instruction, const VmFrame& frame) {
  Enter(instruction, frame);
  ScriptValue targetScratch, sourceScratch;
  ScriptValue& target = MutableValueOf(instruction.b, frame, targetScratch);
  AssignWith(target, MutableValueOf(instruction.c, frame, sourceScratch), instruction.code);
}

void Interpreter::SlowStepBy(const Instruction& instruction, const VmFrame& frame) {
  Enter(instruction, frame);
  ScriptValue scratch;
  StepBy(MutableValueOf(instruction.b, frame, scratch), instruction.code ? 1 : -1);
}

void Interpreter::LoadClass(const Instruction& instruction, const VmFrame& frame) {
  Enter(instruction, frame);
  NativeClass* cls = At(frame, instruction.b)->object.cls;
  At(frame, instruction.a)->SetObject(cls, cls->GetOwner());
}

void Interpreter::ObjectOfOperand(const Instruction& instruction, const VmFrame& frame) {
  Enter(instruction, frame);
  ScriptValue scratch;
  const ObjectRef object = ObjectOf(ValueOf(instruction.b, frame, scratch));
  At(frame, instruction.a)->SetObject(object.cls, object.instance);
}

void Interpreter::PropertyOfObject(const Instruction& instruction, const VmFrame& frame) {
  Enter(instruction, frame);
  ScriptValue& value = *At(frame, instruction.a);
  const ObjectRef object{value.object.cls, value.object.instance};
  PropertyOf(object, static_cast<int>(instruction.c), value);
}

void Interpreter::CallMethodOf(const Instruction& instruction, const VmFrame& frame) {
  Enter(instruction, frame);
  ScriptValue& value = *At(frame, instruction.a);
  const ObjectRef object{value.object.cls, value.object.instance};
  // A method gets the whole array, as from the plain routines.
  ScriptValue args[kMaxParameters];
  const std::uint32_t* operands = frame.bytecode->operands.data() + instruction.b;
  for (int i = 0; i < instruction.code; ++i) Materialize(args[i], operands[i], frame);
  CallMember(object, static_cast<int>(instruction.c), value, args, instruction.code);
}

void Interpreter::CallValue(const Instruction& instruction, const VmFrame& frame) {
  Enter(instruction, frame);
  // The arguments first: the call's value may take the place of one of them.
  ArgumentArray args(instruction.code);
  const std::uint32_t* operands = frame.bytecode->operands.data() + instruction.c;
  for (int i = 0; i < instruction.code; ++i) Materialize(args.data()[i], operands[i], frame);
  ScriptValue& value = *At(frame, instruction.a);
  Materialize(value, instruction.b, frame);
  CallFunctionValue(value, args.data(), instruction.code);
}

// A script call that cannot stay in the loop (the callee runs with the plain
// routines, or is not compiled yet): through the shared call.
void Interpreter::CallScriptOutside(const Instruction& instruction, const VmFrame& frame, ScriptFunction* callee) {
  Enter(instruction, frame);
  ArgumentArray args(instruction.code);
  const std::uint32_t* operands = frame.bytecode->operands.data() + instruction.b;
  for (int i = 0; i < instruction.code; ++i) Materialize(args.data()[i], operands[i], frame);
  CallScript(callee, args.data(), instruction.code, *At(frame, instruction.a), false);
}
