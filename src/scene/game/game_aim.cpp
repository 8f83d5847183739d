// "AIM_", the aim assistance: choosing a target among the spheres the arrow
// can reach, see clearly and the camera shows, switching to the next one
// the stick points at, or aiming by hand.
#include <algorithm>
#include <cmath>

#include "motion/motion.h"
#include "platform/math/matrix.h"
#include "platform/math/vector.h"
#include "platform/system/numbers.h"
#include "scene/cast/cast_angles.h"
#include "scene/game/game_actions.h"
#include "scene/game/game_geometry.h"

namespace {

constexpr float kTwoPi = 2.0f * kPi;

// Shot speed x 10 before a script sets one.
constexpr double kDefaultShotSpeed = 1200.0;
// The clear-line test looks from this high above the archer's feet.
constexpr float kEyeHeight = 200.0f;
// A candidate lies within 45 degrees of the camera's view direction and
// nearer than this.
constexpr float kViewHalfAngle = 0.7853982f;
constexpr float kViewDepth = 4000.0f;
// Switching looks for the next target within 60 degrees of the stick.
constexpr float kSwitchSpread = 1.0471976f;
// Aiming by hand: two degrees per call, slower during the first 15 frames
// after a stick press; beyond ten degrees the body turns.
constexpr float kManualStep = 0.03490658f;
constexpr std::uint32_t kPressRamp = 15;
constexpr float kManualTurn = 4.0f * kDegreesToRadians;

// Whether an arrow from `start` at `speed` falling by `fall` per frame can
// reach the sphere: below the top of the highest arc and above the lowest
// launch's line.
bool Reachable(const TargetSphere& sphere, const Vector3& start, float speed, float fall) {
  const float r = sphere.radius;
  const float dy = sphere.centre.y - start.y;
  const float dx = sphere.centre.x - start.x;
  const float dz = sphere.centre.z - start.z;
  const float h = (std::sqrt(dx * dx + dz * dz) - r) / 2.0f;
  const float t0 = speed / (-2.0f * fall);
  const float apex = speed * t0 + fall * t0 * t0;
  const float highest = fall * h * h / (speed * speed) + apex;
  const float lowest = std::sin(kAimPitchMin);
  const float lowestLine = fall * h * h / (lowest * lowest * speed * speed);
  return dy - r < 2.0f * highest && dy + r > 2.0f * lowestLine;
}

// Whether none of the obstacles (the archer included) stands between `from` and `to`.
bool ClearLine(const SolidObstacles& obstacles, int obstacleCount, const Vector3& from, const Vector3& to) {
  for (int i = 0; i < obstacleCount; ++i) {
    const SolidObstacle& obstacle = obstacles[static_cast<std::size_t>(i)];
    const Vector3 p = Vec3TransformCoord(from, obstacle.inverse);
    const Vector3 d = Vec3TransformCoord(to, obstacle.inverse) - p;
    float distance = 0.0f;
    if (RayHitsCastMesh(*obstacle.cast, p, Vec3Normalize(d), &distance) && distance < Vec3Length(d)) return false;
  }
  return true;
}

// Stores the sphere's angles seen from the camera; whether it is in view.
bool InView(TargetSphere& sphere, const Matrix& toCamera) {
  const Vector3 c = Vec3TransformCoord(sphere.centre, toCamera);
  sphere.yawAngle = Angle2D(c.x, c.z);
  sphere.pitchAngle = Angle2D(c.z, c.y);
  const float side = kHalfPi - sphere.yawAngle;
  return side >= -kViewHalfAngle && side <= kViewHalfAngle && Vec3Length(c) < kViewDepth;
}

// Whole degrees in -180..180.
int WrappedDegrees(float radians) {
  int degrees = TruncateToInt32(-(radians * kRadiansToDegrees));
  if (degrees > 180) degrees -= 360;
  if (degrees < -180) degrees += 360;
  return degrees;
}

float WrappedRadians(float angle) {
  if (angle > kPi) angle -= kTwoPi;
  if (angle < -kPi) angle += kTwoPi;
  return angle;
}

// The candidate nearest the screen's centre on the stick's side (-1 as a
// direction counts as -1 degree); -1 when none is.
int ChooseTarget(const TargetSpheres& spheres, int count, float stick) {
  const float sn = std::sin(-stick * kDegreesToRadians);
  const float cs = std::cos(-stick * kDegreesToRadians);
  int best = -1;
  int bestDistance = 0;
  for (int i = 0; i < count; ++i) {
    const TargetSphere& sphere = spheres[static_cast<std::size_t>(i)];
    // Screen degrees: a grows to the right of the centre, b downward.
    const int a = WrappedDegrees(sphere.yawAngle) + 90;
    const int b = WrappedDegrees(sphere.pitchAngle);
    if (sn * static_cast<float>(a) + cs * static_cast<float>(b) > 0.0f) continue;
    const int distance = a * a + b * b;
    if (best < 0 || distance < bestDistance) {
      best = i;
      bestDistance = distance;
    }
  }
  return best;
}

// The candidate of another cast nearest the current target in the stick's
// direction, within 60 degrees of it; -1 when none is.
int SwitchTarget(const TargetSpheres& spheres, int count, Cast& target, const MotionFrame* track,
                 const Matrix& toCamera, float stick) {
  Vector3 point = target.GetPosition();
  if (track) {
    target.ApplyMotionPose();
    point = FramePoint(target, track->GetName(), TrackSphere(track, target.GetMotionTime()).centre);
  }
  point = Vec3TransformCoord(point, toCamera);
  float ty = Angle2D(point.x, point.z);
  float tq = Angle2D(point.z, point.y);
  if (ty > kPi) ty -= kTwoPi;
  if (tq > kPi) tq -= kTwoPi;
  const float c = std::cos(-stick * kDegreesToRadians);
  const float n = std::sin(-stick * kDegreesToRadians);
  int best = -1;
  float bestDistance = 0.0f;
  for (int i = 0; i < count; ++i) {
    const TargetSphere& sphere = spheres[static_cast<std::size_t>(i)];
    if (sphere.cast == &target) continue;
    const float dy = sphere.yawAngle - ty;
    const float dq = sphere.pitchAngle - tq;
    const float u = WrappedRadians(c * dy - n * dq);
    const float v = WrappedRadians(n * dy + c * dq);
    if (v < 0.0f || std::fabs(u) >= kSwitchSpread) continue;
    const float distance = u * u + v * v;
    if (best < 0 || distance < bestDistance) {
      best = i;
      bestDistance = distance;
    }
  }
  return best;
}

void AimByHand(Scene& scene, Cast& cast, float stick, float yaw, float pitch) {
  const float a = stick * kDegreesToRadians;
  float f = 1.0f;
  const std::uint32_t sincePress = scene.GetFrameCounter() - cast.GetLastDirectionFrame();
  if (sincePress < kPressRamp) f = 0.5f + static_cast<float>(sincePress) * 0.5f / static_cast<float>(kPressRamp);
  yaw += std::sin(a) * kManualStep * f;
  pitch += std::cos(a) * kManualStep * f;
  yaw = HoldAimYaw(cast, yaw, kManualTurn * f);
  pitch = std::clamp(pitch, kAimPitchMin, kAimPitchMax);
  cast.Property(kTargetParam).SetEmpty();
  cast.Property(kAimYawParam).SetNumber(yaw);
  cast.Property(kAimPitchParam).SetNumber(pitch);
}

}  // namespace

