// Reads fuzzed bytes as the settings file "Config.sav" through Storage's
// LoadString and LoadNumber, and decodes every value of it as stored text.
#include "classes/storage_class.h"
#include "classes/storage_codec.h"
#include "fuzz_support.h"
#include "platform/system/content_path.h"

namespace {

class QuietEngine : public CCScript {
 public:
  bool OnError(int, int, int) override { return false; }
};

void Load(StorageClass& storage, CCScript& engine, const char* member, const char* section, const char* key) {
  ScriptValue args[3];
  if (section) args[0].SetString(section); else args[0].SetEmpty();
  args[1].SetString(key);
  if (std::string_view(member) == "LoadNumber") args[2].SetNumber(1.5); else args[2].SetString("default");
  ScriptValue result;
  storage.CallMethod(storage.MemberIndex(member), nullptr, result, args, 3, engine);
}

}  // namespace

T3D_FUZZ_TARGET(data, size) {
  [[maybe_unused]] static const bool inScratch = (SetProgramDir(FuzzScratchFolder()), true);
  WriteFuzzFile("Config.sav", data, size);
  StorageClass storage;
  QuietEngine engine;
  const char* const keys[] = {"Name", "Score", "Blank"};
  for (int storageKey : {0, 42}) {
    SetStorageKey(storageKey);
    for (const char* key : keys) {
      Load(storage, engine, "LoadString", nullptr, key);
      Load(storage, engine, "LoadNumber", "Scores", key);
    }
  }
  // Every "name=value" line's value, as the codec would meet it.
  std::string_view text = FuzzText(data, size);
  std::string plain;
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (std::size_t equals = line.find('='); equals != std::string_view::npos)
      DecodeStorageText(42, line.substr(equals + 1), plain);
    start = end + 1;
  }
  return 0;
}
