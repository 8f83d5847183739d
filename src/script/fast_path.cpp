// The fast path of the interpreter: runs a statement from the compiled form
// that fast_compile.cpp makes the first time the statement runs.
//
// Why it exists: the plain routines parse every token again on each pass of a
// loop and each call of a function, which made scripts many times slower than
// they need to be. The language is still defined by those routines, so this
// code must keep everything they make observable identical:
// - values, and every call into the host (owner, property reads and writes,
//   methods, script calls) with its order;
// - error codes, and pc_ at each throw and at each host call (error reports
//   print its line and column; a node carries the position to set);
// - the step budget: one step per executed statement and one for the end of
//   each statement list that runs to its end, thrown at the same tokens;
// - the nesting count: a root is run only when the deepest nesting it can
//   reach fits (checked once, up front); else the plain routines run it and
//   raise 46 where they always did. Calls run at the depth they would have.
// A statement with a syntax error anywhere is never compiled, so the plain
// routines run it and its side effects before the error happen as they did.
// Interpreter::SetFastPath(false) turns all of this off; the differential tests
// and the fuzz target run both ways and compare.
#include <new>

#include "platform/system/stack_guard.h"
#include "script/fast_path.h"

namespace {

// The arguments of a script call: only as many values as there are arguments
// are made (the plain routines' array of 16 costs more than the call itself).
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

// The function's cache of compiled statements, made on first use.
FastCode& CodeOf(ScriptFunction& fn) {
  if (!fn.fast) fn.fast = std::make_unique<FastCode>();
  if (fn.fast->at.empty()) fn.fast->at.assign(fn.tokens.size(), 0);
  return *fn.fast;
}

inline bool IsNumberValue(const ScriptValue* v) { return v && v->type == SVT_Number; }

}  // namespace

// Runs a compiled root when the deepest nesting it can reach fits.
bool Interpreter::RunRoot(const FastRoot& root, const Token* base, int& control) {
  if (depth_ + root.maxRel > kMaxNesting || NativeStackExhausted(stackLimit_)) return false;
  const FastFrame frame{root.nodes.data(), root.lists.data(), base, depth_};
  FastExec(frame, root.node, control);
  pc_ = base + root.end;
  return true;
}

bool Interpreter::RunCachedStatement(int& control) {
  FastCode& code = CodeOf(*running_);
  const Token* base = running_->tokens.data();
  const std::int32_t at = static_cast<std::int32_t>(pc_ - base);
  std::int32_t slot = code.at[at];
  if (slot == 0) slot = code.at[at] = CompileFastStatement(code, base, at, false);
  if (slot < 0) return false;
  return RunRoot(*code.roots[slot - 1], base, control);
}

bool Interpreter::RunCachedBody(ScriptFunction* fn) {
  int control = kNormal;
  if (fn->fast && fn->fast->body) return RunRoot(*fn->fast->body, fn->tokens.data(), control);
  FastCode& code = CodeOf(*fn);
  const Token* base = fn->tokens.data();
  if (code.bodyStart == 0) {
    // A broken header stays with the plain routines, which raise its fault.
    const BodyStart body = FindBodyStart(base);
    code.bodyStart = body.fault != ERR_NONE ? -1 : body.at;
  }
  if (code.bodyStart < 0) return false;
  std::int32_t& slot = code.at[code.bodyStart];
  if (slot == 0) slot = CompileFastStatement(code, base, code.bodyStart, true);
  if (slot < 0) return false;
  code.body = code.roots[slot - 1].get();
  return RunRoot(*code.body, base, control);
}

// A nested statement as the plain Statement runs it: one step, then the statement.
void Interpreter::FastStatement(const FastFrame& f, std::int32_t n, int& control) {
  if (StepSpent()) StopAt(f.base + f.nodes[n].pos);
  if (f.nodes[n].op == FastOp::Block) {
    FastBlock(f, f.nodes[n], control);
  } else {
    FastExec(f, n, control);
  }
}

// A condition's truth, as Truth judges the value the condition evaluates to.
// `pos` is where the plain routines stand when they judge it.
bool Interpreter::FastCondition(const FastFrame& f, std::int32_t n, std::int32_t pos) {
  double number;
  if (f.nodes[n].pure && FastOperand(f, n, number)) return number != 0;
  ScriptValue condition;
  FastEval(f, n, condition);
  return FastTruth(condition, f, pos);
}

