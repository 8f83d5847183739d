// Scene members: classes, casts, messages, timers, the camera, parameters,
// colours, fades, the end of the scene, pausing, and text (character sets
// read from character-set files, text slots and string lists).
#include "classes/scene_class.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "classes/cast_class.h"
#include "classes/character_set_file.h"
#include "classes/script_classes.h"
#include "files/archive.h"
#include "files/text_scan.h"
#include "motion/object_class.h"
#include "motion/texture_files.h"
#include "platform/system/content_path.h"
#include "platform/system/content_memory.h"
#include "platform/system/content_report.h"
#include "platform/system/numbers.h"
#include "scene/scene.h"

namespace {

using Row = MemberRow<SceneCall>;

constexpr float kDegToRad = 0.017453292f;

// A copy of the value with references followed in the engine that made the
// call: another engine's variable numbers mean nothing to the scene's.
ScriptValue Resolved(CCScript& engine, const ScriptValue& value) {
  const ScriptValue* target = engine.FollowReferences(value);
  ScriptValue copy;
  if (target) copy = *target;
  return copy;
}

// A slot number of a 256-slot table from a number, or -1 outside it.
int TableSlot(double number) { return number >= 0 && number < 256 ? TruncateToInt32(number) : -1; }

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

// ---- classes and casts ----

void RegisterClass(SceneCall& call, ScriptValue& result, ScriptValue* args) {
  // Named below the program folder like every other content file.
  const std::string path = GetProgramDir() + ArgText(call.engine, args[0]);
  if (ContentNameLength(path) < kClassPathSize && call.scene.RegisterClass(std::string_view(path))) result.SetNumber(1);
}

void UnregisterClass(SceneCall& call, ScriptValue& result, ScriptValue* args) {
  const std::int32_t index = ArgInt(call.engine, args[0]);
  // Outside the table there is nothing to remove.
  if (index >= 0 && index < kClassTableSize && call.scene.UnregisterClass(index)) result.SetNumber(1);
}

void AddCast(SceneCall& call, ScriptValue& result, ScriptValue* args) {
  Scene& scene = call.scene;
  ObjectClass* cls = nullptr;
  double number = 0;
  if (call.engine.ToNumber(args[0], number)) cls = scene.ClassAt(TableSlot(number));
  else cls = scene.FindObjectClass(ArgText(call.engine, args[0]).c_str());
  if (!cls) return;
  Cast* cast = scene.CreateCast(cls);
  if (!cast) {
    result.Clear();
    return;
  }
  cast->InvalidateFlags();
  if (scene.IsRunning()) {
    cast->Reset();
    cast->SetOwnFlags(cast->GetOwnFlags() | kCastAddedWhileRunning);
    SetCastValue(result, scene.GetCastClass(), cast);
    // Its hook may delete it again; the value then reads as deleted.
    cast->OnCreate(scene);
  }
}

void DeleteCast(SceneCall& call, ScriptValue& result, ScriptValue* args) {
  std::string name;
  Cast* cast = TryArgText(call.engine, args[0], name) ? call.scene.FindCast(name.c_str())
                                                      : ArgCast(call.scene, call.engine, args[0]);
  if (cast && call.scene.DeleteCast(cast)) result.SetNumber(1);
}

void ClearCastSelection(SceneCall& call, ScriptValue& result, ScriptValue*) {
  for (int i = 0; i < call.scene.CastCount(); ++i) call.scene.CastAt(i)->SetSelected(false);
  result.SetNumber(1);
}

void SelectCast(SceneCall& call, ScriptValue& result, ScriptValue* args) {
  if (Cast* cast = call.scene.FindCast(ArgText(call.engine, args[0]).c_str())) {
    cast->SetSelected(true);
    result.SetNumber(1);
  }
}

void GetCast(SceneCall& call, ScriptValue& result, ScriptValue* args) {
  double number = 0;
  Cast* cast = call.engine.ToNumber(args[0], number) ? call.scene.CastAt(TableSlot(number)) : nullptr;
  if (!cast) cast = call.scene.FindCast(ArgText(call.engine, args[0]).c_str());
  if (cast) SetCastValue(result, call.scene.GetCastClass(), cast);
  else result.Clear();
}

// ---- messages, timers, the camera, parameters ----

void SendMessage(SceneCall& call, ScriptValue&, ScriptValue* args) {
  const Command& handler = call.scene.GetSceneCommand(kSceneOnMessage);
  if (handler.type == CommandType::None) return;
  ArgNumber(call.engine, args[0]);
  ScriptValue values[4];
  for (int i = 0; i < 4; ++i) values[i] = Resolved(call.engine, args[i]);
  call.scene.ExecuteCommand(handler, nullptr, values, 4);
}

void SetTimer(SceneCall& call, ScriptValue&, ScriptValue* args) {
  const std::int32_t delay = ArgInt(call.engine, args[0]);
  const std::int32_t id = ArgInt(call.engine, args[1]);
  const std::string function = ArgText(call.engine, args[2]);
  const ScriptValue values[3] = {Resolved(call.engine, args[3]), Resolved(call.engine, args[4]),
                                 Resolved(call.engine, args[5])};
  call.services.SetTimer(delay, id, function.c_str(), values);
}

void KillTimer(SceneCall& call, ScriptValue&, ScriptValue* args) {
  call.services.KillTimer(ArgInt(call.engine, args[0]));
}

void SwitchCamera(SceneCall& call, ScriptValue&, ScriptValue* args) {
  Cast* camera = ArgCast(call.scene, call.engine, args[0]);
  const std::int32_t mode = ArgInt(call.engine, args[1]);
  const std::int32_t frames = ArgInt(call.engine, args[2]);
  const std::int32_t x = ArgInt(call.engine, args[3]);
  call.services.SwitchCamera(camera, mode, frames, x);
}

void SetParam(SceneCall& call, ScriptValue&, ScriptValue* args) {
  const int index = ArgIndex(call.engine, args[0], kSceneParameterCount);
  call.scene.Parameter(index) = ArgStoredValue(call.engine, args[1]);
}

void GetParam(SceneCall& call, ScriptValue& result, ScriptValue* args) {
  result = call.scene.Parameter(ArgIndex(call.engine, args[0], kSceneParameterCount));
}

void EnableCountDown(SceneCall&, ScriptValue&, ScriptValue*) {}

// ---- colours, fades, the end of the scene, pausing ----

void GetClearColor(SceneCall& call, ScriptValue& out) { out.SetNumber(call.scene.GetClearColor()); }
void SetClearColor(SceneCall& call, const ScriptValue& in) { call.scene.SetClearColor(ArgWord(call.engine, in)); }
void GetRenderFlags(SceneCall& call, ScriptValue& out) { out.SetNumber(call.scene.GetRenderFlags()); }
void SetRenderFlags(SceneCall& call, const ScriptValue& in) { call.scene.SetRenderFlags(ArgWord(call.engine, in)); }

void AddFadeEffect(SceneCall& call, ScriptValue&, ScriptValue* args) {
  double n[6];
  for (int i = 0; i < 6; ++i) n[i] = ArgNumber(call.engine, args[i]);
  FadeRequest fade;
  // NaN passes every comparison-based clamp, and a total past the 32-bit
  // range would truncate to a negative count: both are held in range.
  auto within = [](double v, double low, double high) { return std::isnan(v) ? low : std::clamp(v, low, high); };
  const double total = within(n[0], 0.0, 2147483647.0);
  const double inEnd = within(n[1], 0.0, total);
  const double outStart = within(n[2], inEnd, total);
  fade.total = TruncateToInt32(total);
  fade.inEnd = TruncateToInt32(inEnd);
  fade.outStart = TruncateToInt32(outStart);
  fade.color1 = WordOfNumber(n[3]);
  fade.color2 = WordOfNumber(n[4]);
  fade.mode = WordOfNumber(n[5]);
  call.services.AddFade(fade);
}

void EndScene(SceneCall& call, ScriptValue&, ScriptValue*) { call.scene.SetFrameCounter(kSceneNotRunning); }

void Pause(SceneCall& call, ScriptValue&, ScriptValue* args) {
  call.scene.SetPausing(ArgNumber(call.engine, args[0]) != 0);
}

void IsPausing(SceneCall& call, ScriptValue& result, ScriptValue*) {
  result.SetNumber(call.scene.IsPausing() ? 1 : 0);
}

// ---- text ----

// The set's image, decoded here (or shared with the sets and materials that
// name the file already); null when it cannot be loaded. Such a set keeps its
// glyphs and draws nothing, so its author is told here, once per load, rather
// than by any frame that draws it.
std::shared_ptr<SharedTexture> LoadCharacterSetImage(const std::string& name) {
  const std::string path = GetProgramDir() + name;
  std::string why;
  std::shared_ptr<SharedTexture> image = LoadTextureFile(GetArchiveManager(), path, name, TextureLoadOptions{}, &why);
  if (!image) ReportContentFault(path, 0, why);
  return image;
}

void LoadCharacterSet(SceneCall& call, ScriptValue&, ScriptValue* args) {
  const int set = ArgIndex(call.engine, args[0], kCharacterSetCount);
  const std::string path = GetProgramDir() + ArgText(call.engine, args[1]);
  std::string why = "cannot be read";
  CharacterSetFile parsed;
  const bool read = LoadOrOutOfMemory(
      [&] {
        FileData bytes;
        if (!LoadFile(path, bytes)) return false;
        parsed = ParseCharacterSetFile(bytes.data());
        return true;
      },
      &why);
  if (!read) {
    // The set stays as it was.
    ReportContentFault(path, 0, why);
    return;
  }
  std::shared_ptr<SharedTexture> image;
  if (!parsed.image.empty()) image = LoadCharacterSetImage(parsed.image);
  call.services.SetCharacterSet(set, std::move(image), std::move(parsed.glyphs));
}

void PutCharacters(SceneCall& call, ScriptValue&, ScriptValue* args) {
  CCScript& engine = call.engine;
  CharacterRequest request;
  request.slot = ArgSlot(engine, args[0], kTextSlotCount);
  request.set = ArgSlot(engine, args[1], kCharacterSetCount);
  request.text = ArgSceneText(engine, args[2], call.services);
  request.color = ArgWord(engine, args[3]);
  float* numbers[] = {&request.x, &request.y, &request.pivotX, &request.pivotY, &request.scaleX, &request.scaleY};
  for (int i = 0; i < 6; ++i) *numbers[i] = static_cast<float>(ArgNumber(engine, args[4 + i]));
  request.angle = static_cast<float>(ArgNumber(engine, args[10])) * kDegToRad;
  request.angleStep = static_cast<float>(ArgNumber(engine, args[11])) * kDegToRad;
  request.duration = ArgInt(engine, args[12]);
  RequireRange(request.duration >= 0);
  request.flags = ArgWord(engine, args[13]);
  call.services.PutCharacters(request);
}

void DeleteCharacters(SceneCall& call, ScriptValue&, ScriptValue* args) {
  call.services.DeleteCharacters(ArgIndex(call.engine, args[0], kTextSlotCount));
}

void GetCharacterLength(SceneCall& call, ScriptValue& result, ScriptValue* args) {
  const int set = ArgSlot(call.engine, args[0], kCharacterSetCount);
  const std::string text = ArgSceneText(call.engine, args[1], call.services);
  result.SetNumber(call.services.CharacterLength(set, text));
}

void LoadStringList(SceneCall& call, ScriptValue&, ScriptValue* args) {
  call.services.LoadStringList(GetProgramDir() + ArgText(call.engine, args[0]));
}

void GetString(SceneCall& call, ScriptValue& result, ScriptValue* args) {
  std::string text;
  if (call.services.GetString(ArgInt(call.engine, args[0]), text)) result.SetString(text.c_str(), text.size());
  else result.Clear();
}

constexpr Row kSceneMembers[] = {
    Row::Method(SVT_Number, "RegisterClass", 1, RegisterClass),
    Row::Method(SVT_Number, "UnregisterClass", 1, UnregisterClass),
    Row::Method(SVT_Number, "AddCast", 1, AddCast),
    Row::Method(SVT_Number, "DeleteCast", 1, DeleteCast),
    Row::Method(SVT_Number, "ClearCastSelection", 0, ClearCastSelection),
    Row::Method(SVT_Number, "SelectCast", 1, SelectCast),
    Row::Method(SVT_Number, "GetCast", 1, GetCast),
    Row::Method(SVT_None, "SendMessage", 4, SendMessage),
    Row::Method(SVT_None, "SetTimer", 6, SetTimer),
    Row::Method(SVT_None, "KillTimer", 1, KillTimer),
    Row::Method(SVT_None, "SwitchCamera", 4, SwitchCamera),
    Row::Method(SVT_None, "SetParam", 2, SetParam),
    Row::Method(SVT_None, "GetParam", 1, GetParam),
    Row::Method(SVT_None, "EnableCountDown", 1, EnableCountDown),
    Row::ReadWrite(SVT_Number, "ClearColor", GetClearColor, SetClearColor),
    Row::ReadWrite(SVT_Number, "RenderFlags", GetRenderFlags, SetRenderFlags),
    Row::Method(SVT_None, "AddFadeEffect", 6, AddFadeEffect),
    Row::Method(SVT_None, "EndScene", 0, EndScene),
    Row::Method(SVT_None, "LoadCharacterSet", 2, LoadCharacterSet),
    Row::Method(SVT_None, "PutCharacters", 14, PutCharacters),
    Row::Method(SVT_None, "DeleteCharacters", 1, DeleteCharacters),
    Row::Method(SVT_Number, "GetCharacterLength", 2, GetCharacterLength),
    Row::Method(SVT_None, "LoadStringList", 1, LoadStringList),
    Row::Method(SVT_String, "GetString", 1, GetString),
    Row::Method(SVT_None, "Pause", 1, Pause),
    Row::Method(SVT_Number, "IsPausing", 0, IsPausing),
};

}  // namespace

SceneClass::SceneClass(SceneClasses& classes) : TableClassObject("Scene", kSceneMembers), classes_(classes) {}

void* SceneClass::GetOwner() { return static_cast<void*>(&classes_.GetScene()); }

bool SceneClass::CallMethod(int member, void* instance, ScriptValue& result, ScriptValue* args, int argCount,
                            CCScript& engine) {
  result.SetNumber(0);
  return TableClassObject::CallMethod(member, instance, result, args, argCount, engine);
}

SceneCall SceneClass::Bind(void*, CCScript& engine) { return {classes_.GetScene(), classes_.Services(), engine}; }
