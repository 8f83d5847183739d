// The scene's queries against its obstacles: the swept move of a cast's
// sphere, the ray test of the swept-move action and the region test.
#include "collision/collision.h"
#include "motion/object_class.h"
#include "platform/math/matrix.h"
#include "platform/math/quaternion.h"
#include "platform/math/vector.h"
#include "platform/mesh/mesh_queries.h"
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
  result = SweepSphereAmongObstacles(from, to, offset, sphere.radius,
                                     std::span<const SweepObstacle>(sweepObstacles_.data(), static_cast<std::size_t>(count)),
                                     withEdgeWalls);
  return true;
}

const ObstacleFrame* Scene::GetObstacleFrame(int index) {
  Cast* cast = CastAt(index);
  if (!cast) return nullptr;
  ObstacleFrame& frame = obstacleFrames_[static_cast<std::size_t>(index)];
  return UpdateObstacleFrame(*cast, frame) ? &frame : nullptr;
}

bool Scene::IntersectCastMesh(Cast& cast, const Vector3& origin, const Vector3& direction, float& distance) {
  const Mesh* mesh = ObstacleMesh(cast.GetClass());
  RayHit hit;
  if (!mesh || !IntersectMesh(*mesh, origin, direction, &hit)) return false;
  distance = hit.distance;
  return true;
}

std::uint32_t Scene::GetRegionFlags(const Vector3& point, float radius) const {
  std::uint32_t flags = 0;
  for (int i = 0; i < castCount_; ++i) {
    const Cast& cast = *casts_[static_cast<std::size_t>(i)];
    if (cast.IsDeletedWhileRunning()) continue;
    const RegionProbe probe{cast.GetPosition(), cast.GetRegionType(), cast.GetRegionRadius(), cast.GetRegionHeight(),
                            cast.GetRegionAttribute()};
    flags |= ::GetRegionFlags(point, radius, std::span<const RegionProbe>(&probe, 1));
  }
  return flags;
}
