// The bytecode machine: runs function bodies compiled at their first call
// (bytecode_compiler.cpp) in one loop, script calls included.
//
// Why it exists: the plain routines parse every token again on each pass of a
// loop and each call, which made scripts several times slower than Lua. The
// language is still defined by those routines, and this machine keeps
// everything they make observable:
// - values, and every call into the host (owners, property reads and writes,
//   methods, script calls) in their order;
// - error codes, with pc_ at each throw and each host call where the plain
//   routines stand (every instruction carries that position);
// - the step budget: the compiler places a Step wherever a statement counts;
//   without a budget a copy of the code without them runs;
// - the attention: heard where a loop goes back and where a call starts, as
//   the plain routines hear it (a stop at a loop's end may stand a token
//   apart from theirs; it is never shown);
// - the nesting count: a body runs here only when the deepest nesting it can
//   reach fits (checked once, on entry), else the plain routines run it and
//   raise 46 where they always did. Host calls see the count they would.
// Numbers are read and written in place; anything else goes to a Slow*
// routine that does what the plain routines do, through operations.cpp.
// Interpreter::SetBytecode(false) turns all of this off; the differential
// tests and the fuzz target run both ways and compare.
#include "platform/system/stack_guard.h"
#include "script/bytecode/bytecode.h"

namespace {

// A kind's operand base: where its values begin, less the kind.
inline std::uintptr_t Base(const void* values, OperandKind kind) {
  return reinterpret_cast<std::uintptr_t>(values) - kind;
}

// Lets go of the texts of the temporaries of a frame of `code` whose operand
// base for them is `base` (their kind is 0: where they begin).
inline void ReleaseTemps(std::uintptr_t base, const Bytecode& code) {
  auto* temps = reinterpret_cast<ScriptValue*>(base);
  ReleaseTexts(temps, temps + code.temps);
}

}  // namespace

// ---- temporaries -----------------------------------------------------------

ScriptValue* TempStack::TakeFromNextBlock(std::size_t count) {
  const std::size_t next = blocks_.empty() ? 0 : block_ + 1;
  const std::size_t size = count > kBlockSize ? count : kBlockSize;
  if (next == blocks_.size()) {
    blocks_.push_back(std::make_unique<ScriptValue[]>(size));
    sizes_.push_back(size);
  } else if (sizes_[next] < count) {
    blocks_[next] = std::make_unique<ScriptValue[]>(size);  // beyond the top, so unused
    sizes_[next] = size;
  }
  Enter(next);
  top_ = count;
  return current_;
}

void TempStack::Enter(std::size_t block) {
  block_ = block;
  current_ = blocks_[block].get();
  size_ = sizes_[block];
}

// ---- entering ----------------------------------------------------------------

const Bytecode* Interpreter::BytecodeOf(ScriptFunction& fn) {
  if (fn.bytecode) return fn.bytecode.get();
  if (fn.bytecodeNever) return nullptr;
  if (fn.Room() < sizeof(Bytecode)) {
    fn.bytecodeNever = true;
    return nullptr;
  }
  auto code = std::make_unique<Bytecode>();
  // Its text constants are the program's literals, not texts the call makes;
  // the function's engine counts them with the code.
  ScriptTextScope uncounted(nullptr);
  switch (CompileBytecode(fn, *code, stackLimit_, fn.Room() - sizeof(Bytecode))) {
    case CompileResult::kCompiled:
      fn.Charge(sizeof(Bytecode) + code->size);  // within the room it was given
      fn.bytecode = std::move(code);
      return fn.bytecode.get();
    case CompileResult::kNever:
      fn.bytecodeNever = true;
      return nullptr;
    case CompileResult::kLater:
      break;
  }
  return nullptr;
}

bool Interpreter::RunBytecode(ScriptFunction* fn, ScriptValue& result) {
  const Bytecode* code = BytecodeOf(*fn);
  if (!code || depth_ + code->maxRel > kMaxNesting || NativeStackExhausted(stackLimit_)) return false;
  Execute(*code, result);
  return true;
}

// ---- the loop ----------------------------------------------------------------

__extension__ typedef unsigned __int128 WideUnsigned;  // ModConstant's product

// Each handler goes straight on to the next instruction's handler: one
// indirect jump per handler, which the processor predicts for each on its
// own, instead of one shared jump for all. Label addresses are a GNU
// extension (GCC and clang), hence the pragma around the loop.
#define T3D_NEXT() goto* kHandlers[static_cast<unsigned>((I = ip++)->op)]

