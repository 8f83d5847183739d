// Riding: a cast is carried by the obstacles it touched last frame, turned
// with a platform that turns and moved with one it stands on.
#include <cmath>
#include <numbers>

#include "platform/math/matrix.h"
#include "platform/math/quaternion.h"
#include "platform/math/vector.h"
#include "scene/cast/cast.h"
#include "scene/cast/cast_angles.h"
#include "scene/cast/obstacles.h"

namespace {

constexpr float kQuarterPi = std::numbers::pi_v<float> / 4.0f;

Vector3 Turn(const Vector3& v, const Quaternion& rotation) {
  return Vec3TransformNormal(v, MatrixRotationQuaternion(rotation));
}

}  // namespace

void Cast::RidePlatform(Scene&) {
  const int count = GetContactCount();
  if (count == 0) return;
  CollisionSphere sphere;
  const Vector3 centre = GetCollisionSphere(*this, sphere) ? sphere.centre : Vector3{0.0f, 0.0f, 0.0f};
  // Consecutive contacts with one obstacle are one platform, carried once,
  // standing on it when any of them lies within 45 degrees of straight down
  // (compared as cosines: the smallest angle has the largest cosine).
  float largest = -1.0f;
  for (int i = 0; i < count; ++i) {
    const CastContact& contact = contacts_[static_cast<std::size_t>(i)];
    if (i == 0 || !(contacts_[static_cast<std::size_t>(i - 1)].cast == contact.cast)) largest = -1.0f;
    largest = std::fmax(largest, VerticalCosine(-1.0f, contact.direction));
    const bool lastOfGroup = i + 1 == count || !(contacts_[static_cast<std::size_t>(i + 1)].cast == contact.cast);
    if (!lastOfGroup) continue;
    if (const Cast* platform = GetContactObstacle(i)) CarryBy(*platform, centre, std::acos(largest) < kQuarterPi);
  }
}

void Cast::CarryBy(const Cast& platform, const Vector3& sphereCentre, bool standing) {
  if (!(platform.rotation_ == platform.previousRotation_)) {
    // The platform's turn this frame in world axes: the previous rotation
    // first, then the turn (the other order is right only for turns about
    // the axis of the previous rotation).
    const Quaternion turn = QuaternionMultiply(QuaternionInverse(platform.previousRotation_), platform.rotation_);
    const Quaternion yaw = QuaternionRotationYawPitchRoll(QuatToEuler(turn).y, 0.0f, 0.0f);
    // Both sphere centres turn about where the platform stood: its move is
    // added below, and turning the current centre about the moved platform
    // would let the rider drift by the move's own turn.
    const Vector3 pivot = platform.previousPosition_;
    const Vector3 now = Turn(Turn(sphereCentre, rotation_) + position_ - pivot, turn) + pivot;
    const Vector3 before = Turn(Turn(sphereCentre, previousRotation_) + previousPosition_ - pivot, turn) + pivot;
    rotation_ = QuaternionMultiply(rotation_, yaw);
    previousRotation_ = QuaternionMultiply(previousRotation_, yaw);
    // The cast turns with the platform, so its sphere centre is taken off by
    // the turned rotation and stays where the platform carried it.
    ridingDisplacement_ -= previousPosition_;
    previousPosition_ = before - Turn(sphereCentre, previousRotation_);
    position_ = now - Turn(sphereCentre, rotation_);
    ridingDisplacement_ += previousPosition_;
  }
  if (standing) {
    position_ += platform.ridingDisplacement_;
    // A rising platform lifts the start of the sweep (which then finds its
    // floor again); a sinking one lowers the target.
    const Vector3 move = platform.position_ - platform.previousPosition_;
    if (move.y >= 0.0f) {
      previousPosition_.y += move.y;
    } else {
      position_.y += move.y;
    }
    position_.x += move.x;
    position_.z += move.z;
  }
}
