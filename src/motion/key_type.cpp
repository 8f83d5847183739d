// The base key type, the defaults and property lists of the nine types, and
// the registry.
#include <array>
#include <cstddef>
#include <initializer_list>

#include "motion/key_types.h"
#include "motion/motion.h"
#include "motion/object_flags.h"

namespace {

// Constant-initialised, so the descriptors are there before any other static
// object could look one up, and they hold nothing to tear down.
constinit RotateKey gRotateKey;
constinit ScaleKey gScaleKey;
constinit TransKey gTransKey;
constinit SphereKey gSphereKey;
constinit BoxKey gBoxKey;
constinit VectorKey gVectorKey;
constinit ColorKey gColorKey;
constinit EventKey gEventKey;
constinit ParamKey gParamKey;

const std::array<KeyType*, kKeyTypeCount> kRegistry = {
    &gRotateKey, &gScaleKey, &gTransKey, &gSphereKey, &gBoxKey, &gVectorKey, &gColorKey, &gEventKey, &gParamKey,
};

constexpr float kVectorLimit = 9999.0f;
constexpr float kColorLimit = 255.0f;

void* Word(void* object, int i) {
  return object != nullptr ? static_cast<MotionKey*>(object)->WordAddress(i) : nullptr;
}

int AppendFloats(PropertyEntry* list, int capacity, void* object, std::initializer_list<const char*> names,
                 int firstWord, float limit) {
  int count = CountProperties(list, capacity);
  int word = firstWord;
  for (const char* name : names) count = AppendProperty(list, capacity, kPropertyFloat, name, Word(object, word++),
                                                         -limit, limit, true);
  return count;
}

}  // namespace

KeyType* KeyTypeByIndex(int index) {
  return index >= 0 && index < kKeyTypeCount ? kRegistry[static_cast<std::size_t>(index)] : nullptr;
}

KeyType* KeyTypeByKind(std::uint32_t kind) {
  for (int i = 0; KeyType* type = KeyTypeByIndex(i); ++i)
    if (type->GetKind() == kind) return type;
  return nullptr;
}

void KeyType::InitKey(MotionKey& key, std::int32_t time) const {
  key.Clear();
  key.SetKind(GetKind());
  key.time = time;
}

bool KeyType::Interpolate(MotionKey&, const MotionKey*, const MotionKey*, std::int32_t) const { return false; }

int KeyType::ListProperties(const Motion* motion, void* object, PropertyEntry* list, int capacity) {
  auto* key = static_cast<MotionKey*>(object);
  float last = motion != nullptr ? static_cast<float>(motion->GetLength() - 1) : -1.0f;
  return AppendProperty(list, capacity, kPropertyInteger, "Time", key != nullptr ? &key->time : nullptr, 0.0f,
                        last, true);
}

bool KeyType::CheckKey(const Motion* motion, const void* object) const {
  const auto* key = static_cast<const MotionKey*>(object);
  if (motion == nullptr || key == nullptr) return false;
  if (key->time < 0 || key->time >= motion->GetLength()) return false;
  auto* editable = const_cast<Motion*>(motion);
  const MotionFrame* track = editable->FindFrameOfKey(key);
  if (track == nullptr) return true;
  for (int i = 0; i < track->KeyCount(); ++i) {
    const MotionKey* other = track->KeyAt(i);
    if (other != key && other->kind == key->kind && other->time == key->time) return false;
  }
  return true;
}

void RotateKey::InitKey(MotionKey& key, std::int32_t time) const {
  KeyType::InitKey(key, time);
  key.SetQuaternion({0.0f, 0.0f, 0.0f, 1.0f});
}

void ScaleKey::InitKey(MotionKey& key, std::int32_t time) const {
  KeyType::InitKey(key, time);
  key.SetVector({1.0f, 1.0f, 1.0f});
}

void ColorKey::InitKey(MotionKey& key, std::int32_t time) const {
  KeyType::InitKey(key, time);
  for (int i = 0; i < 8; ++i) key.SetFloat(i, 1.0f);
}

int RotateKey::ListProperties(const Motion* motion, void* object, PropertyEntry* list, int capacity) {
  KeyType::ListProperties(motion, object, list, capacity);
  return AppendFloats(list, capacity, object, {"X", "Y", "Z", "W"}, 0, 1.0f);
}

int VectorKey::ListProperties(const Motion* motion, void* object, PropertyEntry* list, int capacity) {
  KeyType::ListProperties(motion, object, list, capacity);
  return AppendFloats(list, capacity, object, {"X", "Y", "Z"}, 0, kVectorLimit);
}

int SphereKey::ListProperties(const Motion* motion, void* object, PropertyEntry* list, int capacity) {
  VectorKey::ListProperties(motion, object, list, capacity);
  int count = AppendFloats(list, capacity, object, {"Radius"}, 3, kVectorLimit);
  for (int bit = 0; bit < kRegionKindCount; ++bit)
    count = AppendProperty(list, capacity, kPropertyFlagBit + static_cast<std::uint32_t>(bit), RegionKindName(bit),
                           Word(object, 4), 0.0f, 0.0f, true);
  return count;
}

int BoxKey::ListProperties(const Motion* motion, void* object, PropertyEntry* list, int capacity) {
  VectorKey::ListProperties(motion, object, list, capacity);
  return AppendFloats(list, capacity, object, {"Width", "Height"}, 3, kVectorLimit);
}

int ColorKey::ListProperties(const Motion* motion, void* object, PropertyEntry* list, int capacity) {
  KeyType::ListProperties(motion, object, list, capacity);
  return AppendFloats(list, capacity, object,
                      {"AmbientA", "AmbientR", "AmbientG", "AmbientB", "DiffuseA", "DiffuseR", "DiffuseG", "DiffuseB"},
                      0, kColorLimit);
}

int EventKey::ListProperties(const Motion* motion, void* object, PropertyEntry* list, int capacity) {
  int count = KeyType::ListProperties(motion, object, list, capacity);
  auto* key = static_cast<MotionKey*>(object);
  if (key == nullptr) return count;
  if (key->GetCommand() == nullptr) InitKey(*key, key->time);
  Command* command = key->GetCommand();
  if (command == nullptr) return count;
  return AppendProperty(list, capacity, kPropertyString, "OnTimeFunc", command->text, 0.0f,
                        static_cast<float>(kCommandTextSize - 1), true);
}

int ParamKey::ListProperties(const Motion* motion, void* object, PropertyEntry* list, int capacity) {
  KeyType::ListProperties(motion, object, list, capacity);
  return AppendObjectFlags(list, capacity, static_cast<std::uint32_t*>(Word(object, 0)));
}
