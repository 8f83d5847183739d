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

enum Control { kNormal = 0, kBreak = 1, kContinue = 2, kReturn = 3 };

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

}  // namespace

bool Interpreter::RunCachedStatement(int& control) {
  ScriptFunction* fn = running_;
  if (!fn->fast) fn->fast = std::make_unique<FastCode>();
  FastCode& code = *fn->fast;
  const Token* base = fn->tokens.data();
  if (code.at.empty()) code.at.assign(fn->tokens.size(), 0);
  const std::int32_t at = static_cast<std::int32_t>(pc_ - base);
  std::int32_t slot = code.at[at];
  if (slot == 0) slot = code.at[at] = CompileFastStatement(code, base, at, false);
  if (slot < 0) return false;
  const FastRoot& root = *code.roots[slot - 1];
  if (depth_ + root.maxRel > kMaxNesting || NativeStackExhausted(stackLimit_)) return false;
  const FastFrame frame{root.nodes.data(), root.lists.data(), base, depth_};
  FastExec(frame, root.node, control);
  pc_ = base + root.end;
  return true;
}

bool Interpreter::RunCachedBody(ScriptFunction* fn) {
  if (fn->fast && fn->fast->body) {
    const FastRoot& root = *fn->fast->body;
    if (depth_ + root.maxRel > kMaxNesting || NativeStackExhausted(stackLimit_)) return false;
    const FastFrame frame{root.nodes.data(), root.lists.data(), fn->tokens.data(), depth_};
    int control = kNormal;
    FastExec(frame, root.node, control);
    pc_ = frame.base + root.end;
    return true;
  }
  if (!fn->fast) fn->fast = std::make_unique<FastCode>();
  FastCode& code = *fn->fast;
  const Token* base = fn->tokens.data();
  if (code.at.empty()) code.at.assign(fn->tokens.size(), 0);
  if (code.bodyStart == 0) {
    // The header as the plain routines skip it; a broken one stays theirs.
    std::int32_t i = 1;
    if (base[i].kind != TokenKind::LParenthesis) {
      code.bodyStart = -1;
    } else {
      while (base[i].kind != TokenKind::RParenthesis && base[i].kind != TokenKind::None) ++i;
      code.bodyStart = base[i].kind == TokenKind::None ? -1 : i + 1;
    }
  }
  if (!code.body) {
    if (code.bodyStart < 0) return false;
    std::int32_t& slot = code.at[code.bodyStart];
    if (slot == 0) slot = CompileFastStatement(code, base, code.bodyStart, true);
    if (slot < 0) return false;
    code.body = code.roots[slot - 1].get();
  }
  const FastRoot& root = *code.body;
  if (depth_ + root.maxRel > kMaxNesting || NativeStackExhausted(stackLimit_)) return false;
  const FastFrame frame{root.nodes.data(), root.lists.data(), base, depth_};
  int control = kNormal;
  FastExec(frame, root.node, control);
  pc_ = base + root.end;
  return true;
}

// A nested statement as the plain Statement runs it: one step, then the statement.
void Interpreter::FastStatement(const FastFrame& f, std::int32_t n, int& control) {
  if (stepBudget_ && --stepsLeft_ == 0) {
    pc_ = f.base + f.nodes[n].pos;
    throw ERR_USER_STOP;
  }
  if (f.nodes[n].op == FastOp::Block) {
    FastBlock(f, f.nodes[n], control);
  } else {
    FastExec(f, n, control);
  }
}

namespace {

// A condition's truth; numbers are judged without a call.
inline bool IsNumberValue(const ScriptValue* v) { return v && v->type == SVT_Number; }

}  // namespace

