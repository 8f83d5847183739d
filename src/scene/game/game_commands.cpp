// The game's command hook: which of its actions a code names and the kinds of
// their parameters; the side-step, the camera actions, the shot, the arrow's
// flight, the head aim and the target test; and the target spheres that the
// aiming actions share.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "collision/collision.h"
#include "motion/motion.h"
#include "motion/object_class.h"
#include "motion/object_flags.h"
#include "platform/math/matrix.h"
#include "platform/math/plane.h"
#include "platform/math/quaternion.h"
#include "platform/math/vector.h"
#include "scene/cast/cast_angles.h"
#include "scene/cast/motion_query.h"
#include "scene/command_actions.h"
#include "scene/game/camera_follow.h"
#include "scene/game/game_actions.h"
#include "scene/game/game_geometry.h"
#include "scene/game/game_scene.h"
#include "script/errors.h"

namespace {

// Live parameters of the "Camera" cast that the actions write.
constexpr int kCameraTypeParam = 9;
constexpr int kCameraWantedParam = 10;  // 10-12
constexpr int kCameraPullParam = 24;
// The pull of "SCBK" lasts this many calls of the camera follow.
constexpr double kCameraPullCalls = 15.0;
// Where "SHOT" wants the camera: above and behind the player, in its axes.
constexpr float kShotCameraBack = -300.0f;
constexpr float kFrontPointHeight = 200.0f;

// "LOOK": two degrees of aim per call (the pitch half as fast again), the
// head turning three times the yaw, the body following beyond ten degrees.
constexpr float kLookStep = 0.03490658f;
constexpr float kLookPitchFactor = 1.5f;
constexpr float kLookTurn = 6.0f * kDegreesToRadians;
constexpr float kLookPitchMin = -0.7853982f;
constexpr float kLookPitchMax = 1.7453293f;

// An arrow this far down has fallen out of the world.
constexpr float kArrowFloor = -1000.0f;

// "TRGT" hands the target's own hit hook the bits moved from the acting group
// to the target group of the region kinds; the passing cast's hook gets them
// as written.
constexpr int kHitBitsShift = 10;
constexpr std::uint32_t kTargetKinds = 0x3C00u;  // Target1 to Target4

using Kind = CommandParamKind;

const CommandParam& Param(const Command& command, int i) { return command.params[static_cast<std::size_t>(i)]; }
bool Is(const Command& command, int i, Kind kind) { return Param(command, i).kind == kind; }

// A motion of the cast's class by name; a name the class lacks does nothing.
void SetMotionByName(Cast& cast, Scene& scene, const char* name) {
  const ObjectClass* cls = cast.GetClass();
  const int index = cls ? cls->FindMotionIndex(name) : -1;
  if (index >= 0) cast.SetMotion(index, &scene);
}

bool IsInMotion(const Cast& cast, const char* name) {
  const Motion* motion = cast.GetCurrentMotion();
  return motion && std::strcmp(motion->GetName(), name) == 0;
}

// The four sectors of a direction in [0, 2 pi): ahead (within 45 degrees),
// to the left, behind, to the right.
int Sector(float angle) {
  if (angle < 0.785398163f || angle > 5.4977875f) return 0;
  if (angle >= 2.3561945f && angle < 3.926991f) return 2;
  if (angle >= 3.926991f) return 3;
  return 1;
}

// The point (0, 200, d) of `b`'s own axes, stored into parameters 10-12 of `a`.
void SetParamsToFrontPoint(Cast& a, const Cast& b, float d) {
  const Vector3 p = Vec3TransformCoord({0.0f, kFrontPointHeight, d}, b.GetWorldMatrix(false));
  a.Property(kCameraWantedParam).SetNumber(p.x);
  a.Property(kCameraWantedParam + 1).SetNumber(p.y);
  a.Property(kCameraWantedParam + 2).SetNumber(p.z);
}

// The hit hook of a cast: its current motion's, else its class's.
const Command* OnHitHook(const Cast& cast) {
  const Motion* motion = cast.GetCurrentMotion();
  if (motion && motion->OnHit().type != CommandType::None) return &motion->OnHit();
  const ObjectClass* cls = cast.GetClass();
  const Command* hook = cls ? &cls->GetCommand(kClassOnHit) : nullptr;
  return hook && hook->type != CommandType::None ? hook : nullptr;
}

const char* FirstFrameName(const Cast& cast) {
  const ObjectClass* cls = cast.GetClass();
  const FrameNode* frame = cls ? cls->FrameNodeAt(0) : nullptr;
  return frame ? frame->GetName() : "";
}

}  // namespace

