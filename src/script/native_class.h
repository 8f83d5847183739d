// The interface of a script-visible class (NativeClass with its member table of
// MemberRecords) and the member-name table that the engines of one program
// share (held by their ScriptContext).
#pragma once

#include <array>
#include <cstdint>

#include "script/value.h"

class CCScript;

enum MemberKind : std::int32_t {
  MK_End = 0,
  MK_Method = 1,
  MK_ReadOnly = 2,
  MK_WriteOnly = 3,
  MK_ReadWrite = 4,
};

struct MemberRecord {
  std::int32_t kind;        // MemberKind
  std::int32_t resultType;  // SVT_Number, SVT_String, or SVT_None for a method without a result
  const char* name;         // at most 31 characters
  std::int32_t nameId;      // written by RegisterClass
  std::int32_t argCount;    // methods: the exact number of arguments
};

constexpr int kMemberNameCount = 256;
constexpr int kMemberNameLength = 32;

class MemberNameTable;

class NativeClass {
 public:
  virtual ~NativeClass() = default;
  virtual const char* ClassName() { return "None"; }
  virtual MemberRecord* GetMemberTable() { return nullptr; }
  virtual void* GetOwner() { return nullptr; }
  virtual bool GetProperty(int member, void* instance, ScriptValue& out, CCScript& engine) { return false; }
  virtual bool SetProperty(int member, void* instance, const ScriptValue& in, CCScript& engine) { return false; }
  virtual bool CallMethod(int member, void* instance, ScriptValue& result, ScriptValue* args, int argCount,
                          CCScript& engine) {
    return false;
  }

  // The row of this class's member table with the given name id, or -1. The
  // answer is cached per name id, so look-ups at run time do not scan.
  int FindMember(int nameId);

 private:
  friend class CCScript;  // registration writes name ids and resets the cache
  std::array<std::int16_t, kMemberNameCount> memberByNameId_{};
  bool memberCacheBuilt_ = false;
  const MemberNameTable* memberNames_ = nullptr;  // the table the ids index, once registered
};

// Member names by first-come index, never emptied: the compiler turns a member
// name into its index once, and the interpreter compares integers.
class MemberNameTable {
 public:
  // The index of the name, adding it when new; -1 when the table is full or
  // the name longer than 31 characters.
  int Intern(const char* name);
  // The index of the name, or -1 when it was never interned.
  int Find(const char* name) const;

 private:
  char names_[kMemberNameCount][kMemberNameLength] = {};
  int count_ = 0;
};
