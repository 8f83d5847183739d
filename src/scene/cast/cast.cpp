// The cast record: construction, reset, the effective flags and the plain
// accessors that need more than a field.
#include "scene/cast/cast.h"

#include "motion/object_class.h"
#include "motion/object_flags.h"
#include "platform/math/matrix.h"
#include "platform/math/quaternion.h"
#include "platform/system/safe_string.h"
#include "scene/cast/motion_query.h"

Cast::Cast(ObjectClass* cls, CastRegistry& registry)
    : registry_(registry), handle_(registry.Register(this)), class_(cls) {}

Cast::~Cast() {
  // Every handle to this cast (scripts, links, rails, contacts of others)
  // reads as null from here on.
  registry_.Release(handle_);
}

void Cast::SetClass(ObjectClass* cls) {
  class_ = cls;
  ++poseRevision_;
  InvalidateFlags();
}

void Cast::ForgetClass() {
  class_ = nullptr;
  FreeBoneControls();
  InvalidateFlags();
}

void Cast::SetName(const char* name) { SafeStrCopy(name_, name ? name : "", sizeof name_); }

void Cast::Reset() {
  flags_ = initFlags_;
  flagMask_ = initFlagMask_;
  speed_ = initSpeed_;

  previousPosition_ = position_ = initPos_;
  previousRotation_ = rotation_ = initRotate_;
  ridingDisplacement_ = {0.0f, 0.0f, 0.0f};

  motionIndex_ = initMotion_;
  motionTime_ = initTime_;
  angularSpeed_ = QuaternionIdentity();

  FreeBoneControls();
  scriptVector_ = {0.0f, 0.0f, 0.0f};
  cameraGuides_.fill(CameraGuide());
  parentLink_.Clear();
  childLink_.Clear();
  hitLists_[0].fill(CastHit());
  hitLists_[1].fill(CastHit());
  currentHitList_ = 0;
  contacts_.fill(CastContact());

  moveMode_ = kMoveNone;
  moveElapsed_ = 0;
  moveDuration_ = 0;
  for (int i = 0; i < kCastPropertyCount; ++i) {
    properties_[static_cast<std::size_t>(i)].Clear();
    properties_[static_cast<std::size_t>(i)] = initProperty_[static_cast<std::size_t>(i)];
  }
  ClearRail();
  movingVector_ = {0.0f, 0.0f, 0.0f};
  movingTurn_ = QuaternionIdentity();
  strainCounter_ = 0;

  profile_.fill(0);
  profileLast_.fill(0);
  previousControl_ = 0;
  lastStickPressFrame_ = 0;
  lastStickDirection_ = 0;
  previousPressYaw_ = 0.0f;
  pressYaw_ = 0.0f;

  flagCache_ = kFlagCacheInvalid;
  alpha_ = 1.0f;
}

std::uint32_t Cast::GetFlags() {
  if (flagCache_ == kFlagCacheInvalid) {
    std::uint32_t value = class_ ? class_->GetFlags() : 0;
    if (const Motion* motion = GetCurrentMotion()) {
      value |= motion->GetOrFlags();
      if (const MotionKey* key = FindExactKey(FirstTrack(motion), kKindParam, motionTime_))
        value |= key->GetOrFlags();
    }
    if (moveMode_ == kMoveGameCommand) value |= kFlagVisible;
    if (moveMode_ != kMoveNone) value |= kFlagActive;
    flagCache_ = (value & flagMask_) | flags_;
  }
  return flagCache_;
}

Matrix Cast::GetWorldMatrix(bool withAngularSpeed) const {
  const Quaternion q = withAngularSpeed ? QuaternionMultiply(rotation_, angularSpeed_) : rotation_;
  Matrix world = MatrixRotationQuaternion(q);
  world.m[3][0] = position_.x;
  world.m[3][1] = position_.y;
  world.m[3][2] = position_.z;
  return world;
}

Motion* Cast::GetCurrentMotion() const { return class_ ? class_->MotionAt(motionIndex_) : nullptr; }

void Cast::RollProfile() {
  profileLast_ = profile_;
  profile_.fill(0);
}
