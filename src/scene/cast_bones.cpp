// The frames of a cast's posed model as actions and joints ask for them. The
// posing of casts arrives with bone controls; until then no frame answers.
#include "platform/math/vector.h"
#include "scene/cast.h"

bool Cast::GetBoneMatrix(const char*, bool, Matrix&) const { return false; }

bool Cast::TransformByBone(const char* frame, const Vector3& point, Vector3& out) const {
  Matrix bone;
  if (!GetBoneMatrix(frame, true, bone)) return false;
  out = Vec3TransformCoord(point, bone);
  return true;
}