// Truth, judging a number without a call; `pos` is where the plain routines
// stand when they judge the value.
inline bool Interpreter::FastTruth(const ScriptValue& value, const FastFrame& f, std::int32_t pos) {
  const ScriptValue* v = Deref(value);
  if (IsNumberValue(v)) return v->number != 0;
  pc_ = f.base + pos;
  return Truth(value);
}

// "local = number-only expression", the commonest statement, without
// temporaries; false when the local holds a reference or the expression no
// number (the general way then runs it, reading the same variables again).
inline bool Interpreter::FastStoreNumber(const FastFrame& f, const FastNode& assign) {
  const FastNode& target = f.nodes[assign.a];
  if (assign.code != 1 || target.op != FastOp::Local || !f.nodes[assign.b].pure) return false;
  ScriptValue& variable = stack_[frameBase_ + target.index];
  double number;
  if (variable.type == SVT_Reference || !FastNumber(f, assign.b, number)) return false;
  variable.SetNumber(number);
  return true;
}

// "local++" or "local--" on a local holding a number, in place; `out` becomes
// the reference to it, as Step leaves it.
inline bool Interpreter::FastStepLocal(const FastFrame& f, const FastNode& step, ScriptValue& out) {
  const FastNode& target = f.nodes[step.a];
  if (target.op != FastOp::Local) return false;
  ScriptValue& variable = stack_[frameBase_ + target.index];
  if (variable.type != SVT_Number) return false;
  variable.number = variable.number + (step.code ? 1 : -1);
  out.SetReference(kStorageLocal, target.index);
  return true;
}

void Interpreter::FastBlock(const FastFrame& f, const FastNode& node, int& control) {
  const std::int32_t* items = f.lists + node.c;
  for (int i = 0; i < node.count; ++i) {
    if (control != kNormal) return;
    const FastNode& statement = f.nodes[items[i]];
    if (statement.op != FastOp::Expression) {
      FastStatement(f, items[i], control);
      continue;
    }
    if (StepSpent()) StopAt(f.base + statement.pos);
    const FastNode& expression = f.nodes[statement.a];
    if (expression.op == FastOp::Assign && FastStoreNumber(f, expression)) continue;
    ScriptValue value;
    FastEval(f, statement.a, value);
  }
  // The statement list ends with a statement that is not there, which still
  // costs a step when nothing is pending.
  if (control == kNormal && StepSpent()) StopAt(f.base + node.pos2);
}

void Interpreter::FastExec(const FastFrame& f, std::int32_t n, int& control) {
  const FastNode& node = f.nodes[n];
  switch (node.op) {
    case FastOp::Expression: {
      ScriptValue value;
      FastEval(f, node.a, value);
      return;
    }
    case FastOp::Block:
      FastBlock(f, node, control);
      return;
    case FastOp::If: {
      const bool taken = FastCondition(f, node.a, node.pos2);
      if (taken) {
        FastStatement(f, node.b, control);
      } else if (node.c >= 0 && control == kNormal) {
        FastStatement(f, node.c, control);
      }
      return;
    }
    case FastOp::While:
      for (;;) {
        if (!FastCondition(f, node.a, node.pos2)) return;
        int bodyControl = kNormal;
        FastStatement(f, node.b, bodyControl);
        if (LoopEnds(true, bodyControl, control)) return;
      }
    case FastOp::For: {
      ScriptValue value;
      if (node.a >= 0) FastEval(f, node.a, value);
      if (node.b >= 0) FastEval(f, node.b, value);
      for (;;) {
        if (!FastTruth(value, f, node.pos2)) return;
        int bodyControl = kNormal;
        FastStatement(f, node.d, bodyControl);
        if (LoopEnds(true, bodyControl, control)) return;
        if (node.c >= 0) {
          const FastNode& step = f.nodes[node.c];
          if (step.op != FastOp::Step || !FastStepLocal(f, step, value)) FastEval(f, node.c, value);
        }
        if (node.b >= 0) {
          double number;
          if (f.nodes[node.b].op == FastOp::Binary && f.nodes[node.b].pure && FastNumber(f, node.b, number)) {
            value.SetNumber(number);  // what evaluating the comparison leaves in the shared value
          } else {
            FastEval(f, node.b, value);
          }
        }
      }
    }
    case FastOp::Break:
      control = kBreak;
      return;
    case FastOp::Continue:
      control = kContinue;
      return;
    case FastOp::Return: {
      double number;
      if (node.a >= 0 && f.nodes[node.a].pure && FastOperand(f, node.a, number)) {
        // A number, or a variable holding one: its value is the result.
        if (returnValue_) returnValue_->SetNumber(number);
        control = kReturn;
        return;
      }
      if (node.a >= 0) {
        ScriptValue value;
        FastEval(f, node.a, value);
        StoreReturnValue(value);
      }
      control = kReturn;
      return;
    }
    case FastOp::Goto:
      pc_ = f.base + node.pos2;
      throw ERR_NO_LABEL;
    default:
      return;  // expressions never stand here
  }
}

