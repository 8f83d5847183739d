// The machinery every script class object shares: the member table and the
// argument conversions and range tests, which throw the same codes in every class.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "script/engine.h"

// A class object with a name and a member table of its own. The table is
// built at construction and ended by a record of kind MK_End; registration
// writes the name ids into it.
class ClassObject : public NativeClass {
 public:
  const char* ClassName() override { return name_; }
  MemberRecord* GetMemberTable() override { return members_.data(); }

 protected:
  // Each record as {kind, result type, name, 0, argument count}.
  ClassObject(const char* name, std::initializer_list<MemberRecord> members);
  // The same from a table held elsewhere (count records, without the end record).
  ClassObject(const char* name, const MemberRecord* members, std::size_t count);

 private:
  const char* name_;
  std::vector<MemberRecord> members_;
};

// Member failures end the running script call through the engine.
[[noreturn]] void ThrowScriptError(EErrorCode code);

// As a number: a number, the variable a reference designates, a property read
// through its member reference, or numeric text. 36 otherwise.
double ArgNumber(CCScript& engine, const ScriptValue& value);
// As a number, then truncated toward zero into 32 bits (see TruncateToInt32).
std::int32_t ArgInt(CCScript& engine, const ScriptValue& value);
// Flag words and colours: as ArgInt, keeping all 32 bits, so values up to
// 4294967295 reach every bit.
std::uint32_t ArgWord(CCScript& engine, const ScriptValue& value);
// As text: a string, a number by the number-to-text rule, through references
// and member references. 36 otherwise.
std::string ArgText(CCScript& engine, const ScriptValue& value);
// As ArgText, but reports a value without a text form instead of throwing.
bool TryArgText(CCScript& engine, const ScriptValue& value, std::string& out);
// True for the `empty` value, also behind references.
bool IsEmptyArg(CCScript& engine, const ScriptValue& value);
// Exact types, no conversion: the value behind references must be a string
// (resp. a number). 36 otherwise.
std::string ArgExactString(CCScript& engine, const ScriptValue& value);
double ArgExactNumber(CCScript& engine, const ScriptValue& value);
// A sound id: a value that converts as a number is that number truncated;
// otherwise its text's first four bytes packed big-endian (a four-character
// code). 36 when it is neither.
std::uint32_t ArgSoundId(CCScript& engine, const ScriptValue& value);
// An object value whose class is named `className`; its instance (may be null:
// the class name used by itself). 36 otherwise.
void* ArgObject(CCScript& engine, const ScriptValue& value, const char* className);

// 44 when a member that needs an instance was reached through the bare class name.
void* RequireInstance(void* instance);
// 48 unless the test holds; every range test of a member goes through this.
void RequireRange(bool inRange);
// As a number, 0 <= n < count (tested before truncation, so NaN fails), then
// truncated. 36 when it does not convert, 48 when outside.
int ArgIndex(CCScript& engine, const ScriptValue& value, int count);
