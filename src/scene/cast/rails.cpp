// Rails: points a cast runs along (fixed, or following other casts), as a
// Catmull-Rom curve with squad rotations, looping or back and forth.
#include <algorithm>
#include <limits>

#include "platform/math/quaternion.h"
#include "platform/math/vector.h"
#include "scene/cast/cast.h"

namespace {

// Durations are kept far from the 64-bit limit, so that adding frames to
// them can never overflow.
constexpr std::int64_t kLongestDuration = std::numeric_limits<std::int64_t>::max() / 4;

std::int64_t RailDuration(std::int64_t total, std::int64_t laps, std::uint32_t repeat) {
  if (repeat == kRailEndless) return kMoveEndless;
  std::int64_t duration = 0;
  if (__builtin_mul_overflow(total, laps, &duration) ||
      __builtin_mul_overflow(duration, static_cast<std::int64_t>(repeat), &duration) ||
      duration > kLongestDuration) {
    return kLongestDuration;
  }
  // A rail whose frames add up to nothing or less runs no frame.
  return std::max<std::int64_t>(duration, 0);
}

// A point that follows a cast takes its position and rotation; once that
// cast is gone the point stays where the cast was last seen.
const RailPoint& Refreshed(RailPoint& point) {
  if (const Cast* cast = point.cast.Get()) {
    point.position = cast->GetPosition();
    point.rotation = cast->GetRotation();
  }
  return point;
}

}  // namespace

void Cast::ClearRail() {
  railCount_ = 0;
  railTotal_ = 0;
  if (moveMode_ >= kMoveRail && moveMode_ <= kMoveBackAndForthPositionOnly) SetMoveMode(kMoveNone, 0);
}

void Cast::AddRailCast(const Cast* cast, std::int32_t frames) {
  if (railCount_ >= kRailPointCount) return;
  railTotal_ += frames;
  RailPoint& point = rail_[static_cast<std::size_t>(railCount_++)];
  point = RailPoint();
  point.cast = CastHandle::Of(cast);
  point.time = railTotal_;
  Refreshed(point);
}

void Cast::AddRailPos(const Vector3& position, const Quaternion& rotation, std::int32_t frames) {
  if (railCount_ >= kRailPointCount) return;
  railTotal_ += frames;
  RailPoint& point = rail_[static_cast<std::size_t>(railCount_++)];
  point = RailPoint();
  point.position = position;
  point.rotation = rotation;
  point.time = railTotal_;
}

void Cast::RunOnTheRail(std::uint32_t kind, std::uint32_t repeat) {
  switch (kind) {
    case kRailLoop:
      moveMode_ = kMoveRail;
      moveDuration_ = RailDuration(railTotal_, 1, repeat);
      break;
    case kRailLoop | kRailPositionOnly:
      moveMode_ = kMoveRailPositionOnly;
      moveDuration_ = RailDuration(railTotal_, 1, repeat);
      break;
    case kRailBackAndForth:
      moveMode_ = kMoveBackAndForth;
      moveDuration_ = RailDuration(railTotal_, 2, repeat);
      break;
    case kRailBackAndForth | kRailPositionOnly:
      moveMode_ = kMoveBackAndForthPositionOnly;
      moveDuration_ = RailDuration(railTotal_, 2, repeat);
      break;
    default:
      break;
  }
  moveElapsed_ = 0;
  InvalidateFlags();
}

void Cast::RunRail(bool backAndForth, bool withRotation) {
  const int n = railCount_;
  const std::int64_t total = railTotal_;
  // A rail of frames that add up to nothing (or less) has no time to run on.
  if (n == 0 || total <= 0) return;
  if (n == 1) {
    const RailPoint& only = Refreshed(rail_[0]);
    position_ = only.position;
    if (withRotation) rotation_ = only.rotation;
    return;
  }
  const RailPoint& last = rail_[static_cast<std::size_t>(n - 1)];

  std::int64_t t;
  bool repeats;
  if (backAndForth) {
    t = moveElapsed_ % (2 * total);
    if (t > total) t = total - (t - total);
    repeats = true;
  } else {
    repeats = moveDuration_ == kMoveEndless || moveDuration_ > last.time;
    // The last frame of a rail that ends stands at the rail's end: the time
    // would wrap to the start there and snap the cast back.
    if (moveDuration_ != kMoveEndless && moveElapsed_ >= moveDuration_ && moveElapsed_ > 0 && !repeats) {
      const RailPoint& end = Refreshed(rail_[static_cast<std::size_t>(n - 1)]);
      position_ = end.position;
      if (withRotation) rotation_ = end.rotation;
      return;
    }
    t = moveElapsed_ % total;
  }

  int i = 0;
  while (i < n - 2 && rail_[static_cast<std::size_t>(i + 1)].time <= t) ++i;
  int a = i - 1, b = i + 1, c = i + 2;
  if (backAndForth || repeats) {
    if (a < 0) a += n;
    if (b >= n) b -= n;
    if (c >= n) c -= n;
  } else {
    a = std::max(a, 0);
    b = std::min(b, n - 1);
    c = std::min(c, n - 1);
  }
  const RailPoint& pa = Refreshed(rail_[static_cast<std::size_t>(a)]);
  const RailPoint& pi = Refreshed(rail_[static_cast<std::size_t>(i)]);
  const RailPoint& pb = Refreshed(rail_[static_cast<std::size_t>(b)]);
  const RailPoint& pc = Refreshed(rail_[static_cast<std::size_t>(c)]);

  const std::int64_t t0 = pi.time;
  std::int64_t t1 = pb.time;
  if (t1 < t0) t1 += last.time;
  // Points whose times do not grow give a segment of no length: the cast
  // stays on its first point instead of dividing by zero.
  const float s = t1 > t0 ? static_cast<float>(static_cast<double>(t - t0) / static_cast<double>(t1 - t0)) : 0.0f;

  position_ = Vec3CatmullRom(pa.position, pi.position, pb.position, pc.position, s);
  if (withRotation) {
    Quaternion qa, qb, qc;
    QuaternionSquadSetup(&qa, &qb, &qc, pa.rotation, pi.rotation, pb.rotation, pc.rotation);
    rotation_ = QuaternionSquad(pi.rotation, qa, qb, qc, s);
  }
}
