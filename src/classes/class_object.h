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
  // The member number of the member of that name; -1 when there is none.
  // For tools: scripts reach members through the engine's name ids.
  int MemberIndex(const char* name) const;

 protected:
  // Each record as {kind, result type, name, 0, argument count}.
  ClassObject(const char* name, std::initializer_list<MemberRecord> members);
  ClassObject(const char* name, std::vector<MemberRecord> members);

 private:
  const char* name_;
  std::vector<MemberRecord> members_;
};

// One member with its handlers in its row, as Lua's library tables carry
// theirs: the row's index is the member number the engine passes, so no
// switch has to be kept in step with the table. `Call` is what the class
// object hands every handler: the calling engine and whatever the member acts on.
template <class Call>
struct MemberRow {
  using Getter = void (*)(Call& call, ScriptValue& out);
  using Setter = void (*)(Call& call, const ScriptValue& in);
  using Handler = void (*)(Call& call, ScriptValue& result, ScriptValue* args);

  MemberRecord record;
  Getter get = nullptr;
  Setter set = nullptr;
  Handler method = nullptr;

  // The engine hands a method exactly `argCount` arguments.
  static constexpr MemberRow Method(ScriptValueType resultType, const char* name, int argCount, Handler method) {
    return {{MK_Method, resultType, name, 0, argCount}, nullptr, nullptr, method};
  }
  static constexpr MemberRow ReadWrite(ScriptValueType type, const char* name, Getter get, Setter set) {
    return {{MK_ReadWrite, type, name, 0, 0}, get, set, nullptr};
  }
  static constexpr MemberRow ReadOnly(ScriptValueType type, const char* name, Getter get) {
    return {{MK_ReadOnly, type, name, 0, 0}, get, nullptr, nullptr};
  }
};

// A class object whose members are the rows of a MemberRow table (which
// outlives it: a table of constants). An access the row has no handler for
// answers false before anything else happens.
template <class Call>
class TableClassObject : public ClassObject {
 public:
  bool GetProperty(int member, void* instance, ScriptValue& out, CCScript& engine) override {
    const MemberRow<Call>* row = Row(member);
    if (!row || !row->get) return false;
    Call call = Bind(instance, engine);
    row->get(call, out);
    return true;
  }
  bool SetProperty(int member, void* instance, const ScriptValue& in, CCScript& engine) override {
    const MemberRow<Call>* row = Row(member);
    if (!row || !row->set) return false;
    Call call = Bind(instance, engine);
    row->set(call, in);
    return true;
  }
  bool CallMethod(int member, void* instance, ScriptValue& result, ScriptValue* args, int,
                  CCScript& engine) override {
    const MemberRow<Call>* row = Row(member);
    if (!row || !row->method) return false;
    Call call = Bind(instance, engine);
    row->method(call, result, args);
    return true;
  }

 protected:
  template <std::size_t N>
  TableClassObject(const char* name, const MemberRow<Call> (&rows)[N])
      : ClassObject(name, RecordsOf(rows, N)), rows_(rows), rowCount_(static_cast<int>(N)) {}
  // What the handlers of one access get. Runs once the row is found and
  // before any argument is read: it throws the script error of an instance
  // the member cannot act on.
  virtual Call Bind(void* instance, CCScript& engine) = 0;

 private:
  static std::vector<MemberRecord> RecordsOf(const MemberRow<Call>* rows, std::size_t count) {
    std::vector<MemberRecord> records;
    for (std::size_t i = 0; i < count; ++i) records.push_back(rows[i].record);
    return records;
  }
  const MemberRow<Call>* Row(int member) const {
    return member >= 0 && member < rowCount_ ? &rows_[member] : nullptr;
  }

  const MemberRow<Call>* rows_;
  int rowCount_;
};

// What the members of System, Math and Storage act on: the calling engine only.
struct EngineCall {
  CCScript& engine;
};

class EngineClassObject : public TableClassObject<EngineCall> {
 protected:
  using TableClassObject::TableClassObject;
  EngineCall Bind(void*, CCScript& engine) override { return {engine}; }
};

// Member failures end the running script call through the engine.
[[noreturn]] void ThrowScriptError(EErrorCode code);

// As a number: a number, the variable a reference designates, a property read
// through its member reference, or numeric text. 36 otherwise.
double ArgNumber(CCScript& engine, const ScriptValue& value);
// As a number, then truncated toward zero into 32 bits (see TruncateToInt32).
std::int32_t ArgInt(CCScript& engine, const ScriptValue& value);
// Flag words, masks and colours: as a number, then the truncated value modulo
// 2^32 (WordOfNumber), so 4294967295 sets every bit, -1 too, and
// 4294967301 is 5.
std::uint32_t ArgWord(CCScript& engine, const ScriptValue& value);
// The truncated number modulo 2^32, for any finite number. NaN and the
// infinities have no truncated value and give 0: no bit set.
std::uint32_t WordOfNumber(double number);
// As text: a string, a number by the number-to-text rule, through references
// and member references. 36 otherwise.
std::string ArgText(CCScript& engine, const ScriptValue& value);
// As ArgText, but reports a value without a text form instead of throwing.
bool TryArgText(CCScript& engine, const ScriptValue& value, std::string& out);
// A value to keep (a parameter of a cast or of the scene): the number when it
// converts as one, else its text. 36 when it has neither form.
ScriptValue ArgStoredValue(CCScript& engine, const ScriptValue& value);
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
