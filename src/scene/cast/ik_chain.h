// IKChain: the joints of a cast's inverse-kinematics chain (angles, offsets,
// bone indices, limits). The cast holds one; the joint step and the IK release blend read it.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/math/math_types.h"

struct IKJoint {
  // Current rotation in degrees: pitch about x, yaw about y, roll about z.
  float angleX = 0.0f, angleY = 0.0f, angleZ = 0.0f;
  // Where the next joint (or the chain's end, after the last joint) lies in
  // this joint's frame.
  Vector3 offset{0.0f, 0.0f, 0.0f};
  // The model frame and bone-control record this joint drives.
  std::int32_t boneIndex = 0;
  bool limited = false;
  float minX = 0.0f, maxX = 0.0f, minY = 0.0f, maxY = 0.0f, minZ = 0.0f, maxZ = 0.0f;
};

class IKChain {
 public:
  // Keeps the first min(old, n) joints and adds fresh ones; 0 (or below) empties it.
  bool Resize(int count) {
    joints_.resize(count > 0 ? static_cast<std::size_t>(count) : 0);
    return true;
  }
  void Clear() { joints_.clear(); }
  int GetCount() const { return static_cast<int>(joints_.size()); }
  // Null outside 0..count-1.
  IKJoint* GetJoint(int index) {
    return index >= 0 && index < GetCount() ? &joints_[static_cast<std::size_t>(index)] : nullptr;
  }
  const IKJoint* GetJoint(int index) const {
    return index >= 0 && index < GetCount() ? &joints_[static_cast<std::size_t>(index)] : nullptr;
  }

 private:
  std::vector<IKJoint> joints_;
};
