// The hit-region section of a cast's update: this cast's attack spheres
// against the target and defence spheres of the others, the hit lists of the
// last two frames, and the OnHit hooks of a new hit.
#include "motion/object_class.h"
#include "motion/object_flags.h"
#include "platform/math/vector.h"
#include "scene/cast/cast.h"
#include "scene/scene.h"

namespace {

// The ten kinds of each group of a sphere's region word.
constexpr std::uint32_t kRegionKindMask = 0x3FFu;

std::uint32_t AttackKinds(std::uint32_t word) { return word & kRegionKindMask; }
std::uint32_t TargetKinds(std::uint32_t word) { return (word >> kRegionTargetShift) & kRegionKindMask; }
std::uint32_t DefenceKinds(std::uint32_t word) { return (word >> kRegionDefendShift) & kRegionKindMask; }

// The motion's hook when set, else the class's.
const Command* HitHook(const Motion* motion, const ObjectClass* cls) {
  if (motion && motion->OnHit().type != CommandType::None) return &motion->OnHit();
  return cls ? &cls->GetCommand(kClassOnHit) : nullptr;
}

void RunHitHook(Scene& scene, Cast& cast, const Command* hook, const char* frame, Cast& other, const char* otherFrame,
                std::uint32_t bits) {
  if (!hook || hook->type == CommandType::None) return;
  ScriptValue args[4];
  args[0].SetString(frame);
  SetCastValue(args[1], scene.GetCastClass(), &other);
  args[2].SetString(otherFrame);
  args[3].SetNumber(bits);
  scene.ExecuteCommand(*hook, &cast, args, 4);
}

}  // namespace

// What one attack sphere found among the other casts.
struct Cast::SphereHit {
  std::uint32_t kinds = 0;  // the attack's kinds, less those a defence took away
  Cast* cast = nullptr;     // the cast of the last target sphere that passed
  const char* frame = "";   // its track's name
  std::uint32_t bits = 0;   // the kinds of every target sphere that passed
};

const std::vector<Cast::RegionSphere>& Cast::RegionSpheres() const {
  const Motion* motion = GetCurrentMotion();
  if (spheresValid_ && spheresMotion_ == motion && spheresTime_ == motionTime_ && spheresRevision_ == poseRevision_ &&
      spheresPosition_ == position_ && spheresRotation_ == rotation_) {
    return spheres_;
  }
  // Every other cast's hit section reads these: the keys are looked up and
  // the centres carried through the pose once, not once per attacker.
  spheres_.clear();
  MotionKey key;
  for (int track = 0; motion && track < motion->TrackCount(); ++track) {
    if (!motion->FrameAt(track)->GetKey(kKindSphere, motionTime_, key, false) || key.GetRegionFlags() == 0) continue;
    spheres_.push_back({track, key.GetRegionFlags(), key.GetRadius(), BonePointAt(track, key.GetVector())});
  }
  spheresValid_ = true;
  spheresMotion_ = motion;
  spheresTime_ = motionTime_;
  spheresRevision_ = poseRevision_;
  spheresPosition_ = position_;
  spheresRotation_ = rotation_;
  return spheres_;
}

void Cast::FindSphereHit(Scene& scene, const RegionSphere& attack, SphereHit& hit) const {
  // A power distance: a sphere passes when it is nearer, in that sense, than
  // every sphere that passed before it (the attack's own radius the first bound).
  float best = attack.radius * attack.radius;
  for (int slot = 0; slot < scene.CastCount(); ++slot) {
    Cast* other = scene.CastAt(slot);
    // The table is kept without holes, and like every walk over it this one
    // ends at its first empty slot.
    if (!other) break;
    if (other == this) continue;
    const std::uint32_t flags = other->GetFlags();
    if (!(flags & kFlagVisible) || (flags & kCastDeletedWhileRunning)) continue;
    const Motion* motion = other->GetCurrentMotion();
    if (!motion) continue;
    // Each cast's spheres sit on its own pose, never on whichever cast of
    // its class the shared model was last posed for.
    for (const RegionSphere& sphere : other->RegionSpheres()) {
      const std::uint32_t target = hit.kinds & TargetKinds(sphere.kinds);
      const std::uint32_t defence = hit.kinds & DefenceKinds(sphere.kinds);
      if (!target && !defence) continue;
      const float distance = Vec3LengthSq(attack.centre - sphere.centre);
      const float r2 = sphere.radius * sphere.radius;
      if (!(distance < r2 + best)) continue;
      best = distance - r2;
      if (!target) {
        hit.kinds &= ~defence;
      } else {
        hit.cast = other;
        hit.frame = motion->FrameAt(sphere.track)->GetName();
        hit.bits |= target;
      }
    }
  }
}

void Cast::UpdateHitRegions(Scene& scene) {
  const Motion* motion = GetCurrentMotion();
  if (!motion) return;
  const int written = currentHitList_ & 1;
  CastHitList& list = hitLists_[static_cast<std::size_t>(written)];
  const CastHitList& last = hitLists_[static_cast<std::size_t>(written ^ 1)];
  const CastHandle self = handle_;
  int count = 0;
  // By index: a hook that moves this cast or sets its time makes its spheres
  // be read again.
  for (std::size_t i = 0; i < RegionSpheres().size(); ++i) {
    const RegionSphere attack = RegionSpheres()[i];
    if (!AttackKinds(attack.kinds)) continue;
    const MotionFrame& track = *motion->FrameAt(attack.track);
    SphereHit hit;
    hit.kinds = AttackKinds(attack.kinds);
    FindSphereHit(scene, attack, hit);
    if (!hit.cast || !hit.bits) continue;

    // New unless last frame's list holds the same cast with all these kinds.
    bool isNew = true;
    for (const CastHit& entry : last) {
      if (entry.cast.IsNull()) break;
      if (entry.cast.Get() == hit.cast && (entry.bits & hit.bits) == hit.bits) {
        isNew = false;
        break;
      }
    }
    const CastHandle hitHandle = hit.cast->GetHandle();
    if (isNew && moveMode_ != kMoveIKRelease && hit.cast->moveMode_ != kMoveIKRelease) {
      // Track names stay valid through the hooks: a class a hook unregisters
      // is kept until the frame ends.
      RunHitHook(scene, *this, HitHook(motion, class_), track.GetName(), *hit.cast, hit.frame, hit.bits);
      // Outside a frame a deletion frees the cast at once.
      if (self.Get() != this) return;
      if (Cast* other = hitHandle.Get()) {
        RunHitHook(scene, *other, HitHook(other->GetCurrentMotion(), other->class_), hit.frame, *this,
                   track.GetName(), hit.bits << kRegionTargetShift);
        if (self.Get() != this) return;
      }
    }
    // Recorded whether or not the hooks ran; the hooks of hits past the list's end still run.
    if (count < kCastHitListSize) list[static_cast<std::size_t>(count++)] = {hitHandle, hit.bits};
    // A hook that switched the motion ends the walk: the spheres left
    // belong to a motion the cast no longer plays.
    if (GetCurrentMotion() != motion) break;
  }
  if (count < kCastHitListSize) list[static_cast<std::size_t>(count)] = CastHit();
  currentHitList_ = written ^ 1;
}