int GameScene::OnUserCommand(const Command& command, Cast* cast) {
  switch (command.code) {
    case ActionCode("PSST"):
      if (!Is(command, 0, Kind::Number)) return ERR_ARGUMENT_TYPE;
      return cast ? SideStep(*this, command, *cast) : 0;
    case ActionCode("MVCM"):
      if (!Is(command, 0, Kind::String)) return ERR_ARGUMENT_TYPE;
      return cast ? FollowWithCamera(*this, command, *cast) : 0;
    case ActionCode("SCBK"):
      return PullCameraBehind(*this);
    case ActionCode("SHOT"):
      return cast ? Shoot(*this, *cast) : 0;
    case ActionCode("AROW"):
      return cast ? FlyArrow(*this, *cast) : 0;
    case ActionCode("LOOK"):
      if (!Is(command, 0, Kind::Number)) return ERR_ARGUMENT_TYPE;
      return cast ? LookAround(*this, command, *cast) : 0;
    case ActionCode("AIM_"):
      if (!Is(command, 0, Kind::Number) || !Is(command, 1, Kind::Number)) return ERR_ARGUMENT_TYPE;
      return cast ? AimAssist(*this, command, *cast) : 0;
    case ActionCode("SWAL"):
      return cast ? AimAndDrawPath(*this, command, *cast) : 0;
    case ActionCode("TRGT"):
      if (!Is(command, 0, Kind::String) || !Is(command, 1, Kind::Hex)) return ERR_ARGUMENT_TYPE;
      return cast ? TestTarget(*this, command, *cast) : 0;
    default:
      return 0;
  }
}

int SideStep(Scene& scene, const Command& command, Cast& cast) {
  static constexpr float kSectorAngle[4] = {0.0f, kHalfPi, kPi, -kHalfPi};
  static const char* const kStep[4] = {"ForeStep", "LeftStep", "BackStep", "RightStep"};
  // The facing seen from the camera at the press before the last one picks
  // which of the camera's four axes the cast squares up to.
  const float base = kSectorAngle[Sector(cast.GetControlYaw(0))];
  const Vector3 z = Vec3TransformNormal({0.0f, 0.0f, 1.0f}, scene.GetViewMatrix());
  const float cameraYaw = kHalfPi - Angle2D(z.x, z.z);
  cast.SetRotation(YawRotation(base - cameraYaw));
  const float stick = WrapAngle(base - Param(command, 0).number * kDegreesToRadians);
  SetMotionByName(cast, scene, kStep[Sector(stick)]);
  return 0;
}

int FollowWithCamera(Scene& scene, const Command& command, Cast& cast) {
  if (Cast* target = scene.FindCast(Param(command, 0).text)) MoveCameraPos(cast, *target, scene);
  return 0;
}

int PullCameraBehind(Scene& scene) {
  if (Cast* camera = scene.FindCast("Camera")) {
    camera->Property(kCameraPullParam).SetNumber(kCameraPullCalls);
    camera->SetFlagMask(camera->GetFlagMask() & ~kFlagCollisionDetection);
  }
  return 0;
}

int Shoot(Scene& scene, Cast& cast) {
  Cast* arrow = cast.GetChildLink().cast.Get();
  if (!arrow) return 0;
  arrow->GetParentLink().Clear();
  cast.GetChildLink().Clear();
  const float yaw = NumberOf(cast.Property(kAimYawParam));
  const float pitch = NumberOf(cast.Property(kAimPitchParam));
  const float speed = NumberOf(cast.Property(kShotSpeedParam)) / 10.0f;
  const Quaternion facing = cast.GetRotation();
  const CastHandle self = cast.GetHandle();
  const CastHandle shot = arrow->GetHandle();
  // The new motion's event keys may delete either cast.
  SetMotionByName(*arrow, scene, "Fly");
  if ((arrow = shot.Get())) {
    arrow->SetRotation(QuaternionMultiply(YawRotation(yaw), facing));
    arrow->SetSpeed({0.0f, std::sin(pitch) * speed, std::cos(pitch) * speed});
  }
  Cast* camera = scene.FindCast("Camera");
  const Cast* player = scene.FindCast("Vorani");
  if (camera && player) SetParamsToFrontPoint(*camera, *player, kShotCameraBack);
  if (Cast* shooter = self.Get()) {
    shooter->Property(kTargetParam).SetEmpty();
    shooter->Property(kTargetTrackParam).SetEmpty();
  }
  return 0;
}

