// Cast members: the member table, the properties, and the members that place,
// turn and move a cast or change its motion.
#include "classes/cast_class.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "motion/motion.h"
#include "motion/object_class.h"
#include "platform/math/matrix.h"
#include "platform/math/quaternion.h"
#include "platform/math/vector.h"
#include "platform/system/numbers.h"
#include "scene/cast/cast.h"
#include "scene/cast/cast_angles.h"
#include "scene/scene.h"

namespace {

constexpr float kDegToRad = 0.017453292f;
constexpr float kRadToDeg = 57.29578f;

constexpr MemberRecord kCastMembers[] = {
    {MK_ReadWrite, SVT_String, "Name", 0, 0},
    {MK_ReadWrite, SVT_Number, "Flags", 0, 0},
    {MK_ReadWrite, SVT_Number, "FlagMask", 0, 0},
    {MK_ReadWrite, SVT_Number, "X", 0, 0},
    {MK_ReadWrite, SVT_Number, "Y", 0, 0},
    {MK_ReadWrite, SVT_Number, "Z", 0, 0},
    {MK_ReadWrite, SVT_Number, "XSpeed", 0, 0},
    {MK_ReadWrite, SVT_Number, "YSpeed", 0, 0},
    {MK_ReadWrite, SVT_Number, "ZSpeed", 0, 0},
    {MK_ReadWrite, SVT_Number, "RX", 0, 0},
    {MK_ReadWrite, SVT_Number, "RY", 0, 0},
    {MK_ReadWrite, SVT_Number, "RZ", 0, 0},
    {MK_ReadWrite, SVT_Number, "RW", 0, 0},
    {MK_ReadOnly, SVT_Number, "RegionType", 0, 0},
    {MK_ReadOnly, SVT_Number, "RegionRadius", 0, 0},
    {MK_ReadOnly, SVT_Number, "RegionHeight", 0, 0},
    {MK_Method, SVT_None, "SetParam", 0, 2},
    {MK_Method, SVT_Reference, "GetParam", 0, 1},
    {MK_Method, SVT_None, "RotateYaw", 0, 1},
    {MK_Method, SVT_None, "RotatePitch", 0, 1},
    {MK_Method, SVT_None, "RotateRoll", 0, 1},
    {MK_Method, SVT_Number, "GetYaw", 0, 0},
    {MK_Method, SVT_Number, "GetPitch", 0, 0},
    {MK_Method, SVT_Number, "GetRoll", 0, 0},
    {MK_Method, SVT_None, "Horizontalize", 0, 0},
    {MK_Method, SVT_None, "ResetPosition", 0, 0},
    {MK_Method, SVT_None, "ResetRotation", 0, 0},
    {MK_Method, SVT_None, "MoveCameraPos", 0, 1},
    {MK_Method, SVT_None, "SetCameraGuide", 0, 4},
    {MK_Method, SVT_None, "MoveCastToFrame", 0, 3},
    {MK_Method, SVT_None, "SetMotion", 0, 1},
    {MK_Method, SVT_None, "GetMotionIdx", 0, 0},
    {MK_Method, SVT_None, "GetMotionName", 0, 0},
    {MK_Method, SVT_None, "SetMotionTime", 0, 1},
    {MK_Method, SVT_Number, "GetScreenYaw", 0, 1},
    {MK_Method, SVT_None, "RotateBySpeed", 0, 0},
    {MK_Method, SVT_Number, "GetObstacleHitYawAngle", 0, 0},
    {MK_Method, SVT_Number, "GetObstacleHitGroundAngle", 0, 0},
    {MK_Method, SVT_Number, "Joint", 0, 3},
    {MK_Method, SVT_Number, "DisjointParent", 0, 0},
    {MK_Method, SVT_Number, "DisjointChild", 0, 0},
    {MK_Method, SVT_Number, "GetParent", 0, 0},
    {MK_Method, SVT_Number, "GetChild", 0, 0},
    {MK_Method, SVT_None, "ClearIK", 0, 0},
    {MK_Method, SVT_None, "AddIKFrame", 0, 4},
    {MK_Method, SVT_None, "Delete", 0, 0},
    {MK_Method, SVT_None, "ClearRail", 0, 0},
    {MK_Method, SVT_None, "AddRailCast", 0, 2},
    {MK_Method, SVT_None, "AddRailPos", 0, 2},
    {MK_Method, SVT_None, "RunOnTheRail", 0, 2},
    {MK_Method, SVT_None, "DeleteEdgeStopper", 0, 2},
    {MK_Method, SVT_None, "StartMoving", 0, 7},
    {MK_Method, SVT_None, "PlaySound", 0, 3},
};

float& Component(Vector3& v, int axis) { return axis == 0 ? v.x : axis == 1 ? v.y : v.z; }
float& Component(Quaternion& q, int axis) { return axis == 0 ? q.x : axis == 1 ? q.y : axis == 2 ? q.z : q.w; }

// A row of a matrix as a direction.
Vector3 Row(const Matrix& m, int row) {
  const auto r = static_cast<std::size_t>(row);
  return {m.m[r][0], m.m[r][1], m.m[r][2]};
}

}  // namespace

