// The obstacle mesh of a class and its ray test, the shapes and matrices of
// obstacles, and a cast's collision sphere.
#include "scene/cast/obstacles.h"

#include <algorithm>
#include <cmath>

#include "motion/model.h"
#include "motion/object_class.h"
#include "platform/math/matrix.h"
#include "platform/math/quaternion.h"
#include "platform/math/vector.h"
#include "platform/mesh/mesh_queries.h"
#include "scene/cast/cast.h"
#include "scene/cast/motion_query.h"
#include "scene/edge_walls.h"

const Mesh* ObstacleMesh(const ObjectClass* cls) {
  const Model* model = cls ? cls->GetModel() : nullptr;
  const ModelFrame* root = model ? model->GetRootFrame() : nullptr;
  // The loader builds plain meshes only, which is what obstacles are tested as.
  return root && root->meshContainer ? root->meshContainer->mesh.get() : nullptr;
}

bool IntersectObstacleMesh(const Cast& cast, const Vector3& origin, const Vector3& direction, float* distance) {
  const Mesh* mesh = ObstacleMesh(cast.GetClass());
  RayHit hit;
  if (!mesh || !IntersectMesh(*mesh, origin, direction, &hit)) return false;
  *distance = hit.distance;
  return true;
}

namespace {

// How much a cast's world matrix may stretch distances: the matrix of a
// rotation quaternion q with n = |q|^2 is (1 - n) I + n R for a rotation R.
float Stretch(const Quaternion& rotation) {
  const float n = QuaternionLengthSq(rotation);
  return std::fabs(1.0f - n) + n;
}

}  // namespace

bool GetObstacleShape(const Cast& obstacle, const Matrix& world, bool withWalls, ObstacleShape& shape) {
  const ObjectClass* cls = obstacle.GetClass();
  const float stretch = Stretch(obstacle.GetRotation());
  shape.mesh = ObstacleMesh(cls);
  if (shape.mesh) {
    shape.centre = Vec3TransformCoord(cls->GetBoundingCenter(), world);
    shape.radius = cls->GetBoundingRadius() * stretch;
  }
  Vector3 wallCentre;
  float wallRadius = 0.0f;
  shape.walls = withWalls ? EdgeStopperWallBounds(cls, wallCentre, wallRadius) : nullptr;
  if (shape.walls) {
    wallCentre = Vec3TransformCoord(wallCentre, world);
    wallRadius *= stretch;
    if (!shape.mesh) {
      shape.centre = wallCentre;
      shape.radius = wallRadius;
    } else {
      // One sphere round the mesh's sphere that takes in the walls' too.
      shape.radius = std::fmax(shape.radius, Vec3Length(wallCentre - shape.centre) + wallRadius);
    }
  }
  return shape.mesh || shape.walls;
}

bool UpdateObstacleFrame(const Cast& obstacle, ObstacleFrame& frame) {
  if (!frame.made || !(frame.position == obstacle.GetPosition()) || !(frame.rotation == obstacle.GetRotation())) {
    frame.position = obstacle.GetPosition();
    frame.rotation = obstacle.GetRotation();
    frame.world = obstacle.GetWorldMatrix(false);
    frame.invertible = MatrixInverse(&frame.inverse, nullptr, frame.world);
    frame.made = true;
  }
  return frame.invertible;
}

float VerticalCosine(float up, const Vector3& v) {
  if (v.x == 0.0f && v.y == up && v.z == 0.0f) return 1.0f;
  const float length = Vec3Length(v);
  if (!(length > 0.0f) || !std::isfinite(length)) return 1.0f;
  return std::clamp(up * v.y / length, -1.0f, 1.0f);
}

bool GetCollisionSphere(const Cast& cast, CollisionSphere& sphere) {
  const MotionFrame* track = FirstTrack(cast.GetCurrentMotion());
  if (!track) return false;
  MotionKey key;
  if (!track->GetKey(kKindSphere, cast.GetMotionTime(), key, false) && track->KeyCount() == 0) return false;
  sphere.centre = key.GetVector();
  sphere.radius = key.GetRadius();
  return true;
}
