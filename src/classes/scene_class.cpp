// Scene members: classes, casts, messages, timers, the camera, parameters,
// colours, fades, the end of the scene and pausing.
#include "classes/scene_class.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "files/archive.h"
#include "motion/object_class.h"
#include "platform/system/numbers.h"
#include "classes/cast_class.h"
#include "scene/scene.h"

const MemberRecord kSceneMembers[] = {
    {MK_Method, SVT_Number, "RegisterClass", 0, 1},
    {MK_Method, SVT_Number, "UnregisterClass", 0, 1},
    {MK_Method, SVT_Number, "AddCast", 0, 1},
    {MK_Method, SVT_Number, "DeleteCast", 0, 1},
    {MK_Method, SVT_Number, "ClearCastSelection", 0, 0},
    {MK_Method, SVT_Number, "SelectCast", 0, 1},
    {MK_Method, SVT_Number, "GetCast", 0, 1},
    {MK_Method, SVT_None, "SendMessage", 0, 4},
    {MK_Method, SVT_None, "SetTimer", 0, 6},
    {MK_Method, SVT_None, "KillTimer", 0, 1},
    {MK_Method, SVT_None, "SwitchCamera", 0, 4},
    {MK_Method, SVT_None, "SetParam", 0, 2},
    {MK_Method, SVT_None, "GetParam", 0, 1},
    {MK_Method, SVT_None, "EnableCountDown", 0, 1},
    {MK_ReadWrite, SVT_Number, "ClearColor", 0, 0},
    {MK_ReadWrite, SVT_Number, "RenderFlags", 0, 0},
    {MK_Method, SVT_None, "AddFadeEffect", 0, 6},
    {MK_Method, SVT_None, "EndScene", 0, 0},
    {MK_Method, SVT_None, "LoadCharacterSet", 0, 2},
    {MK_Method, SVT_None, "PutCharacters", 0, 14},
    {MK_Method, SVT_None, "DeleteCharacters", 0, 1},
    {MK_Method, SVT_Number, "GetCharacterLength", 0, 2},
    {MK_Method, SVT_None, "LoadStringList", 0, 1},
    {MK_Method, SVT_String, "GetString", 0, 1},
    {MK_Method, SVT_None, "Pause", 0, 1},
    {MK_Method, SVT_Number, "IsPausing", 0, 0},
};
const std::size_t kSceneMemberCount = std::size(kSceneMembers);

namespace {

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

}  // namespace

bool Scene::GetProperty(int member, void*, ScriptValue& out, CCScript&) {
  if (member == kSceneClearColor) out.SetNumber(clearColor_);
  else if (member == kSceneRenderFlags) out.SetNumber(renderFlags_);
  else return false;
  return true;
}

bool Scene::SetProperty(int member, void*, const ScriptValue& in, CCScript& engine) {
  if (member == kSceneClearColor) clearColor_ = ArgWord(engine, in);
  else if (member == kSceneRenderFlags) SetRenderFlags(ArgWord(engine, in));
  else return false;
  return true;
}

