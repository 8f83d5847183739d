// The cast's first per-frame pass: its move mode (IK release, alpha fade,
// constant move; rails are in rails.cpp), the hooks, the motion time, and the
// speed with its speed control and gravity.
#include <algorithm>
#include <chrono>
#include <cmath>

#include "motion/object_class.h"
#include "motion/object_flags.h"
#include "platform/math/matrix.h"
#include "platform/math/quaternion.h"
#include "platform/math/vector.h"
#include "scene/cast/cast.h"
#include "scene/cast/cast_angles.h"
#include "scene/cast/motion_query.h"
#include "scene/scene.h"

namespace {

constexpr float kDegreesToRadians = 0.017453292f;
constexpr float kQuarterPi = 0.785398163f;

// Adds the time of its own life to a profile counter.
class SectionTimer {
 public:
  explicit SectionTimer(std::uint64_t& counter) : counter_(counter), start_(std::chrono::steady_clock::now()) {}
  ~SectionTimer() {
    counter_ += static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - start_).count());
  }
  SectionTimer(const SectionTimer&) = delete;
  SectionTimer& operator=(const SectionTimer&) = delete;

 private:
  std::uint64_t& counter_;
  std::chrono::steady_clock::time_point start_;
};

// One axis of the speed control toward the target g (a tenth of the key).
float ControlAxis(float speed, float target) {
  if (target == 0.0f) return speed - speed / 5.0f;
  if (target > 0.0f) {
    if (speed < target) return std::min(speed + target, target);
    if (speed > target) return std::max(speed - target / 5.0f, target);
  } else {
    if (speed > target) return std::max(speed + target, target);
    if (speed < target) return std::min(speed - target / 5.0f, target);
  }
  return speed;
}

// Within the speed limit; a speed that is not a number stops instead of
// spreading into the position.
float ClampSpeed(float speed) {
  if (std::isnan(speed)) return 0.0f;
  return std::clamp(speed, -kMaxCastSpeed, kMaxCastSpeed);
}

}  // namespace

void Cast::SetMoveMode(std::int32_t mode, std::int64_t duration) {
  if (moveMode_ == kMoveAlphaFade && mode != kMoveAlphaFade) alpha_ = fadeEndAlpha_;
  moveMode_ = mode;
  moveElapsed_ = 0;
  moveDuration_ = duration;
  InvalidateFlags();
}

void Cast::StartMoving(const Vector3& step, const Quaternion& turn, std::int32_t frames) {
  moveMode_ = kMoveStartMoving;
  moveElapsed_ = 0;
  moveDuration_ = frames;
  movingVector_ = step;
  movingTurn_ = turn;
  InvalidateFlags();
}

void Cast::StartAlphaFade(float targetAlpha, std::int32_t frames) {
  SetMoveMode(kMoveAlphaFade, frames);
  fadeStartAlpha_ = alpha_;
  fadeEndAlpha_ = targetAlpha;
}

void Cast::Update(Scene& scene) {
  if (!GetCurrentMotion()) return;
  SectionTimer whole(profile_[0]);
  {
    SectionTimer timer(profile_[1]);
    if (moveMode_ != kMoveNone) RunMoveMode();
    ++moveElapsed_;
    if (moveDuration_ != kMoveEndless && moveElapsed_ > moveDuration_) {
      // A mode that runs out leaves alpha as the last frame set it.
      moveMode_ = kMoveNone;
      moveDuration_ = 0;
      moveElapsed_ = 0;
      InvalidateFlags();
    }
  }
  {
    SectionTimer timer(profile_[2]);
    UpdateControl(scene);
  }
  {
    SectionTimer timer(profile_[3]);
    // The hooks before this one may have switched the motion, or a script
    // may have taken the class away: the motion is looked up afresh.
    if (const Motion* motion = GetCurrentMotion()) {
      if (motion->OnLoop().type != CommandType::None) {
        RunHook(&motion->OnLoop(), scene);
      } else {
        RunHook(ClassHook(kClassOnLoop), scene);
      }
    }
  }
  {
    SectionTimer timer(profile_[4]);
    UpdateHitRegions(scene);
  }
  {
    SectionTimer timer(profile_[5]);
    SetMotionTime(static_cast<std::int64_t>(motionTime_) + 1, &scene);
  }
  {
    SectionTimer timer(profile_[6]);
    UpdateSpeed(scene);
  }
}

void Cast::RunMoveMode() {
  switch (moveMode_) {
    case kMoveIKRelease:
      RunIKRelease();
      break;
    case kMoveRail:
    case kMoveRailPositionOnly:
      RunRail(false, moveMode_ == kMoveRail);
      break;
    case kMoveBackAndForth:
    case kMoveBackAndForthPositionOnly:
      RunRail(true, moveMode_ == kMoveBackAndForth);
      break;
    case kMoveAlphaFade:
      RunAlphaFade();
      break;
    case kMoveStartMoving:
      RunStartMoving();
      break;
    default:
      break;
  }
}

