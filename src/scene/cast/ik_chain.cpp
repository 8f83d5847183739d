// The IK chain's joints, the matrices along it and its cyclic-coordinate-descent solve.
#include "scene/cast/ik_chain.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <stdexcept>

#include "platform/math/matrix.h"
#include "platform/math/quaternion.h"
#include "platform/math/vector.h"
#include "scene/cast/cast_angles.h"

namespace {

constexpr float kDegreesToRadians = 0.017453292f;
constexpr float kRadiansToDegrees = 57.295776f;
// Below this a vector has no direction and an angle is no turn.
constexpr float kTiny = 1e-6f;

Matrix JointRotation(const IKJoint& joint) {
  return MatrixRotationYawPitchRoll(joint.angleY * kDegreesToRadians, joint.angleX * kDegreesToRadians,
                                    joint.angleZ * kDegreesToRadians);
}

// The rotation turning `from` onto `to`. Vectors without length, parallel or
// opposite ones, and anything that is not a number give no turn, so a
// degenerate chain or target never writes NaN into the joint angles.
Quaternion QuatFromTwoVectors(const Vector3& from, const Vector3& to) {
  const float fromLength = Vec3Length(from);
  const float toLength = Vec3Length(to);
  if (!(fromLength >= kTiny) || !(toLength >= kTiny)) return QuaternionIdentity();
  const Vector3 cross = Vec3Cross(from, to);
  if (!(Vec3Length(cross) >= kTiny)) return QuaternionIdentity();
  // Rounding may carry the cosine of nearly parallel vectors past 1.
  const float cosine = std::clamp(Vec3Dot(from, to) / (fromLength * toLength), -1.0f, 1.0f);
  const float angle = std::acos(cosine);
  if (!(angle >= kTiny)) return QuaternionIdentity();
  const Quaternion q = QuaternionRotationAxis(Vec3Normalize(cross), angle);
  if (std::isnan(q.x) || std::isnan(q.y) || std::isnan(q.z) || std::isnan(q.w)) return QuaternionIdentity();
  return q;
}

float Limit(float angle, float low, float high) {
  if (angle > high) return high;
  if (angle < low) return low;
  return angle;
}

}  // namespace

bool IKChain::Resize(int count) {
  if (count == GetCount()) return true;
  try {
    joints_.resize(count > 0 ? static_cast<std::size_t>(count) : 0);
  } catch (const std::bad_alloc&) {
    joints_.clear();
    return false;
  } catch (const std::length_error&) {
    joints_.clear();
    return false;
  }
  return true;
}

bool IKChain::SetJoint(int index, const Vector3& offset, float minX, float maxX, float minY, float maxY, float minZ,
                       float maxZ, std::int32_t boneIndex) {
  IKJoint* joint = GetJoint(index);
  if (!joint) return false;
  *joint = IKJoint();
  joint->offset = offset;
  joint->boneIndex = boneIndex;
  joint->limited = minX != 0.0f || maxX != 0.0f || minY != 0.0f || maxY != 0.0f || minZ != 0.0f || maxZ != 0.0f;
  if (joint->limited) {
    joint->minX = minX, joint->maxX = maxX;
    joint->minY = minY, joint->maxY = maxY;
    joint->minZ = minZ, joint->maxZ = maxZ;
  }
  return true;
}

Matrix IKChain::BuildMatrix(int n) const {
  Matrix m = MatrixIdentity();
  for (int k = n - 1; k >= 0; --k) {
    if (k < GetCount()) m = m * JointRotation(joints_[static_cast<std::size_t>(k)]);
    if (k > 0 && k - 1 < GetCount()) {
      const Vector3& offset = joints_[static_cast<std::size_t>(k - 1)].offset;
      m = m * MatrixTranslation(offset.x, offset.y, offset.z);
    }
  }
  return m;
}

Vector3 IKChain::EndPosition(int n) const {
  if (n < 1 || n > GetCount()) return {0.0f, 0.0f, 0.0f};
  return Vec3TransformCoord(joints_[static_cast<std::size_t>(n - 1)].offset, BuildMatrix(n));
}

void IKChain::SolveCCD(int iterations, const Vector3& target) {
  const int count = GetCount();
  for (; iterations > 0; --iterations) {
    if (Vec3Length(EndPosition(count) - target) < kTiny) return;
    for (int i = count - 1; i >= 0; --i) {
      // Joint i's frame before its own rotation: the turn found there is
      // what its angles must add.
      Matrix m = BuildMatrix(i);
      if (i > 0) {
        const Vector3& offset = joints_[static_cast<std::size_t>(i - 1)].offset;
        m = MatrixTranslation(offset.x, offset.y, offset.z) * m;
      }
      Matrix inverse;
      if (!MatrixInverse(&inverse, nullptr, m)) continue;
      const Vector3 end = Vec3TransformCoord(EndPosition(count), inverse);
      const Vector3 goal = Vec3TransformCoord(target, inverse);
      const EulerAngles turn = QuatToEuler(QuatFromTwoVectors(end, goal));
      IKJoint& joint = joints_[static_cast<std::size_t>(i)];
      joint.angleX += turn.x * kRadiansToDegrees;
      joint.angleY += turn.y * kRadiansToDegrees;
      joint.angleZ += turn.z * kRadiansToDegrees;
      if (joint.limited) {
        joint.angleX = Limit(joint.angleX, joint.minX, joint.maxX);
        joint.angleY = Limit(joint.angleY, joint.minY, joint.maxY);
        joint.angleZ = Limit(joint.angleZ, joint.minZ, joint.maxZ);
      }
    }
  }
}

float IKChain::Reach() const {
  float length = 0.0f;
  for (const IKJoint& joint : joints_) length += Vec3Length(joint.offset);
  return length;
}
