// ScriptValue, the one value type of the script language, and the value rules
// that need no engine: number strings and the number-to-text rule.
#pragma once

#include <cstdint>
#include <string>

#include "script/script_text.h"

class NativeClass;
struct ScriptFunction;

enum ScriptValueType : std::int32_t {
  SVT_None = 0,
  SVT_Reference = 2,
  SVT_Object = 3,
  SVT_MemberReference = 4,
  SVT_FunctionReference = 5,
  SVT_Empty = 6,
  SVT_Number = 7,
  SVT_String = 8,
};

// Storage kinds of a Reference.
enum StorageKind : std::int32_t {
  kStorageGlobal = 1,
  kStorageStack = 2,   // absolute stack slot
  kStorageLocal = 3,   // slot counted from the running function's frame base
};

struct ReferencePayload {
  std::int32_t kind;
  std::int32_t index;
};
struct ObjectPayload {
  NativeClass* cls;
  void* instance;
};
struct MemberReferencePayload {
  NativeClass* cls;
  void* instance;
  std::int32_t member;
};

struct ScriptValue {
  ScriptValueType type = SVT_None;
  union {
    ReferencePayload ref;
    ObjectPayload object;
    MemberReferencePayload memberRef;
    ScriptFunction* function;
    double number;
    char* text;
  };

  ScriptValue() : memberRef{nullptr, nullptr, 0} {}
  ScriptValue(const ScriptValue& other) : ScriptValue() { Assign(other); }
  ScriptValue(ScriptValue&& other) noexcept : ScriptValue() { MoveFrom(other); }
  ScriptValue& operator=(const ScriptValue& other) {
    if (this != &other) Assign(other);
    return *this;
  }
  ScriptValue& operator=(ScriptValue&& other) noexcept {
    if (this != &other) MoveFrom(other);
    return *this;
  }
  ~ScriptValue() { Clear(); }

  void Clear() {
    if (type == SVT_String) ReleaseText();
    type = SVT_None;
    memberRef = {nullptr, nullptr, 0};
  }
  // Copies another value: a String's text is duplicated, everything else is
  // copied field by field. Safe when other designates this very value.
  bool Assign(const ScriptValue& other);
  // Takes other's payload (a String's text without copying); other becomes None.
  void MoveFrom(ScriptValue& other) noexcept {
    if (type == SVT_String) ReleaseText();
    type = other.type;
    memberRef = other.memberRef;
    other.type = SVT_None;
    other.memberRef = {nullptr, nullptr, 0};
  }
  void SetString(const char* text);
  void SetString(const char* text, std::size_t length);
  // Takes ownership of a text made by NewScriptText.
  void TakeString(char* text);
  void SetNumber(double value) {
    if (type == SVT_String) ReleaseText();
    type = SVT_Number;
    number = value;
  }
  void SetReference(std::int32_t kind, std::int32_t index) {
    Clear();
    type = SVT_Reference;
    ref = {kind, index};
  }
  void SetObject(NativeClass* cls, void* instance) {
    Clear();
    type = SVT_Object;
    object = {cls, instance};
  }
  void SetMemberReference(NativeClass* cls, std::int32_t member, void* instance) {
    Clear();
    type = SVT_MemberReference;
    memberRef = {cls, instance, member};
  }
  void SetFunction(ScriptFunction* fn) {
    Clear();
    type = SVT_FunctionReference;
    function = fn;
  }
  void SetEmpty() {
    Clear();
    type = SVT_Empty;
  }

 private:
  void ReleaseText();
};

// One global script variable: a value and a name of at most 31 characters.
struct GlobalVar {
  ScriptValue value;
  char name[32] = {};
};

// Spaces and tabs, an optional sign, digits, an optional point and digits,
// and nothing after; every part may be empty ("" and "-" are number strings).
bool IsNumberString(const char* text);

// 10 significant digits: plain decimals for exponents -1..9, else d.ddddddddde+XXX;
// trailing zeros and a final point dropped. Infinities give "1.#INF" or
// "-1.#INF", NaN "-1.#IND" as the original runtime printed them; -0 gives "0".
std::string NumberToText(double value);