int FlyArrow(Scene& scene, Cast& cast) {
  if (cast.GetPosition().y < kArrowFloor) {
    scene.DeleteCast(&cast);
    return 0;
  }
  const Vector3 speed = cast.GetSpeed();
  const float climb = -Angle2D(speed.z, speed.y);
  // Touching is what the two contact queries say of the whole list: an entry
  // whose obstacle has gone or was deleted this run is no contact, and a live
  // one after it still is.
  float angle = 0.0f;
  if (cast.GetObstacleHitGroundAngle(angle) || cast.GetObstacleHitYawAngle(angle)) {
    if (IsInMotion(cast, "Land")) return 0;
    cast.SetRotation(QuaternionMultiply(QuaternionRotationAxis({1.0f, 0.0f, 0.0f}, climb), cast.GetRotation()));
    cast.SetSpeed({0.0f, 0.0f, 0.0f});
    SetMotionByName(cast, scene, "Land");
    return 0;
  }
  // In flight the arrow pitches along its path.
  const Matrix m = MatrixRotationQuaternion(cast.GetRotation());
  cast.SetAngularSpeed(QuaternionRotationAxis({m.m[0][0], m.m[0][1], m.m[0][2]}, climb));
  return 0;
}

int LookAround(Scene& scene, const Command& command, Cast& cast) {
  const float stick = Param(command, 0).number;
  const Quaternion identity = QuaternionIdentity();
  if (stick != -1.0f) {
    float yaw = NumberOf(cast.Property(kAimYawParam));
    float pitch = NumberOf(cast.Property(kAimPitchParam));
    const float a = stick * kDegreesToRadians;
    yaw += std::sin(a) * kLookStep;
    pitch += std::cos(a) * kLookStep * kLookPitchFactor;
    yaw = HoldAimYaw(cast, yaw, kLookTurn);
    pitch = std::clamp(pitch, kLookPitchMin, kLookPitchMax);
    cast.Property(kAimYawParam).SetNumber(yaw);
    cast.Property(kAimPitchParam).SetNumber(pitch);
    if (Cast* camera = scene.FindCast("Camera")) camera->Property(kCameraTypeParam).SetNumber(1);
    cast.ApplyMotionPose();
    const Quaternion head = QuaternionRotationYawPitchRoll(yaw * 3.0f, -pitch / 2.0f, 0.0f);
    cast.SetBoneControlByFrame("head", &head, nullptr, nullptr, kBoneControlLocal, 0);
  }
  cast.SetBoneControlByFrame("body2", &identity, nullptr, nullptr, kBoneControlLocal, 0);
  cast.SetBoneControlByFrame("body3", &identity, nullptr, nullptr, kBoneControlLocal, 0);
  if (stick == -1.0f) cast.SetBoneControlByFrame("head", &identity, nullptr, nullptr, kBoneControlLocal, 0);
  return 0;
}

