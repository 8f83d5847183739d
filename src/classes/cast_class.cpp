// Cast members: the member table, the properties, and the members that place,
// turn and move a cast or change its motion.
#include "classes/cast_class.h"

#include <cmath>
#include <numbers>
#include <string>
#include <utility>

#include "classes/cast_members.h"
#include "classes/script_classes.h"
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

using Row = MemberRow<CastCall>;

constexpr float kDegToRad = 0.017453292f;
constexpr float kRadToDeg = 57.29578f;

float& Component(Vector3& v, int axis) { return axis == 0 ? v.x : axis == 1 ? v.y : v.z; }
float& Component(Quaternion& q, int axis) { return axis == 0 ? q.x : axis == 1 ? q.y : axis == 2 ? q.z : q.w; }

// A row of a matrix as a direction.
Vector3 MatrixRow(const Matrix& m, int row) {
  const auto r = static_cast<std::size_t>(row);
  return {m.m[r][0], m.m[r][1], m.m[r][2]};
}

// ---- properties ----

void GetName(CastCall& call, ScriptValue& out) { out.SetString(call.cast.GetName()); }
void SetName(CastCall& call, const ScriptValue& in) { call.cast.SetName(ArgText(call.engine, in).c_str()); }
void GetFlags(CastCall& call, ScriptValue& out) { out.SetNumber(call.cast.GetOwnFlags()); }
void SetFlags(CastCall& call, const ScriptValue& in) { call.cast.SetOwnFlags(ArgWord(call.engine, in)); }
void GetFlagMask(CastCall& call, ScriptValue& out) { out.SetNumber(call.cast.GetFlagMask()); }
void SetFlagMask(CastCall& call, const ScriptValue& in) { call.cast.SetFlagMask(ArgWord(call.engine, in)); }

template <int Axis>
void GetPosition(CastCall& call, ScriptValue& out) {
  Vector3 p = call.cast.GetPosition();
  out.SetNumber(Component(p, Axis));
}
template <int Axis>
void SetPosition(CastCall& call, const ScriptValue& in) {
  Vector3 p = call.cast.GetPosition();
  Component(p, Axis) = static_cast<float>(ArgNumber(call.engine, in));
  // A jump, not a move: nothing sees a movement this frame.
  call.cast.SetPositionBoth(p);
}

template <int Axis>
void GetSpeed(CastCall& call, ScriptValue& out) {
  Vector3 v = call.cast.GetSpeed();
  out.SetNumber(Component(v, Axis));
}
template <int Axis>
void SetSpeed(CastCall& call, const ScriptValue& in) {
  Vector3 v = call.cast.GetSpeed();
  Component(v, Axis) = static_cast<float>(ArgNumber(call.engine, in));
  call.cast.SetSpeed(v);
}

template <int Axis>
void GetRotation(CastCall& call, ScriptValue& out) {
  Quaternion q = call.cast.GetRotation();
  out.SetNumber(Component(q, Axis));
}
// The previous rotation too: a jump, as with the position.
template <int Axis>
void SetRotation(CastCall& call, const ScriptValue& in) {
  const auto value = static_cast<float>(ArgNumber(call.engine, in));
  Quaternion q = call.cast.GetRotation();
  Quaternion previous = call.cast.GetPreviousRotation();
  Component(q, Axis) = value;
  Component(previous, Axis) = value;
  call.cast.SetRotation(q);
  call.cast.SetPreviousRotation(previous);
}

void GetRegionType(CastCall& call, ScriptValue& out) { out.SetNumber(call.cast.GetRegionType()); }
void GetRegionRadius(CastCall& call, ScriptValue& out) { out.SetNumber(call.cast.GetRegionRadius()); }
void GetRegionHeight(CastCall& call, ScriptValue& out) { out.SetNumber(call.cast.GetRegionHeight()); }

// ---- placement ----

void SetParam(CastCall& call, ScriptValue&, ScriptValue* args) {
  const int index = ArgIndex(call.engine, args[0], kCastPropertyCount);
  call.cast.Property(index) = ArgStoredValue(call.engine, args[1]);
}

void GetParam(CastCall& call, ScriptValue& result, ScriptValue* args) {
  result = call.cast.Property(ArgIndex(call.engine, args[0], kCastPropertyCount));
}