Cast* ArgCast(CCScript& engine, const ScriptValue& value) {
  void* instance = ArgObject(engine, value, "Cast");
  if (!instance) return nullptr;
  Cast* cast = CastOfInstance(instance);
  // A handle kept past its cast's deletion (or past the scene) is an error of
  // the script, not an empty argument.
  if (!cast) ThrowScriptError(ERR_NO_INSTANCE);
  return cast;
}

Cast& RequireCast(void* instance) {
  Cast* cast = CastOfInstance(RequireInstance(instance));
  if (!cast) ThrowScriptError(ERR_NO_INSTANCE);
  return *cast;
}

CastClass::CastClass(Scene& scene)
    : ClassObject("Cast", kCastMembers, std::size(kCastMembers)), scene_(scene) {}

bool CastClass::GetProperty(int member, void* instance, ScriptValue& out, CCScript&) {
  if (member < kName || member > kRegionHeight) return false;
  Cast& cast = RequireCast(instance);
  out.SetNumber(0);
  switch (member) {
    case kName: out.SetString(cast.GetName()); break;
    case kFlags: out.SetNumber(cast.GetOwnFlags()); break;
    case kFlagMask: out.SetNumber(cast.GetFlagMask()); break;
    case kX: case kY: case kZ: {
      Vector3 p = cast.GetPosition();
      out.SetNumber(Component(p, member - kX));
      break;
    }
    case kXSpeed: case kYSpeed: case kZSpeed: {
      Vector3 v = cast.GetSpeed();
      out.SetNumber(Component(v, member - kXSpeed));
      break;
    }
    case kRX: case kRY: case kRZ: case kRW: {
      Quaternion q = cast.GetRotation();
      out.SetNumber(Component(q, member - kRX));
      break;
    }
    case kRegionType: out.SetNumber(cast.GetRegionType()); break;
    case kRegionRadius: out.SetNumber(cast.GetRegionRadius()); break;
    case kRegionHeight: out.SetNumber(cast.GetRegionHeight()); break;
    default: break;
  }
  return true;
}

bool CastClass::SetProperty(int member, void* instance, const ScriptValue& in, CCScript& engine) {
  if (member < kName || member > kRW) return false;
  Cast& cast = RequireCast(instance);
  switch (member) {
    case kName: cast.SetName(ArgText(engine, in).c_str()); break;
    case kFlags: cast.SetOwnFlags(ArgWord(engine, in)); break;
    case kFlagMask: cast.SetFlagMask(ArgWord(engine, in)); break;
    case kX: case kY: case kZ: {
      Vector3 p = cast.GetPosition();
      Component(p, member - kX) = static_cast<float>(ArgNumber(engine, in));
      // A jump, not a move: nothing sees a movement this frame.
      cast.SetPositionBoth(p);
      break;
    }
    case kXSpeed: case kYSpeed: case kZSpeed: {
      Vector3 v = cast.GetSpeed();
      Component(v, member - kXSpeed) = static_cast<float>(ArgNumber(engine, in));
      cast.SetSpeed(v);
      break;
    }
    default: {
      const auto value = static_cast<float>(ArgNumber(engine, in));
      Quaternion q = cast.GetRotation();
      Quaternion previous = cast.GetPreviousRotation();
      Component(q, member - kRX) = value;
      Component(previous, member - kRX) = value;
      cast.SetRotation(q);
      cast.SetPreviousRotation(previous);
      break;
    }
  }
  return true;
}

