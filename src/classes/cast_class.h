// CastClass: the "Cast" script class, whose members read and change the cast an
// object value designates. The scene holds the one object and registers it with its engine.
#pragma once

#include "classes/class_object.h"
#include "classes/script_services.h"
#include "classes/scene_services.h"

class Cast;
class Scene;

class CastClass : public ClassObject {
 public:
  enum Member {
    kName, kFlags, kFlagMask, kX, kY, kZ, kXSpeed, kYSpeed, kZSpeed, kRX, kRY, kRZ, kRW,
    kRegionType, kRegionRadius, kRegionHeight,
    kSetParam, kGetParam, kRotateYaw, kRotatePitch, kRotateRoll, kGetYaw, kGetPitch, kGetRoll,
    kHorizontalize, kResetPosition, kResetRotation, kMoveCameraPos, kSetCameraGuide, kMoveCastToFrame,
    kSetMotion, kGetMotionIdx, kGetMotionName, kSetMotionTime, kGetScreenYaw, kRotateBySpeed,
    kGetObstacleHitYawAngle, kGetObstacleHitGroundAngle, kJoint, kDisjointParent, kDisjointChild,
    kGetParent, kGetChild, kClearIK, kAddIKFrame, kDelete, kClearRail, kAddRailCast, kAddRailPos,
    kRunOnTheRail, kDeleteEdgeStopper, kStartMoving, kPlaySound,
  };

  explicit CastClass(Scene& scene);
  bool GetProperty(int member, void* instance, ScriptValue& out, CCScript& engine) override;
  bool SetProperty(int member, void* instance, const ScriptValue& in, CCScript& engine) override;
  bool CallMethod(int member, void* instance, ScriptValue& result, ScriptValue* args, int argCount,
                  CCScript& engine) override;

  // What the members ask of posing, contacts, camera, sound and the scene's
  // run-time records: the scene's own until a test puts another in place.
  ScriptServices& Services() { return *services_; }
  void SetServices(ScriptServices* services) { services_ = services ? services : &own_; }

 private:
  // Each member family in a function of its own (cast_class.cpp, cast_class_links.cpp).
  bool CallPlacement(int member, Cast& cast, ScriptValue& result, ScriptValue* args, CCScript& engine);
  bool CallMotion(int member, Cast& cast, ScriptValue& result, ScriptValue* args, CCScript& engine);
  bool CallLinks(int member, Cast& cast, ScriptValue& result, ScriptValue* args, CCScript& engine);

  Scene& scene_;
  SceneServices own_{scene_};
  ScriptServices* services_ = &own_;
};

// A cast argument: an object of class "Cast" (36 otherwise). Null for the
// class used by itself; 44 for a cast that has been deleted.
Cast* ArgCast(CCScript& engine, const ScriptValue& value);
// The cast a member was called on: 44 without one or when it has been deleted.
Cast& RequireCast(void* instance);
