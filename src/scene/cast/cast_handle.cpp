// The registry behind cast handles: one entry per live cast, reused after a
// generation step when the cast is deleted.
#include "scene/cast/cast_handle.h"

#include <vector>

#include "scene/cast/cast.h"
#include "script/value.h"

static_assert(sizeof(void*) >= sizeof(std::uint64_t), "a handle travels in a script value's instance pointer");

namespace {

struct Entry {
  Cast* cast = nullptr;
  std::uint32_t generation = 1;
};

// Everything runs on the main thread (scripts, scene and casts alike), so the
// registry needs no lock.
struct Registry {
  std::vector<Entry> entries;
  std::vector<std::uint32_t> free;
};

Registry& GetRegistry() {
  static Registry registry;
  return registry;
}

}  // namespace

CastHandle CastHandle::Of(const Cast* cast) { return cast ? cast->GetHandle() : CastHandle(); }

Cast* CastHandle::Get() const {
  if (value_ == 0) return nullptr;
  const Registry& registry = GetRegistry();
  const auto index = static_cast<std::uint32_t>(value_);
  const auto generation = static_cast<std::uint32_t>(value_ >> 32);
  if (index >= registry.entries.size()) return nullptr;
  const Entry& entry = registry.entries[index];
  return entry.generation == generation ? entry.cast : nullptr;
}

CastHandle CastHandle::FromInstance(const void* instance) {
  CastHandle handle;
  handle.value_ = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(instance));
  return handle;
}

CastHandle Cast::RegisterHandle(Cast* cast) {
  Registry& registry = GetRegistry();
  std::uint32_t index;
  if (!registry.free.empty()) {
    index = registry.free.back();
    registry.free.pop_back();
  } else {
    index = static_cast<std::uint32_t>(registry.entries.size());
    registry.entries.emplace_back();
  }
  Entry& entry = registry.entries[index];
  entry.cast = cast;
  CastHandle handle;
  handle.value_ = static_cast<std::uint64_t>(entry.generation) << 32 | index;
  return handle;
}

void Cast::ReleaseHandle(CastHandle handle) {
  Registry& registry = GetRegistry();
  const auto index = static_cast<std::uint32_t>(handle.value_);
  if (handle.value_ == 0 || index >= registry.entries.size()) return;
  Entry& entry = registry.entries[index];
  entry.cast = nullptr;
  // Generation 0 would make the zero handle of index 0 valid: skip it.
  if (++entry.generation == 0) entry.generation = 1;
  registry.free.push_back(index);
}

void SetCastValue(ScriptValue& value, NativeClass* castClass, const Cast* cast) {
  value.SetObject(castClass, CastHandle::Of(cast).ToInstance());
}

Cast* CastOfValue(const ScriptValue& value) {
  if (value.type != SVT_Object) return nullptr;
  return CastOfInstance(value.object.instance);
}
