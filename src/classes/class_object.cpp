// Member tables and argument conversion shared by all class objects.
#include "classes/class_object.h"

#include <cmath>
#include <cstring>
#include <utility>

#include "platform/system/numbers.h"

ClassObject::ClassObject(const char* name, std::initializer_list<MemberRecord> members)
    : name_(name), members_(members) {
  members_.push_back({MK_End, SVT_None, nullptr, 0, 0});
}

ClassObject::ClassObject(const char* name, std::vector<MemberRecord> members)
    : name_(name), members_(std::move(members)) {
  members_.push_back({MK_End, SVT_None, nullptr, 0, 0});
}

int ClassObject::MemberIndex(const char* name) const {
  for (std::size_t i = 0; members_[i].kind != MK_End; ++i)
    if (std::strcmp(members_[i].name, name) == 0) return static_cast<int>(i);
  return -1;
}

void ThrowScriptError(EErrorCode code) { throw code; }

double ArgNumber(CCScript& engine, const ScriptValue& value) {
  double number = 0;
  if (!engine.ToNumber(value, number)) ThrowScriptError(ERR_ARGUMENT_TYPE);
  return number;
}

std::int32_t ArgInt(CCScript& engine, const ScriptValue& value) {
  return TruncateToInt32(ArgNumber(engine, value));
}

std::uint32_t ArgWord(CCScript& engine, const ScriptValue& value) { return WordOfNumber(ArgNumber(engine, value)); }

std::uint32_t WordOfNumber(double number) {
  if (!std::isfinite(number)) return 0;
  constexpr double kWordRange = 4294967296.0;
  // fmod is exact, so even numbers far past 2^53 keep the low bits they have.
  double low = std::fmod(std::trunc(number), kWordRange);
  if (low < 0) low += kWordRange;
  return static_cast<std::uint32_t>(low);
}

std::string ArgText(CCScript& engine, const ScriptValue& value) {
  std::string text;
  if (!engine.ToString(value, text)) ThrowScriptError(ERR_ARGUMENT_TYPE);
  return text;
}

bool TryArgText(CCScript& engine, const ScriptValue& value, std::string& out) {
  return engine.ToString(value, out);
}

ScriptValue ArgStoredValue(CCScript& engine, const ScriptValue& value) {
  ScriptValue stored;
  double number = 0;
  std::string text;
  if (engine.ToNumber(value, number)) stored.SetNumber(number);
  else if (TryArgText(engine, value, text)) stored.SetString(text.c_str(), text.size());
  else ThrowScriptError(ERR_ARGUMENT_TYPE);
  return stored;
}

bool IsEmptyArg(CCScript& engine, const ScriptValue& value) { return engine.KindOf(value) == SVT_Empty; }

std::string ArgExactString(CCScript& engine, const ScriptValue& value) {
  const ScriptValue* target = engine.FollowReferences(value);
  if (!target || target->type != SVT_String) ThrowScriptError(ERR_ARGUMENT_TYPE);
  return target->text;
}

double ArgExactNumber(CCScript& engine, const ScriptValue& value) {
  const ScriptValue* target = engine.FollowReferences(value);
  if (!target || target->type != SVT_Number) ThrowScriptError(ERR_ARGUMENT_TYPE);
  return target->number;
}

std::uint32_t ArgSoundId(CCScript& engine, const ScriptValue& value) {
  double number = 0;
  if (engine.ToNumber(value, number)) return static_cast<std::uint32_t>(TruncateToInt32(number));
  const std::string text = ArgText(engine, value);
  std::uint32_t id = 0;
  // Shorter texts pack as far as they go, the terminator giving zero bytes.
  for (std::size_t i = 0; i < 4; ++i)
    id = id << 8 | (i < text.size() ? static_cast<unsigned char>(text[i]) : 0u);
  return id;
}

void* ArgObject(CCScript& engine, const ScriptValue& value, const char* className) {
  const ScriptValue* target = engine.FollowReferences(value);
  if (!target || target->type != SVT_Object || !target->object.cls ||
      std::strcmp(target->object.cls->ClassName(), className) != 0)
    ThrowScriptError(ERR_ARGUMENT_TYPE);
  return target->object.instance;
}

void* RequireInstance(void* instance) {
  if (!instance) ThrowScriptError(ERR_NO_INSTANCE);
  return instance;
}

void RequireRange(bool inRange) {
  if (!inRange) ThrowScriptError(ERR_OUT_OF_RANGE);
}

int ArgIndex(CCScript& engine, const ScriptValue& value, int count) {
  const double number = ArgNumber(engine, value);
  RequireRange(number >= 0 && number < count);
  return TruncateToInt32(number);
}