// Only the end of a loop jumps on true, back to its body: the place where a
// script that never returns hears the attention, after the loop's test, as
// the plain routines hear it where they go back for another pass.
#define T3D_LOOP_BACK(AT)                                  \
  if (attention_.IsRaised()) [[unlikely]]                  \
    AttendAt(running_->tokens.data() + (AT).pos)

// A comparison or an operator: numbers in place, anything else the general way.
#define T3D_COMPARE_JUMP(OP, CODE, WHEN)                                           \
  op_##OP : {                                                                      \
    const ScriptValue* x = At(f, I->b);                                            \
    const ScriptValue* y = At(f, I->c);                                            \
    double r = 0;                                                                  \
    const bool holds = x->type == SVT_Number && y->type == SVT_Number             \
                           ? (NumericOp(CODE, x->number, y->number, r), r != 0)    \
                           : SlowCompare(*I, f, CODE);                             \
    if (holds == (WHEN)) {                                                         \
      ip += static_cast<std::int32_t>(I->a);                                       \
      if (WHEN) T3D_LOOP_BACK(*I);                                                 \
    }                                                                              \
    T3D_NEXT();                                                                    \
  }

// A number lands in place on a number; a temporary holding something else,
// or a variable, takes it the general way.
#define T3D_STORE_NUMBER(R)            \
  {                                    \
    ScriptValue* out = At(f, I->a);    \
    if (out->type == SVT_Number) {     \
      out->number = (R);               \
    } else {                           \
      StoreNumberOf(*I, f, (R));       \
    }                                  \
  }
#define T3D_OPERATOR(OP, CODE)                                                                        \
  op_##OP : {                                                                                         \
    const ScriptValue* x = At(f, I->b);                                                               \
    const ScriptValue* y = At(f, I->c);                                                               \
    double r;                                                                                         \
    if (x->type == SVT_Number && y->type == SVT_Number && NumericOp(CODE, x->number, y->number, r)) { \
      T3D_STORE_NUMBER(r)                                                                             \
    } else {                                                                                          \
      SlowBinary(*I, f, CODE);                                                                        \
    }                                                                                                 \
    T3D_NEXT();                                                                                       \
  }

// A loop's end: ip stands at the StepBy, the comparison jump follows it.
#define T3D_STEP_AND_TEST(OP, CODE)                                  \
  op_##OP : {                                                        \
    ScriptValue* stepped = At(f, ip[0].b);                           \
    if (stepped->type != SVT_Number) T3D_NEXT();                     \
    stepped->number = stepped->number + (ip[0].code ? 1 : -1);       \
    const Instruction& test = ip[1];                                 \
    const ScriptValue* x = At(f, test.b);                            \
    const ScriptValue* y = At(f, test.c);                            \
    if (x->type != SVT_Number || y->type != SVT_Number) {            \
      ++ip; /* the step is done: the comparison the general way */   \
      T3D_NEXT();                                                    \
    }                                                                \
    double r = 0;                                                    \
    NumericOp(CODE, x->number, y->number, r);                        \
    ip += 2;                                                         \
    if ((r != 0) == (I->a != 0)) {                                   \
      ip += static_cast<std::int32_t>(test.a);                       \
      if (I->a) T3D_LOOP_BACK(test);                                 \
    }                                                                \
    T3D_NEXT();                                                      \
  }

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpedantic"