// Turns about the cast's own axis: the matrix row 1 for yaw, 0 for pitch, 2 for roll.
template <int AxisRow>
void Rotate(CastCall& call, ScriptValue&, ScriptValue* args) {
  const float angle = static_cast<float>(ArgNumber(call.engine, args[0])) * kDegToRad;
  const Vector3 axis = MatrixRow(call.cast.GetWorldMatrix(false), AxisRow);
  call.cast.SetRotation(QuaternionMultiply(call.cast.GetRotation(), QuaternionRotationAxis(axis, angle)));
}

// In degrees: yaw is the angle about y, pitch about x, roll about z.
template <float EulerAngles::*Angle>
void GetAngle(CastCall& call, ScriptValue& result, ScriptValue*) {
  result.SetNumber(QuatToEuler(call.cast.GetRotation()).*Angle * kRadToDeg);
}

void Horizontalize(CastCall& call, ScriptValue&, ScriptValue*) {
  const Vector3 t = Vec3TransformCoord({1.0f, 0.0f, 0.0f}, MatrixRotationQuaternion(call.cast.GetRotation()));
  const float yaw = -(Angle2D(t.x, t.z) - Angle2D(1.0f, 0.0f));
  call.cast.SetRotation(QuaternionRotationYawPitchRoll(yaw, 0.0f, 0.0f));
}

void ResetPosition(CastCall& call, ScriptValue&, ScriptValue*) { call.cast.SetPosition(call.cast.GetInitPos()); }
void ResetRotation(CastCall& call, ScriptValue&, ScriptValue*) { call.cast.SetRotation(call.cast.GetInitRotate()); }

void GetScreenYaw(CastCall& call, ScriptValue& result, ScriptValue* args) {
  const float r = static_cast<float>(ArgNumber(call.engine, args[0])) * std::numbers::pi_v<float> / 180.0f;
  const Matrix c = MatrixRotationQuaternion(call.cast.GetRotation()) * call.scene.GetViewMatrix();
  const Vector3 f = Vec3TransformCoord({0.0f, 0.0f, 1.0f}, c) - Vec3TransformCoord({0.0f, 0.0f, 0.0f}, c);
  float a = (Angle2D(f.x, f.z) - Angle2D(std::sin(r), std::cos(r))) * 180.0f / std::numbers::pi_v<float>;
  if (a >= 180.0f) a -= 360.0f;
  if (a <= -180.0f) a += 360.0f;
  result.SetNumber(a);
}

void RotateBySpeed(CastCall& call, ScriptValue&, ScriptValue*) {
  const Vector3 axis = MatrixRow(MatrixRotationQuaternion(call.cast.GetRotation()), 0);
  const Vector3& speed = call.cast.GetSpeed();
  call.cast.SetAngularSpeed(QuaternionRotationAxis(axis, -Angle2D(speed.z, speed.y)));
}

// In degrees; no value without a contact.
void SetContactAngle(ScriptValue& result, bool contact, float angle) {
  if (contact) result.SetNumber(angle * kRadToDeg);
  else result.Clear();
}

void GetObstacleHitYawAngle(CastCall& call, ScriptValue& result, ScriptValue*) {
  float angle = 0.0f;
  const bool contact = call.services.CastObstacleHitYaw(call.cast, angle);
  SetContactAngle(result, contact, angle);
}

void GetObstacleHitGroundAngle(CastCall& call, ScriptValue& result, ScriptValue*) {
  float angle = 0.0f;
  const bool contact = call.cast.GetObstacleHitGroundAngle(angle);
  SetContactAngle(result, contact, angle);
}

void StartMoving(CastCall& call, ScriptValue&, ScriptValue* args) {
  double n[7];
  for (int i = 0; i < 6; ++i) n[i] = ArgNumber(call.engine, args[i]);
  const std::int32_t frames = ArgInt(call.engine, args[6]);
  const Vector3 step{static_cast<float>(n[0]), static_cast<float>(n[1]), static_cast<float>(n[2])};
  const Quaternion turn = QuaternionRotationYawPitchRoll(static_cast<float>(n[3]) * kDegToRad,
                                                         static_cast<float>(n[4]) * kDegToRad,
                                                         static_cast<float>(n[5]) * kDegToRad);
  call.cast.StartMoving(step, turn, frames);
}

