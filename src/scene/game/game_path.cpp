// "SWAL": the archer turns toward the stored target, finds the pitch whose
// arc meets it, bends its upper body to the aim, and lays the frames of the
// line cast along the predicted flight, with the mark cast where it ends.
#include <algorithm>
#include <cmath>

#include "collision/collision.h"
#include "motion/model.h"
#include "motion/motion.h"
#include "platform/math/matrix.h"
#include "platform/math/quaternion.h"
#include "platform/math/vector.h"
#include "scene/cast/cast_angles.h"
#include "scene/game/game_actions.h"
#include "scene/game/game_geometry.h"

namespace {

// The pitch search: over the aim's range by half degrees, ending at the
// first arc that passes within 10 units of the aim.
constexpr float kPitchStep = 0.008726646f;
constexpr float kGoodMiss = 10.0f;
// Each call moves the aim a fifth of the way to the wanted one.
constexpr float kAimFollow = 0.2f;
// A path takes at most this many steps in a call: a shot too slow to cover
// its line frames in that many is cut off there.
constexpr int kMaxPathSteps = 4096;
// The mark shows for two frames, the line for one: both only while "SWAL"
// runs every frame.
constexpr std::int64_t kMarkFrames = 2;
constexpr std::int64_t kLineFrames = 1;
// The archer fades while it stands between the camera and the mark.
constexpr float kFadeStep = 0.06666667f;
constexpr float kFadeFloor = 0.5f;
constexpr std::int32_t kFadeBackFrames = 15;
// The projection the frame is drawn with: a 60-degree field, screens of 4:3
// (both screen modes), near plane 50.
constexpr float kFieldOfView = 1.0471976f;
constexpr Viewport kScreen{0.0f, 0.0f, 800.0f, 600.0f, 0.0f, 1.0f};
constexpr float kNearPlane = 50.0f;
constexpr float kFarPlane = 20000.0f;

const char* StringParam(const Command& command, int i, const char* fallback) {
  const CommandParam& param = command.params[static_cast<std::size_t>(i)];
  return param.kind == CommandParamKind::String ? param.text : fallback;
}

Matrix WithoutTranslation(Matrix m) {
  m.m[3][0] = m.m[3][1] = m.m[3][2] = 0.0f;
  return m;
}

// Where the arrow leaves: the root of the arrow the archer holds, else its hand.
Vector3 ShotStart(Cast& cast, const char* hand) {
  Cast* held = cast.GetChildLink().cast.Get();
  if (held && held->GetClass() && held->GetClass()->GetModel()) {
    // Arrows share their class's model: this one is posed before its frame is read.
    held->ApplyMotionPose();
    return FramePoint(*held, "Scene_Root", {0.0f, 0.0f, 0.0f});
  }
  return FramePoint(cast, hand, {0.0f, 0.0f, 0.0f});
}

// The launch pitch whose arc passes nearest `rise` at horizontal distance
// `distance`, the search ending at the first good enough; `pitch` when the
// shot has no speed to search with.
float BestPitch(float distance, float rise, float speed, float fall, float pitch) {
  if (!(speed > 0.0f)) return pitch;
  float best = pitch;
  float bestMiss = 0.0f;
  bool found = false;
  for (float p = kAimPitchMin; p <= kAimPitchMax; p += kPitchStep) {
    const float t = distance / (std::cos(p) * speed);
    const float y = fall * t * t / 2.0f + std::sin(p) * speed * t;
    const float miss = std::fabs(y - rise);
    if (!found || miss < bestMiss) {
      found = true;
      best = p;
      bestMiss = miss;
    }
    if (bestMiss < kGoodMiss) break;
  }
  return best;
}

// Turns the archer and its aim toward the stored target.
void AimAtTarget(Scene& scene, Cast& cast, Cast& target, const Vector3& start, float speed, float& yaw,
                 float& pitch) {
  const MotionFrame* track = nullptr;
  const ScriptValue& trackName = cast.Property(kTargetTrackParam);
  if (trackName.type == SVT_String && target.GetCurrentMotion())
    track = target.GetCurrentMotion()->FindFrame(trackName.text);
  // Casts of a class share its model: the target is posed before its frame is read.
  target.ApplyMotionPose();
  const Vector3 aim = track ? FramePoint(target, track->GetName(), TrackSphere(track, target.GetMotionTime()).centre)
                            : FramePoint(target, nullptr, {0.0f, 0.0f, 0.0f});
  const Vector3 local = Vec3TransformCoord(aim, InverseOrIdentity(cast.GetWorldMatrix(false)));
  const float need = kHalfPi - Angle2D(local.x, local.z);
  float turn = 0.0f;
  float wantedYaw = need;
  if (need > kBodyYawHold) {
    turn = need - kBodyYawHold;
    wantedYaw = kBodyYawHold;
  } else if (need < -kBodyYawHold) {
    turn = need + kBodyYawHold;
    wantedYaw = -kBodyYawHold;
  }
  TurnCast(cast, turn);
  const float dx = aim.x - start.x, dz = aim.z - start.z;
  const float wantedPitch =
      BestPitch(std::sqrt(dx * dx + dz * dz), aim.y - start.y, speed, scene.GetFallSpeed(), pitch);
  pitch = (1.0f - kAimFollow) * pitch + kAimFollow * wantedPitch;
  yaw = (1.0f - kAimFollow) * yaw + kAimFollow * wantedYaw;
  cast.Property(kAimPitchParam).SetNumber(pitch);
  cast.Property(kAimYawParam).SetNumber(yaw);
}

// The chest and waist share the aim: the yaw on the chest, half the pitch on
// each about the axis that is sideways for it.
void BendUpperBody(Cast& cast, float yaw, float pitch) {
  const Quaternion q = YawRotation(yaw);
  cast.SetBoneControlByFrame("body3", &q, nullptr, nullptr, kBoneControlLocal, 0);
  cast.ApplyMotionPose();
  const Model* model = cast.GetClass() ? cast.GetClass()->GetModel() : nullptr;
  for (const char* name : {"body3", "body2"}) {
    const ModelFrame* frame = model ? model->FindFrameByStoredName(name) : nullptr;
    if (!frame) continue;
    const Matrix turn = WithoutTranslation(frame->combinedTransformationMatrix);
    const Vector3 axis = Vec3TransformCoord({1.0f, 0.0f, 0.0f}, InverseOrIdentity(turn));
    const Quaternion bend = QuaternionMultiply(QuaternionRotationAxis(axis, -pitch / 2.0f), q);
    cast.SetBoneControlByFrame(name, &bend, nullptr, nullptr, kBoneControlLocal, 0);
  }
}

// Fades the archer a little when it stands between the camera and the mark.
void FadeIfInTheWay(Scene& scene, Cast& cast, const Vector3& mark) {
  const Matrix projection = MatrixPerspectiveFovLH(kFieldOfView, kScreen.width / kScreen.height, kNearPlane, kFarPlane);
  Vector3 corner;
  if (!Vec3Unproject(&corner, {0.0f, 0.0f, 0.0f}, kScreen, projection, scene.GetViewMatrix(), MatrixIdentity()))
    return;
  const Matrix inverse = InverseOrIdentity(cast.GetWorldMatrix(true));
  const Vector3 o = Vec3TransformCoord(corner, inverse);
  const Vector3 m = Vec3TransformCoord(mark, inverse);
  float distance = 0.0f;
  if (!RayHitsCastMesh(cast, o, m - o, &distance)) return;
  cast.SetAlpha(std::max(cast.GetAlpha() - kFadeStep, kFadeFloor));
  cast.StartAlphaFade(1.0f, kFadeBackFrames);
}

// The path's walk in the line's axes: the arrow's position and velocity.
struct PathState {
  Vector3 position{0.0f, 0.0f, 0.0f};
  Vector3 velocity{0.0f, 0.0f, 0.0f};
  bool ended = false;
  int steps = 0;
};

// One step of the path: the nearest obstacle or target sphere on it ends the
// path there.
void StepPath(const SolidObstacles& obstacles, int obstacleCount, const TargetSpheres& spheres, int sphereCount,
              const Matrix& world, float speed, PathState& path) {
  const Vector3 next = path.position + path.velocity;
  bool found = false;
  float best = 0.0f;
  Vector3 stop;
  const Vector3 origin = Vec3TransformCoord(path.position, world);
  const Vector3 direction = Vec3TransformNormal(path.velocity, world);
  for (int i = 0; i < obstacleCount; ++i) {
    const SolidObstacle& obstacle = obstacles[static_cast<std::size_t>(i)];
    float d = 0.0f;
    if (!RayHitsCastMesh(*obstacle.cast, Vec3TransformCoord(origin, obstacle.inverse),
                         Vec3TransformNormal(direction, obstacle.inverse), &d) ||
        d > 1.0f)
      continue;
    if (!found || d * speed < best) {
      found = true;
      best = d * speed;
      stop = path.position + path.velocity * d;
    }
  }
  for (int i = 0; i < sphereCount; ++i) {
    const TargetSphere& sphere = spheres[static_cast<std::size_t>(i)];
    Vector3 crossing;
    if (!ClosestPointOnSegment(sphere.local, sphere.radius, path.position, next, &crossing)) continue;
    const float d = Vec3Length(crossing - path.position);
    if (!found || d < best) {
      found = true;
      best = d;
      stop = crossing;
    }
  }
  path.position = found ? stop : next;
  path.ended = found;
}

}  // namespace