int TestTarget(Scene& scene, const Command& command, Cast& cast) {
  Motion* motion = cast.GetCurrentMotion();
  const MotionFrame* track = motion ? motion->FindFrame(Param(command, 0).text) : nullptr;
  if (!track) track = FirstTrack(motion);
  const char* trackName = track ? track->GetName() : "";
  const KeySphere key = TrackSphere(track, cast.GetMotionTime());
  const Vector3 c = FramePoint(cast, trackName, key.centre);
  const Vector3 n = FramePoint(cast, trackName, key.centre + Vector3{0.0f, 0.0f, 1.0f}) - c;
  const float r = key.radius;
  const std::uint32_t bits = Param(command, 1).word;

  // Classes that are not loaded match no cast (a cast without a class is no arrow).
  const ObjectClass* arrows = scene.FindObjectClass("Arrow");
  const ObjectClass* players = scene.FindObjectClass("Vorani");
  // The hooks may add and delete casts: the casts to test are held by handle.
  std::array<CastHandle, kCastTableSize> tested;
  int count = 0;
  for (int i = 0; i < scene.CastCount(); ++i) {
    const Cast& other = *scene.CastAt(i);
    const ObjectClass* cls = other.GetClass();
    if (cls && (cls == arrows || cls == players) && !other.IsDeletedWhileRunning())
      tested[static_cast<std::size_t>(count++)] = other.GetHandle();
  }
  const CastHandle self = cast.GetHandle();
  const Plane plane = PlaneFromPointNormal(c, n);
  for (int i = 0; i < count; ++i) {
    Cast* acting = self.Get();
    if (!acting) break;
    Cast* other = tested[static_cast<std::size_t>(i)].Get();
    if (!other) continue;
    // The sphere now and two frames ago, as it moves under its speed and gravity.
    const Vector3 now = CastSphere(*other).centre + other->GetPosition();
    const Vector3 w = Vec3TransformNormal(other->GetSpeed(), other->GetWorldMatrix(false));
    const Vector3 before = now - w - Vector3{w.x, w.y - scene.GetFallSpeed(), w.z};
    const float a = ProjectOnAxis(before, c, n);
    const float b = ProjectOnAxis(now, c, n);
    if (!((a < 0.0f && b > 0.0f) || (a > 0.0f && b < 0.0f))) continue;
    Vector3 crossing;
    if (!PlaneIntersectLine(&crossing, plane, before, now) || !(Vec3LengthSq(crossing - c) < r * r)) continue;

    const CastHandle hit = other->GetHandle();
    if (const Command* hook = OnHitHook(*acting)) {
      ScriptValue args[4];
      args[0].SetString(trackName);
      SetCastValue(args[1], scene.GetCastClass(), other);
      args[2].SetString(FirstFrameName(*other));
      args[3].SetNumber(static_cast<std::uint32_t>(bits << kHitBitsShift));
      scene.ExecuteCommand(*hook, acting, args, 4);
    }
    acting = self.Get();
    other = hit.Get();
    if (!acting || !other) continue;
    if (const Command* hook = OnHitHook(*other)) {
      ScriptValue args[4];
      args[0].SetString(FirstFrameName(*other));
      SetCastValue(args[1], scene.GetCastClass(), acting);
      args[2].SetString(trackName);
      args[3].SetNumber(bits);
      scene.ExecuteCommand(*hook, other, args, 4);
    }
  }
  return 0;
}

float HoldAimYaw(Cast& cast, float yaw, float turn) {
  if (yaw < -kBodyYawHold) {
    TurnCast(cast, -turn);
    return -kBodyYawHold;
  }
  if (yaw > kBodyYawHold) {
    TurnCast(cast, turn);
    return kBodyYawHold;
  }
  return yaw;
}

int CollectSolidObstacles(Scene& scene, const Cast* skip, SolidObstacles& out) {
  int count = 0;
  for (int i = 0; i < scene.CastCount(); ++i) {
    Cast& obstacle = *scene.CastAt(i);
    constexpr std::uint32_t kSolid = kFlagObstacle | kFlagVisible;
    if (&obstacle == skip || obstacle.IsDeletedWhileRunning() || (obstacle.GetFlags() & kSolid) != kSolid) continue;
    out[static_cast<std::size_t>(count++)] = {&obstacle, InverseOrIdentity(obstacle.GetWorldMatrix(false))};
  }
  return count;
}

bool OffersTargets(Cast& cast, const Cast& acting) {
  return &cast != &acting && !cast.IsDeletedWhileRunning() && (cast.GetFlags() & kFlagVisible) != 0;
}

bool ReadTargetSphere(Cast& cast, int track, TargetSphere& out, bool& posed) {
  const ObjectClass* cls = cast.GetClass();
  const Motion* motion = cast.GetCurrentMotion();
  const FrameNode* frame = cls ? cls->FrameNodeAt(track) : nullptr;
  const MotionFrame* keys = motion ? motion->FrameAt(track) : nullptr;
  const KeySphere sphere = TrackSphere(keys, cast.GetMotionTime());
  if (!frame || !sphere.found || (sphere.bits & kTargetKinds) == 0) return false;
  if (!posed) {
    cast.ApplyMotionPose();
    posed = true;
  }
  out.cast = &cast;
  out.track = keys;
  out.centre = FramePoint(cast, frame->GetName(), sphere.centre);
  out.radius = sphere.radius;
  out.bits = sphere.bits;
  return true;
}

Cast* StoredTarget(Scene& scene, Cast& cast) {
  Cast* target = scene.CastOfValue(cast.Property(kTargetParam));
  return target && !target->IsDeletedWhileRunning() ? target : nullptr;
}
