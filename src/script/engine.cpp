// CCScript's host side: construction, class registration, the host entry
// CallFunction, error reports, and the value operations hosts reach, which the
// interpreter carries out.
#include "script/engine.h"

#include <cstdio>
#include <cstring>

#include "platform/system/safe_string.h"
#include "script/bytecode/bytecode.h"
#include "script/script_context.h"

ScriptFunction::ScriptFunction(CompiledAccount& account) : account_(account) {}

ScriptFunction::~ScriptFunction() {
  for (Token& token : tokens)
    if (token.kind == TokenKind::String) DeleteScriptText(token.text);
  account_.held -= charged_;
}

bool ScriptFunction::Charge(std::size_t bytes) {
  if (bytes > Room()) return false;
  account_.held += bytes;
  charged_ += bytes;
  return true;
}

CCScript::CCScript() : CCScript(ScriptContext::Program()) {}

CCScript::CCScript(ScriptContext& context)
    : context_(context), interpreter_(std::make_unique<Interpreter>(*this)) {}

CCScript::~CCScript() = default;

int CCScript::ClassSlotOf(NativeClass* cls) const {
  for (int i = 0; i < kMaxClasses && classes_[i]; ++i)
    if (classes_[i] == cls) return i;
  return -1;
}

bool CCScript::RegisterClass(NativeClass* cls) {
  if (!cls) return false;
  // Name ids index one context's table; a class registered in two contexts
  // would have one context's ids written over the other's.
  if (cls->memberNames_ && cls->memberNames_ != &context_.memberNames) return false;
  int slot = 0;
  for (; slot < kMaxClasses && classes_[slot]; ++slot) {
    if (classes_[slot] == cls || std::strcmp(classes_[slot]->ClassName(), cls->ClassName()) == 0) return false;
  }
  if (slot == kMaxClasses) return false;
  classes_[slot] = cls;
  if (MemberRecord* table = cls->GetMemberTable()) {
    for (int row = 0; table[row].kind != MK_End; ++row)
      table[row].nameId = context_.memberNames.Intern(table[row].name);
  }
  cls->memberNames_ = &context_.memberNames;
  cls->memberCacheBuilt_ = false;
  return true;
}

ScriptFunction* CCScript::FindFunction(const char* name) {
  if (!name) return nullptr;
  for (int i = 0; i < kMaxFunctions && functions_[i]; ++i)
    if (std::strcmp(functions_[i]->name, name) == 0) return functions_[i].get();
  return nullptr;
}

void CCScript::ClearFunctions() {
  for (auto& function : functions_) {
    // A host may clear while a script of this engine is still on the call
    // stack (a native method that ends the scene); its tokens must outlive
    // that call, so such functions are parked until the outermost call ends.
    if (function && hostDepth_ > 0) retired_.push_back(std::move(function));
    function.reset();
  }
}

EErrorCode CCScript::CallFunction(ScriptFunction* function, ScriptValue* args, int argCount) {
  if (!function) return ERR_NONE;
  const EErrorCode result = interpreter_->HostCall(function, args, argCount, hostDepth_++ == 0);
  if (--hostDepth_ == 0) retired_.clear();
  return result;
}

namespace {

void AppendText(std::string& out, const char* text) { out += text; }

}  // namespace

const ScriptFunction* CCScript::FunctionHoldingPosition() const {
  const Token* position = interpreter_->Position();
  for (int i = 0; i < kMaxFunctions && functions_[i] && position; ++i) {
    const std::vector<Token>& tokens = functions_[i]->tokens;
    if (!tokens.empty() && position >= tokens.data() && position < tokens.data() + tokens.size())
      return functions_[i].get();
  }
  return nullptr;
}

void CCScript::FormatError(int line, int column, int code, char* out, std::size_t size) {
  if (!out || size == 0) return;
  std::string text;
  const char* message = GetErrorMessage(code);
  const ScriptFunction* owner = FunctionHoldingPosition();
  char buffer[64];
  if (owner) {
    for (const Token& token : owner->tokens) {
      if (token.line != line || token.kind == TokenKind::None) continue;
      bool marked = token.column == column;
      if (marked) text += '#';
      switch (token.kind) {
        case TokenKind::Number:
          std::snprintf(buffer, sizeof buffer, "%0.2f", token.number);
          AppendText(text, buffer);
          break;
        case TokenKind::String:
          text += '"';
          AppendText(text, token.text);
          text += '"';
          break;
        case TokenKind::Label:
          std::snprintf(buffer, sizeof buffer, "LABEL%d:", token.index);
          AppendText(text, buffer);
          break;
        case TokenKind::GlobalValiable:
          std::snprintf(buffer, sizeof buffer, "GLOBAL%d", token.index);
          AppendText(text, buffer);
          break;
        case TokenKind::AutoValiable:
          std::snprintf(buffer, sizeof buffer, "AUTO%d", token.index);
          AppendText(text, buffer);
          break;
        case TokenKind::Identifier:
          std::snprintf(buffer, sizeof buffer, "ID%d:", token.index);
          AppendText(text, buffer);
          break;
        case TokenKind::Class:
          AppendText(text, token.cls->ClassName());
          break;
        case TokenKind::Function:
          AppendText(text, token.function->name);
          break;
        default:
          AppendText(text, TokenSpelling(token.kind));
          break;
      }
      if (marked) text += '#';
    }
    text += "\n\n";
    text += owner->name;
  }
  std::snprintf(buffer, sizeof buffer, "(%d,%d) : error %d: ", line, column, code);
  text += buffer;
  text += message;
  text += '\n';
  SafeStrCopy(out, text.c_str(), size);
}

// ---- what hosts reach of the interpreter ----------------------------------

ScriptValue* CCScript::VariableAddress(int kind, int index) { return interpreter_->VariableAddress(kind, index); }
ScriptValue* CCScript::ResolveReference(const ScriptValue& value) { return interpreter_->ResolveReference(value); }
const ScriptValue* CCScript::FollowReferences(const ScriptValue& value) { return interpreter_->FollowReferences(value); }
int CCScript::KindOf(const ScriptValue& value) { return interpreter_->KindOf(value); }
bool CCScript::ToNumber(const ScriptValue& value, double& out) { return interpreter_->ToNumber(value, out); }
bool CCScript::ToString(const ScriptValue& value, std::string& out) { return interpreter_->ToString(value, out); }
void CCScript::Push(const ScriptValue& value) { interpreter_->Push(value); }
void CCScript::SetStackPointer(int n) { interpreter_->SetStackPointer(n); }
GlobalVar& CCScript::Global(int index) { return interpreter_->Global(index); }
int CCScript::StackPointer() const { return interpreter_->StackPointer(); }
int CCScript::FrameBase() const { return interpreter_->FrameBase(); }
void CCScript::SetStepBudget(std::uint64_t steps) { interpreter_->SetStepBudget(steps); }
void CCScript::SetBytecode(bool on) { interpreter_->SetBytecode(on); }
bool CCScript::UsesBytecode() const { return interpreter_->UsesBytecode(); }
