// The cast's control word: the player's pad, wall sectors, the ground,
// condition flags, double taps and pushing, and the walk of the current
// motion's case list that turns the word into motion changes and Commands.
#include <cmath>
#include <numbers>

#include "motion/case_table.h"
#include "motion/object_class.h"
#include "platform/math/matrix.h"
#include "platform/math/quaternion.h"
#include "platform/math/vector.h"
#include "scene/cast/cast.h"
#include "scene/cast/cast_angles.h"
#include "scene/cast/control_word.h"
#include "scene/scene.h"

namespace {

constexpr float kPi = std::numbers::pi_v<float>;
constexpr float kTwoPi = 2.0f * kPi;
constexpr float kQuarterPi = kPi / 4.0f;
// A second press of a direction within this many frames is a double tap;
// for as many frames after a press the push test waits.
constexpr std::uint32_t kDoubleTapFrames = 10;
// Region hits of this kind ("Push") make the pushing bit.
constexpr std::uint32_t kHitPush = 0x20;
// Only so many entries of the hit list are looked at for a push.
constexpr int kPushEntries = 2;

// The view matrix without its translation.
Matrix ViewRotation(const Matrix& view) {
  Matrix m = view;
  m.m[3][0] = m.m[3][1] = m.m[3][2] = 0.0f;
  return m;
}

}  // namespace

std::uint32_t PadToControlWord(std::uint32_t pad) {
  std::uint32_t word = pad & kPadButtons1To8;
  if (pad & kPadUp) word |= kControlUp;
  if (pad & kPadDown) word |= kControlDown;
  if (pad & kPadLeft) word |= kControlLeft;
  if (pad & kPadRight) word |= kControlRight;
  return word;
}

std::uint32_t WallSector(float heading) {
  if (heading <= kQuarterPi || heading >= 5.4977875f) return kControlWallAt0;
  if (heading <= 2.3561945f) return kControlWallAt90;
  if (heading <= 3.926991f) return kControlWallAt180;
  return kControlWallAt270;
}

bool CaseRecordMatches(const CaseRecord& record, std::uint32_t held, std::uint32_t pressed, std::uint32_t released) {
  const bool noAny = record.current.any == 0 && record.on.any == 0 && record.off.any == 0;
  const bool anyPart = noAny || (held & record.current.any) != 0 || (pressed & record.on.any) != 0 ||
                       (released & record.off.any) != 0;
  const bool noMask = record.current.mask == 0 && record.on.mask == 0 && record.off.mask == 0;
  const bool exactPart = noMask || ((held & record.current.mask) == record.current.value &&
                                    (pressed & record.on.mask) == record.on.value &&
                                    (released & record.off.mask) == record.off.value);
  return anyPart && exactPart;
}

std::uint32_t Cast::ContactBits() {
  std::uint32_t word = 0;
  const float yaw = QuatToEuler(rotation_).y;
  const int count = GetContactCount();
  for (int i = 0; i < count; ++i) {
    if (!IsWallContact(i)) continue;
    const CastContact& contact = contacts_[static_cast<std::size_t>(i)];
    // Not wrapped: a heading past 2 pi reads as the front sector.
    word |= WallSector(Angle2D(contact.direction.x, contact.direction.z) + yaw);
  }
  float ground = 0.0f;
  if (GetObstacleHitGroundAngle(ground) && ground < kQuarterPi) word |= kControlGround;
  return word;
}

float Cast::FacingFromCamera(const Scene& scene) const {
  const Matrix m = MatrixRotationQuaternion(rotation_) * ViewRotation(scene.GetViewMatrix());
  const Vector3 v = Vec3TransformNormal({0.0f, 0.0f, 1.0f}, m);
  float yaw = kPi / 2.0f - Angle2D(v.x, v.z);
  if (yaw < 0.0f) {
    yaw += kTwoPi;
  } else if (yaw >= kTwoPi) {
    yaw -= kTwoPi;
  }
  return yaw;
}