// A literal or a local holding a number without a call; anything else through
// FastNumber.
inline bool Interpreter::FastOperand(const FastFrame& f, std::int32_t n, double& out) {
  const FastNode& node = f.nodes[n];
  if (node.op == FastOp::Number) {
    out = node.number;
    return true;
  }
  if (node.op == FastOp::Local) {
    // A local's index is below the function's local count, and its frame
    // lies below the stack pointer.
    const ScriptValue& v = stack_[frameBase_ + node.index];
    if (v.type == SVT_Number) {
      out = v.number;
      return true;
    }
  }
  return FastNumber(f, n, out);
}

// A number-only tree straight to a double, with no values made. False when a
// variable in it holds no number: the caller then evaluates the tree the
// general way, which reads the same variables again (reading has no effects).
bool Interpreter::FastNumber(const FastFrame& f, std::int32_t n, double& out) {
  const FastNode& node = f.nodes[n];
  switch (node.op) {
    case FastOp::Number:
      out = node.number;
      return true;
    case FastOp::Local:
    case FastOp::Global: {
      const ScriptValue* v;
      if (node.op == FastOp::Local) {
        const int slot = frameBase_ + node.index;
        if (slot >= kStackSize) return false;
        v = &stack_[slot];
      } else {
        v = &globals_[node.index].value;
      }
      if (v->type == SVT_Reference) v = FollowReferences(*v);
      if (!v || v->type != SVT_Number) return false;
      out = v->number;
      return true;
    }
    case FastOp::Negate:
      if (!FastOperand(f, node.a, out)) return false;
      out = -out;
      return true;
    case FastOp::Binary: {
      double x, y;
      if (!FastOperand(f, node.a, x) || !FastOperand(f, node.b, y)) return false;
      if (!NumericOp(node.code, x, y, out)) {
        pc_ = f.base + node.pos;
        throw ERR_WRONG_OPERATOR;
      }
      return true;
    }
    default:
      return false;
  }
}

// FastNumber into a value.
inline bool Interpreter::FastNumberValue(const FastFrame& f, std::int32_t n, ScriptValue& out) {
  double number;
  if (!FastNumber(f, n, number)) return false;
  out.SetNumber(number);
  return true;
}

void Interpreter::FastArguments(const FastFrame& f, const FastNode& node, ScriptValue* args) {
  const std::int32_t* items = f.lists + node.c;
  for (int i = 0; i < node.count; ++i) FastEval(f, items[i], args[i]);
}

// Calls live apart from FastEval so that its frame stays small: the argument
// arrays would otherwise be reserved on every evaluation.
__attribute__((noinline)) void Interpreter::FastCall(const FastFrame& f, const FastNode& node, ScriptValue& out) {
  FastEval(f, node.a, out);
  ArgumentArray args(node.count);
  FastArguments(f, node, args.data());
  pc_ = f.base + node.pos;
  // The call runs at the nesting depth the plain routines would be at.
  const int savedDepth = depth_;
  depth_ = f.depth + node.rel;
  CallFunctionValue(out, args.data(), node.count);
  depth_ = savedDepth;
}

__attribute__((noinline)) void Interpreter::FastMethod(const FastFrame& f, const FastNode& node, ScriptValue& out) {
  FastEval(f, node.a, out);
  pc_ = f.base + node.pos;
  const ObjectRef object = ObjectOf(out);
  // A method gets the whole array, as from the plain routines.
  ScriptValue args[kMaxParameters];
  FastArguments(f, node, args);
  pc_ = f.base + node.pos2;
  CallMember(object, node.index, out, args, node.count);
}