// A condition's truth, as Truth judges the value the condition evaluates to.
// `pos` is where the plain routines stand when they judge it.
bool Interpreter::FastCondition(const FastFrame& f, std::int32_t n, std::int32_t pos) {
  double number;
  if (f.nodes[n].pure && FastOperand(f, n, number)) return number != 0;
  ScriptValue condition;
  FastEval(f, n, condition);
  const ScriptValue* v = Deref(condition);
  if (IsNumberValue(v)) return v->number != 0;
  pc_ = f.base + pos;
  return Truth(condition);
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
    if (stepBudget_ && --stepsLeft_ == 0) {
      pc_ = f.base + statement.pos;
      throw ERR_USER_STOP;
    }
    // A number into a local, the commonest statement, without temporaries.
    const FastNode& expression = f.nodes[statement.a];
    if (expression.op == FastOp::Assign && expression.code == 1 && f.nodes[expression.a].op == FastOp::Local &&
        f.nodes[expression.b].pure) {
      ScriptValue& variable = stack_[frameBase_ + f.nodes[expression.a].index];
      double number;
      if (variable.type != SVT_Reference && FastNumber(f, expression.b, number)) {
        variable.SetNumber(number);
        continue;
      }
    }
    ScriptValue value;
    FastEval(f, statement.a, value);
  }
  // The statement list ends with a statement that is not there, which still
  // costs a step when nothing is pending.
  if (control == kNormal && stepBudget_ && --stepsLeft_ == 0) {
    pc_ = f.base + node.pos2;
    throw ERR_USER_STOP;
  }
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
        if (bodyControl == kBreak) return;
        if (bodyControl == kReturn) {
          control = kReturn;
          return;
        }
      }
    case FastOp::For: {
      ScriptValue value;
      if (node.a >= 0) FastEval(f, node.a, value);
      if (node.b >= 0) FastEval(f, node.b, value);
      for (;;) {
        const ScriptValue* v = Deref(value);
        bool run;
        if (IsNumberValue(v)) {
          run = v->number != 0;
        } else {
          pc_ = f.base + node.pos2;
          run = Truth(value);
        }
        if (!run) return;
        int bodyControl = kNormal;
        FastStatement(f, node.d, bodyControl);
        if (bodyControl == kBreak) return;
        if (bodyControl == kReturn) {
          control = kReturn;
          return;
        }
        if (node.c >= 0) {
          const FastNode& step = f.nodes[node.c];
          ScriptValue* variable = nullptr;
          if (step.op == FastOp::Step && f.nodes[step.a].op == FastOp::Local) {
            variable = &stack_[frameBase_ + f.nodes[step.a].index];
            if (variable->type != SVT_Number) variable = nullptr;
          }
          if (variable) {  // "i++": what Step does, and the value it leaves
            variable->number = variable->number + (step.code ? 1 : -1);
            value.SetReference(kStorageLocal, f.nodes[step.a].index);
          } else {
            FastEval(f, node.c, value);
          }
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
      ScriptValue value;
      if (node.a >= 0) {
        FastEval(f, node.a, value);
        if (returnValue_) {
          if (value.type == SVT_Reference) {
            const ScriptValue* target = FollowReferences(value);
            if (target) {
              returnValue_->Assign(*target);
            } else {
              returnValue_->Clear();
            }
          } else {
            returnValue_->MoveFrom(value);
          }
        }
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
  if (out.type != SVT_FunctionReference) throw ERR_NOT_FUNCTION;
  const int savedDepth = depth_;
  depth_ = f.depth + node.rel;
  ScriptValue result;
  CallScript(out.function, args.data(), node.count, result, false);
  depth_ = savedDepth;
  out.MoveFrom(result);
}

__attribute__((noinline)) void Interpreter::FastMethod(const FastFrame& f, const FastNode& node, ScriptValue& out) {
  FastEval(f, node.a, out);
  pc_ = f.base + node.pos;
  const ScriptValue* target = FollowReferences(out);
  if (!target || target->type != SVT_Object) throw ERR_NOT_OBJECT;
  NativeClass* cls = target->object.cls;
  void* instance = target->object.instance;
  // A method gets the whole array, as from the plain routines.
  ScriptValue args[kMaxParameters];
  FastArguments(f, node, args);
  pc_ = f.base + node.pos2;
  const int member = cls->FindMember(node.index);
  if (member < 0) throw ERR_NO_SUCH_MEMBER;
  const MemberRecord& row = cls->GetMemberTable()[member];
  if (row.kind != MK_Method) throw ERR_NOT_METHOD;
  if (row.argCount != node.count) throw ERR_ARGUMENT_COUNT;
  out.Clear();
  cls->CallMethod(member, instance, out, args, node.count, engine_);
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
      const ScriptValue* target = FollowReferences(out);
      if (!target || target->type != SVT_Object) throw ERR_NOT_OBJECT;
      NativeClass* cls = target->object.cls;
      void* instance = target->object.instance;
      pc_ = f.base + node.pos2;
      const int member = cls->FindMember(node.index);
      if (member < 0) throw ERR_NO_SUCH_MEMBER;
      const int kind = cls->GetMemberTable()[member].kind;
      if (kind != MK_ReadOnly && kind != MK_WriteOnly && kind != MK_ReadWrite) throw ERR_NOT_PROPERTY;
      out.SetMemberReference(cls, member, instance);
      return;
    }
    case FastOp::Step: {
      if (f.nodes[node.a].op == FastOp::Local) {
        ScriptValue& variable = stack_[frameBase_ + f.nodes[node.a].index];
        if (variable.type == SVT_Number) {
          variable.number = variable.number + (node.code ? 1 : -1);
          out.SetReference(kStorageLocal, f.nodes[node.a].index);
          return;
        }
      }
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
      double number;
      if (!ToNumber(out, number)) throw ERR_NOT_NUMBER;
      ScriptValue next;
      next.SetNumber(number + step);
      Assign(out, next);
      return;
    }
    case FastOp::Negate: {
      if (node.pure) {
        double number;
        if (FastNumber(f, n, number)) {
          out.SetNumber(number);
          return;
        }
      }
      FastEval(f, node.a, out);
      const ScriptValue* v = Deref(out);
      if (IsNumberValue(v)) {
        out.SetNumber(-v->number);
        return;
      }
      pc_ = f.base + node.pos;
      if (!IsNumeric(out)) throw ERR_NOT_NUMBER;
      double number;
      if (!ToNumber(out, number)) throw ERR_NOT_NUMBER;
      out.SetNumber(-number);
      return;
    }
    case FastOp::Plus: {
      FastEval(f, node.a, out);
      if (IsNumberValue(Deref(out))) return;
      pc_ = f.base + node.pos;
      double number;
      if (!ToNumber(out, number)) throw ERR_NOT_NUMBER;
      return;
    }
    case FastOp::Binary: {
      if (node.pure) {
        double number;
        if (FastNumber(f, n, number)) {
          out.SetNumber(number);
          return;
        }
      }
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
      ScriptValue result;
      BinaryOp(result, out, right, node.code);
      out.MoveFrom(result);
      return;
    }
    case FastOp::Or: {
      FastEval(f, node.a, out);
      ScriptValue right;
      FastEval(f, node.b, right);
      pc_ = f.base + node.pos;
      const bool left = Truth(out);
      const bool either = Truth(right) || left;
      out.SetNumber(either ? 1 : 0);
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
        const bool truth = Truth(right);
        out.SetNumber(truth ? 1 : 0);
        if (!truth) return;
      }
      return;
    }
    case FastOp::Assign: {
      const FastNode& target = f.nodes[node.a];
      if (node.code == 1 && target.op == FastOp::Local && f.nodes[node.b].pure) {
        // A number into a local: the right side is read first either way,
        // and making the target's reference has no effects.
        ScriptValue& variable = stack_[frameBase_ + target.index];
        double number;
        if (variable.type != SVT_Reference && FastNumber(f, node.b, number)) {
          variable.SetNumber(number);
          out.SetReference(kStorageLocal, target.index);
          return;
        }
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
      if (node.code == 1) {
        Assign(out, right);
      } else {
        ScriptValue combined;
        BinaryOp(combined, out, right, node.code);
        Assign(out, combined);
      }
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
