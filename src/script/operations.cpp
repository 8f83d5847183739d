// The operations both execution paths share, each written once: reading values
// (references, properties, numbers, texts), the value stack, script calls with
// their argument binding, the host entry, return values, member access,
// assignment and the operators. The callers set pc_ first, so that an error
// thrown here is reported at the same token whichever path called.
#include <cstring>
#include <new>
#include <stdexcept>

#include "platform/system/numbers.h"
#include "platform/system/stack_guard.h"
#include "script/engine_internal.h"
#include "script/script_context.h"

namespace {

bool IsEmptyLike(int kind) { return kind == SVT_Empty || kind == SVT_None; }

}  // namespace

// ---- values --------------------------------------------------------------

ScriptValue* Interpreter::VariableAddress(int kind, int index) {
  switch (kind) {
    case kStorageGlobal:
      return index >= 0 && index < kMaxGlobals ? &globals_[index].value : nullptr;
    case kStorageStack:
      return index >= 0 && index < kStackSize ? &stack_[index] : nullptr;
    case kStorageLocal: {
      int slot = frameBase_ + index;
      return index >= 0 && slot < kStackSize ? &stack_[slot] : nullptr;
    }
    default:
      return nullptr;
  }
}

ScriptValue* Interpreter::ResolveReference(const ScriptValue& value) {
  if (value.type != SVT_Reference) return nullptr;
  return VariableAddress(value.ref.kind, value.ref.index);
}

const ScriptValue* Interpreter::FollowReferences(const ScriptValue& value) {
  const ScriptValue* current = &value;
  // A chain longer than the stack can only be a cycle made by a host.
  for (int steps = 0; current->type == SVT_Reference; ++steps) {
    if (steps > kStackSize) return nullptr;
    current = ResolveReference(*current);
    if (!current) return nullptr;
  }
  return current;
}

int Interpreter::KindOf(const ScriptValue& value) {
  const ScriptValue* target = FollowReferences(value);
  return target ? target->type : SVT_None;
}

const MemberRecord& Interpreter::ReadableMember(const ScriptValue& memberRef) {
  const MemberRecord& row = memberRef.memberRef.cls->GetMemberTable()[memberRef.memberRef.member];
  if (row.kind == MK_WriteOnly) throw ERR_PROPERTY_NOT_READABLE;
  if (row.kind != MK_ReadOnly && row.kind != MK_ReadWrite) throw ERR_NOT_PROPERTY;
  return row;
}

bool Interpreter::ReadProperty(const ScriptValue& memberRef, ScriptValue& out) {
  ReadableMember(memberRef);
  out.Clear();
  return memberRef.memberRef.cls->GetProperty(memberRef.memberRef.member, memberRef.memberRef.instance, out, engine_);
}

bool Interpreter::ToNumber(const ScriptValue& value, double& out) {
  const ScriptValue* target = FollowReferences(value);
  if (!target) return false;
  switch (target->type) {
    case SVT_Number:
      out = target->number;
      return true;
    case SVT_String:
      if (!IsNumberString(target->text)) return false;
      out = ReadDecimal(target->text);
      return true;
    case SVT_MemberReference: {
      ScriptValue temp;
      if (!ReadProperty(*target, temp)) return false;
      return ToNumber(temp, out);
    }
    default:
      return false;
  }
}

bool Interpreter::TextOf(const ScriptValue& value, TextView& view) {
  const ScriptValue* target = FollowReferences(value);
  if (!target) return false;
  switch (target->type) {
    case SVT_String:
      view.text = target->text;
      view.length = std::strlen(target->text);
      return true;
    case SVT_Number:
      view.storage = NumberToText(target->number);
      view.text = view.storage.c_str();
      view.length = view.storage.size();
      return true;
    case SVT_MemberReference: {
      ScriptValue temp;
      if (!ReadProperty(*target, temp)) return false;
      TextView inner;
      if (!TextOf(temp, inner)) return false;
      view.storage.assign(inner.text, inner.length);
      view.text = view.storage.c_str();
      view.length = view.storage.size();
      return true;
    }
    default:
      return false;
  }
}

bool Interpreter::ToString(const ScriptValue& value, std::string& out) {
  TextView view;
  if (!TextOf(value, view)) return false;
  out.assign(view.text, view.length);
  return true;
}

void Interpreter::SetStackPointer(int n) {
  if (n < 0) throw ERR_STACK_UNDERFLOW;
  if (n >= kStackSize) throw ERR_STACK_OVERFLOW;
  stackPointer_ = n;
}