void Interpreter::Execute(const Bytecode& entry, ScriptValue& entryResult) {
  // In the order of Op.
  static void* const kHandlers[] = {
      &&op_Step, &&op_Throw, &&op_Jump, &&op_JumpIfFalse, &&op_JumpIfTrue,
      &&op_EqJumpIfFalse, &&op_NeJumpIfFalse, &&op_LtJumpIfFalse, &&op_GtJumpIfFalse, &&op_LeJumpIfFalse,
      &&op_GeJumpIfFalse, &&op_EqJumpIfTrue, &&op_NeJumpIfTrue, &&op_LtJumpIfTrue, &&op_GtJumpIfTrue,
      &&op_LeJumpIfTrue, &&op_GeJumpIfTrue,
      &&op_Add, &&op_Sub, &&op_Mul, &&op_Div, &&op_Mod, &&op_BitAnd, &&op_BitOr, &&op_Shl, &&op_Shr,
      &&op_Eq, &&op_Ne, &&op_Lt, &&op_Gt, &&op_Le, &&op_Ge, &&op_ModConstant,
      &&op_Negate, &&op_CheckNumber, &&op_Or, &&op_TruthJumpIfFalse, &&op_Move, &&op_LoadClass,
      &&op_ObjectOf, &&op_Property, &&op_CallMethod, &&op_Call, &&op_CallScript, &&op_Assign, &&op_StepBy,
      &&op_EqStepAndTest, &&op_NeStepAndTest, &&op_LtStepAndTest, &&op_GtStepAndTest, &&op_LeStepAndTest,
      &&op_GeStepAndTest, &&op_Return, &&op_End,
  };
  static_assert(sizeof kHandlers / sizeof kHandlers[0] == static_cast<std::size_t>(Op::End) + 1);

  const std::size_t bottom = suspendedTop_;
  const int entryDepth = depth_;
  const TempStack::Mark entryTemps = temps_.Where();

  // Constants are never written: every routine that may change a value
  // copies a constant first (MutableValueOf).
  auto constants = [](const Bytecode* code) { return Base(code->constants.data(), kOperandConstant); };

  ScriptValue* result = &entryResult;
  VmFrame f;
  f.base[kOperandTemp] = Base(temps_.Take(static_cast<std::size_t>(entry.temps)), kOperandTemp);
  f.base[kOperandLocal] = Base(stack_.get() + frameBase_, kOperandLocal);
  f.base[kOperandConstant] = constants(&entry);
  f.base[kOperandGlobal] = Base(&globals_[0].value, kOperandGlobal);
  f.bytecode = &entry;
  f.depth = depth_;
  f.textsMade = ScriptTextsMade();

  // However the call ends, the frames it suspended and the temporaries of
  // all its frames go, with the texts these held. (Their locals lie below the
  // stack pointer: the call that entered here, or the host entry on an
  // error, lets go of those.)
  struct Unwind {
    Interpreter& machine;
    std::size_t bottom;
    TempStack::Mark temps;
    const VmFrame& frame;
    ~Unwind() {
      ReleaseTemps(frame.base[kOperandTemp], *frame.bytecode);
      for (std::size_t i = bottom; i < machine.suspendedTop_; ++i)
        ReleaseTemps(machine.suspended_[i].temps, *machine.suspended_[i].bytecode);
      machine.suspendedTop_ = bottom;
      machine.temps_.GiveBack(temps);
    }
  } unwind{*this, bottom, entryTemps, f};
  const Instruction* ip = stepBudget_ ? entry.counted.data() : entry.uncounted.data();
  const Instruction* I;
  T3D_NEXT();

op_Step:
  if (StepSpent()) Raise(*I, ERR_USER_STOP);
  T3D_NEXT();
op_Throw:
  Raise(*I, static_cast<EErrorCode>(I->code));
op_Jump:
  ip += static_cast<std::int32_t>(I->a);
  T3D_NEXT();
op_JumpIfFalse: {
  const ScriptValue* v = At(f, I->b);
  const bool truth = v->type == SVT_Number ? v->number != 0 : SlowTruth(*I, I->b, f);
  if (!truth) ip += static_cast<std::int32_t>(I->a);
  T3D_NEXT();
}
op_JumpIfTrue: {
  const ScriptValue* v = At(f, I->b);
  const bool truth = v->type == SVT_Number ? v->number != 0 : SlowTruth(*I, I->b, f);
  if (truth) {
    ip += static_cast<std::int32_t>(I->a);
    T3D_LOOP_BACK(*I);
  }
  T3D_NEXT();
}
  T3D_COMPARE_JUMP(EqJumpIfFalse, 11, false)
  T3D_COMPARE_JUMP(NeJumpIfFalse, 12, false)
  T3D_COMPARE_JUMP(LtJumpIfFalse, 13, false)
  T3D_COMPARE_JUMP(GtJumpIfFalse, 14, false)
  T3D_COMPARE_JUMP(LeJumpIfFalse, 15, false)
  T3D_COMPARE_JUMP(GeJumpIfFalse, 16, false)
  T3D_COMPARE_JUMP(EqJumpIfTrue, 11, true)
  T3D_COMPARE_JUMP(NeJumpIfTrue, 12, true)
  T3D_COMPARE_JUMP(LtJumpIfTrue, 13, true)
  T3D_COMPARE_JUMP(GtJumpIfTrue, 14, true)
  T3D_COMPARE_JUMP(LeJumpIfTrue, 15, true)
  T3D_COMPARE_JUMP(GeJumpIfTrue, 16, true)
  T3D_OPERATOR(Add, 2)
  T3D_OPERATOR(Sub, 3)
  T3D_OPERATOR(Mul, 4)
  T3D_OPERATOR(Div, 5)
  T3D_OPERATOR(Mod, 6)
  T3D_OPERATOR(BitAnd, 7)
  T3D_OPERATOR(BitOr, 8)
  T3D_OPERATOR(Shl, 9)
  T3D_OPERATOR(Shr, 10)
  T3D_OPERATOR(Eq, 11)
  T3D_OPERATOR(Ne, 12)
  T3D_OPERATOR(Lt, 13)
  T3D_OPERATOR(Gt, 14)
  T3D_OPERATOR(Le, 15)
  T3D_OPERATOR(Ge, 16)
op_ModConstant: {
  const ScriptValue* x = At(f, I->b);
  if (x->type != SVT_Number) {
    SlowBinary(*I, f, 6);
    T3D_NEXT();
  }
  // The sign of the dividend, as % on 32-bit integers gives it (and never -0).
  const Divisor& divisor = f.bytecode->divisors[I->code];
  const std::int32_t dividend = TruncateForOperator(x->number);
  const std::uint32_t magnitude = dividend < 0 ? 0u - static_cast<std::uint32_t>(dividend)
                                               : static_cast<std::uint32_t>(dividend);
  const auto quotient = static_cast<std::uint32_t>((static_cast<WideUnsigned>(magnitude) * divisor.magic) >> 64);
  const auto remainder = static_cast<std::int32_t>(magnitude - quotient * divisor.magnitude);
  T3D_STORE_NUMBER(static_cast<double>(dividend < 0 ? -remainder : remainder))
  T3D_NEXT();
}
op_Negate: {
  const ScriptValue* x = At(f, I->b);
  if (x->type == SVT_Number) {
    At(f, I->a)->SetNumber(-x->number);
  } else {
    SlowNegate(*I, f);
  }
  T3D_NEXT();
}
op_CheckNumber:
  if (At(f, I->b)->type != SVT_Number) SlowCheckNumber(*I, f);
  T3D_NEXT();
op_Or: {
  const ScriptValue* x = At(f, I->b);
  const ScriptValue* y = At(f, I->c);
  if (x->type == SVT_Number && y->type == SVT_Number) {
    At(f, I->a)->SetNumber(x->number != 0 || y->number != 0 ? 1 : 0);
  } else {
    SlowOr(*I, f);
  }
  T3D_NEXT();
}
op_TruthJumpIfFalse: {
  const ScriptValue* v = At(f, I->b);
  const bool truth = v->type == SVT_Number ? v->number != 0 : SlowTruth(*I, I->b, f);
  At(f, I->a)->SetNumber(truth ? 1 : 0);
  if (!truth) ip += static_cast<std::int32_t>(I->c);
  T3D_NEXT();
}
op_Move:
  Materialize(*At(f, I->a), I->b, f);
  T3D_NEXT();
op_LoadClass:
  LoadClass(*I, f);
  T3D_NEXT();
op_ObjectOf:
  ObjectOfOperand(*I, f);
  T3D_NEXT();
op_Property:
  PropertyOfObject(*I, f);
  T3D_NEXT();
op_CallMethod:
  CallMethodOf(*I, f);
  T3D_NEXT();
op_Call:
  CallValue(*I, f);
  T3D_NEXT();
op_CallScript: {
  ScriptFunction* callee = f.bytecode->callees[I->c];
  const Bytecode* calleeCode = callee->bytecode ? callee->bytecode.get() : BytecodeOf(*callee);
  const int calleeDepth = f.depth + I->rel + 1;
  if (!calleeCode || calleeDepth + calleeCode->maxRel > kMaxNesting) {
    CallScriptOutside(*I, f, callee);
    T3D_NEXT();
  }
  // The binding of parameters that take any value: only the stack can run
  // out, and pushing the arguments or reserving the locals would both raise
  // 46 here.
  const int base = stackPointer_;
  const int localCount = callee->localCount;
  if (base + localCount >= kStackSize) Raise(*I, ERR_STACK_OVERFLOW);
  // Reserved before they are filled, so that a copy that fails leaves no text above the stack pointer.
  stackPointer_ = base + localCount;
  ScriptValue* slots = stack_.get() + base;
  const std::uint32_t* args = f.bytecode->operands.data() + I->b;
  const int argCount = I->code;
  // A copied text counts as made; a temporary's text is moved in.
  std::uint64_t calleeTextsMade = ScriptTextsMade();
  for (int i = 0; i < argCount; ++i) {
    const ScriptValue* arg = At(f, args[i]);
    if (arg->type == SVT_Number) {
      slots[i].SetNumber(arg->number);
    } else {
      PassValue(slots[i], args[i], f);
      calleeTextsMade = kMayHoldTexts;
    }
  }
  // Locals that are not parameters start unset.
  for (int i = argCount; i < localCount; ++i) slots[i].Clear();
  ScriptValue* calleeResult = At(f, I->a);  // written by a return, or cleared by End
  if (suspendedTop_ == suspended_.size()) suspended_.resize(suspended_.size() * 2 + 16);
  SuspendedFrame& caller = suspended_[suspendedTop_++];
  caller.ip = ip;
  caller.bytecode = f.bytecode;
  caller.function = running_;
  caller.result = result;
  caller.temps = f.base[kOperandTemp];
  caller.calleeTemps = temps_.Where();
  caller.frameBase = frameBase_;
  caller.textsMade = f.textsMade;
  frameBase_ = base;
  running_ = callee;
  result = calleeResult;
  f.base[kOperandTemp] = Base(temps_.Take(static_cast<std::size_t>(calleeCode->temps)), kOperandTemp);
  f.base[kOperandLocal] = Base(slots, kOperandLocal);
  f.base[kOperandConstant] = constants(calleeCode);
  f.bytecode = calleeCode;
  f.depth = calleeDepth;
  f.textsMade = calleeTextsMade;
  ip = stepBudget_ ? calleeCode->counted.data() : calleeCode->uncounted.data();
  // Where the plain routines' call hears it: at the callee's name.
  HearAttention(callee->tokens.data());
  T3D_NEXT();
}
op_Assign: {
  ScriptValue* target = At(f, I->b);
  if (I->code == 1 && IsVariableOperand(I->b) && target->type != SVT_Reference) {
    const ScriptValue* source = At(f, I->c);
    if (source->type == SVT_Number) {
      target->SetNumber(source->number);
      T3D_NEXT();
    }
  }
  SlowAssign(*I, f);
  T3D_NEXT();
}
op_StepBy: {
  ScriptValue* target = At(f, I->b);
  if (IsVariableOperand(I->b) && target->type == SVT_Number) {
    target->number = target->number + (I->code ? 1 : -1);
  } else {
    SlowStepBy(*I, f);
  }
  T3D_NEXT();
}
  T3D_STEP_AND_TEST(EqStepAndTest, 11)
  T3D_STEP_AND_TEST(NeStepAndTest, 12)
  T3D_STEP_AND_TEST(LtStepAndTest, 13)
  T3D_STEP_AND_TEST(GtStepAndTest, 14)
  T3D_STEP_AND_TEST(LeStepAndTest, 15)
  T3D_STEP_AND_TEST(GeStepAndTest, 16)
op_Return: {
  const ScriptValue* value = At(f, I->b);
  if (value->type == SVT_Number) {
    result->SetNumber(value->number);
  } else {
    PassValue(*result, I->b, f);
  }
  if (!I->code) {
    ip += static_cast<std::int32_t>(I->a);
    T3D_NEXT();
  }
  goto leave;
}
op_End:
  // No return ran: the call's value is unset.
  result->Clear();
leave: {
  if (suspendedTop_ == bottom) {
    depth_ = entryDepth;
    return;
  }
  const SuspendedFrame& caller = suspended_[--suspendedTop_];
  // A text came into the frame only when one was made while it ran (in it,
  // in the calls it made) or its arguments brought one.
  if (ScriptTextsMade() != f.textsMade) {
    ReleaseTemps(f.base[kOperandTemp], *f.bytecode);
    ReleaseTexts(stack_.get() + frameBase_, stack_.get() + stackPointer_);
  }
  temps_.GiveBack(caller.calleeTemps);
  stackPointer_ = frameBase_;
  frameBase_ = caller.frameBase;
  ip = caller.ip;
  running_ = caller.function;
  result = caller.result;
  f.base[kOperandTemp] = caller.temps;
  f.base[kOperandLocal] = Base(stack_.get() + frameBase_, kOperandLocal);
  f.base[kOperandConstant] = constants(caller.bytecode);
  f.bytecode = caller.bytecode;
  f.textsMade = caller.textsMade;
  // The call instruction says how deep the caller was.
  f.depth -= ip[-1].rel + 1;
  T3D_NEXT();
}
}

#pragma GCC diagnostic pop

#undef T3D_NEXT
#undef T3D_COMPARE_JUMP
#undef T3D_OPERATOR
#undef T3D_STORE_NUMBER
#undef T3D_STEP_AND_TEST
#undef T3D_LOOP_BACK