void PlaySound(CastCall& call, ScriptValue&, ScriptValue* args) {
  // Louder near the camera, panned by its side of the view.
  const Vector3 v = Vec3TransformCoord(call.cast.GetPosition(), call.scene.GetViewMatrix());
  const float d2 = v.x * v.x + v.y * v.y + v.z * v.z;
  float gain = 1.0f - (d2 - 250000.0f) / 16000000.0f;
  gain = gain < 0.0f ? 0.0f : gain > 1.0f ? 1.0f : gain;
  // The cosine of the horizontal angle: +1 right of the camera, -1 left. A
  // cast at the camera itself has no side and stays in the middle (the angle
  // of a zero vector would put it hard right).
  const float side = std::hypot(v.x, v.z);
  const float pan = side > 0.0f ? v.x / side : 0.0f;
  const std::uint32_t id = ArgSoundId(call.engine, args[0]);
  const double volume = ArgNumber(call.engine, args[1]);
  RequireRange(volume >= 0.0 && volume <= 1.0);
  const auto start = static_cast<float>(ArgNumber(call.engine, args[2]));
  call.services.PlaySound(id, static_cast<float>(volume) * gain, pan, start);
}

// ---- motion ----

void SetMotion(CastCall& call, ScriptValue&, ScriptValue* args) {
  double number = 0;
  std::int32_t index = -1;
  if (call.engine.ToNumber(args[0], number)) {
    index = TruncateToInt32(number);
  } else {
    const std::string name = ArgText(call.engine, args[0]);
    if (ObjectClass* cls = call.cast.GetClass()) index = cls->FindMotionIndex(name.c_str());
  }
  if (index != -1) call.cast.SetMotion(index, &call.scene);
}

void GetMotionIdx(CastCall& call, ScriptValue& result, ScriptValue*) { result.SetNumber(call.cast.GetMotionIndex()); }

void GetMotionName(CastCall& call, ScriptValue& result, ScriptValue*) {
  // A cast without a class or without that motion has no name to give.
  if (const Motion* motion = call.cast.GetCurrentMotion()) result.SetString(motion->GetName());
}

void SetMotionTime(CastCall& call, ScriptValue&, ScriptValue* args) {
  call.cast.SetMotionTime(ArgInt(call.engine, args[0]), &call.scene);
}

void MoveCastToFrame(CastCall& call, ScriptValue&, ScriptValue* args) {
  const std::string frame = ArgExactString(call.engine, args[0]);
  Cast* other = ArgCast(call.scene, call.engine, args[1]);
  const std::string otherFrame = ArgExactString(call.engine, args[2]);
  if (!other) return;
  const CastHandle self = call.cast.GetHandle();
  const CastHandle moved = other->GetHandle();
  Matrix m = call.services.CastFrameMatrix(call.cast, frame.c_str());
  Cast* here = self.Get();
  Cast* target = moved.Get();
  if (!here || !target) return;  // posing ran no script, but stay safe
  m = m * MatrixRotationQuaternion(here->GetRotation()) *
      MatrixTranslation(here->GetPosition().x, here->GetPosition().y, here->GetPosition().z);
  Matrix inverse;
  const Matrix combined = call.services.CastFrameMatrix(*target, otherFrame.c_str());
  if (!MatrixInverse(&inverse, nullptr, combined)) inverse = MatrixIdentity();
  target->SetPosition(Vec3TransformCoord(MatrixRow(inverse, 3), m));
  target->SetRotation(QuaternionRotationMatrix(m));
}