bool Cast::IsPushing(const Scene& scene, std::uint32_t pad) {
  const CastHitList& hits = hitLists_[static_cast<std::size_t>(currentHitList_ & 1)];
  for (int i = 0; i < kPushEntries; ++i) {
    const CastHit& hit = hits[static_cast<std::size_t>(i)];
    if (hit.cast.IsNull()) break;  // the end of the list
    const Cast* other = hit.cast.Get();
    if (!other || (hit.bits & kHitPush) == 0) continue;
    Vector3 d = other->GetPosition() - position_;
    if (!LiesBeside(d)) return false;
    d = Vec3TransformNormal(d, MatrixRotationQuaternion(QuaternionConjugate(rotation_)));
    if (!(std::fabs(d.x) < std::fabs(d.z) && d.z > 0.0f)) return false;
    Vector3 stick{0.0f, 0.0f, 0.0f};
    if (pad & kPadUp) stick.z = 1.0f;
    if (pad & kPadDown) stick.z = -1.0f;
    if (pad == kPadRight) stick.x = 1.0f;
    if (pad == kPadLeft) stick.x = -1.0f;
    Matrix inverse;
    if (!MatrixInverse(&inverse, nullptr, ViewRotation(scene.GetViewMatrix()) * MatrixRotationQuaternion(rotation_)))
      return false;
    stick = Vec3TransformNormal(stick, inverse);
    return std::fabs(stick.x) < std::fabs(stick.z) && stick.z > 0.0f;
  }
  return false;
}

std::uint32_t Cast::BuildControlWord(Scene& scene) {
  std::uint32_t word = 0;
  switch (class_->GetCaseType()) {
    case kInputPlayer: {
      const InputSource* input = scene.GetInput();
      std::uint32_t pad = input ? input->GetPadButtons() : 0;
      word = PadToControlWord(pad);
      const std::uint32_t frame = scene.GetFrameCounter();
      if ((previousControl_ & kControlStick) == 0 && (word & kControlStick) != 0) {
        if (frame - lastStickPressFrame_ < kDoubleTapFrames)
          word |= (lastStickDirection_ & word & kControlStick) << kControlDoubleTapShift;
        lastStickPressFrame_ = frame;
        lastStickDirection_ = word & kControlStick;
        previousPressYaw_ = pressYaw_;
        pressYaw_ = FacingFromCamera(scene);
      }
      if (frame - lastStickPressFrame_ < kDoubleTapFrames) pad &= ~kPadStick;
      word |= ContactBits();
      word |= GetFlags() & kControlConditions;
      if ((pad & kPadStick) != 0 && IsPushing(scene, pad)) word |= kControlPushing;
      break;
    }
    case kInputNone:
      word = ContactBits();
      break;
    default:
      break;
  }
  return word;
}

void Cast::UpdateControl(Scene& scene) {
  ObjectClass* cls = class_;
  if (!cls) return;
  const CaseList* list = cls->GetCaseTable().ListAt(motionIndex_);
  if (!list) return;
  const std::uint32_t held = BuildControlWord(scene);
  const std::uint32_t changed = held ^ previousControl_;
  const std::uint32_t pressed = changed & held;
  const std::uint32_t released = changed & previousControl_;
  // The list walked is the one of the motion the frame began with, even when
  // a record switches the motion. A record's Command may take the class away
  // (its tables stay alive until the next frame) or delete this very cast:
  // the walk stops there.
  const CastHandle self = handle_;
  const std::size_t count = list->records.size();
  for (std::size_t i = 0; i < count; ++i) {
    const CaseRecord& record = list->records[i];
    if (!CaseRecordMatches(record, held, pressed, released)) continue;
    if (record.nextMotion != -1) SetMotion(record.nextMotion, &scene);
    if (record.time != -1) SetMotionTime(record.time, &scene);
    RunHook(&record.script, scene);
    if (self.Get() != this) return;
    if (class_ != cls || IsDeletedWhileRunning()) break;
    if (!record.continues) break;
  }
  previousControl_ = held;
}