void Cast::RunAlphaFade() {
  // A fade of no frames (or an endless one) has nothing to spread over: it
  // is at its end at once.
  if (moveDuration_ <= 0) {
    alpha_ = fadeEndAlpha_;
    return;
  }
  alpha_ = (fadeEndAlpha_ - fadeStartAlpha_) * static_cast<float>(moveElapsed_) / static_cast<float>(moveDuration_) +
           fadeStartAlpha_;
}

void Cast::RunStartMoving() {
  rotation_ = QuaternionMultiply(movingTurn_, rotation_);
  position_ += Vec3TransformNormal(movingVector_, MatrixRotationQuaternion(rotation_));
}

void Cast::RunIKRelease() {
  const int count = ikChain_.GetCount();
  if (moveElapsed_ >= moveDuration_) {
    // The blend is over (or had no frames): the joints follow the motion again.
    for (int i = 0; i < count; ++i) {
      const std::int32_t bone = ikChain_.GetJoint(i)->boneIndex;
      if (boneControls_ && bone >= 0 && bone < boneControlCount_) {
        boneControls_[static_cast<std::size_t>(bone)].mode = kBoneControlNone;
        ++poseRevision_;
      }
    }
    return;
  }
  const float f = static_cast<float>(moveElapsed_) / static_cast<float>(moveDuration_);
  const Motion* motion = GetCurrentMotion();
  blendScratch_.resize(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    const IKJoint& joint = *ikChain_.GetJoint(i);
    // The inverse of the motion's own rotation of the frame: releasing blends
    // the solved pose back toward no override at all.
    Quaternion keyed = QuaternionIdentity();
    if (motion) {
      if (const MotionFrame* track = motion->FrameAt(joint.boneIndex - 1)) {
        MotionKey key;
        // Content's rotations need not be unit length; the axis and angle of
        // one that is not would be wrong.
        if (track->GetKey(kKindRotate, motionTime_, key, false)) keyed = UnitRotation(key.GetQuaternion());
      }
    }
    Vector3 axis;
    float angle = 0.0f;
    QuaternionToAxisAngle(keyed, &axis, &angle);
    const Quaternion inverse = QuaternionRotationAxis(axis, -angle);
    const Quaternion solved = QuaternionRotationMatrix(MatrixRotationYawPitchRoll(
        joint.angleY * kDegreesToRadians, joint.angleX * kDegreesToRadians, joint.angleZ * kDegreesToRadians));
    blendScratch_[static_cast<std::size_t>(i)] = QuaternionSlerp(solved, inverse, f);
  }
  for (int i = 0; i < count; ++i) {
    Matrix m = MatrixIdentity();
    for (int k = i + 1; k >= 0; --k) {
      if (k < count) m = m * MatrixRotationQuaternion(blendScratch_[static_cast<std::size_t>(k)]);
      if (k > 0) {
        const Vector3& offset = ikChain_.GetJoint(k - 1)->offset;
        m = m * MatrixTranslation(offset.x, offset.y, offset.z);
      }
    }
    SetBoneMatrix(ikChain_.GetJoint(i)->boneIndex, m, kBoneControlAbsolute, 0);
  }
}

void Cast::UpdateSpeed(Scene& scene) {
  const Matrix w = MatrixRotationQuaternion(rotation_);
  Matrix inverse;
  // A zero rotation (scripts may write one) has no inverse: the speed then
  // stays in the cast's axes as it is.
  const bool invertible = MatrixInverse(&inverse, nullptr, w);
  const std::uint32_t flags = GetFlags();

  const Motion* motion = GetCurrentMotion();
  if (const MotionFrame* track = FirstTrack(motion); track && !(flags & kFlagNoSpeedCtrl)) {
    // A track without a "VECT" key answers the zero vector: the cast slows down.
    MotionKey key;
    track->GetKey(kKindVector, motionTime_, key, false);
    const Vector3 target = key.GetVector() * (1.0f / 10.0f);
    speed_.x = ControlAxis(speed_.x, target.x);
    speed_.z = ControlAxis(speed_.z, target.z);
    speed_.y += target.y;
    if (turnFactor_ != 1.0f && speed_.z != 0.0f) {
      const float cap = target.z * turnFactor_;
      speed_.z = cap >= 0.0f ? std::min(speed_.z, cap) : std::max(speed_.z, cap);
    }
  }

  float groundAngle = 0.0f;
  if (invertible && GetObstacleHitGroundAngle(groundAngle) && groundAngle < kQuarterPi) {
    // A grounded cast never sinks faster than its horizontal speed lets it
    // follow a slope.
    Vector3 v = Vec3TransformNormal(speed_, w);
    float floor = 0.0f;
    if (flags & kFlagFreeFall) floor = std::max(-std::sqrt(v.x * v.x + v.z * v.z), scene.GetFallSpeed());
    v.y = std::max(v.y, floor);
    speed_ = Vec3TransformNormal(v, inverse);
  }
  if (invertible && (flags & kFlagFreeFall)) {
    Vector3 v = Vec3TransformNormal(speed_, w);
    v.y += scene.GetFallSpeed();
    speed_ = Vec3TransformNormal(v, inverse);
  }
  speed_ = {ClampSpeed(speed_.x), ClampSpeed(speed_.y), ClampSpeed(speed_.z)};
  position_ += Vec3TransformNormal(speed_, w);
}
