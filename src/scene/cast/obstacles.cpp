// The obstacle mesh of a class, a cast's collision sphere and the obstacle test
// that every sweep, contact and ray query shares.
#include "scene/cast/obstacles.h"

#include "motion/model.h"
#include "motion/object_class.h"
#include "motion/object_flags.h"
#include "scene/cast/cast.h"
#include "scene/cast/motion_query.h"

const Mesh* ObstacleMesh(const ObjectClass* cls) {
  const Model* model = cls ? cls->GetModel() : nullptr;
  const ModelFrame* root = model ? model->GetRootFrame() : nullptr;
  // The loader builds plain meshes only, which is what obstacles are tested as.
  return root && root->meshContainer ? root->meshContainer->mesh.get() : nullptr;
}

bool IsLiveObstacle(Cast& cast) {
  // The deleted mark is tested here once for every sweep, contact and ray
  // query, so that no path lets a deleted obstacle collide.
  if (cast.IsDeletedWhileRunning()) return false;
  const std::uint32_t needed = kFlagVisible | kFlagObstacle;
  return (cast.GetFlags() & needed) == needed;
}

bool GetCastSphere(const Cast& cast, CastSphere& sphere) {
  const MotionFrame* track = FirstTrack(cast.GetCurrentMotion());
  if (!track) return false;
  MotionKey key;
  if (!track->GetKey(kKindSphere, cast.GetMotionTime(), key, false) && track->KeyCount() == 0) return false;
  sphere.centre = key.GetVector();
  sphere.radius = key.GetRadius();
  return true;
}
