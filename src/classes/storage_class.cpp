// Storage members over the profile-file layer.
#include "classes/storage_class.h"

#include <cstring>

#include "classes/storage_codec.h"
#include "files/archive.h"
#include "platform/system/numbers.h"
#include "platform/system/profile_file.h"
#include "platform/system/random.h"

namespace {

int g_storageKey = kDefaultStorageKey;

constexpr char kDefaultSection[] = "Config";

// The section argument: `empty` names the default section.
std::string SectionArg(CCScript& engine, const ScriptValue& value) {
  return IsEmptyArg(engine, value) ? std::string(kDefaultSection) : ArgText(engine, value);
}

bool Fits(const std::string& text) { return text.size() <= kStoragePlainLimit; }

// The verified plain text of an entry; false when it is missing or does not
// verify under the current key. Text after a NUL byte is not part of it.
bool ReadEntry(const std::string& section, const std::string& key, std::string& plain) {
  std::string stored;
  const int storageKey = GetStorageKey();
  GetProfileString(SettingsFilePath(), EncodeStorageText(storageKey, section), EncodeStorageText(storageKey, key),
                   "", stored);
  if (stored.size() > kStorageEncodedLimit || !DecodeStorageText(storageKey, stored, plain)) return false;
  plain.resize(std::strlen(plain.c_str()));
  return true;
}

void SaveValue(EngineCall& call, ScriptValue& result, ScriptValue* args) {
  const std::string section = SectionArg(call.engine, args[0]);
  const std::string key = ArgText(call.engine, args[1]);
  const std::string value = ArgText(call.engine, args[2]);
  bool saved = false;
  if (Fits(section) && Fits(key) && Fits(value)) {
    const int storageKey = GetStorageKey();
    saved = WriteProfileString(SettingsFilePath(), EncodeStorageText(storageKey, section),
                               EncodeStorageText(storageKey, key), EncodeStorageText(storageKey, value));
  }
  result.SetNumber(saved ? 1 : 0);
  // The codec's fixed seeding must not leave scripts a predictable sequence.
  SeedSharedRandomFromClock();
}

void LoadString(EngineCall& call, ScriptValue& result, ScriptValue* args) {
  const std::string section = SectionArg(call.engine, args[0]);
  const std::string key = ArgText(call.engine, args[1]);
  const std::string fallback = ArgText(call.engine, args[2]);
  std::string plain;
  if (!Fits(section) || !Fits(key) || !Fits(fallback)) {
    result.SetNumber(0);
  } else if (ReadEntry(section, key, plain)) {
    result.SetString(plain.c_str());
  } else {
    result.SetString(fallback.c_str());
  }
  SeedSharedRandomFromClock();
}

void LoadNumber(EngineCall& call, ScriptValue& result, ScriptValue* args) {
  const std::string section = SectionArg(call.engine, args[0]);
  const std::string key = ArgText(call.engine, args[1]);
  // A missing entry gives back the very number given, not a six-decimal
  // round trip of it through the codec.
  const double fallback = ArgNumber(call.engine, args[2]);
  std::string plain;
  if (!Fits(section) || !Fits(key)) {
    result.SetNumber(0);
  } else if (ReadEntry(section, key, plain)) {
    result.SetNumber(ReadDecimal(plain.c_str()));
  } else {
    result.SetNumber(fallback);
  }
  SeedSharedRandomFromClock();
}

void SetEncodeKey(EngineCall& call, ScriptValue&, ScriptValue* args) {
  SetStorageKey(ArgIndex(call.engine, args[0], 256));
}

using Row = MemberRow<EngineCall>;

constexpr Row kStorageMembers[] = {
    Row::Method(SVT_Number, "SaveValue", 3, SaveValue),
    Row::Method(SVT_Number, "LoadString", 3, LoadString),
    Row::Method(SVT_Number, "LoadNumber", 3, LoadNumber),
    Row::Method(SVT_None, "SetEncodeKey", 1, SetEncodeKey),
};

}  // namespace

int GetStorageKey() { return g_storageKey; }
void SetStorageKey(int key) { g_storageKey = key; }

std::string SettingsFilePath() { return GetProgramDir() + "Config.sav"; }

StorageClass::StorageClass() : EngineClassObject("Storage", kStorageMembers) {}
