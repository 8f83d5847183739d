// The scene's sweep of a cast's sphere against its obstacles, and the
// obstacles' matrices kept between sweeps.
#include "collision/collision.h"
#include "motion/object_class.h"
#include "platform/math/matrix.h"
#include "platform/math/quaternion.h"
#include "platform/math/vector.h"
#include "scene/cast/obstacles.h"
#include "scene/edge_walls.h"
#include "scene/scene.h"

bool Scene::SweepCast(Cast& cast, const Vector3& from, const Vector3& to, bool withEdgeWalls,
                      SweepResult& result) {
  CollisionSphere sphere;
  if (!GetCollisionSphere(cast, sphere)) return false;
  result = {to, false};
  // A sphere of no size meets nothing: the cast keeps its target.
  if (!(sphere.radius > 0.0f)) return true;
  int count = 0;
  ForEachObstacle(&cast, [&](int index, Cast& other) {
    const ObstacleFrame* frame = GetObstacleFrame(index);
    ObstacleShape shape;
    if (!frame || !GetObstacleShape(other, frame->world, withEdgeWalls, shape)) return;
    // The bound lets the sweep pass by obstacles far from the move (most of a
    // level's crates, for any one cast).
    sweepObstacles_[static_cast<std::size_t>(count++)] = {frame->world, frame->inverse, shape.mesh,
                                                          shape.walls, shape.centre, shape.radius};
  });
  const Vector3 offset = Vec3TransformNormal(sphere.centre, MatrixRotationQuaternion(cast.GetRotation()));
  const std::span<const SweepObstacle> obstacles(sweepObstacles_.data(), static_cast<std::size_t>(count));
  result = SweepSphereAmongObstacles(from, to, offset, sphere.radius, obstacles, withEdgeWalls);
  return true;
}

void Scene::ListObstacles() {
  obstacleCount_ = 0;
  for (int i = 0; i < castCount_; ++i) {
    if (IsLiveObstacle(*casts_[static_cast<std::size_t>(i)]))
      obstacleSlots_[static_cast<std::size_t>(obstacleCount_++)] = i;
  }
  obstaclesListedAt_ = commandsRun_;
  obstaclesListedCount_ = castCount_;
}

const ObstacleFrame* Scene::GetObstacleFrame(int index) {
  Cast* cast = CastAt(index);
  if (!cast) return nullptr;
  ObstacleFrame& frame = obstacleFrames_[static_cast<std::size_t>(index)];
  return UpdateObstacleFrame(*cast, frame) ? &frame : nullptr;
}
