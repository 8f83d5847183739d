// The camera follow: the follow pose with its guides, distance and height
// bands, orbit about hidden targets, collision mask and behind-target pull;
// the shoulder pose; and their blend.
#include "scene/game/camera_follow.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <span>

#include "collision/collision.h"
#include "motion/object_flags.h"
#include "platform/math/matrix.h"
#include "platform/math/quaternion.h"
#include "platform/math/vector.h"
#include "platform/system/numbers.h"
#include "scene/cast/cast.h"
#include "scene/cast/cast_angles.h"
#include "scene/game/game_geometry.h"
#include "scene/scene.h"

namespace {

constexpr float kHalfPi = 1.5707964f;

// Live parameters of the camera cast.
constexpr int kWeight0 = 3;
constexpr int kWeight1 = 4;
constexpr int kMode = 9;
constexpr int kPose0 = 10;  // position 10-12, rotation 13-16
constexpr int kPose1 = 17;  // position 17-19, rotation 20-23
constexpr int kPullCountdown = 24;
// Live parameters of the target.
constexpr int kAimYaw = 0;
constexpr int kAimPitch = 1;
constexpr int kAimStamp = 5;

// The band of horizontal distances the follow keeps, and the speed that
// brings the camera back into it: the base speed just outside, growing by
// the ramp toward the limit, clamped to twice the limit.
constexpr float kDistanceNear = 1000.0f;
constexpr float kDistanceFar = 1500.0f;
constexpr float kDistanceBase = 10.0f;
constexpr float kDistanceLimit = 16.666666f;
constexpr float kDistanceRamp = 100.0f;
// The same for the height of the aim point over the wanted position.
constexpr float kHeightLow = -900.0f;
constexpr float kHeightHigh = -300.0f;
constexpr float kHeightBase = 6.0f;
constexpr float kHeightLimit = 40.0f;
constexpr float kHeightRamp = 500.0f;
// Inside a band the speed dies away by this divisor per call.
constexpr float kSpeedDecay = 1.1f;
// The camera aims this far above the target's sphere centre.
constexpr float kAimAbove = 100.0f;
// A guide pulls the camera a fiftieth of the way per call, 20 units at most.
constexpr float kGuideShare = 50.0f;
constexpr float kGuideStep = 20.0f;
// Lagging this far behind the camera stops colliding, so it can catch up
// through walls; within the band's far edge it collides again.
constexpr float kMaskOffDistance = 2500.0f;
constexpr float kMaskOnDistance = 1500.0f;
// A hit this far along the ray (in ray lengths) hides the target: the
// occlusion test spares the last tenth, where the target itself stands.
constexpr float kOcclusionReach = 0.9f;
constexpr float kSearchReach = 1.0f;
// The hidden-target search tries 15-degree steps up to a half turn and
// takes the first side that sees the target three steps in a row.
constexpr float kSearchStep = 0.2617994f;
constexpr float kSearchBound = 3.1415927f;
constexpr int kSearchRun = 3;
// The orbit angle grows by three steps while the target stays hidden and
// falls by one every call, so it keeps turning only while needed.
constexpr float kOrbitStep = 0.0010181088f;
constexpr float kOrbitLimit = 0.02617994f;
constexpr float kLookTurn = 0.05f;
// The behind-target pull: from near the target's back out to a point high
// behind it, stopped by obstacles; the camera goes 0.4 of the way there.
constexpr Vector3 kPullFar{0.0f, 500.0f, -1300.0f};
constexpr float kPullAbove = 100.0f;
constexpr float kPullBlend = 0.4f;
// The shoulder view: the arm from a pivot over the target's right shoulder,
// in the target's axes.
constexpr Vector3 kAimPivot{120.0f, 120.0f, -80.0f};
constexpr Vector3 kAimArm{100.0f, 120.0f, -300.0f};
constexpr float kAimBlend = 0.2f;
// Aim angles older than this many frames start again from straight ahead.
constexpr std::uint32_t kAimResetGap = 30;

struct CameraPose {
  Vector3 position{0.0f, 0.0f, 0.0f};
  Quaternion rotation{0.0f, 0.0f, 0.0f, 1.0f};
};

CameraPose PoseOfParameters(Cast& camera, int first) {
  auto n = [&](int i) { return NumberOf(camera.Property(first + i)); };
  return {{n(0), n(1), n(2)}, {n(3), n(4), n(5), n(6)}};
}

// Facing the point from `from`, pitched by half its rise (so the target sits
// below the middle of the screen).
Quaternion LookRotation(const Vector3& from, const Vector3& to) {
  Vector3 v = to - from;
  v.y = v.y / 2.0f;
  const float yaw = kHalfPi - Angle2D(v.x, v.z);
  const float pitch = Angle2D(std::sqrt(v.x * v.x + v.z * v.z), v.y);
  return QuaternionRotationYawPitchRoll(yaw, -pitch, 0.0f);
}

bool IsObstacle(Cast& cast) {
  return !cast.IsDeletedWhileRunning() && (cast.GetFlags() & kFlagObstacle) != 0 && CastMesh(cast);
}

// Whether an obstacle's mesh meets the ray from `from` toward `to` before
// `reach` of the way.
bool RayBlocked(Scene& scene, const Vector3& from, const Vector3& to, float reach) {
  for (int i = 0; i < scene.CastCount(); ++i) {
    Cast& obstacle = *scene.CastAt(i);
    if (!IsObstacle(obstacle)) continue;
    const Matrix inverse = InverseOrIdentity(obstacle.GetWorldMatrix(false));
    const Vector3 p = Vec3TransformCoord(from, inverse);
    const Vector3 e = Vec3TransformCoord(to, inverse);
    float distance = 0.0f;
    if (RayHitsCastMesh(obstacle, p, e - p, &distance) && distance < reach) return true;
  }
  return false;
}

// The regions of the scene's casts, gathered once for the guide tests.
class SceneRegions {
 public:
  explicit SceneRegions(Scene& scene) {
    for (int i = 0; i < scene.CastCount(); ++i) {
      const Cast& cast = *scene.CastAt(i);
      if (cast.IsDeletedWhileRunning()) continue;
      probes_[count_++] = {cast.GetPosition(), cast.GetRegionType(), cast.GetRegionRadius(), cast.GetRegionHeight(),
                           cast.GetRegionAttribute()};
    }
  }
  std::uint32_t FlagsAt(const Vector3& p, float r) const {
    return GetRegionFlags(p, r, std::span<const RegionProbe>(probes_.data(), count_));
  }

