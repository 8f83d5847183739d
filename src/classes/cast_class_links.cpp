// Cast members that tie a cast to others: camera guides and follow, joints and
// their undoing, the IK chain, rails, edge stoppers and deletion.
#include <string>

#include "motion/model.h"
#include "motion/object_class.h"
#include "motion/object_flags.h"
#include "platform/math/vector.h"
#include "scene/cast/cast.h"
#include "classes/cast_class.h"
#include "scene/scene.h"

namespace {

// Undoes one link of `cast` (its parent's or its child's) as the script
// members do: each side is deleted first when it carries DeleteAtDisjoint,
// then what is left of both links is cleared. Outside the run a deletion
// frees the cast at once, so both sides are held by handle.
void Unlink(Scene& scene, Cast& cast, bool parentSide) {
  const CastHandle self = cast.GetHandle();
  const CastHandle other = (parentSide ? cast.GetParentLink() : cast.GetChildLink()).cast;
  if (!other.Get()) return;
  for (CastHandle handle : {other, self}) {
    Cast* target = handle.Get();
    if (target && (target->GetFlags() & kFlagDeleteAtDisjoint) != 0) scene.DeleteCast(target);
  }
  if (Cast* o = other.Get()) (parentSide ? o->GetChildLink() : o->GetParentLink()).Clear();
  if (Cast* s = self.Get()) (parentSide ? s->GetParentLink() : s->GetChildLink()).Clear();
}

// The frame's index in the class's frame list; 0 (the root) when the class
// lacks it or there is no class.
std::int32_t FrameIndexOr0(const Cast& cast, const std::string& frame) {
  const ObjectClass* cls = cast.GetClass();
  const int index = cls ? cls->FindFrameNodeIndex(frame.c_str()) : -1;
  return index < 0 ? 0 : index;
}

}  // namespace

bool CastClass::CallLinks(int member, Cast& cast, ScriptValue& result, ScriptValue* args, CCScript& engine) {
  switch (member) {
    case kMoveCameraPos: {
      const ScriptValue* target = engine.FollowReferences(args[0]);
      if (!target || target->type == SVT_None || target->type == SVT_Empty) return true;
      if (Cast* followed = ArgCast(engine, args[0])) Services().CastFollowTarget(cast, *followed);
      return true;
    }
    case kSetCameraGuide: {
      const int index = ArgIndex(engine, args[0], kCameraGuideCount);
      const std::uint32_t maskA = ArgWord(engine, args[1]);
      const std::uint32_t maskB = ArgWord(engine, args[2]);
      Cast* other = ArgCast(engine, args[3]);
      // Without a cast there is no position to take: the guide stays.
      if (other) cast.Guide(index) = {maskA, maskB, other->GetPosition()};
      return true;
    }
    case kJoint: {
      Cast* parent = ArgCast(engine, args[0]);
      const std::string childFrame = ArgExactString(engine, args[1]);
      const std::string parentFrame = ArgExactString(engine, args[2]);
      // A cast is never its own parent: the joint passes walk the links.
      if (!parent || parent == &cast) return true;
      const CastHandle self = cast.GetHandle();
      const CastHandle up = parent->GetHandle();
      Unlink(scene_, cast, true);
      if (Cast* p = up.Get()) Unlink(scene_, *p, false);
      Cast* child = self.Get();
      parent = up.Get();
      // Undoing the old joints may have deleted either cast.
      if (!child || !parent) return true;
      child->GetParentLink().Clear();
      child->GetParentLink().cast = up;
      child->GetParentLink().frame = FrameIndexOr0(*parent, parentFrame);
      parent->GetChildLink().Clear();
      parent->GetChildLink().cast = self;
      parent->GetChildLink().frame = FrameIndexOr0(*child, childFrame);
      return true;
    }
    case kDisjointParent: Unlink(scene_, cast, true); return true;
    case kDisjointChild: Unlink(scene_, cast, false); return true;
    case kGetParent: case kGetChild: {
      Cast* linked = (member == kGetParent ? cast.GetParentLink() : cast.GetChildLink()).cast.Get();
      if (linked) SetCastValue(result, this, linked);
      else result.Clear();
      return true;
    }
    case kClearIK: cast.GetIKChain().Clear(); return true;
    case kAddIKFrame: {
      const std::string frame = ArgExactString(engine, args[0]);
      const double x = ArgExactNumber(engine, args[1]);
      const double y = ArgExactNumber(engine, args[2]);
      const double z = ArgExactNumber(engine, args[3]);
      const ObjectClass* cls = cast.GetClass();
      const int bone = cls ? cls->FindFrameNodeIndex(frame.c_str()) : -1;
      // A frame the class lacks adds no joint: a joint without a bone would
      // drive whatever bone index it happened to hold.
      if (bone < 0) return true;
      IKChain& chain = cast.GetIKChain();
      if (!chain.Resize(chain.GetCount() + 1)) return true;
      IKJoint& joint = *chain.GetJoint(chain.GetCount() - 1);
      joint = IKJoint();
      if (const Model* model = cls->GetModel()) {
        if (const ModelFrame* node = model->FindFrameByStoredName(frame))
          joint.offset = Vec3TransformCoord({0.0f, 0.0f, 0.0f}, node->savedTransformationMatrix);
      }
      joint.minX = static_cast<float>(-x), joint.maxX = static_cast<float>(x);
      joint.minY = static_cast<float>(-y), joint.maxY = static_cast<float>(y);
      joint.minZ = static_cast<float>(-z), joint.maxZ = static_cast<float>(z);
      joint.limited = x != 0.0 || y != 0.0 || z != 0.0;
      joint.boneIndex = bone;
      return true;
    }
    case kDelete: scene_.DeleteCast(&cast); return true;
    case kClearRail: cast.ClearRail(); return true;
    case kAddRailCast: case kAddRailPos: {
      Cast* other = ArgCast(engine, args[0]);
      const std::int32_t frames = ArgInt(engine, args[1]);
      // The class used by itself gives no point to follow or copy.
      if (!other) return true;
      if (member == kAddRailCast) cast.AddRailCast(other, frames);
      else cast.AddRailPos(other->GetPosition(), other->GetRotation(), frames);
      return true;
    }
    case kRunOnTheRail: {
      const std::uint32_t kind = ArgWord(engine, args[0]);
      const std::uint32_t repeat = ArgWord(engine, args[1]);
      cast.RunOnTheRail(kind, repeat);
      return true;
    }
    case kDeleteEdgeStopper: {
      if (!Services().CastHasEdgeStopper(cast)) return true;
      Cast* other = ArgCast(engine, args[0]);
      const std::string frame = ArgText(engine, args[1]);
      if (other) Services().CastDeleteEdgeStopperFaces(cast, *other, frame.c_str());
      return true;
    }
    default:
      return false;
  }
}