int AimAndDrawPath(Scene& scene, const Command& command, Cast& cast) {
  Cast* line = scene.FindCast(StringParam(command, 1, "ArrowLine"));
  Cast* mark = scene.FindCast(StringParam(command, 2, "HitMark"));
  if (!line || !mark) return 0;
  for (int i : {kAimYawParam, kAimPitchParam, kShotSpeedParam})
    if (cast.Property(i).type != SVT_Number) cast.Property(i).SetNumber(0.0);
  float yaw = NumberOf(cast.Property(kAimYawParam));
  float pitch = NumberOf(cast.Property(kAimPitchParam));
  const float speed = NumberOf(cast.Property(kShotSpeedParam)) / 10.0f;

  cast.ApplyMotionPose();
  const Vector3 start = ShotStart(cast, StringParam(command, 0, "hand4R"));
  if (Cast* target = StoredTarget(scene, cast)) AimAtTarget(scene, cast, *target, start, speed, yaw, pitch);
  BendUpperBody(cast, yaw, pitch);

  line->SetPositionBoth(start);
  line->SetRotationBoth(QuaternionMultiply(YawRotation(yaw), cast.GetRotation()));
  const Matrix world = line->GetWorldMatrix(false);
  const Matrix toLine = InverseOrIdentity(world);
  TargetSpheres spheres;
  const int sphereCount = CollectTargetSpheres(scene, cast, spheres, [&](TargetSphere& sphere) {
    sphere.local = Vec3TransformCoord(sphere.centre, toLine);
    return true;
  });
  SolidObstacles obstacles;
  const int obstacleCount = CollectSolidObstacles(scene, &cast, obstacles);

  const ObjectClass* lineClass = line->GetClass();
  const Model* lineModel = lineClass ? lineClass->GetModel() : nullptr;
  const Vector3 gravity{0.0f, scene.GetFallSpeed(), 0.0f};
  PathState path;
  path.velocity = {0.0f, std::sin(pitch) * speed, std::cos(pitch) * speed};
  bool markPlaced = false;
  for (int k = 1; lineModel && k < lineClass->FrameCount(); ++k) {
    const ModelFrame* frame = lineModel->FindFrameByStoredName(lineClass->FrameNodeAt(k)->GetName());
    if (!frame) continue;
    const Matrix& saved = frame->savedTransformationMatrix;
    const float length = Vec3Length({saved.m[3][0], saved.m[3][1], saved.m[3][2]});
    float gone = 0.0f;
    while (!path.ended && gone < length && path.steps < kMaxPathSteps) {
      ++path.steps;
      path.velocity += gravity;
      StepPath(obstacles, obstacleCount, spheres, sphereCount, world, speed, path);
      // A shot without speed falls one step per line frame instead of never
      // covering its length.
      gone += speed > 0.0f ? speed : length;
    }
    Matrix bone = MatrixRotationYawPitchRoll(0.0f, -Angle2D(path.velocity.z, path.velocity.y), 0.0f);
    bone.m[3][0] = path.position.x;
    bone.m[3][1] = path.position.y;
    bone.m[3][2] = path.position.z;
    line->SetBoneMatrix(k, bone, kBoneControlAbsolute, 0);
    if (path.ended && !markPlaced) {
      const Matrix placed = bone * world;
      mark->SetRotationBoth(QuaternionRotationMatrix(placed));
      mark->SetPositionBoth({placed.m[3][0], placed.m[3][1], placed.m[3][2]});
      mark->SetMoveMode(kMoveGameCommand, kMarkFrames);
      markPlaced = true;
      FadeIfInTheWay(scene, cast, mark->GetPosition());
    }
  }
  line->SetMoveMode(kMoveGameCommand, kLineFrames);
  const Quaternion identity = QuaternionIdentity();
  cast.SetBoneControlByFrame("head", &identity, nullptr, nullptr, kBoneControlLocal, 0);
  return 0;
}