void Interpreter::Push(const ScriptValue& value) {
  if (stackPointer_ + 1 >= kStackSize) throw ERR_STACK_OVERFLOW;
  if (value.type == SVT_Number) {
    stack_[stackPointer_].SetNumber(value.number);
  } else {
    stack_[stackPointer_].Assign(value);
  }
  SetStackPointer(stackPointer_ + 1);
}

bool Interpreter::Truth(const ScriptValue& value) {
  double number;
  if (value.type == SVT_Number) {
    number = value.number;
  } else if (!ToNumber(value, number)) {
    throw ERR_NOT_NUMBER;
  }
  return number != 0;  // a NaN counts as true
}

// ---- calls ---------------------------------------------------------------

void Interpreter::CallScript(ScriptFunction* fn, ScriptValue* args, int argCount, ScriptValue& result, bool hostEntry) {
  NestingUnit unit(*this);
  const int callerBase = frameBase_;
  const int newBase = stackPointer_;
  for (int i = 0; i < argCount; ++i) {
    const std::uint16_t flags = fn->parameterFlags[i];
    if (!(flags & kParamPresent)) throw ERR_TOO_MANY_ARGUMENTS;
    ScriptValue& arg = args[i];
    if (hostEntry && arg.type == SVT_Reference) {
      // The host's references are followed one step, in the host's frame.
      const ScriptValue* target = ResolveReference(arg);
      ScriptValue followed;
      if (target) followed.Assign(*target);
      arg.MoveFrom(followed);
    }
    if (flags & kParamByRef) {
      if (arg.type == SVT_Reference && arg.ref.kind == kStorageLocal) {
        ScriptValue absolute;
        absolute.SetReference(kStorageStack, arg.ref.index + callerBase);
        Push(absolute);
        continue;
      }
    } else if (flags & (kParamString | kParamNumber)) {
      const bool toText = (flags & kParamString) != 0;
      if (arg.type != (toText ? SVT_String : SVT_Number)) {
        ScriptValue converted;
        if (toText) {
          TextView view;
          if (!TextOf(arg, view)) throw ERR_ARGUMENT_TYPE;
          converted.SetString(view.text, view.length);
        } else {
          double number;
          if (!ToNumber(arg, number)) throw ERR_ARGUMENT_TYPE;
          converted.SetNumber(number);
        }
        if (!hostEntry) {
          Push(converted);
          continue;
        }
        // The host's own array holds the converted value afterwards.
        arg.MoveFrom(converted);
      }
    } else if (flags & kParamClass) {
      const ScriptValue* target = FollowReferences(arg);
      const int classSlot = flags >> 8;
      if (!target || target->type != SVT_Object || classSlot >= kMaxClasses || !engine_.ClassAt(classSlot) ||
          target->object.cls != engine_.ClassAt(classSlot))
        throw ERR_ARGUMENT_TYPE;
      Push(*target);
      continue;
    } else if (arg.type == SVT_Reference) {
      const ScriptValue* target = FollowReferences(arg);
      Push(target ? *target : ScriptValue());
      continue;
    }
    Push(arg);
  }
  // The spare flag word after the sixteenth keeps this test in bounds.
  if (fn->parameterFlags[argCount] & kParamPresent) throw ERR_TOO_FEW_ARGUMENTS;

  const int savedSp = newBase;
  const Token* savedPc = pc_;
  ScriptFunction* savedRunning = running_;
  ScriptValue* savedReturn = returnValue_;
  frameBase_ = newBase;
  SetStackPointer(frameBase_ + fn->localCount);
  // Locals that are not parameters start unset rather than with whatever an
  // earlier call left in their slots.
  for (int slot = newBase + argCount; slot < stackPointer_; ++slot) stack_[slot].Clear();

  pc_ = fn->tokens.data();
  running_ = fn;
  returnValue_ = &result;
  result.Clear();
  HearAttention(pc_);
  RunFunctionBody(true, result, fn);

  ReleaseTexts(stack_.get() + frameBase_, stack_.get() + stackPointer_);
  pc_ = savedPc;
  running_ = savedRunning;
  returnValue_ = savedReturn;
  stackPointer_ = savedSp;
  frameBase_ = callerBase;
}

