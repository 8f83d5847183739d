// The cast's model: posing it at the cast's motion and time with the cast's
// bone controls, the frames' matrices in world axes, and the bone-control setters.
#include "motion/model.h"
#include "motion/object_class.h"
#include "platform/math/matrix.h"
#include "platform/math/vector.h"
#include "platform/mesh/animation_controller.h"
#include "scene/cast/cast.h"

bool Cast::ApplyMotionPose() {
  Model* model = class_ ? class_->GetModel() : nullptr;
  AnimationController* controller = model ? model->GetAnimationController() : nullptr;
  if (!controller) return false;
  // An index the controller has no set for leaves the track empty, which
  // poses the model as loaded.
  std::shared_ptr<const AnimationSet> set;
  if (motionIndex_ >= 0) set = controller->GetAnimationSet(static_cast<std::uint32_t>(motionIndex_));
  controller->SetTrackAnimationSet(0, set);
  controller->SetTrackEnable(0, true);
  controller->SetTrackWeight(0, 1.0f);
  model->AdvanceTime(static_cast<float>(motionTime_), boneControls_.get(),
                     static_cast<std::size_t>(boneControlCount_), 1.0f);
  return true;
}

bool Cast::GetBoneMatrix(const char* frame, bool withPosition, Matrix& out) const {
  const Model* model = class_ ? class_->GetModel() : nullptr;
  if (!model) return false;
  const ModelFrame* node = frame ? model->FindFrameByStoredName(frame) : nullptr;
  if (!node) node = model->GetRootFrame();
  if (!node) return false;
  out = node->combinedTransformationMatrix * MatrixRotationQuaternion(rotation_);
  if (withPosition) {
    out.m[3][0] += position_.x;
    out.m[3][1] += position_.y;
    out.m[3][2] += position_.z;
  }
  return true;
}

bool Cast::TransformByBone(const char* frame, const Vector3& point, Vector3& out) const {
  Matrix bone;
  if (!GetBoneMatrix(frame, true, bone)) return false;
  out = Vec3TransformCoord(point, bone);
  return true;
}

bool Cast::SetBoneControl(int index, const Quaternion* rotation, const Vector3* offset, const Vector3* scale,
                          std::int32_t mode, std::uint32_t flag) {
  if (!boneControls_ || index < 0 || index >= boneControlCount_) return false;
  BoneControl& control = boneControls_[static_cast<std::size_t>(index)];
  control.matrix = rotation ? MatrixRotationQuaternion(*rotation) : MatrixIdentity();
  control.mode = mode;
  if (offset) {
    control.matrix.m[3][0] += offset->x;
    control.matrix.m[3][1] += offset->y;
    control.matrix.m[3][2] += offset->z;
  }
  if (scale) {
    control.matrix.m[0][0] *= scale->x;
    control.matrix.m[1][1] *= scale->y;
    control.matrix.m[2][2] *= scale->z;
  }
  control.flag = flag;
  return true;
}

bool Cast::SetBoneControlByFrame(const char* frame, const Quaternion* rotation, const Vector3* offset,
                                 const Vector3* scale, std::int32_t mode, std::uint32_t flag) {
  if (!class_ || !frame) return false;
  const int index = class_->FindFrameNodeIndex(frame);
  if (index < 0) return false;
  return SetBoneControl(index, rotation, offset, scale, mode, flag);
}

bool Cast::SetBoneMatrix(int index, const Matrix& matrix, std::int32_t mode, std::uint32_t flag) {
  if (!boneControls_ || index < 0 || index >= boneControlCount_) return false;
  BoneControl& control = boneControls_[static_cast<std::size_t>(index)];
  control.mode = mode;
  control.matrix = matrix;
  control.flag = flag;
  return true;
}