bool CastClass::CallMethod(int member, void* instance, ScriptValue& result, ScriptValue* args, int,
                           CCScript& engine) {
  if (member < kSetParam || member > kPlaySound) return false;
  Cast& cast = RequireCast(instance);
  return CallPlacement(member, cast, result, args, engine) || CallMotion(member, cast, result, args, engine) ||
         CallLinks(member, cast, result, args, engine);
}

bool CastClass::CallPlacement(int member, Cast& cast, ScriptValue& result, ScriptValue* args, CCScript& engine) {
  switch (member) {
    case kSetParam: {
      const int index = ArgIndex(engine, args[0], kCastPropertyCount);
      ScriptValue value;
      double number = 0;
      std::string text;
      if (engine.ToNumber(args[1], number)) {
        value.SetNumber(number);
      } else if (TryArgText(engine, args[1], text)) {
        value.SetString(text.c_str(), text.size());
      } else {
        ThrowScriptError(ERR_ARGUMENT_TYPE);
      }
      cast.Property(index) = std::move(value);
      return true;
    }
    case kGetParam:
      result = cast.Property(ArgIndex(engine, args[0], kCastPropertyCount));
      return true;
    case kRotateYaw: case kRotatePitch: case kRotateRoll: {
      const float angle = static_cast<float>(ArgNumber(engine, args[0])) * kDegToRad;
      const int row = member == kRotateYaw ? 1 : member == kRotatePitch ? 0 : 2;
      const Vector3 axis = Row(cast.GetWorldMatrix(false), row);
      cast.SetRotation(QuaternionMultiply(cast.GetRotation(), QuaternionRotationAxis(axis, angle)));
      return true;
    }
    case kGetYaw: case kGetPitch: case kGetRoll: {
      const EulerAngles angles = QuatToEuler(cast.GetRotation());
      const float angle = member == kGetYaw ? angles.y : member == kGetPitch ? angles.x : angles.z;
      result.SetNumber(angle * kRadToDeg);
      return true;
    }
    case kHorizontalize: {
      const Vector3 t = Vec3TransformCoord({1.0f, 0.0f, 0.0f}, MatrixRotationQuaternion(cast.GetRotation()));
      const float yaw = -(Angle2D(t.x, t.z) - Angle2D(1.0f, 0.0f));
      cast.SetRotation(QuaternionRotationYawPitchRoll(yaw, 0.0f, 0.0f));
      return true;
    }
    case kResetPosition: cast.SetPosition(cast.GetInitPos()); return true;
    case kResetRotation: cast.SetRotation(cast.GetInitRotate()); return true;
    case kGetScreenYaw: {
      const float r = static_cast<float>(ArgNumber(engine, args[0])) * std::numbers::pi_v<float> / 180.0f;
      const Matrix c = MatrixRotationQuaternion(cast.GetRotation()) * scene_.GetViewMatrix();
      const Vector3 f = Vec3TransformCoord({0.0f, 0.0f, 1.0f}, c) - Vec3TransformCoord({0.0f, 0.0f, 0.0f}, c);
      float a = (Angle2D(f.x, f.z) - Angle2D(std::sin(r), std::cos(r))) * 180.0f / std::numbers::pi_v<float>;
      if (a >= 180.0f) a -= 360.0f;
      if (a <= -180.0f) a += 360.0f;
      result.SetNumber(a);
      return true;
    }
    case kRotateBySpeed: {
      const Vector3 axis = Row(MatrixRotationQuaternion(cast.GetRotation()), 0);
      const Vector3& speed = cast.GetSpeed();
      cast.SetAngularSpeed(QuaternionRotationAxis(axis, -Angle2D(speed.z, speed.y)));
      return true;
    }
    case kGetObstacleHitYawAngle: case kGetObstacleHitGroundAngle: {
      float angle = 0.0f;
      const bool contact = member == kGetObstacleHitYawAngle ? Services().CastObstacleHitYaw(cast, angle)
                                                              : cast.GetObstacleHitGroundAngle(angle);
      if (contact) result.SetNumber(angle * kRadToDeg);
      else result.Clear();
      return true;
    }
    case kStartMoving: {
      double n[7];
      for (int i = 0; i < 6; ++i) n[i] = ArgNumber(engine, args[i]);
      const std::int32_t frames = ArgInt(engine, args[6]);
      const Vector3 step{static_cast<float>(n[0]), static_cast<float>(n[1]), static_cast<float>(n[2])};
      const Quaternion turn = QuaternionRotationYawPitchRoll(static_cast<float>(n[3]) * kDegToRad,
                                                             static_cast<float>(n[4]) * kDegToRad,
                                                             static_cast<float>(n[5]) * kDegToRad);
      cast.StartMoving(step, turn, frames);
      return true;
    }
    case kPlaySound: {
      // Louder near the camera, panned by its side of the view.
      const Vector3 v = Vec3TransformCoord(cast.GetPosition(), scene_.GetViewMatrix());
      const float d2 = v.x * v.x + v.y * v.y + v.z * v.z;
      float gain = 1.0f - (d2 - 250000.0f) / 16000000.0f;
      gain = gain < 0.0f ? 0.0f : gain > 1.0f ? 1.0f : gain;
      const float pan = std::cos(Angle2D(v.x, v.z));
      const std::uint32_t id = ArgSoundId(engine, args[0]);
      const double volume = ArgNumber(engine, args[1]);
      RequireRange(volume >= 0.0 && volume <= 1.0);
      const auto start = static_cast<float>(ArgNumber(engine, args[2]));
      Services().PlaySound(id, static_cast<float>(volume) * gain, pan, start);
      return true;
    }
    default:
      return false;
  }
}

