// Scene members of text: character sets read from character-set files, text
// slots and string lists.
#include <string>

#include "files/archive.h"
#include "files/text_scan.h"
#include "platform/system/numbers.h"
#include "classes/cast_class.h"
#include "classes/character_set_file.h"
#include "scene/scene.h"
#include "classes/scene_class.h"

namespace {

constexpr int kCharacterSetCount = 32;
constexpr int kCharacterSlotCount = 64;
constexpr float kDegToRad = 0.017453292f;

// An integer that must lie in 0..count-1 once truncated.
int ArgSlot(CCScript& engine, const ScriptValue& value, int count) {
  const std::int32_t slot = ArgInt(engine, value);
  RequireRange(slot >= 0 && slot < count);
  return slot;
}

// A number (also behind a reference) is a string-list id, 48 when the list
// has no text for it; anything else is the text itself. Texts are cut on a
// character boundary, so a two-byte character is never halved.
std::string ArgSceneText(CCScript& engine, const ScriptValue& value, ScriptServices& services) {
  const ScriptValue* target = engine.FollowReferences(value);
  std::string text;
  if (target && target->type == SVT_Number) {
    RequireRange(services.GetString(TruncateToInt32(target->number), text));
  } else {
    text = ArgText(engine, value);
  }
  text.resize(WholeCharPrefix(text, kSceneTextLimit));
  return text;
}

}  // namespace

bool Scene::CallTextMethod(int member, ScriptValue& result, ScriptValue* args, CCScript& engine) {
  ScriptServices& services = GetCastObject().Services();
  switch (member) {
    case kSceneLoadCharacterSet: {
      const int set = ArgIndex(engine, args[0], kCharacterSetCount);
      const std::string file = ArgText(engine, args[1]);
      FileData bytes;
      if (!LoadFile(GetProgramDir() + file, bytes)) return true;  // the set stays as it was
      CharacterSetFile parsed = ParseCharacterSetFile(bytes.data());
      std::vector<unsigned char> image;
      FileData imageBytes;
      if (!parsed.image.empty() && LoadFile(GetProgramDir() + parsed.image, imageBytes))
        image.assign(imageBytes.view().begin(), imageBytes.view().end());
      services.SetCharacterSet(set, image, std::move(parsed.glyphs));
      return true;
    }
    case kScenePutCharacters: {
      CharacterRequest request;
      request.slot = ArgSlot(engine, args[0], kCharacterSlotCount);
      request.set = ArgSlot(engine, args[1], kCharacterSetCount);
      request.text = ArgSceneText(engine, args[2], services);
      request.color = ArgWord(engine, args[3]);
      float* numbers[] = {&request.x, &request.y, &request.pivotX, &request.pivotY, &request.scaleX, &request.scaleY};
      for (int i = 0; i < 6; ++i) *numbers[i] = static_cast<float>(ArgNumber(engine, args[4 + i]));
      request.angle = static_cast<float>(ArgNumber(engine, args[10])) * kDegToRad;
      request.angleStep = static_cast<float>(ArgNumber(engine, args[11])) * kDegToRad;
      request.duration = ArgInt(engine, args[12]);
      RequireRange(request.duration >= 0);
      request.flags = ArgWord(engine, args[13]);
      services.PutCharacters(request);
      return true;
    }
    case kSceneDeleteCharacters: services.DeleteCharacters(ArgIndex(engine, args[0], kCharacterSlotCount)); return true;
    case kSceneGetCharacterLength: {
      const int set = ArgSlot(engine, args[0], kCharacterSetCount);
      const std::string text = ArgSceneText(engine, args[1], services);
      result.SetNumber(services.CharacterLength(set, text));
      return true;
    }
    case kSceneLoadStringList: services.LoadStringList(GetProgramDir() + ArgText(engine, args[0])); return true;
    case kSceneGetString: {
      std::string text;
      if (services.GetString(ArgInt(engine, args[0]), text)) result.SetString(text.c_str(), text.size());
      else result.Clear();
      return true;
    }
    default: return false;
  }
}