bool Scene::CallMethod(int member, void*, ScriptValue& result, ScriptValue* args, int, CCScript& engine) {
  result.SetNumber(0);
  switch (member) {
    case kSceneRegisterClass: {
      // Named below the program folder like every other content file.
      const std::string path = GetProgramDir() + ArgText(engine, args[0]);
      if (path.size() < kClassPathSize && RegisterClass(std::string_view(path))) result.SetNumber(1);
      return true;
    }
    case kSceneUnregisterClass: {
      const std::int32_t index = ArgInt(engine, args[0]);
      // Outside the table there is nothing to remove.
      if (index >= 0 && index < kClassTableSize && UnregisterClass(index)) result.SetNumber(1);
      return true;
    }
    case kSceneAddCast: {
      ObjectClass* cls = nullptr;
      double number = 0;
      if (engine.ToNumber(args[0], number)) cls = ClassAt(TableSlot(number));
      else cls = FindObjectClass(ArgText(engine, args[0]).c_str());
      if (!cls) return true;
      Cast* cast = CreateCast(cls);
      if (!cast) {
        result.Clear();
        return true;
      }
      cast->InvalidateFlags();
      if (IsRunning()) {
        cast->Reset();
        cast->SetOwnFlags(cast->GetOwnFlags() | kCastAddedWhileRunning);
        SetCastValue(result, GetCastClass(), cast);
        // Its hook may delete it again; the value then reads as deleted.
        cast->OnCreate(*this);
      }
      return true;
    }
    case kSceneDeleteCast: {
      std::string name;
      Cast* cast = TryArgText(engine, args[0], name) ? FindCast(name.c_str()) : ArgCast(engine, args[0]);
      if (cast && DeleteCast(cast)) result.SetNumber(1);
      return true;
    }
    case kSceneClearCastSelection:
      for (int i = 0; i < castCount_; ++i) casts_[static_cast<std::size_t>(i)]->SetSelected(false);
      result.SetNumber(1);
      return true;
    case kSceneSelectCast: {
      if (Cast* cast = FindCast(ArgText(engine, args[0]).c_str())) {
        cast->SetSelected(true);
        result.SetNumber(1);
      }
      return true;
    }
    case kSceneGetCast: {
      double number = 0;
      Cast* cast = engine.ToNumber(args[0], number) ? CastAt(TableSlot(number)) : nullptr;
      if (!cast) cast = FindCast(ArgText(engine, args[0]).c_str());
      if (cast) SetCastValue(result, GetCastClass(), cast);
      else result.Clear();
      return true;
    }
    case kSceneSendMessage: {
      const Command& handler = commands_[kSceneOnMessage];
      if (handler.type == CommandType::None) return true;
      ArgNumber(engine, args[0]);
      ScriptValue values[4];
      for (int i = 0; i < 4; ++i) values[i] = Resolved(engine, args[i]);
      ExecuteCommand(handler, nullptr, values, 4);
      return true;
    }
    case kSceneSetTimer: {
      const std::int32_t delay = ArgInt(engine, args[0]);
      const std::int32_t id = ArgInt(engine, args[1]);
      const std::string function = ArgText(engine, args[2]);
      const ScriptValue values[3] = {Resolved(engine, args[3]), Resolved(engine, args[4]), Resolved(engine, args[5])};
      GetCastObject().Services().SetTimer(delay, id, function.c_str(), values);
      return true;
    }
    case kSceneKillTimer: GetCastObject().Services().KillTimer(ArgInt(engine, args[0])); return true;
    case kSceneSwitchCamera: {
      Cast* camera = ArgCast(engine, args[0]);
      const std::int32_t mode = ArgInt(engine, args[1]);
      const std::int32_t frames = ArgInt(engine, args[2]);
      const std::int32_t x = ArgInt(engine, args[3]);
      GetCastObject().Services().SwitchCamera(camera, mode, frames, x);
      return true;
    }
    case kSceneSetParam: {
      const int index = ArgIndex(engine, args[0], kSceneParameterCount);
      double number = 0;
      std::string text;
      if (engine.ToNumber(args[1], number)) Parameter(index).SetNumber(number);
      else if (TryArgText(engine, args[1], text)) Parameter(index).SetString(text.c_str(), text.size());
      else ThrowScriptError(ERR_ARGUMENT_TYPE);
      return true;
    }
    case kSceneGetParam: result = Parameter(ArgIndex(engine, args[0], kSceneParameterCount)); return true;
    case kSceneEnableCountDown: return true;
    case kSceneAddFadeEffect: {
      double n[6];
      for (int i = 0; i < 6; ++i) n[i] = ArgNumber(engine, args[i]);
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
      fade.color1 = static_cast<std::uint32_t>(TruncateToInt32(n[3]));
      fade.color2 = static_cast<std::uint32_t>(TruncateToInt32(n[4]));
      fade.mode = static_cast<std::uint32_t>(TruncateToInt32(n[5]));
      GetCastObject().Services().AddFade(fade);
      return true;
    }
    case kSceneEndScene: SetFrameCounter(kSceneNotRunning); return true;
    case kScenePause: SetPausing(ArgNumber(engine, args[0]) != 0); return true;
    case kSceneIsPausing: result.SetNumber(IsPausing() ? 1 : 0); return true;
    default: return CallTextMethod(member, result, args, engine);
  }
}