void Interpreter::FastEval(const FastFrame& f, std::int32_t n, ScriptValue& out) {
  const FastNode& node = f.nodes[n];
  switch (node.op) {
    case FastOp::Number:
      out.SetNumber(node.number);
      return;
    case FastOp::String:
      out.SetString(node.text);
      return;
    case FastOp::Global:
      out.SetReference(kStorageGlobal, node.index);
      return;
    case FastOp::Local:
      out.SetReference(kStorageLocal, node.index);
      return;
    case FastOp::Empty:
      out.SetEmpty();
      return;
    case FastOp::Class:
      pc_ = f.base + node.pos;
      out.SetObject(node.cls, node.cls->GetOwner());
      return;
    case FastOp::Function:
      out.SetFunction(node.function);
      return;
    case FastOp::Identifier:
      pc_ = f.base + node.pos;
      throw ERR_NO_CLASS;
    case FastOp::Call:
      FastCall(f, node, out);
      return;
    case FastOp::Method:
      FastMethod(f, node, out);
      return;
    case FastOp::Property: {
      FastEval(f, node.a, out);
      pc_ = f.base + node.pos;
      const ObjectRef object = ObjectOf(out);
      pc_ = f.base + node.pos2;
      PropertyOf(object, node.index, out);
      return;
    }
    case FastOp::Step: {
      if (FastStepLocal(f, node, out)) return;
      FastEval(f, node.a, out);
      pc_ = f.base + node.pos;
      const double step = node.code ? 1 : -1;
      if (out.type == SVT_Reference) {
        ScriptValue* variable = const_cast<ScriptValue*>(Deref(out));
        if (IsNumberValue(variable)) {
          variable->number = variable->number + step;
          return;
        }
      }
      StepBy(out, step);
      return;
    }
    case FastOp::Negate: {
      if (node.pure && FastNumberValue(f, n, out)) return;
      FastEval(f, node.a, out);
      const ScriptValue* v = Deref(out);
      if (IsNumberValue(v)) {
        out.SetNumber(-v->number);
        return;
      }
      pc_ = f.base + node.pos;
      ApplySign(out, true);
      return;
    }
    case FastOp::Plus: {
      FastEval(f, node.a, out);
      if (IsNumberValue(Deref(out))) return;
      pc_ = f.base + node.pos;
      ApplySign(out, false);
      return;
    }
    case FastOp::Binary: {
      if (node.pure && FastNumberValue(f, n, out)) return;
      FastEval(f, node.a, out);
      ScriptValue right;
      FastEval(f, node.b, right);
      const ScriptValue* x = Deref(out);
      const ScriptValue* y = Deref(right);
      if (IsNumberValue(x) && IsNumberValue(y)) {
        double result;
        if (!NumericOp(node.code, x->number, y->number, result)) {
          pc_ = f.base + node.pos;
          throw ERR_WRONG_OPERATOR;
        }
        out.SetNumber(result);
        return;
      }
      pc_ = f.base + node.pos;
      ApplyBinary(out, right, node.code);
      return;
    }
    case FastOp::Or: {
      FastEval(f, node.a, out);
      ScriptValue right;
      FastEval(f, node.b, right);
      pc_ = f.base + node.pos;
      LogicalOr(out, right);
      return;
    }
    case FastOp::AndChain: {
      // Operand 0, then per "&&": the operand, the position after the
      // operator, the position after the operand.
      const std::int32_t* items = f.lists + node.c;
      FastEval(f, items[0], out);
      for (int i = 1; i + 2 < node.count; i += 3) {
        pc_ = f.base + items[i + 1];
        if (!Truth(out)) return;
        ScriptValue right;
        FastEval(f, items[i], right);
        pc_ = f.base + items[i + 2];
        if (!LogicalAnd(out, right)) return;
      }
      return;
    }
    case FastOp::Assign: {
      // The right side is read first either way, and making the target's
      // reference has no effects.
      if (FastStoreNumber(f, node)) {
        out.SetReference(kStorageLocal, f.nodes[node.a].index);
        return;
      }
      FastEval(f, node.a, out);
      ScriptValue right;
      FastEval(f, node.b, right);
      pc_ = f.base + node.pos;
      if (out.type == SVT_Reference) {
        ScriptValue* variable = const_cast<ScriptValue*>(Deref(out));
        if (variable) {
          if (node.code == 1) {
            if (right.type == SVT_Number) {
              variable->SetNumber(right.number);
              return;
            }
          } else {
            const ScriptValue* y = Deref(right);
            if (IsNumberValue(variable) && IsNumberValue(y)) {
              double result;
              if (!NumericOp(node.code, variable->number, y->number, result)) throw ERR_WRONG_OPERATOR;
              variable->SetNumber(result);
              return;
            }
          }
        }
      }
      AssignWith(out, right, node.code);
      return;
    }
    case FastOp::Comma: {
      const std::int32_t* items = f.lists + node.c;
      for (int i = 0; i < node.count; ++i) FastEval(f, items[i], out);
      return;
    }
    default:
      return;  // statements never stand here
  }
}
