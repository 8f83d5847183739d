// CastHandle: a checked reference to a cast that script values and the tables
// of other casts keep; it reads as null once the cast is gone. CastRegistry,
// which each scene owns, checks them. Used by the scene and the script classes.
#pragma once

#include <cstdint>
#include <vector>

class Cast;
class CastRegistry;
class NativeClass;
struct ScriptValue;

// A handle names an entry of its scene's registry and the generation that
// entry had when the cast was made; deleting the cast moves the generation
// on, so every handle to it (in a script variable, a link, a rail, a contact)
// resolves to null instead of to freed memory. The default handle is null.
// A handle must not be read after its scene is gone.
class CastHandle {
 public:
  CastHandle() = default;
  // The handle of a live cast; null for a null cast.
  static CastHandle Of(const Cast* cast);
  // The cast, or null when it has been deleted (or for the null handle).
  Cast* Get() const;
  bool IsNull() const { return value_ == 0; }
  void Reset() { *this = CastHandle(); }
  bool operator==(const CastHandle& other) const { return registry_ == other.registry_ && value_ == other.value_; }

  // Script values carry the handle's entry and generation in their instance
  // pointer; the registry reads them back (CastRegistry::CastOfInstance).
  void* ToInstance() const { return reinterpret_cast<void*>(static_cast<std::uintptr_t>(value_)); }

 private:
  friend class CastRegistry;
  const CastRegistry* registry_ = nullptr;
  // Entry index in the low 32 bits, generation (never 0) in the high 32.
  std::uint64_t value_ = 0;
};

// The entries behind the handles of one scene's casts: one per live cast,
// reused after a generation step when the cast is deleted. Everything runs on
// the main thread (scripts, scene and casts alike), so it needs no lock.
class CastRegistry {
 public:
  CastRegistry() = default;
  CastRegistry(const CastRegistry&) = delete;
  CastRegistry& operator=(const CastRegistry&) = delete;

  // A cast takes its handle as it is made and gives it back as it goes.
  CastHandle Register(Cast* cast);
  void Release(CastHandle handle);
  // The cast a member call's instance pointer designates; null once deleted.
  Cast* CastOfInstance(const void* instance) const;
  // The cast an object value designates; null for other values and for
  // casts that have been deleted.
  Cast* CastOfValue(const ScriptValue& value) const;

 private:
  friend class CastHandle;
  struct Entry {
    Cast* cast = nullptr;
    std::uint32_t generation = 1;
  };
  Cast* Find(std::uint64_t value) const;

  std::vector<Entry> entries_;
  std::vector<std::uint32_t> free_;
};

// Makes `value` an object of the given "Cast" class object designating `cast`
// (a null cast gives the class used by itself, without an instance).
void SetCastValue(ScriptValue& value, NativeClass* castClass, const Cast* cast);