int AimAssist(Scene& scene, const Command& command, Cast& cast) {
  if (cast.Property(kAimYawParam).type != SVT_Number) cast.Property(kAimYawParam).SetNumber(0.0);
  if (cast.Property(kAimPitchParam).type != SVT_Number) cast.Property(kAimPitchParam).SetNumber(0.0);
  if (cast.Property(kShotSpeedParam).type != SVT_Number) cast.Property(kShotSpeedParam).SetNumber(kDefaultShotSpeed);
  const float yaw = NumberOf(cast.Property(kAimYawParam));
  const float pitch = NumberOf(cast.Property(kAimPitchParam));
  const float speed = NumberOf(cast.Property(kShotSpeedParam)) / 10.0f;
  const float fall = scene.GetFallSpeed();
  Cast* camera = scene.GetCameraSwitch().current.Get();
  if (!scene.FindCast("ArrowLine") || !camera) return 0;

  const float stick = command.params[0].number;
  const std::int32_t mode = TruncateToInt32(command.params[1].number);
  if (mode == 1 || mode == 2) {
    cast.ApplyMotionPose();
    const Vector3 start = FramePoint(cast, "arrow", {0.0f, 0.0f, 0.0f});
    const Vector3 eye = cast.GetPosition() + Vector3{0.0f, kEyeHeight, 0.0f};
    const Matrix toCamera = InverseOrIdentity(camera->GetWorldMatrix(false));
    SolidObstacles obstacles;
    const int obstacleCount = CollectSolidObstacles(scene, nullptr, obstacles);
    TargetSpheres spheres;
    const int count = CollectTargetSpheres(scene, cast, spheres, [&](TargetSphere& sphere) {
      return Reachable(sphere, start, speed, fall) && ClearLine(obstacles, obstacleCount, eye, sphere.centre) &&
             InView(sphere, toCamera);
    });
    // Keeping (mode 2) with nothing in sight leaves the stored target alone.
    if (count > 0 || mode != 2) {
      Cast* target = StoredTarget(scene, cast);
      const MotionFrame* track = nullptr;
      const ScriptValue& trackName = cast.Property(kTargetTrackParam);
      if (target && trackName.type == SVT_String && target->GetCurrentMotion())
        track = target->GetCurrentMotion()->FindFrame(trackName.text);
      if (mode == 1 && !target) {
        const int chosen = ChooseTarget(spheres, count, stick);
        if (chosen >= 0) {
          target = spheres[static_cast<std::size_t>(chosen)].cast;
          track = spheres[static_cast<std::size_t>(chosen)].track;
        }
      } else if (mode == 1 && stick != -1.0f) {
        const int next = SwitchTarget(spheres, count, *target, track, toCamera, stick);
        if (next >= 0) target = spheres[static_cast<std::size_t>(next)].cast;
      }
      if (target) {
        SetCastValue(cast.Property(kTargetParam), scene.GetCastClass(), target);
        if (track) {
          cast.Property(kTargetTrackParam).SetString(track->GetName());
        } else {
          cast.Property(kTargetTrackParam).SetEmpty();
        }
        return 0;
      }
      cast.Property(kTargetParam).SetEmpty();
    }
  }
  if (stick != -1.0f) AimByHand(scene, cast, stick, yaw, pitch);
  return 0;
}