constexpr Row kCastMembers[] = {
    Row::ReadWrite(SVT_String, "Name", GetName, SetName),
    Row::ReadWrite(SVT_Number, "Flags", GetFlags, SetFlags),
    Row::ReadWrite(SVT_Number, "FlagMask", GetFlagMask, SetFlagMask),
    Row::ReadWrite(SVT_Number, "X", GetPosition<0>, SetPosition<0>),
    Row::ReadWrite(SVT_Number, "Y", GetPosition<1>, SetPosition<1>),
    Row::ReadWrite(SVT_Number, "Z", GetPosition<2>, SetPosition<2>),
    Row::ReadWrite(SVT_Number, "XSpeed", GetSpeed<0>, SetSpeed<0>),
    Row::ReadWrite(SVT_Number, "YSpeed", GetSpeed<1>, SetSpeed<1>),
    Row::ReadWrite(SVT_Number, "ZSpeed", GetSpeed<2>, SetSpeed<2>),
    Row::ReadWrite(SVT_Number, "RX", GetRotation<0>, SetRotation<0>),
    Row::ReadWrite(SVT_Number, "RY", GetRotation<1>, SetRotation<1>),
    Row::ReadWrite(SVT_Number, "RZ", GetRotation<2>, SetRotation<2>),
    Row::ReadWrite(SVT_Number, "RW", GetRotation<3>, SetRotation<3>),
    Row::ReadOnly(SVT_Number, "RegionType", GetRegionType),
    Row::ReadOnly(SVT_Number, "RegionRadius", GetRegionRadius),
    Row::ReadOnly(SVT_Number, "RegionHeight", GetRegionHeight),
    Row::Method(SVT_None, "SetParam", 2, SetParam),
    Row::Method(SVT_Reference, "GetParam", 1, GetParam),
    Row::Method(SVT_None, "RotateYaw", 1, Rotate<1>),
    Row::Method(SVT_None, "RotatePitch", 1, Rotate<0>),
    Row::Method(SVT_None, "RotateRoll", 1, Rotate<2>),
    Row::Method(SVT_Number, "GetYaw", 0, GetAngle<&EulerAngles::y>),
    Row::Method(SVT_Number, "GetPitch", 0, GetAngle<&EulerAngles::x>),
    Row::Method(SVT_Number, "GetRoll", 0, GetAngle<&EulerAngles::z>),
    Row::Method(SVT_None, "Horizontalize", 0, Horizontalize),
    Row::Method(SVT_None, "ResetPosition", 0, ResetPosition),
    Row::Method(SVT_None, "ResetRotation", 0, ResetRotation),
    Row::Method(SVT_None, "MoveCameraPos", 1, CastMoveCameraPos),
    Row::Method(SVT_None, "SetCameraGuide", 4, CastSetCameraGuide),
    Row::Method(SVT_None, "MoveCastToFrame", 3, MoveCastToFrame),
    Row::Method(SVT_None, "SetMotion", 1, SetMotion),
    Row::Method(SVT_None, "GetMotionIdx", 0, GetMotionIdx),
    Row::Method(SVT_None, "GetMotionName", 0, GetMotionName),
    Row::Method(SVT_None, "SetMotionTime", 1, SetMotionTime),
    Row::Method(SVT_Number, "GetScreenYaw", 1, GetScreenYaw),
    Row::Method(SVT_None, "RotateBySpeed", 0, RotateBySpeed),
    Row::Method(SVT_Number, "GetObstacleHitYawAngle", 0, GetObstacleHitYawAngle),
    Row::Method(SVT_Number, "GetObstacleHitGroundAngle", 0, GetObstacleHitGroundAngle),
    Row::Method(SVT_Number, "Joint", 3, CastJoint),
    Row::Method(SVT_Number, "DisjointParent", 0, CastDisjointParent),
    Row::Method(SVT_Number, "DisjointChild", 0, CastDisjointChild),
    Row::Method(SVT_Number, "GetParent", 0, CastGetParent),
    Row::Method(SVT_Number, "GetChild", 0, CastGetChild),
    Row::Method(SVT_None, "ClearIK", 0, CastClearIK),
    Row::Method(SVT_None, "AddIKFrame", 4, CastAddIKFrame),
    Row::Method(SVT_None, "Delete", 0, CastDelete),
    Row::Method(SVT_None, "ClearRail", 0, CastClearRail),
    Row::Method(SVT_None, "AddRailCast", 2, CastAddRailCast),
    Row::Method(SVT_None, "AddRailPos", 2, CastAddRailPos),
    Row::Method(SVT_None, "RunOnTheRail", 2, CastRunOnTheRail),
    Row::Method(SVT_None, "DeleteEdgeStopper", 2, CastDeleteEdgeStopper),
    Row::Method(SVT_None, "StartMoving", 7, StartMoving),
    Row::Method(SVT_None, "PlaySound", 3, PlaySound),
};

}  // namespace

Cast* ArgCast(const Scene& scene, CCScript& engine, const ScriptValue& value) {
  void* instance = ArgObject(engine, value, "Cast");
  if (!instance) return nullptr;
  Cast* cast = scene.CastOfInstance(instance);
  // A handle kept past its cast's deletion (or past the scene) is an error of
  // the script, not an empty argument.
  if (!cast) ThrowScriptError(ERR_NO_INSTANCE);
  return cast;
}

Cast& RequireCast(const Scene& scene, void* instance) {
  Cast* cast = scene.CastOfInstance(RequireInstance(instance));
  if (!cast) ThrowScriptError(ERR_NO_INSTANCE);
  return *cast;
}

CastClass::CastClass(SceneClasses& classes) : TableClassObject("Cast", kCastMembers), classes_(classes) {}

CastCall CastClass::Bind(void* instance, CCScript& engine) {
  Scene& scene = classes_.GetScene();
  Cast& cast = RequireCast(scene, instance);
  return {*this, scene, classes_.Services(), cast, engine};
}
