// Posing: the controller's time, then the combined matrices down the
// hierarchy with the cast's bone controls.
#include <cstring>

#include "motion/model.h"
#include "platform/math/matrix.h"
#include "platform/math/quaternion.h"

namespace {

// The control matrix applied only partly: its rotation turned by `weight` of
// the way from none, its translation scaled by `weight`.
Matrix Weighted(const Matrix& control, float weight) {
  if (weight == 1.0f) return control;
  const Quaternion rotation =
      QuaternionSlerp(QuaternionIdentity(), QuaternionRotationMatrix(control), weight);
  Matrix result = MatrixRotationQuaternion(rotation);
  result.m[3][0] = control.m[3][0] * weight;
  result.m[3][1] = control.m[3][1] * weight;
  result.m[3][2] = control.m[3][2] * weight;
  return result;
}

}  // namespace

void Model::AdvanceTime(float time, const BoneControl* table, std::size_t count, float weight) {
  // Whose pose this is stays unknown until a cast is named for it.
  claimed_ = nullptr;
  const AnimationSet* set = controller_ ? controller_->GetTrackAnimationSet(0).get() : nullptr;
  // Casts of one class share the model: a pose is reused only when nothing
  // it depends on differs, the set another cast selected included.
  if (!table && lastPoseValid_ && !lastPoseHadTable_ && time == lastTime_ &&
      weight == lastWeight_ && set == lastSet_ &&
      std::memcmp(&modelMatrix_, &lastModelMatrix_, sizeof modelMatrix_) == 0) {
    return;
  }
  if (controller_) controller_->SetTime(time);
  if (root_) UpdateCombined(root_, &modelMatrix_, table, table ? count : 0, weight);
  dirty_ = true;
  ++poseNumber_;
  lastTime_ = time;
  lastWeight_ = weight;
  lastPoseValid_ = true;
  lastPoseHadTable_ = table != nullptr;
  lastSet_ = set;
  lastModelMatrix_ = modelMatrix_;
}

// Siblings share the parent and are walked in a loop; only children recurse,
// so the depth stays the file's nesting depth, which the loader bounds.
void Model::UpdateCombined(ModelFrame* frame, const Matrix* parent, const BoneControl* table,
                           std::size_t count, float weight) {
  for (; frame; frame = static_cast<ModelFrame*>(frame->sibling)) {
    const Matrix& local = frame->transformationMatrix;
    Matrix combined{};
    bool applied = false;
    // Each applying record starts again from the local or saved matrix, so
    // the last one that names the frame decides.
    for (std::size_t i = 0; i < count && table[i].frame; ++i) {
      const BoneControl& record = table[i];
      if (record.frame != frame) continue;
      switch (record.mode) {
        case kBoneControlAbsolute:
          combined = record.matrix;
          break;
        case kBoneControlLocal:
          combined = local * Weighted(record.matrix, weight);
          if (parent) combined = combined * *parent;
          break;
        case kBoneControlScaled: {
          Matrix scaled = Weighted(record.matrix, weight);
          const float s = local.m[0][0];
          for (auto& row : scaled.m)
            for (float& element : row) element *= s;
          combined = parent ? scaled * *parent : scaled;
          break;
        }
        case kBoneControlSaved:
          combined = frame->savedTransformationMatrix * record.matrix;
          break;
        default:
          continue;
      }
      applied = true;
    }
    if (!applied) combined = parent ? local * *parent : local;
    frame->combinedTransformationMatrix = combined;
    if (frame->firstChild) {
      UpdateCombined(static_cast<ModelFrame*>(frame->firstChild),
                     &frame->combinedTransformationMatrix, table, count, weight);
    }
  }
}
