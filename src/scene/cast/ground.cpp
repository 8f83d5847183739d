// The cast's swept move: from where the frame began to where its speed and
// riding put it, against the obstacles it would pass through, and for a cast
// standing on an edge-stopper floor against that floor's walls too.
#include <numbers>

#include "collision/collision.h"
#include "motion/object_flags.h"
#include "platform/math/vector.h"
#include "scene/cast/cast.h"
#include "scene/scene.h"

namespace {

constexpr float kQuarterPi = std::numbers::pi_v<float> / 4.0f;
// A grounded cast that an edge wall leaves less than this move stays where it
// was, so that it does not creep along the wall.
constexpr float kCreepLimit = 4.0f;

}  // namespace

void Cast::StepMovement(Scene& scene) {
  // A cast hanging from a parent takes the joint step first; a rigid joint
  // places it itself and the sweep does not run.
  if (!StepJoint(scene)) return;
  const std::uint32_t flags = GetFlags();
  // Only a cast standing on ground meets the edge walls: one in the air
  // passes them, so it can jump or fall off an edge.
  float ground = 0.0f;
  const bool onGround = (flags & kFlagStopByEdge) && speed_.y <= 0.0f && GetObstacleHitGroundAngle(ground) &&
                        ground < kQuarterPi;
  if (!(flags & kFlagCollisionDetection)) return;
  SweepResult result;
  if (!scene.SweepCast(*this, previousPosition_, position_, onGround, result)) return;
  // Only where an edge wall turned the move: a slow cast walking on open
  // ground moves less than the limit every frame and must still walk.
  if ((flags & kFlagFreeFall) && onGround && result.metEdgeWall &&
      Vec3Length(result.position - previousPosition_) < kCreepLimit) {
    result.position = previousPosition_;
  }
  position_ = result.position;
}