EErrorCode Interpreter::HostCall(ScriptFunction* fn, ScriptValue* args, int argCount, bool outermost) {
  const Token* savedPc = pc_;
  ScriptFunction* savedRunning = running_;
  ScriptValue* savedReturn = returnValue_;
  const int savedSp = stackPointer_;
  const int savedBase = frameBase_;
  const int savedDepth = depth_;
  if (outermost) {
    stackLimit_ = NativeStackLimit();
    stepsLeft_ = stepBudget_;
  }
  // What the call's scripts make is counted for the context, within its bounds.
  ScriptTextScope texts(&engine_.context_.texts);
  EErrorCode result = ERR_NONE;
  try {
    pc_ = fn->tokens.data();
    running_ = fn;
    ScriptValue value;
    CallScript(fn, args, argCount, value, true);
  } catch (EErrorCode code) {
    result = code;
  } catch (const std::bad_alloc&) {
    // Memory the machine did not have for what a script (or a class it
    // called) asked: an error of that script, never the end of the player.
    result = ERR_STACK_OVERFLOW;
  } catch (const std::length_error&) {
    result = ERR_STACK_OVERFLOW;
  }
  // Reported before the registers go back: the report reads the position.
  if (result != ERR_NONE) engine_.OnError(pc_ ? pc_->line : 0, pc_ ? pc_->column : 0, result);
  // The frames an error left behind all lie below the stack pointer: no slot
  // above it ever holds a text.
  ReleaseTexts(stack_.get() + savedSp, stack_.get() + stackPointer_);
  pc_ = savedPc;
  running_ = savedRunning;
  returnValue_ = savedReturn;
  stackPointer_ = savedSp;
  frameBase_ = savedBase;
  depth_ = savedDepth;
  return result;
}

BodyStart FindBodyStart(const Token* tokens) {
  std::int32_t at = 1;  // after the function's name
  if (tokens[at].kind != TokenKind::LParenthesis) return {at, ERR_NO_PARENTHESIS};
  while (tokens[at].kind != TokenKind::RParenthesis) {
    if (tokens[at].kind == TokenKind::None) return {at, ERR_NO_CLOSE_PARENTHESIS};
    ++at;
  }
  return {at + 1, ERR_NONE};
}

// ---- members ---------------------------------------------------------------

Interpreter::ObjectRef Interpreter::ObjectOf(const ScriptValue& value) {
  const ScriptValue* target = FollowReferences(value);
  if (!target || target->type != SVT_Object) throw ERR_NOT_OBJECT;
  return {target->object.cls, target->object.instance};
}

void Interpreter::CallMember(const ObjectRef& object, int nameId, ScriptValue& result, ScriptValue* args,
                             int argCount) {
  const int member = object.cls->FindMember(nameId);
  if (member < 0) throw ERR_NO_SUCH_MEMBER;
  const MemberRecord& row = object.cls->GetMemberTable()[member];
  if (row.kind != MK_Method) throw ERR_NOT_METHOD;
  if (row.argCount != argCount) throw ERR_ARGUMENT_COUNT;
  result.Clear();
  // The class's answer means nothing to a call.
  object.cls->CallMethod(member, object.instance, result, args, argCount, engine_);
}

void Interpreter::PropertyOf(const ObjectRef& object, int nameId, ScriptValue& out) {
  const int member = object.cls->FindMember(nameId);
  if (member < 0) throw ERR_NO_SUCH_MEMBER;
  const int kind = object.cls->GetMemberTable()[member].kind;
  if (kind != MK_ReadOnly && kind != MK_WriteOnly && kind != MK_ReadWrite) throw ERR_NOT_PROPERTY;
  // Read or written only when the value is used.
  out.SetMemberReference(object.cls, member, object.instance);
}

// ---- assignment and operators -------------------------------------------

void Interpreter::AssignToVariable(ScriptValue& variable, ScriptValue& source) {
  // The new value is made completely before the variable is touched, so
  // "x = x;" and a byref parameter assigned from its own referent keep it.
  ScriptValue stored;
  const ScriptValue* from = &source;
  ScriptValue property;
  if (from->type == SVT_Reference) {
    from = FollowReferences(*from);
    if (!from) from = &property;  // a dangling reference reads as unset
  }
  if (from->type == SVT_MemberReference) {
    ReadProperty(*from, property);
    from = &property;
  }
  switch (from->type) {
    case SVT_Number:
      stored.SetNumber(from->number);
      break;
    case SVT_String:
      if (from == &source || from == &property) {
        stored.MoveFrom(*const_cast<ScriptValue*>(from));  // a temporary: take its text
      } else {
        stored.Assign(*from);
      }
      break;
    case SVT_Object:
      stored.SetObject(from->object.cls, from->object.instance);
      break;
    default:  // None, functions and empty leave the variable unset
      break;
  }
  variable.MoveFrom(stored);
}

