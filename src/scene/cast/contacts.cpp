// The cast's obstacle contacts: the contact pass that fills the list from the
// obstacle meshes around its sphere, and the ground and wall angles read from it.
#include <array>
#include <cmath>
#include <numbers>

#include "collision/collision.h"
#include "motion/object_class.h"
#include "motion/object_flags.h"
#include "platform/math/matrix.h"
#include "platform/math/quaternion.h"
#include "platform/math/vector.h"
#include "scene/cast/cast.h"
#include "scene/cast/cast_angles.h"
#include "scene/cast/obstacles.h"
#include "scene/scene.h"

namespace {

constexpr float kPi = std::numbers::pi_v<float>;

}  // namespace

int Cast::GetContactCount() const {
  int count = 0;
  while (count < kCastContactCount && !contacts_[static_cast<std::size_t>(count)].cast.IsNull()) ++count;
  return count;
}

Cast* Cast::GetContactObstacle(int index) const {
  Cast* obstacle = contacts_[Slot(index, kCastContactCount)].cast.Get();
  return obstacle && !obstacle->IsDeletedWhileRunning() ? obstacle : nullptr;
}

bool Cast::IsWallContact(int index) const {
  return GetContactObstacle(index) && LiesBeside(contacts_[Slot(index, kCastContactCount)].direction);
}

void Cast::CollideCasts(Scene& scene, float margin) {
  const std::uint32_t needed = kFlagActive | kFlagCollisionDetection;
  if ((GetFlags() & needed) != needed) return;
  CollisionSphere sphere;
  // Without a sphere the contacts of the last frame stay.
  if (!GetCollisionSphere(*this, sphere) || !(sphere.radius > 0.0f)) return;
  const Vector3 centre = Vec3TransformNormal(sphere.centre, MatrixRotationQuaternion(rotation_)) + position_;
  const float reach = sphere.radius + margin;

  std::array<MeshContact, kCastContactCount> found;
  int count = 0;
  scene.ForEachObstacle(this, [&](int index, Cast& other) {
    if (count >= kCastContactCount) return;
    const ObstacleFrame* frame = scene.GetObstacleFrame(index);
    ObstacleShape shape;
    if (!frame || !GetObstacleShape(other, frame->world, false, shape)) return;
    // Far obstacles are left out at once; the test below on the class's
    // sphere in the obstacle's space decides for the others.
    if (Vec3Length(centre - shape.centre) - reach > shape.radius) return;
    const ObjectClass* cls = other.GetClass();
    const Vector3 local = Vec3TransformCoord(centre, frame->inverse);
    if (Vec3Length(local - cls->GetBoundingCenter()) - reach > cls->GetBoundingRadius()) return;
    const std::size_t hits = ClosestPointOnMesh(local, reach, *shape.mesh, found);
    // A full list takes no more: the rest are dropped and the list has no
    // terminator (GetContactCount says 32).
    for (std::size_t j = 0; j < hits && count < kCastContactCount; ++j) {
      const Vector3 point = Vec3TransformCoord(found[j].point, frame->world);
      CastContact& contact = contacts_[static_cast<std::size_t>(count++)];
      contact.cast = other.GetHandle();
      contact.direction = point - centre;
      contact.normal = Vec3TransformNormal(Vec3Normalize(found[j].normal), frame->world);
      contact.point = point - other.GetPosition();
      contact.face = found[j].face;
    }
  });
  if (count < kCastContactCount) contacts_[static_cast<std::size_t>(count)] = CastContact();
}

bool Cast::GetObstacleHitGroundAngle(float& angle) const {
  // The smallest angle is the arc cosine of the largest cosine.
  bool any = false;
  float largest = -1.0f;
  const Cast* live = nullptr;
  const int count = GetContactCount();
  for (int i = 0; i < count; ++i) {
    const CastContact& contact = contacts_[static_cast<std::size_t>(i)];
    // The contacts of one obstacle come together, so it is looked up once.
    if (i == 0 || !(contact.cast == contacts_[static_cast<std::size_t>(i - 1)].cast)) live = GetContactObstacle(i);
    if (!live) continue;
    any = true;
    largest = std::fmax(largest, VerticalCosine(-1.0f, contact.direction));
    // A face without area has no normal to lean on; its direction alone counts.
    if (contact.normal != Vector3{0.0f, 0.0f, 0.0f}) largest = std::fmax(largest, VerticalCosine(1.0f, contact.normal));
  }
  if (any) angle = std::acos(largest);
  return any;
}

bool Cast::GetObstacleHitYawAngle(float& angle) const {
  // A circular mean: walls at 170 and 190 degrees lie behind the cast (180),
  // where the mean of the angles as numbers would put them in front (0).
  double sumSin = 0.0;
  double sumCos = 0.0;
  bool any = false;
  const int count = GetContactCount();
  for (int i = 0; i < count; ++i) {
    if (!IsWallContact(i)) continue;
    const CastContact& contact = contacts_[static_cast<std::size_t>(i)];
    float h = Angle2D(contact.direction.x, contact.direction.z);
    if (h > kPi) h -= 2.0f * kPi;
    sumSin += std::sin(-static_cast<double>(h));
    sumCos += std::cos(-static_cast<double>(h));
    any = true;
  }
  if (!any) {
    angle = 0.0f;
    return false;
  }
  // Kept in [-pi, pi) as the negated headings are.
  double mean = std::atan2(sumSin, sumCos);
  if (mean >= std::numbers::pi - 1e-9) mean -= 2.0 * std::numbers::pi;
  angle = static_cast<float>(mean);
  return true;
}
