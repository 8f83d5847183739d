// The built-in actions of "#" Commands: turning, facing, creating and
// deleting casts, separating joints, sounds, pushing, rotating, flag words,
// swept moves, motions, speeds and constant moves.
#include "scene/command_actions.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "motion/motion.h"
#include "motion/motion_frame.h"
#include "motion/motion_key.h"
#include "motion/object_class.h"
#include "motion/object_flags.h"
#include "platform/math/matrix.h"
#include "platform/math/quaternion.h"
#include "platform/math/vector.h"
#include "platform/system/numbers.h"
#include "scene/cast/cast.h"
#include "scene/cast/cast_angles.h"
#include "scene/cast/motion_query.h"
#include "scene/cast/obstacles.h"
#include "scene/scene.h"
#include "script/errors.h"

namespace {

constexpr float kDegToRad = 0.017453292f;
constexpr float kPi = std::numbers::pi_v<float>;
constexpr float kTwoPi = 2.0f * kPi;
// 15 degrees: a turn beyond it slows the cast down.
constexpr float kFreeTurn = 0.2617994f;

using Kind = CommandParamKind;

const CommandParam& P(const Command& c, int i) { return c.params[static_cast<std::size_t>(i)]; }
bool Is(const Command& c, int i, Kind kind) { return P(c, i).kind == kind; }
float NumberOr(const Command& c, int i, float fallback) { return Is(c, i, Kind::Number) ? P(c, i).number : fallback; }
std::int32_t Truncate(float value) { return TruncateToInt32(static_cast<double>(value)); }

// The value of a key kind on a track at the cast's motion time: the kind's
// default when the track has keys but none of that kind; false only for a
// missing or empty track.
bool TrackValue(const MotionFrame* track, std::uint32_t kind, const Cast& cast, MotionKey& out) {
  if (!track || track->KeyCount() == 0) return false;
  out.Clear();
  out.SetKind(kind);
  track->GetKey(kind, cast.GetMotionTime(), out, false);
  return true;
}

Vector3 KeyVector(const MotionKey& key) { return {key.GetFloat(0), key.GetFloat(1), key.GetFloat(2)}; }

Matrix Inverse(const Matrix& m) {
  Matrix out = MatrixIdentity();
  if (!MatrixInverse(&out, nullptr, m)) return MatrixIdentity();
  return out;
}

int TurnFromCamera(Scene& scene, const Command& c, Cast* cast) {
  if (!Is(c, 0, Kind::Number) || !Is(c, 1, Kind::Number)) return ERR_ARGUMENT_TYPE;
  if (!cast) return ERR_NO_INSTANCE;
  float divisor = P(c, 1).number > 0.0f ? P(c, 1).number : 1.0f;
  const bool boost = NumberOr(c, 5, 0.0f) == 1.0f;
  if (boost) {
    const std::uint32_t since = scene.GetFrameCounter() - cast->GetLastDirectionFrame();
    if (since < 5) {
      divisor *= 4.0f;
    } else if (since < 10) {
      divisor *= 2.0f;
    }
  }
  const float a = P(c, 0).number * kDegToRad;
  const Vector3 forward = Vec3TransformNormal(
      Vec3TransformNormal({0.0f, 0.0f, 1.0f}, MatrixRotationQuaternion(cast->GetRotation())), scene.GetViewMatrix());
  float turn = Angle2D(forward.x, forward.z) - Angle2D(std::sin(a), std::cos(a));
  if (turn >= kPi) turn -= kTwoPi;
  if (turn <= -kPi) turn += kTwoPi;
  if (boost && std::fabs(turn) > kFreeTurn)
    cast->SetTurnFactor(std::clamp(1.0f - (std::fabs(turn) - kFreeTurn) / kPi, 0.0f, 1.0f));
  const Matrix world = cast->GetWorldMatrix(false);
  const Vector3 up{world.m[1][0], world.m[1][1], world.m[1][2]};
  cast->SetRotation(QuaternionMultiply(QuaternionRotationAxis(up, turn / divisor), cast->GetRotation()));
  Vector3 speed = cast->GetSpeed();
  if (Is(c, 2, Kind::Number)) speed.x = std::max(speed.x, P(c, 2).number / 10.0f);
  if (Is(c, 3, Kind::Number)) speed.y = std::max(speed.y, P(c, 3).number / 10.0f);
  if (Is(c, 4, Kind::Number)) speed.z = std::max(speed.z, P(c, 4).number / 10.0f);
  cast->SetSpeed(speed);
  return 0;
}

int FaceCamera(Scene& scene, Cast* cast) {
  if (!cast) return ERR_NO_INSTANCE;
  Matrix view = scene.GetViewMatrix();
  view.m[3][0] = view.m[3][1] = view.m[3][2] = 0.0f;
  const Quaternion toCamera = QuaternionRotationMatrix(Inverse(view));
  cast->SetAngularSpeed(QuaternionMultiply(toCamera, QuaternionInverse(cast->GetRotation())));
  return 0;
}

int CreateCastAction(Scene& scene, const Command& c, Cast* cast) {
  if (!Is(c, 0, Kind::String)) return ERR_ARGUMENT_TYPE;
  Cast* created = scene.CreateCast(scene.FindObjectClass(P(c, 0).text));
  if (!created) return 0;
  created->Reset();
  created->SetOwnFlags(created->GetOwnFlags() | kCastAddedWhileRunning);
  if (!cast || !Is(c, 1, Kind::String)) return 0;
  const char* frame = P(c, 1).text;
  Vector3 offset{NumberOr(c, 2, 0.0f), NumberOr(c, 3, 0.0f), NumberOr(c, 4, 0.0f)};
  if (Motion* motion = cast->GetCurrentMotion()) {
    const MotionFrame* track = motion->FindFrame(frame);
    MotionKey key;
    if (track && track != FirstTrack(motion) && TrackValue(track, kKindVector, *cast, key))
      offset = offset + KeyVector(key);
  }
  Vector3 point;
  if (cast->TransformByBone(frame, offset, point)) {
    created->SetPositionBoth(point);
    created->SetRotationBoth(cast->GetRotation());
  }
  return 0;
}

// Deletes `first`, then `second`, each only when it carries the flag.
void DeleteDisjoined(Scene& scene, CastHandle first, CastHandle second) {
  for (CastHandle handle : {first, second}) {
    Cast* target = handle.Get();
    if (target && (target->GetFlags() & kFlagDeleteAtDisjoint) != 0) scene.DeleteCast(target);
  }
}

int Disjoint(Scene& scene, const Command& c, Cast* cast) {
  if (!cast) return ERR_NO_INSTANCE;
  // Handles throughout: a deletion outside the run removes the cast at once.
  const CastHandle self = cast->GetHandle();
  const CastHandle parent = cast->GetParentLink().cast;
  const CastHandle child = cast->GetChildLink().cast;
  if (NumberOr(c, 0, 0.0f) != 0.0f && parent.Get()) {
    DeleteDisjoined(scene, self, parent);
    if (Cast* p = parent.Get()) p->GetChildLink().Clear();
    if (Cast* s = self.Get()) s->GetParentLink().Clear();
  }
  if (NumberOr(c, 1, 0.0f) != 0.0f && child.Get()) {
    DeleteDisjoined(scene, child, self);
    if (Cast* k = child.Get()) k->GetParentLink().Clear();
    if (Cast* s = self.Get()) s->GetChildLink().Clear();
  }
  const float frames = NumberOr(c, 2, 0.0f);
  if (frames != 0.0f) {
    for (CastHandle handle : {self, child, parent}) {
      if (Cast* target = handle.Get()) target->SetMoveMode(kMoveIKRelease, Truncate(frames));
    }
  }
  return 0;
}

int FollowFrame(Scene& scene, const Command& c, Cast* cast) {
  if (!cast) return ERR_NO_INSTANCE;
  if (cast->GetPosition().y < -100.0f) {
    scene.DeleteCast(cast);
    return 0;
  }
  if (!Is(c, 0, Kind::String)) return ERR_ARGUMENT_TYPE;
  Matrix bone;
  if (!cast->GetBoneMatrix(P(c, 0).text, false, bone)) return 0;
  Motion* motion = cast->GetCurrentMotion();
  MotionKey key;
  if (!motion || !TrackValue(motion->FindFrame(P(c, 0).text), kKindVector, *cast, key)) return 0;
  cast->SetPosition(cast->GetPosition() + Vec3TransformCoord(KeyVector(key), bone) * 0.1f);
  return 0;
}

int PlaySoundAction(Scene& scene, const Command& c, Cast* cast) {
  float attenuation = 1.0f;
  float pan = 0.0f;
  if (cast) {
    const Vector3 v = Vec3TransformCoord(cast->GetPosition(), scene.GetViewMatrix());
    const float d2 = Vec3LengthSq(v);
    attenuation = std::clamp(1.0f - (d2 - 250000.0f) / 16000000.0f, 0.0f, 1.0f);
    // This measure of the side is -1 to the right of the camera, where the
    // manager's pan is +1. A cast at the camera itself has no side and stays
    // in the middle (the measure would put it hard to one side).
    if (v.x != 0.0f || v.z != 0.0f) pan = -(Angle2D(v.x, std::fabs(v.z)) - Angle2D(0.0f, 1.0f)) / (kPi / 2.0f);
  }
  if (!Is(c, 0, Kind::String) || !Is(c, 1, Kind::Number)) return ERR_ARGUMENT_TYPE;
  const float volume = P(c, 1).number;
  if (!(volume >= 0.0f && volume <= 1.0f)) throw ERR_OUT_OF_RANGE;
  std::uint32_t code = 0;
  const char* text = P(c, 0).text;
  for (int i = 0; i < 4; ++i) {
    code <<= 8;
    if (*text != '\0') code |= static_cast<unsigned char>(*text++);
  }
  scene.PlayCommandSound(code, volume * attenuation, pan);
  return 0;
}

int Push(Cast* cast) {
  if (!cast) return ERR_NO_INSTANCE;
  CastHitList& hits = cast->HitList(cast->GetCurrentHitList());
  Cast* pushed = nullptr;
  bool filled = true;
  for (int i = 0; i < 2 && !pushed; ++i) {
    const CastHit& hit = hits[static_cast<std::size_t>(i)];
    if (hit.cast.IsNull()) {
      filled = false;
      break;
    }
    if ((hit.bits & kRegionPush) != 0) pushed = hit.cast.Get();
  }
  if (!pushed && filled) pushed = hits[2].cast.Get();
  const MotionFrame* track = FirstTrack(cast->GetCurrentMotion());
  MotionKey sphere;
  if (!pushed || !TrackValue(track, kKindSphere, *cast, sphere)) return 0;
  const Matrix world = pushed->GetWorldMatrix(false);
  const Vector3 local = Vec3TransformCoord(cast->GetPosition(), Inverse(world));
  float yaw;
  if (std::fabs(local.x) > std::fabs(local.z)) {
    yaw = local.x >= 0.0f ? -kPi / 2.0f : kPi / 2.0f;
  } else {
    yaw = local.z >= 0.0f ? kPi : 0.0f;
  }
  const Quaternion rotation =
      QuaternionMultiply(QuaternionRotationYawPitchRoll(yaw, 0.0f, 0.0f), QuaternionRotationMatrix(world));
  MotionKey vector;
  TrackValue(track, kKindVector, *cast, vector);
  const Vector3 step = Vec3TransformNormal(KeyVector(vector) * 0.1f, MatrixRotationQuaternion(rotation));
  pushed->SetPosition(pushed->GetPosition() + step);
  cast->SetPosition(pushed->GetPosition());
  cast->SetRotation(rotation);
  return 0;
}

int Rotate(const Command& c, Cast* cast) {
  for (int i = 0; i < 3; ++i)
    if (!Is(c, i, Kind::Number)) return ERR_ARGUMENT_TYPE;
  if (!cast) return ERR_NO_INSTANCE;
  const float yaw = P(c, 0).number * kDegToRad;
  const float a1 = P(c, 1).number * kDegToRad;
  const float a2 = P(c, 2).number * kDegToRad;
  const std::int32_t flags = Truncate(NumberOr(c, 3, 0.0f));
  const Quaternion turn = QuaternionRotationYawPitchRoll(yaw, a2, a1);
  if ((flags & 2) != 0) {
    cast->SetRotationBoth(QuaternionMultiply(cast->GetAngularSpeed(), turn));
  } else {
    cast->SetRotation(QuaternionMultiply(cast->GetRotation(), turn));
  }
  if ((flags & 1) != 0) cast->SetSpeed(Vec3TransformNormal(cast->GetSpeed(), MatrixRotationYawPitchRoll(yaw, a1, a2)));
  return 0;
}

int SetFlags(const Command& c, Cast* cast) {
  if (!cast) return ERR_NO_INSTANCE;
  const std::uint32_t set = Is(c, 0, Kind::Hex) ? P(c, 0).word : 0;
  const std::uint32_t clear = Is(c, 1, Kind::Hex) ? P(c, 1).word : 0;
  cast->SetOwnFlags((cast->GetOwnFlags() & ~clear) | set);
  cast->SetFlagMask((cast->GetFlagMask() & ~clear) | set);
  return 0;
}

double NumberOrValue(const ScriptValue& value, float fallback) {
  return value.type == SVT_Number ? value.number : static_cast<double>(fallback);
}

int SweptMove(Scene& scene, const Command& c, Cast* cast) {
  if (!Is(c, 0, Kind::Number) || !Is(c, 1, Kind::String)) return ERR_ARGUMENT_TYPE;
  if (!cast) return ERR_NO_INSTANCE;
  ObjectClass* cls = cast->GetClass();
  const int motion = cls ? cls->FindMotionIndex(P(c, 1).text) : -1;
  if (motion < 0) return 0;
  const Vector3 current = cast->GetPosition();
  const Vector3 previous{static_cast<float>(NumberOrValue(cast->GetInitProperty(0), current.x)),
                         static_cast<float>(NumberOrValue(cast->GetInitProperty(1), current.y)),
                         static_cast<float>(NumberOrValue(cast->GetInitProperty(2), current.z))};
  cast->InitProperty(0).SetNumber(current.x);
  cast->InitProperty(1).SetNumber(current.y);
  cast->InitProperty(2).SetNumber(current.z);
  const Vector3 segment = current - previous;
  const float length = Vec3Length(segment);
  // A cast that did not move sweeps nothing (and has no length to divide by).
  if (!(length > 0.0f)) return 0;
  for (int i = 0; i < scene.CastCount(); ++i) {
    Cast* other = scene.CastAt(i);
    if (!other || other == cast || !IsLiveObstacle(*other)) continue;
    const Matrix inverse = Inverse(other->GetWorldMatrix(false));
    const Vector3 from = Vec3TransformCoord(previous, inverse);
    const Vector3 to = Vec3TransformCoord(current, inverse);
    float distance = 0.0f;
    if (!IntersectObstacleMesh(*other, from, to - from, &distance) || distance > 1.5f) continue;
    const CastHandle self = cast->GetHandle();
    cast->SetMotion(motion, &scene);
    // An event key of the new motion may have deleted the cast.
    if (Cast* still = self.Get()) still->SetPosition(previous + segment * (distance - P(c, 0).number / length));
    return 0;
  }
  return 0;
}

int SetMotionAction(Scene& scene, const Command& c, Cast* cast) {
  if (!Is(c, 0, Kind::String)) return ERR_ARGUMENT_TYPE;
  if (!cast) return ERR_NO_INSTANCE;
  const int motion = cast->GetClass() ? cast->GetClass()->FindMotionIndex(P(c, 0).text) : -1;
  if (motion < 0) return 0;
  const CastHandle self = cast->GetHandle();
  cast->SetMotion(motion, &scene);
  if (Cast* still = self.Get()) still->SetMotionTime(Truncate(NumberOr(c, 1, 0.0f)), &scene);
  return 0;
}

int SetSpeed(const Command& c, Cast* cast) {
  if (!cast) return ERR_NO_INSTANCE;
  Vector3 speed = cast->GetSpeed();
  if (Is(c, 0, Kind::Number)) speed.x = P(c, 0).number / 10.0f;
  if (Is(c, 1, Kind::Number)) speed.y = P(c, 1).number / 10.0f;
  if (Is(c, 2, Kind::Number)) speed.z = P(c, 2).number / 10.0f;
  cast->SetSpeed(speed);
  return 0;
}

int SetTime(Scene& scene, const Command& c, Cast* cast) {
  if (!Is(c, 0, Kind::Number)) return ERR_ARGUMENT_TYPE;
  if (!cast) return ERR_NO_INSTANCE;
  cast->SetMotionTime(Truncate(P(c, 0).number), &scene);
  return 0;
}

int StartMovingAction(const Command& c, Cast* cast) {
  for (int i = 0; i < 7; ++i)
    if (!Is(c, i, Kind::Number)) return ERR_ARGUMENT_TYPE;
  if (!cast) return ERR_NO_INSTANCE;
  auto n = [&c](int i) { return P(c, i).number; };
  cast->StartMoving({n(0), n(1), n(2)},
                    QuaternionRotationYawPitchRoll(n(3) * kDegToRad, n(4) * kDegToRad, n(5) * kDegToRad),
                    Truncate(n(6)));
  return 0;
}

}  // namespace

