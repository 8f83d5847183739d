// The shared member-name table and the per-class member look-up by name id.
#include "script/native_class.h"

#include <cstring>

#include "platform/system/safe_string.h"

namespace {

struct MemberNameTable {
  char names[kMemberNameCount][kMemberNameLength] = {};
  int count = 0;
};

MemberNameTable& Names() {
  static MemberNameTable table;
  return table;
}

}  // namespace

int FindMemberName(const char* name) {
  MemberNameTable& table = Names();
  for (int i = 0; i < table.count; ++i) {
    if (std::strncmp(table.names[i], name, kMemberNameLength - 1) == 0 &&
        std::strlen(name) < kMemberNameLength)
      return i;
  }
  return -1;
}

int InternMemberName(const char* name) {
  int index = FindMemberName(name);
  if (index >= 0) return index;
  MemberNameTable& table = Names();
  // A full table cannot take more names; such a member stays unreachable
  // rather than aliasing another name.
  if (table.count >= kMemberNameCount || std::strlen(name) >= kMemberNameLength) return -1;
  SafeStrCopy(table.names[table.count], name, kMemberNameLength);
  return table.count++;
}

const char* MemberNameAt(int index) {
  if (index < 0 || index >= Names().count) return "";
  return Names().names[index];
}

int NativeClass::FindMember(int nameId) {
  if (nameId < 0 || nameId >= kMemberNameCount) return -1;
  if (!memberCacheBuilt_) {
    memberByNameId_.fill(-1);
    if (MemberRecord* table = GetMemberTable()) {
      for (int row = 0; table[row].kind != MK_End; ++row) {
        int id = table[row].nameId;
        if (id >= 0 && id < kMemberNameCount && memberByNameId_[id] < 0)
          memberByNameId_[id] = static_cast<std::int16_t>(row);
      }
    }
    memberCacheBuilt_ = true;
  }
  return memberByNameId_[nameId];
}
