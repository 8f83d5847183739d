// The registry behind cast handles.
#include "scene/cast/cast_handle.h"

#include "scene/cast/cast.h"
#include "script/value.h"

static_assert(sizeof(void*) >= sizeof(std::uint64_t), "a handle travels in a script value's instance pointer");

CastHandle CastHandle::Of(const Cast* cast) { return cast ? cast->GetHandle() : CastHandle(); }

Cast* CastHandle::Get() const { return registry_ ? registry_->Find(value_) : nullptr; }

Cast* CastRegistry::Find(std::uint64_t value) const {
  if (value == 0) return nullptr;
  const auto index = static_cast<std::uint32_t>(value);
  const auto generation = static_cast<std::uint32_t>(value >> 32);
  if (index >= entries_.size()) return nullptr;
  const Entry& entry = entries_[index];
  return entry.generation == generation ? entry.cast : nullptr;
}

CastHandle CastRegistry::Register(Cast* cast) {
  std::uint32_t index;
  if (!free_.empty()) {
    index = free_.back();
    free_.pop_back();
  } else {
    index = static_cast<std::uint32_t>(entries_.size());
    entries_.emplace_back();
  }
  Entry& entry = entries_[index];
  entry.cast = cast;
  CastHandle handle;
  handle.registry_ = this;
  handle.value_ = static_cast<std::uint64_t>(entry.generation) << 32 | index;
  return handle;
}

void CastRegistry::Release(CastHandle handle) {
  const auto index = static_cast<std::uint32_t>(handle.value_);
  if (handle.registry_ != this || handle.value_ == 0 || index >= entries_.size()) return;
  Entry& entry = entries_[index];
  entry.cast = nullptr;
  // Generation 0 would make the zero handle of index 0 valid: skip it.
  if (++entry.generation == 0) entry.generation = 1;
  free_.push_back(index);
}

Cast* CastRegistry::CastOfInstance(const void* instance) const {
  return Find(static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(instance)));
}

Cast* CastRegistry::CastOfValue(const ScriptValue& value) const {
  if (value.type != SVT_Object) return nullptr;
  return CastOfInstance(value.object.instance);
}

void SetCastValue(ScriptValue& value, NativeClass* castClass, const Cast* cast) {
  value.SetObject(castClass, CastHandle::Of(cast).ToInstance());
}