void Interpreter::Assign(ScriptValue& target, ScriptValue& source) {
  switch (target.type) {
    case SVT_Reference: {
      ScriptValue* variable = const_cast<ScriptValue*>(FollowReferences(target));
      if (!variable) throw ERR_NOT_ASSIGNABLE;
      AssignToVariable(*variable, source);
      return;
    }
    case SVT_MemberReference: {
      const MemberRecord& row = target.memberRef.cls->GetMemberTable()[target.memberRef.member];
      if (row.kind == MK_ReadOnly) throw ERR_PROPERTY_NOT_WRITABLE;
      if (row.kind != MK_WriteOnly && row.kind != MK_ReadWrite) throw ERR_NOT_PROPERTY;
      ScriptValue temp;
      AssignToVariable(temp, source);
      target.memberRef.cls->SetProperty(target.memberRef.member, target.memberRef.instance, temp, engine_);
      return;
    }
    case SVT_Object:
    case SVT_FunctionReference:
    case SVT_Empty:
      return;
    default:
      throw ERR_NOT_ASSIGNABLE;
  }
}

bool Interpreter::IsNumeric(const ScriptValue& value) {
  const ScriptValue* target = value.type == SVT_Reference ? FollowReferences(value) : &value;
  if (!target) return false;
  if (target->type == SVT_Number) return true;
  if (target->type == SVT_MemberReference)
    return target->memberRef.cls->GetMemberTable()[target->memberRef.member].resultType == SVT_Number;
  return false;
}

void Interpreter::BinaryOp(ScriptValue& result, const ScriptValue& a, const ScriptValue& b, int code) {
  if (code == 0) throw ERR_NO_OPERATOR;
  if ((code == 11 || code == 12) && (a.type == SVT_Empty || b.type == SVT_Empty)) {
    const bool equal = IsEmptyLike(KindOf(a)) && IsEmptyLike(KindOf(b));
    result.SetNumber((equal == (code == 11)) ? 1 : 0);
    return;
  }
  double x, y;
  if (IsNumeric(a) && ToNumber(b, y) && ToNumber(a, x)) {
    double r;
    if (!NumericOp(code, x, y, r)) throw ERR_WRONG_OPERATOR;
    result.SetNumber(r);
    return;
  }
  TextView left, right;
  if (!TextOf(a, left)) throw ERR_LEFT_NOT_TEXT;
  if (!TextOf(b, right)) throw ERR_RIGHT_NOT_TEXT;
  if (code == 2) {
    // Refused (46) before anything is allocated when it would pass the bounds.
    char* joined = NewScriptText(left.length + right.length);
    std::memcpy(joined, left.text, left.length);
    std::memcpy(joined + left.length, right.text, right.length);
    result.TakeString(joined);
    return;
  }
  if (code < 11 || code > 16) throw ERR_WRONG_OPERATOR;
  const int order = std::strcmp(left.text, right.text);  // strcmp compares as unsigned bytes
  bool r = false;
  switch (code) {
    case 11: r = order == 0; break;
    case 12: r = order != 0; break;
    case 13: r = order < 0; break;
    case 14: r = order > 0; break;
    case 15: r = order <= 0; break;
    case 16: r = order >= 0; break;
  }
  result.SetNumber(r ? 1 : 0);
}

void Interpreter::AssignWith(ScriptValue& target, ScriptValue& source, int code) {
  if (code == 1) {
    Assign(target, source);
    return;
  }
  ScriptValue combined;
  BinaryOp(combined, target, source, code);
  Assign(target, combined);
}

void Interpreter::ApplyBinary(ScriptValue& value, const ScriptValue& right, int code) {
  ScriptValue result;
  BinaryOp(result, value, right, code);
  value.MoveFrom(result);
}

void Interpreter::ApplySign(ScriptValue& value, bool negate) {
  // "-" needs a number (or a property declared one); "+" anything that
  // converts, which it leaves as it is.
  if (negate && !IsNumeric(value)) throw ERR_NOT_NUMBER;
  double number;
  if (!ToNumber(value, number)) throw ERR_NOT_NUMBER;
  if (negate) value.SetNumber(-number);
}

void Interpreter::StepBy(ScriptValue& value, double step) {
  double number;
  if (!ToNumber(value, number)) throw ERR_NOT_NUMBER;
  ScriptValue next;
  next.SetNumber(number + step);
  Assign(value, next);
}

void Interpreter::LogicalOr(ScriptValue& value, const ScriptValue& right) {
  // Both operands are judged, the left first.
  const bool left = Truth(value);
  const bool either = Truth(right) || left;
  value.SetNumber(either ? 1 : 0);
}

bool Interpreter::LogicalAnd(ScriptValue& value, const ScriptValue& right) {
  const bool truth = Truth(right);
  value.SetNumber(truth ? 1 : 0);
  return truth;
}
