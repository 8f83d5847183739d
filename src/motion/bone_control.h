// Bone controls: per-frame pose overrides that a cast holds (one record per
// model frame) and the model applies while it composes a pose.
#pragma once

#include <cstdint>

#include "platform/math/math_types.h"

struct ModelFrame;

constexpr int kBoneControlNameSize = 32;

// What a record does to its frame's combined matrix; C is the control matrix
// (weighted for Local and Scaled), P the parent's combined matrix.
enum BoneControlMode : std::int32_t {
  kBoneControlNone = 0,      // the frame stays as animated
  kBoneControlAbsolute = 1,  // C alone: the frame ignores its parent
  kBoneControlLocal = 2,     // local x C x P
  kBoneControlScaled = 3,    // (local's element 11 times C) x P
  kBoneControlSaved = 4,     // local as loaded x C, without the parent
};

struct BoneControl {
  ModelFrame* frame = nullptr;  // null ends a table
  char name[kBoneControlNameSize] = {};
  std::int32_t mode = kBoneControlNone;
  Matrix matrix = MatrixIdentity();
  std::uint32_t flag = 0;  // the cast's own; posing does not read it
};
