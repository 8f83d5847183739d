// The Test script class of the run-loop tests.
#include "run_harness.h"

#include "motion/object_class.h"
#include "scene/cast/cast_handle.h"

namespace {

enum Member { kLog, kFrame, kNow, kEndScene, kSetTimer, kKillTimer, kAddCast, kDeleteCast, kName, kCastCount,
              kTimers, kPad, kFail, kFade, kSlot, kCamera };

std::string Num(double value) { return NumberToText(value); }

std::string Argb(const std::array<std::uint8_t, 4>& c) {
  return std::to_string(c[0]) + "," + std::to_string(c[1]) + "," + std::to_string(c[2]) + "," + std::to_string(c[3]);
}

std::string Describe(const TextState& state) {
  return std::string("\"") + state.text.data() + "\" " + Num(state.x) + "," + Num(state.y) + " " + Argb(state.color);
}

std::string CastName(const CastHandle& handle) {
  const Cast* cast = handle.Get();
  return cast ? cast->GetName() : "-";
}

}  // namespace

TestClass::TestClass(std::string& trace, Scene& scene, FrameClock& clock)
    : ClassObject("Test", {{MK_Method, SVT_None, "Log", 0, 1},
                           {MK_Method, SVT_Number, "Frame", 0, 0},
                           {MK_Method, SVT_Number, "Now", 0, 0},
                           {MK_Method, SVT_None, "EndScene", 0, 0},
                           {MK_Method, SVT_Number, "SetTimer", 0, 6},
                           {MK_Method, SVT_None, "KillTimer", 0, 1},
                           {MK_Method, SVT_None, "AddCast", 0, 1},
                           {MK_Method, SVT_Number, "DeleteCast", 0, 1},
                           {MK_Method, SVT_String, "Name", 0, 1},
                           {MK_Method, SVT_Number, "CastCount", 0, 0},
                           {MK_Method, SVT_Number, "Timers", 0, 0},
                           {MK_Method, SVT_Number, "Pad", 0, 0},
                           {MK_Method, SVT_None, "Fail", 0, 0},
                           {MK_Method, SVT_String, "Fade", 0, 1},
                           {MK_Method, SVT_String, "Slot", 0, 1},
                           {MK_Method, SVT_String, "Camera", 0, 0}}),
      trace_(trace),
      scene_(scene),
      clock_(clock) {}

bool TestClass::CallMethod(int member, void*, ScriptValue& result, ScriptValue* args, int, CCScript& engine) {
  switch (member) {
    case kLog: trace_ += ArgText(engine, args[0]) + "\n"; return true;
    case kFrame: result.SetNumber(static_cast<std::int32_t>(scene_.GetFrameCounter())); return true;
    case kNow: result.SetNumber(clock_.NowMs()); return true;
    case kEndScene: scene_.EndScene(); return true;
    case kSetTimer:
      result.SetNumber(scene_.SetTimer(ArgInt(engine, args[0]), ArgInt(engine, args[1]),
                                       ArgText(engine, args[2]).c_str(), args + 3, 3));
      return true;
    case kKillTimer: scene_.KillTimer(ArgInt(engine, args[0])); return true;
    case kAddCast:
      // As a script adds a cast while the scene runs.
      if (Cast* cast = scene_.CreateCast(scene_.FindObjectClass(ArgText(engine, args[0]).c_str()))) {
        cast->Reset();
        cast->SetOwnFlags(cast->GetOwnFlags() | kCastAddedWhileRunning);
        cast->OnCreate(scene_);
      }
      return true;
    case kDeleteCast: result.SetNumber(scene_.DeleteCast(scene_.FindCast(ArgText(engine, args[0]).c_str()))); return true;
    case kName:
      if (const ScriptValue* value = engine.FollowReferences(args[0]))
        if (const Cast* cast = scene_.CastOfValue(*value)) result.SetString(cast->GetName());
      return true;
    case kCastCount: result.SetNumber(scene_.CastCount()); return true;
    case kTimers: result.SetNumber(scene_.GetTimerCount()); return true;
    case kPad: result.SetNumber(scene_.GetInput() ? scene_.GetInput()->GetPadButtons() : 0); return true;
    case kFail: ThrowScriptError(ERR_OUT_OF_RANGE);
    case kFade: {
      const FadeSlot& fade = scene_.Fade(ArgIndex(engine, args[0], kFadeSlotCount));
      const std::string text = fade.active == 0 ? "free"
                                                : Num(fade.elapsed) + "/" + Num(fade.total) + " in " + Num(fade.inEnd) +
                                                      " out " + Num(fade.outStart) + " " + Argb(fade.color1) + " " +
                                                      Argb(fade.color2) + " blend " + Num(fade.blendMode);
      result.SetString(text.c_str());
      return true;
    }
    case kSlot: {
      const CharacterSlot& slot = scene_.TextSlot(ArgIndex(engine, args[0], kTextSlotCount));
      std::string text = "free";
      if (slot.flags & kTextSlotInUse) {
        text = "set " + Num(slot.characterSet) + ((slot.flags & kTextSlotCrossFade) ? " cross" : "") + " " +
               Num(slot.elapsed) + "/" + Num(slot.duration) + " old " + Describe(slot.oldState) + " new " +
               Describe(slot.newState);
      }
      result.SetString(text.c_str());
      return true;
    }
    case kCamera: {
      const CameraSwitch& camera = scene_.GetCameraSwitch();
      const std::string text = CastName(camera.current) + " -> " + CastName(camera.next) + " " +
                               Num(camera.elapsed) + "/" + Num(camera.frames) + " mode " + Num(camera.mode);
      result.SetString(text.c_str());
      return true;
    }
    default: return false;
  }
}

RunHarness::RunHarness() {
  RunHost host;
  host.clock = &clock;
  host.input = &input;
  host.device = &device;
  host.window = &window;
  scene.SetRunHost(host);
  scene.RegisterClass(static_cast<NativeClass*>(&test));
  // A case that never ends fails instead of hanging the suite.
  window.QuitAtPump(100000);
}
