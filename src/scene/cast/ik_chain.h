// IKChain: the joints of a cast's inverse-kinematics chain (angles, offsets,
// bone indices, limits) and their cyclic-coordinate-descent solve. The cast
// holds one; the joint step and the IK release blend read it.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/math/math_types.h"

// A joint that drives no bone: a bone index never set.
constexpr std::int32_t kNoBone = -1;

struct IKJoint {
  // Current rotation in degrees: pitch about x, yaw about y, roll about z.
  float angleX = 0.0f, angleY = 0.0f, angleZ = 0.0f;
  // Where the next joint (or the chain's end, after the last joint) lies in
  // this joint's frame.
  Vector3 offset{0.0f, 0.0f, 0.0f};
  // The model frame and bone-control record this joint drives.
  std::int32_t boneIndex = kNoBone;
  bool limited = false;
  float minX = 0.0f, maxX = 0.0f, minY = 0.0f, maxY = 0.0f, minZ = 0.0f, maxZ = 0.0f;
};

// Joint 0 is the root of the chain, at the origin of the chain's root frame
// (the cast's own axes); joint k lies at the offset of joint k - 1 in joint
// k - 1's frame. Points are row vectors, as everywhere in the player.
class IKChain {
 public:
  // Keeps the first min(old, n) joints and adds fresh ones (no bone, no
  // limits); 0 (or below) empties it. False, the chain emptied, when the
  // joints cannot be had.
  bool Resize(int count);
  void Clear() { joints_.clear(); }
  int GetCount() const { return static_cast<int>(joints_.size()); }
  // Null outside 0..count-1.
  IKJoint* GetJoint(int index) {
    return index >= 0 && index < GetCount() ? &joints_[static_cast<std::size_t>(index)] : nullptr;
  }
  const IKJoint* GetJoint(int index) const {
    return index >= 0 && index < GetCount() ? &joints_[static_cast<std::size_t>(index)] : nullptr;
  }
  // Joint `index` takes the offset and bone, angles 0, and the limits in
  // degrees; six zero limits mean unlimited, not locked at 0. False outside
  // 0..count-1.
  bool SetJoint(int index, const Vector3& offset, float minX, float maxX, float minY, float maxY, float minZ,
                float maxZ, std::int32_t boneIndex);

  // Carries a point of joint n - 1's frame (its rotation applied) into the
  // chain's root frame: the rotations of joints n - 1 down to 0 with the
  // offsets between them.
  Matrix BuildMatrix(int n) const;
  // The end of joint n - 1's offset in the root frame; the origin for n < 1.
  Vector3 EndPosition(int n) const;
  // Turns the joints, from the last to the first, so that the chain's end
  // comes nearer to `target` (in the root frame), `iterations` times at
  // most; stops early once the end is within 1e-6 of it. Zero or negative
  // iterations do nothing.
  void SolveCCD(int iterations, const Vector3& target);
  // The sum of the offsets' lengths: how far the chain reaches.
  float Reach() const;

 private:
  std::vector<IKJoint> joints_;
};
