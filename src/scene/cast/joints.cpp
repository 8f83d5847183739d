// The joint step: a cast hanging at a bone of its parent, either held rigidly
// or reached for by an IK chain on one of the two casts, with the notice of a
// chain that stays stretched.
#include <cstdint>
#include <limits>

#include "motion/model.h"
#include "motion/object_class.h"
#include "motion/object_flags.h"
#include "platform/math/matrix.h"
#include "platform/math/quaternion.h"
#include "platform/math/vector.h"
#include "scene/cast/cast.h"
#include "scene/cast/cast_angles.h"
#include "scene/scene.h"

namespace {

// CCD rounds per frame; the angles carry over, so the descent goes on from
// last frame's solution.
constexpr int kIterationsPerFrame = 5;
// A chain whose joint bone lies this share of its reach or more from the
// point it holds is stretched.
constexpr float kStretchedShare = 0.9f;
// Frames in a row a chain must be stretched before the scene hears of it.
constexpr std::int32_t kStretchNoticeFrames = 30;
// The scene's OnMessage gets this first for a stretched chain.
constexpr double kMessageStretched = 2;

const Vector3 kOrigin{0.0f, 0.0f, 0.0f};

// The model frame (in frame order) that a class frame index names; -1 when
// the cast's model has none (or there is no model).
int NamedModelFrame(const Cast& cast, std::int32_t classFrame) {
  const ObjectClass* cls = cast.GetClass();
  const Model* model = cls ? cls->GetModel() : nullptr;
  return model ? model->StoredNameFrameIndex(classFrame) : -1;
}

// A world direction turned into the cast's own axes.
Vector3 IntoCastAxes(const Cast& cast, const Vector3& v) {
  return Vec3TransformNormal(v, MatrixRotationQuaternion(QuaternionConjugate(UnitRotation(cast.GetRotation()))));
}

// Every joint's bone takes its place along the solved chain, ignoring its
// parent frame (a joint with no bone writes nothing).
void WriteChainBones(Cast& cast) {
  const IKChain& chain = cast.GetIKChain();
  for (int i = 0; i < chain.GetCount(); ++i)
    cast.SetBoneMatrix(chain.GetJoint(i)->boneIndex, chain.BuildMatrix(i + 2), kBoneControlAbsolute, 0);
}

}  // namespace

bool Cast::AddIKFrame(const char* frame, float limitX, float limitY, float limitZ) {
  const int bone = class_ && frame ? class_->FindFrameNodeIndex(frame) : -1;
  if (bone < 0 || !ikChain_.Resize(ikChain_.GetCount() + 1)) return false;
  Vector3 offset = kOrigin;
  if (const Model* model = class_->GetModel()) {
    if (const ModelFrame* node = model->FindFrameByStoredName(frame))
      offset = Vec3TransformCoord(kOrigin, node->savedTransformationMatrix);
  }
  return ikChain_.SetJoint(ikChain_.GetCount() - 1, offset, -limitX, limitX, -limitY, limitY, -limitZ, limitZ, bone);
}

bool Cast::StepJoint(Scene& scene) {
  Cast* parent = parentLink_.cast.Get();
  if (!parent || parent == this) return true;
  const Vector3 p0 = position_;
  // The parent's frame this cast hangs at, and this cast's frame that hangs there.
  const std::int32_t hangFrame = parentLink_.frame;
  const std::int32_t attachedFrame = parent->childLink_.frame;
  Vector3 a = parent->BonePointAt(hangFrame, kOrigin);
  Vector3 b = Vec3TransformCoord(kOrigin, BoneMatrixAt(attachedFrame, false));

  Cast* stretched = nullptr;
  auto countStrain = [&](float distance, float reach, Cast* chainCast) {
    if (distance >= kStretchedShare * reach) {
      if (strainCounter_ < std::numeric_limits<std::int32_t>::max()) ++strainCounter_;
      stretched = chainCast;
    } else {
      strainCounter_ = 0;
    }
  };

  IKChain& parentChain = parent->ikChain_;
  if (parentChain.GetCount() > 0) {
    // The parent reaches for this cast.
    parentChain.SolveCCD(kIterationsPerFrame, IntoCastAxes(*parent, b + p0 - parent->position_));
    WriteChainBones(*parent);
    a = parent->BonePointAt(hangFrame, kOrigin);
    const Vector3 root = parent->BonePointAt(parentChain.GetJoint(0)->boneIndex, kOrigin);
    countStrain(Vec3Length(a - root), parentChain.Reach(), parent);
  } else if (ikChain_.GetCount() > 0 && !childLink_.cast.Get()) {
    // This cast reaches for its parent.
    ikChain_.SolveCCD(kIterationsPerFrame, IntoCastAxes(*this, a - p0));
    WriteChainBones(*this);
    const Vector3 root = BonePointAt(ikChain_.GetJoint(0)->boneIndex, kOrigin);
    countStrain(Vec3Length(BonePointAt(attachedFrame, kOrigin) - root), ikChain_.Reach(), this);
    b = Vec3TransformCoord(kOrigin, BoneMatrixAt(attachedFrame, false));
  } else if (ikChain_.GetCount() == 0) {
    // A rigid join: this cast takes the parent's bone's place and turn.
    const int parentBone = NamedModelFrame(*parent, hangFrame);
    if (parentBone >= 0 && NamedModelFrame(*this, attachedFrame) >= 0) {
      const Quaternion boneTurn = UnitRotation(QuaternionRotationMatrix(parent->PosedFrame(parentBone)));
      SetRotationBoth(UnitRotation(QuaternionMultiply(boneTurn, UnitRotation(parent->rotation_))));
      b = Vec3TransformCoord(kOrigin, BoneMatrixAt(attachedFrame, false));
      SetPositionBoth(a - b);
    }
    strainCounter_ = 0;
    return false;
  }

  // Once, on the frame the count reaches the mark (it goes on counting after).
  if (strainCounter_ == kStretchNoticeFrames && stretched && (stretched->GetFlags() & kFlagNoticeIKStretched) != 0) {
    ScriptValue args[4];
    args[0].SetNumber(kMessageStretched);
    SetCastValue(args[1], scene.GetCastClass(), stretched);
    args[2].SetEmpty();
    args[3].SetEmpty();
    const CastHandle self = handle_;
    if (scene.SendMessage(args, 4) != 0) return false;
    // Outside a frame a script may have deleted this cast outright.
    if (self.Get() != this) return false;
  }

  const Vector3 next = a - b;
  if (next.y > p0.y) speed_.y = scene.GetFallSpeed();
  // The previous position stays: the sweep moves from there.
  position_ = next;
  return true;
}
