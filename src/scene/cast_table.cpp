// The scene's cast table: filled from slot 0 without holes; casts are created
// with unique names, found, renamed and deleted (only marked while the scene runs).
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "files/text_scan.h"
#include "motion/object_class.h"
#include "platform/system/safe_string.h"
#include "scene/scene.h"

Cast* Scene::CastAt(int index) const {
  return index >= 0 && index < castCount_ ? casts_[static_cast<std::size_t>(index)].get() : nullptr;
}

Cast* Scene::FindCast(const char* name) const {
  if (!name) return nullptr;
  for (int i = 0; i < castCount_; ++i) {
    Cast* cast = casts_[static_cast<std::size_t>(i)].get();
    if (std::strcmp(cast->GetName(), name) == 0) return cast;
  }
  return nullptr;
}

bool Scene::RenameCast(Cast* cast, const char* name) {
  if (!cast) return false;
  // The name is compared as it will be kept, so two long names that keep the
  // same first 31 bytes count as the same.
  char kept[kCastNameSize];
  SafeStrCopy(kept, name ? name : "", sizeof kept);
  const Cast* holder = FindCast(kept);
  if (holder && holder != cast) return false;
  cast->SetName(kept);
  return true;
}

Cast* Scene::CreateCast(ObjectClass* cls) {
  if (!cls || castCount_ >= kCastTableSize) return nullptr;
  auto& slot = casts_[static_cast<std::size_t>(castCount_++)];
  slot = std::make_unique<Cast>(cls, castRegistry_);
  Cast* cast = slot.get();
  // Box_1, Box_2, ...: the first free number. The class name gives at most
  // 28 bytes, fewer when the number would not fit in the name otherwise, so
  // every number makes a distinct name; among kCastTableSize numbers one is
  // always free.
  const std::string_view className = cls->GetClassName();
  for (int n = 1; n <= kCastTableSize; ++n) {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, "_%d", n);
    const std::size_t room = std::min<std::size_t>(28, kCastNameSize - 1 - std::strlen(suffix));
    const std::string name = std::string(className.substr(0, WholeCharPrefix(className, room))) + suffix;
    if (RenameCast(cast, name.c_str())) return cast;
  }
  RemoveCastAt(castCount_ - 1);
  return nullptr;
}

void Scene::RemoveCastAt(int index) {
  if (index < 0 || index >= castCount_) return;
  casts_[static_cast<std::size_t>(index)].reset();
  for (int i = index; i + 1 < castCount_; ++i)
    casts_[static_cast<std::size_t>(i)] = std::move(casts_[static_cast<std::size_t>(i + 1)]);
  --castCount_;
}

bool Scene::DeleteCast(Cast* cast) {
  auto indexOf = [this](const Cast* wanted) {
    for (int i = 0; i < castCount_; ++i)
      if (casts_[static_cast<std::size_t>(i)].get() == wanted) return i;
    return -1;
  };
  if (!cast || indexOf(cast) < 0) return false;
  // Deleting it again from its own delete hook changes nothing more, and a
  // cast marked during the run has had its hook: the hook runs once.
  if (cast->IsBeingDeleted()) return true;
  if (cast->IsDeletedWhileRunning()) {
    if (!DefersDeletes()) RemoveCastAt(indexOf(cast));
    return true;
  }
  const CastHandle handle = cast->GetHandle();
  cast->SetBeingDeleted(true);
  cast->OnDelete(*this);
  // The hook may have deleted or added casts (even this one, through the
  // table's end of a scene that stopped running): look again.
  cast = handle.Get();
  if (!cast) return true;
  cast->SetBeingDeleted(false);
  if (DefersDeletes()) {
    cast->SetOwnFlags(cast->GetOwnFlags() | kCastDeletedWhileRunning);
    return true;
  }
  RemoveCastAt(indexOf(cast));
  return true;
}
