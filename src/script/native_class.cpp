// The member-name table and the per-class member look-up by name id.
#include "script/native_class.h"

#include <cstring>

#include "platform/system/safe_string.h"

int MemberNameTable::Find(const char* name) const {
  for (int i = 0; i < count_; ++i) {
    if (std::strncmp(names_[i], name, kMemberNameLength - 1) == 0 && std::strlen(name) < kMemberNameLength)
      return i;
  }
  return -1;
}

int MemberNameTable::Intern(const char* name) {
  int index = Find(name);
  if (index >= 0) return index;
  // A full table cannot take more names; such a member stays unreachable
  // rather than aliasing another name.
  if (count_ >= kMemberNameCount || std::strlen(name) >= kMemberNameLength) return -1;
  SafeStrCopy(names_[count_], name, kMemberNameLength);
  return count_++;
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