bool CastClass::CallMotion(int member, Cast& cast, ScriptValue& result, ScriptValue* args, CCScript& engine) {
  switch (member) {
    case kSetMotion: {
      double number = 0;
      std::int32_t index = -1;
      if (engine.ToNumber(args[0], number)) {
        index = TruncateToInt32(number);
      } else {
        const std::string name = ArgText(engine, args[0]);
        if (ObjectClass* cls = cast.GetClass()) index = cls->FindMotionIndex(name.c_str());
      }
      if (index != -1) cast.SetMotion(index, &scene_);
      return true;
    }
    case kGetMotionIdx: result.SetNumber(cast.GetMotionIndex()); return true;
    case kGetMotionName:
      // A cast without a class or without that motion has no name to give.
      if (const Motion* motion = cast.GetCurrentMotion()) result.SetString(motion->GetName());
      return true;
    case kSetMotionTime: cast.SetMotionTime(ArgInt(engine, args[0]), &scene_); return true;
    case kMoveCastToFrame: {
      const std::string frame = ArgExactString(engine, args[0]);
      Cast* other = ArgCast(engine, args[1]);
      const std::string otherFrame = ArgExactString(engine, args[2]);
      if (!other) return true;
      const CastHandle self = cast.GetHandle();
      const CastHandle moved = other->GetHandle();
      Matrix m = Services().CastFrameMatrix(cast, frame.c_str());
      Cast* here = self.Get();
      Cast* target = moved.Get();
      if (!here || !target) return true;  // posing ran no script, but stay safe
      m = m * MatrixRotationQuaternion(here->GetRotation()) *
          MatrixTranslation(here->GetPosition().x, here->GetPosition().y, here->GetPosition().z);
      Matrix inverse;
      const Matrix combined = Services().CastFrameMatrix(*target, otherFrame.c_str());
      if (!MatrixInverse(&inverse, nullptr, combined)) inverse = MatrixIdentity();
      target->SetPosition(Vec3TransformCoord(Row(inverse, 3), m));
      target->SetRotation(QuaternionRotationMatrix(m));
      return true;
    }
    default:
      return false;
  }
}
