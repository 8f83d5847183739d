// Cast members that tie a cast to others: camera guides and follow, joints and
// their undoing, the IK chain, rails, edge stoppers and deletion.
#include <string>

#include "classes/cast_members.h"
#include "classes/script_services.h"
#include "motion/object_class.h"
#include "motion/object_flags.h"
#include "scene/cast/cast.h"
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

// The cast at the other end of a link as a value; no value without one.
void SetLinkedCast(CastCall& call, ScriptValue& result, const CastLink& link) {
  if (Cast* linked = link.cast.Get()) SetCastValue(result, &call.object, linked);
  else result.Clear();
}

}  // namespace

void CastMoveCameraPos(CastCall& call, ScriptValue&, ScriptValue* args) {
  const ScriptValue* target = call.engine.FollowReferences(args[0]);
  if (!target || target->type == SVT_None || target->type == SVT_Empty) return;
  if (Cast* followed = ArgCast(call.scene, call.engine, args[0])) call.services.CastFollowTarget(call.cast, *followed);
}

void CastSetCameraGuide(CastCall& call, ScriptValue&, ScriptValue* args) {
  const int index = ArgIndex(call.engine, args[0], kCameraGuideCount);
  const std::uint32_t maskA = ArgWord(call.engine, args[1]);
  const std::uint32_t maskB = ArgWord(call.engine, args[2]);
  Cast* other = ArgCast(call.scene, call.engine, args[3]);
  // Without a cast there is no position to take: the guide stays.
  if (other) call.cast.Guide(index) = {maskA, maskB, other->GetPosition()};
}

void CastJoint(CastCall& call, ScriptValue&, ScriptValue* args) {
  Cast* parent = ArgCast(call.scene, call.engine, args[0]);
  const std::string childFrame = ArgExactString(call.engine, args[1]);
  const std::string parentFrame = ArgExactString(call.engine, args[2]);
  // A cast is never its own parent: the joint passes walk the links.
  if (!parent || parent == &call.cast) return;
  const CastHandle self = call.cast.GetHandle();
  const CastHandle up = parent->GetHandle();
  Unlink(call.scene, call.cast, true);
  if (Cast* p = up.Get()) Unlink(call.scene, *p, false);
  Cast* child = self.Get();
  parent = up.Get();
  // Undoing the old joints may have deleted either cast.
  if (!child || !parent) return;
  child->GetParentLink().Clear();
  child->GetParentLink().cast = up;
  child->GetParentLink().frame = FrameIndexOr0(*parent, parentFrame);
  parent->GetChildLink().Clear();
  parent->GetChildLink().cast = self;
  parent->GetChildLink().frame = FrameIndexOr0(*child, childFrame);
}

void CastDisjointParent(CastCall& call, ScriptValue&, ScriptValue*) { Unlink(call.scene, call.cast, true); }
void CastDisjointChild(CastCall& call, ScriptValue&, ScriptValue*) { Unlink(call.scene, call.cast, false); }

void CastGetParent(CastCall& call, ScriptValue& result, ScriptValue*) {
  SetLinkedCast(call, result, call.cast.GetParentLink());
}

void CastGetChild(CastCall& call, ScriptValue& result, ScriptValue*) {
  SetLinkedCast(call, result, call.cast.GetChildLink());
}

void CastClearIK(CastCall& call, ScriptValue&, ScriptValue*) { call.cast.GetIKChain().Clear(); }

void CastAddIKFrame(CastCall& call, ScriptValue&, ScriptValue* args) {
  const std::string frame = ArgExactString(call.engine, args[0]);
  const double x = ArgExactNumber(call.engine, args[1]);
  const double y = ArgExactNumber(call.engine, args[2]);
  const double z = ArgExactNumber(call.engine, args[3]);
  call.cast.AddIKFrame(frame.c_str(), static_cast<float>(x), static_cast<float>(y), static_cast<float>(z));
}

void CastDelete(CastCall& call, ScriptValue&, ScriptValue*) { call.scene.DeleteCast(&call.cast); }

void CastClearRail(CastCall& call, ScriptValue&, ScriptValue*) { call.cast.ClearRail(); }

void CastAddRailCast(CastCall& call, ScriptValue&, ScriptValue* args) {
  Cast* other = ArgCast(call.scene, call.engine, args[0]);
  const std::int32_t frames = ArgInt(call.engine, args[1]);
  // The class used by itself gives no point to follow.
  if (other) call.cast.AddRailCast(other, frames);
}

void CastAddRailPos(CastCall& call, ScriptValue&, ScriptValue* args) {
  Cast* other = ArgCast(call.scene, call.engine, args[0]);
  const std::int32_t frames = ArgInt(call.engine, args[1]);
  // The class used by itself gives no point to copy.
  if (other) call.cast.AddRailPos(other->GetPosition(), other->GetRotation(), frames);
}

void CastRunOnTheRail(CastCall& call, ScriptValue&, ScriptValue* args) {
  const std::uint32_t kind = ArgWord(call.engine, args[0]);
  const std::uint32_t repeat = ArgWord(call.engine, args[1]);
  call.cast.RunOnTheRail(kind, repeat);
}

void CastDeleteEdgeStopper(CastCall& call, ScriptValue&, ScriptValue* args) {
  if (!call.services.CastHasEdgeStopper(call.cast)) return;
  Cast* other = ArgCast(call.scene, call.engine, args[0]);
  const std::string frame = ArgText(call.engine, args[1]);
  if (other) call.services.CastDeleteEdgeStopperFaces(call.cast, *other, frame.c_str());
}
