// The cast's model: posing it at the cast's motion and time with the cast's
// bone controls, the cast's own copy of that pose, the frames' matrices in
// world axes, and the bone-control setters.
#include "motion/model.h"
#include "motion/object_class.h"
#include "platform/math/matrix.h"
#include "platform/math/vector.h"
#include "platform/mesh/animation_controller.h"
#include "scene/cast/cast.h"

namespace {

const Matrix kIdentity = MatrixIdentity();
// Bone controls with this flag bit last one frame.
constexpr std::uint32_t kBoneControlOneFrame = 1;

// A posed frame, in the cast's own axes, turned by its rotation and with or
// without its position added.
Matrix IntoWorld(const Matrix& frame, const Quaternion& rotation, const Vector3& position, bool withPosition) {
  Matrix out = frame * MatrixRotationQuaternion(rotation);
  if (withPosition) {
    out.m[3][0] += position.x;
    out.m[3][1] += position.y;
    out.m[3][2] += position.z;
  }
  return out;
}

}  // namespace

bool Cast::ApplyMotionPose() { return TakePose(); }

bool Cast::TakePose() const {
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
  // The frames are posed in the cast's own axes; its bone matrices add its
  // rotation and position.
  model->ModelMatrix() = MatrixIdentity();
  model->AdvanceTime(static_cast<float>(motionTime_), boneControls_.get(),
                     static_cast<std::size_t>(boneControlCount_), 1.0f);
  const std::vector<ModelFrame*>& frames = model->FramesInOrder();
  pose_.resize(frames.size());
  for (std::size_t i = 0; i < frames.size(); ++i) pose_[i] = frames[i]->combinedTransformationMatrix;
  posedModel_ = model;
  posedMotion_ = motionIndex_;
  posedTime_ = motionTime_;
  posedRevision_ = poseRevision_;
  return true;
}

bool Cast::EnsurePose() const {
  const Model* model = class_ ? class_->GetModel() : nullptr;
  if (model && posedModel_ == model && posedMotion_ == motionIndex_ && posedTime_ == motionTime_ &&
      posedRevision_ == poseRevision_) {
    return true;
  }
  posedModel_ = nullptr;
  return TakePose();
}

const Matrix& Cast::PosedFrame(int index) const {
  const Model* model = class_ ? class_->GetModel() : nullptr;
  if (!model || model->FramesInOrder().empty()) return kIdentity;
  if (index < 0 || static_cast<std::size_t>(index) >= model->FramesInOrder().size()) index = 0;
  if (EnsurePose()) return pose_[static_cast<std::size_t>(index)];
  // A model that cannot be posed keeps the matrices it has.
  return model->FramesInOrder()[static_cast<std::size_t>(index)]->combinedTransformationMatrix;
}

Matrix Cast::BoneMatrixAt(int classFrame, bool withPosition) const {
  const Model* model = class_ ? class_->GetModel() : nullptr;
  return IntoWorld(PosedFrame(model ? model->StoredNameFrameIndex(classFrame) : -1), rotation_, position_,
                   withPosition);
}

Vector3 Cast::BonePointAt(int classFrame, const Vector3& point) const {
  return Vec3TransformCoord(point, BoneMatrixAt(classFrame, true));
}

bool Cast::GetBoneMatrix(const char* frame, bool withPosition, Matrix& out) const {
  const Model* model = class_ ? class_->GetModel() : nullptr;
  if (!model || !model->GetRootFrame()) return false;
  out = IntoWorld(GetPosedFrameMatrix(frame), rotation_, position_, withPosition);
  return true;
}

Matrix Cast::GetPosedFrameMatrix(const char* frame) const {
  const Model* model = class_ ? class_->GetModel() : nullptr;
  if (!model) return MatrixIdentity();
  return PosedFrame(frame ? model->FindFrameIndexByStoredName(frame) : -1);
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
  ++poseRevision_;
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
  ++poseRevision_;
  BoneControl& control = boneControls_[static_cast<std::size_t>(index)];
  control.mode = mode;
  control.matrix = matrix;
  control.flag = flag;
  return true;
}

void Cast::ClearOneFrameBoneControls() {
  for (int k = 0; k < boneControlCount_; ++k) {
    BoneControl& control = boneControls_[static_cast<std::size_t>(k)];
    if (!(control.flag & kBoneControlOneFrame)) continue;
    control.matrix = MatrixIdentity();
    control.flag &= ~kBoneControlOneFrame;
    ++poseRevision_;
  }
}