int RunBuiltInAction(Scene& scene, const Command& command, Cast* cast) {
  switch (command.code) {
    case ActionCode("RSYA"): return TurnFromCamera(scene, command, cast);
    case ActionCode("FCTC"): return FaceCamera(scene, cast);
    case ActionCode("CCST"): return CreateCastAction(scene, command, cast);
    case ActionCode("DELE"):
      if (cast) scene.DeleteCast(cast);
      return 0;
    case ActionCode("DSJT"):
    case ActionCode("UNJT"): return Disjoint(scene, command, cast);
    case ActionCode("EFPT"): return FollowFrame(scene, command, cast);
    case ActionCode("PSND"): return PlaySoundAction(scene, command, cast);
    case ActionCode("PUSH"): return Push(cast);
    case ActionCode("ROTE"): return Rotate(command, cast);
    case ActionCode("SFLG"): return SetFlags(command, cast);
    case ActionCode("SMOG"): return SweptMove(scene, command, cast);
    case ActionCode("SMTN"): return SetMotionAction(scene, command, cast);
    case ActionCode("SSPD"): return SetSpeed(command, cast);
    case ActionCode("STME"): return SetTime(scene, command, cast);
    case ActionCode("STMV"): return StartMovingAction(command, cast);
    default: return kUnknownAction;
  }
}
