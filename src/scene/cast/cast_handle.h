// CastHandle: a checked reference to a cast that script values and the tables
// of other casts keep; it reads as null once the cast is gone. Used by the scene and the script classes.
#pragma once

#include <cstdint>

class Cast;
class NativeClass;
struct ScriptValue;

// A handle names a registry entry and the generation that entry had when the
// cast was made; deleting the cast moves the generation on, so every handle
// to it (in a script variable, a link, a rail, a contact) resolves to null
// instead of to freed memory. The zero handle is null.
class CastHandle {
 public:
  CastHandle() = default;
  // The handle of a live cast; null for a null cast.
  static CastHandle Of(const Cast* cast);
  // The cast, or null when it has been deleted (or for the null handle).
  Cast* Get() const;
  bool IsNull() const { return value_ == 0; }
  void Reset() { value_ = 0; }
  bool operator==(const CastHandle& other) const { return value_ == other.value_; }

  // Script values carry the handle in their instance pointer.
  void* ToInstance() const { return reinterpret_cast<void*>(static_cast<std::uintptr_t>(value_)); }
  static CastHandle FromInstance(const void* instance);

 private:
  friend class Cast;
  // Entry index in the low 32 bits, generation (never 0) in the high 32.
  std::uint64_t value_ = 0;
};

// Makes `value` an object of the given "Cast" class object designating `cast`
// (a null cast gives the class used by itself, without an instance).
void SetCastValue(ScriptValue& value, NativeClass* castClass, const Cast* cast);
// The cast an object value designates; null for other values and for casts
// that have been deleted.
Cast* CastOfValue(const ScriptValue& value);
// The cast a member call's instance pointer designates, checked the same way.
inline Cast* CastOfInstance(const void* instance) { return CastHandle::FromInstance(instance).Get(); }
