// The "Storage" class object: values that scripts keep between runs in the
// settings file "Config.sav" of the program folder. Each script host holds one.
#pragma once

#include <string>

#include "classes/class_object.h"

// The key of every Storage object until a script sets another; fixed so that
// files written without a key read back at every start.
constexpr int kDefaultStorageKey = 0;

// The one encode key that all Storage objects share for the whole run.
int GetStorageKey();
void SetStorageKey(int key);

// The settings file: the program folder followed by "Config.sav", whole.
std::string SettingsFilePath();

class StorageClass : public EngineClassObject {
 public:
  StorageClass();
};