 private:
  std::array<RegionProbe, kCastTableSize> probes_{};
  std::size_t count_ = 0;
};

// The first guide whose masks both pass (a mask of 0 passes; a guide with
// both masks 0 is unused): maskA against the regions the target's sphere
// reaches, maskB against those the camera's reaches.
const CameraGuide* SelectGuide(Cast& camera, Scene& scene, const Vector3& t, float rt, const Vector3& c0,
                               float rc) {
  // Gathered at the first guide in use: most cameras have none.
  std::optional<SceneRegions> regions;
  for (int i = 0; i < kCameraGuideCount; ++i) {
    const CameraGuide& guide = camera.Guide(i);
    if (guide.maskA == 0 && guide.maskB == 0) continue;
    if (!regions) regions.emplace(scene);
    if (guide.maskA != 0 && (regions->FlagsAt(t, rt) & guide.maskA) == 0) continue;
    if (guide.maskB != 0 && (regions->FlagsAt(c0, rc) & guide.maskB) == 0) continue;
    return &guide;
  }
  return nullptr;
}

// `from` turned by `angle` about the vertical through `centre`.
Vector3 TurnAbout(const Vector3& centre, const Vector3& from, float angle) {
  const float c = std::cos(angle), s = std::sin(angle);
  const float x = from.x - centre.x, z = from.z - centre.z;
  return {centre.x + c * x - s * z, from.y, centre.z + s * x + c * z};
}

// The orbit angle that turns the camera at `c` toward the nearer side that
// sees the target point `t`: 0 when neither side does within a half turn.
// A camera with a sphere gives up a side at its first hidden angle.
float SearchOrbit(Scene& scene, const Vector3& t, const Vector3& c, bool cameraHasSphere) {
  // Each obstacle's inverse and the target in its axes, made once for the
  // search's two dozen rays.
  struct ObstacleSpace {
    const Cast* cast;
    Matrix inverse;
    Vector3 target;
  };
  std::array<ObstacleSpace, kCastTableSize> obstacles;
  int count = 0;
  for (int i = 0; i < scene.CastCount(); ++i) {
    Cast& obstacle = *scene.CastAt(i);
    if (!IsObstacle(obstacle)) continue;
    const Matrix inverse = InverseOrIdentity(obstacle.GetWorldMatrix(false));
    obstacles[static_cast<std::size_t>(count++)] = {&obstacle, inverse, Vec3TransformCoord(t, inverse)};
  }
  int run[2] = {0, 0};
  bool closed[2] = {false, false};
  for (float th = kSearchStep; th < kSearchBound; th += kSearchStep) {
    const Vector3 candidate[2] = {TurnAbout(t, c, th), TurnAbout(t, c, -th)};
    bool visible[2] = {true, true};
    for (int i = 0; i < count && (visible[0] || visible[1]); ++i) {
      const ObstacleSpace& obstacle = obstacles[static_cast<std::size_t>(i)];
      const Vector3& e = obstacle.target;
      for (int side = 0; side < 2; ++side) {
        if (closed[side] || !visible[side]) continue;
        const Vector3 p = Vec3TransformCoord(candidate[side], obstacle.inverse);
        float distance = 0.0f;
        if (RayHitsCastMesh(*obstacle.cast, p, e - p, &distance) && distance < kSearchReach) {
          visible[side] = false;
          if (cameraHasSphere) closed[side] = true;
        }
      }
    }
    for (int side = 0; side < 2; ++side) {
      if (visible[side] && !closed[side]) {
        if (++run[side] == kSearchRun) return side == 0 ? 3.0f * kOrbitStep : -3.0f * kOrbitStep;
      } else {
        run[side] = 0;
      }
    }
  }
  return 0.0f;
}

// The wanted position moved toward the distance and height bands and turned
// by the orbit angle; updates the script vector, the orbit and the mask.
Vector3 FollowBands(Cast& camera, Scene& scene, const Vector3& c, const Vector3& t) {
  Vector3 state = camera.GetScriptVector();
  float& orbit = state.x;
  float& distanceSpeed = state.y;
  float& heightSpeed = state.z;

  const Vector3 h = t + Vector3{0.0f, kAimAbove, 0.0f} - c;
  const float dh = std::sqrt(h.x * h.x + h.z * h.z);
  const float length = Vec3Length(h);
  const float distanceClamp = 2.0f * kDistanceLimit;
  if (dh < kDistanceNear) {
    distanceSpeed = std::clamp(kDistanceBase + (kDistanceLimit - kDistanceBase) * (kDistanceNear - dh) / kDistanceRamp,
                               -distanceClamp, distanceClamp);
  } else if (dh > kDistanceFar) {
    distanceSpeed = std::clamp(-kDistanceBase - (kDistanceLimit - kDistanceBase) * (dh - kDistanceFar) / kDistanceRamp,
                               -distanceClamp, distanceClamp);
  } else {
    distanceSpeed /= kSpeedDecay;
  }
  const float heightClamp = 2.0f * kHeightLimit;
  if (h.y < kHeightLow) {
    heightSpeed = std::clamp(-kHeightBase + (kHeightLimit - kHeightBase) * (h.y - kHeightLow) / kHeightRamp,
                             -heightClamp, heightClamp);
  } else if (h.y > kHeightHigh) {
    heightSpeed = std::clamp(kHeightBase + (kHeightLimit - kHeightBase) * (h.y - kHeightHigh) / kHeightRamp,
                             -heightClamp, heightClamp);
  } else {
    heightSpeed /= kSpeedDecay;
  }

  Vector3 placed = c;
  placed.y = c.y + heightSpeed;
  const float ca = std::cos(orbit), sa = std::sin(orbit);
  if (dh > 0.0f) {
    const float ux = ca * h.x - sa * h.z;
    const float uz = sa * h.x + ca * h.z;
    placed.x = t.x - ux * (dh + distanceSpeed) / dh;
    placed.z = t.z - uz * (dh + distanceSpeed) / dh;
  } else {
    // Straight above or below the aim point there is no way toward it: the
    // camera backs away along its own horizontal facing (+z when it looks
    // straight up or down).
    const Vector3 facing = Vec3TransformNormal({0.0f, 0.0f, 1.0f}, MatrixRotationQuaternion(camera.GetRotation()));
    const float fh = std::sqrt(facing.x * facing.x + facing.z * facing.z);
    const float fx = fh > 0.0f ? facing.x / fh : 0.0f;
    const float fz = fh > 0.0f ? facing.z / fh : 1.0f;
    placed.x = t.x - (ca * fx - sa * fz) * distanceSpeed;
    placed.z = t.z - (sa * fx + ca * fz) * distanceSpeed;
  }

  const bool hidden = RayBlocked(scene, placed, t, kOcclusionReach);
  if (hidden) {
    if (orbit == 0.0f) {
      orbit = SearchOrbit(scene, t, placed, CastSphere(camera).found);
    } else if (orbit > 0.0f) {
      orbit = std::min(orbit + 3.0f * kOrbitStep, kOrbitLimit);
    } else {
      orbit = std::max(orbit - 3.0f * kOrbitStep, -kOrbitLimit);
    }
  }
  if (orbit < 0.0f) {
    orbit = std::min(orbit + kOrbitStep, 0.0f);
  } else if (orbit > 0.0f) {
    orbit = std::max(orbit - kOrbitStep, 0.0f);
  }
  camera.SetScriptVector(state);

  if (length > kMaskOffDistance) camera.SetFlagMask(camera.GetFlagMask() & ~kFlagCollisionDetection);
  if ((camera.GetFlagMask() & kFlagCollisionDetection) == 0 && length <= kMaskOnDistance)
    camera.SetFlagMask(camera.GetFlagMask() | kFlagCollisionDetection);
  return placed;
}

// Pulls the camera toward a point behind and above the target (stopped by
// obstacles on the way out from the target's back) and turns it toward the
// target; counts parameter 24 down.
void PullBehind(Cast& camera, Cast& target, Scene& scene, Vector3& placed, Quaternion& rotation) {
  ScriptValue& countdown = camera.Property(kPullCountdown);
  countdown.SetNumber(countdown.number - 1.0);
  if (countdown.number <= 0.0) camera.SetFlagMask(camera.GetFlagMask() | kFlagCollisionDetection);

  const float r = CastSphere(camera).radius;
  const Matrix world = target.GetWorldMatrix(false);
  Vector3 far = Vec3TransformCoord(kPullFar, world);
  const Vector3 near = Vec3TransformCoord({0.0f, r + kPullAbove, -r}, world);
  for (int i = 0; i < scene.CastCount(); ++i) {
    Cast& obstacle = *scene.CastAt(i);
    if (&obstacle == &target || !IsObstacle(obstacle)) continue;
    const Matrix obstacleWorld = obstacle.GetWorldMatrix(false);
    const Matrix inverse = InverseOrIdentity(obstacleWorld);
    Vector3 centre, normal;
    if (SweepSphereMesh(Vec3TransformCoord(near, inverse), Vec3TransformCoord(far, inverse), r, &centre, &normal,
                        *CastMesh(obstacle)))
      far = Vec3TransformCoord(centre, obstacleWorld);
  }
  placed = placed * (1.0f - kPullBlend) + far * kPullBlend;
  rotation = QuaternionSlerp(LookRotation(placed, target.GetPosition()), rotation, kPullBlend);
}

CameraPose FollowPose(Cast& camera, Cast& target, Scene& scene) {
  const KeySphere targetSphere = CastSphere(target);
  const KeySphere cameraSphere = CastSphere(camera);
  const Vector3 t = target.GetPosition() + Vector3{0.0f, targetSphere.centre.y, 0.0f};
  const Vector3 c0 = camera.GetPosition() + Vector3{0.0f, cameraSphere.centre.y, 0.0f};
  const Vector3 c = PoseOfParameters(camera, kPose0).position;

  Vector3 placed;
  if (const CameraGuide* guide = SelectGuide(camera, scene, t, targetSphere.radius, c0, cameraSphere.radius)) {
    Vector3 d = (guide->position - c) * (1.0f / kGuideShare);
    if (Vec3Length(d) > kGuideStep) d = Vec3Normalize(d) * kGuideStep;
    placed = c + d;
  } else {
    placed = FollowBands(camera, scene, c, t);
  }
  Quaternion rotation = QuaternionSlerp(camera.GetRotation(), LookRotation(placed, t), kLookTurn);
  const ScriptValue& countdown = camera.Property(kPullCountdown);
  if (countdown.type == SVT_Number && countdown.number > 0.0) PullBehind(camera, target, scene, placed, rotation);
  return {placed, rotation};
}

CameraPose ShoulderPose(Cast& camera, Cast& target, Scene& scene) {
  Vector3 pivot = kAimPivot;
  const auto stamp = static_cast<std::uint32_t>(TruncateToInt32(NumberOf(target.Property(kAimStamp))));
  float yaw = NumberOf(target.Property(kAimYaw));
  float pitch = NumberOf(target.Property(kAimPitch));
  const std::uint32_t frame = scene.GetFrameCounter();
  if (stamp + kAimResetGap < frame) {
    yaw = 0.0f;
    pitch = 0.0f;
    target.Property(kAimYaw).SetNumber(0.0);
    target.Property(kAimPitch).SetNumber(0.0);
  }
  target.Property(kAimStamp).SetNumber(frame);
  // Looking up brings the camera in behind the head; looking down swings it
  // out, lower and further back.
  if (pitch > 0.0f) {
    pivot.x *= 1.0f - 0.5f * pitch / kHalfPi;
    pitch = pitch / 2.0f;
  } else {
    pivot.x *= 1.0f + pitch / kHalfPi;
    pivot.z *= 1.0f + 1.5f * pitch / kHalfPi;
    pivot.y *= 1.0f - pitch / kHalfPi;
    pitch = pitch * 1.75f;
  }
  const Quaternion aim = QuaternionRotationYawPitchRoll(yaw, -pitch, 0.0f);
  const Vector3 arm = Vec3TransformCoord(kAimArm, MatrixRotationQuaternion(aim)) + pivot;
  const Vector3 o = Vec3TransformCoord(arm, target.GetWorldMatrix(false));
  return {camera.GetPosition() * (1.0f - kAimBlend) + o * kAimBlend,
          QuaternionSlerp(camera.GetRotation(), QuaternionMultiply(aim, target.GetRotation()), kAimBlend)};
}

}  // namespace

void MoveCameraPos(Cast& camera, Cast& target, Scene& scene) {
  const float w0 = NumberOf(camera.Property(kWeight0));
  const float w1 = NumberOf(camera.Property(kWeight1));
  const ScriptValue& modeValue = camera.Property(kMode);
  const std::int32_t mode = modeValue.type == SVT_Number ? TruncateToInt32(modeValue.number) : 0;
  const CameraPose pose0 =
      w0 != 0.0f && mode == 0 ? FollowPose(camera, target, scene) : PoseOfParameters(camera, kPose0);
  const CameraPose pose1 =
      w1 != 0.0f && mode == 1 ? ShoulderPose(camera, target, scene) : PoseOfParameters(camera, kPose1);
  // The weights are not divided by their sum: scripts keep them summing to 1.
  camera.SetPosition(pose0.position * w0 + pose1.position * w1);
  camera.SetRotation(QuaternionSlerp(pose0.rotation, pose1.rotation, w1));
}
