// What the ground, riding and contact passes read of casts: the obstacle mesh
// of a class, a cast's "SPHR" sphere at its motion time, and which casts stand
// in the way. Used by the cast passes, the scene's sweep, the swept-move
// action and the game's camera and actions.
#pragma once

#include <cstdint>

#include "motion/object_flags.h"
#include "platform/math/math_types.h"
#include "scene/cast/cast.h"

class Mesh;
class ObjectClass;

// The mesh of the mesh container of the class model's root frame: what other
// casts stand on and run into. Null without a class, a model or such a mesh.
const Mesh* ObstacleMesh(const ObjectClass* cls);

// The nearest hit of the ray (origin, direction), both in the cast's own
// axes, on its obstacle mesh, from either side, through the mesh's hierarchy:
// the distance in lengths of direction. False without a mesh or a hit.
bool IntersectObstacleMesh(const Cast& cast, const Vector3& origin, const Vector3& direction, float* distance);

// The cast collides with others: "Visible" and "Obstacle", and not deleted.
// The deleted mark is tested here for every sweep, contact and ray query, so
// that no path lets a deleted obstacle collide.
inline bool IsLiveObstacle(Cast& cast) {
  constexpr std::uint32_t kNeeded = kFlagVisible | kFlagObstacle;
  return !cast.IsDeletedWhileRunning() && (cast.GetFlags() & kNeeded) == kNeeded;
}

// What the sweeps and the contact pass test of one obstacle: its mesh, with
// `withWalls` its edge-stopper walls, and a sphere in world space holding
// them as `world` places them (from the class's bounding spheres, never too
// small), so that the passes leave out far obstacles before any exact test.
struct ObstacleShape {
  const Mesh* mesh = nullptr;
  const Mesh* walls = nullptr;
  Vector3 centre{0.0f, 0.0f, 0.0f};
  float radius = 0.0f;
};
// False when the obstacle has neither mesh nor walls.
bool GetObstacleShape(const Cast& obstacle, const Matrix& world, bool withWalls, ObstacleShape& shape);

// An obstacle's world matrix (without angular speed) and its inverse, for the
// position and rotation they were made from; the scene keeps one per table
// slot so that a frame's sweeps and contact passes work each out once.
struct ObstacleFrame {
  Vector3 position{0.0f, 0.0f, 0.0f};
  Quaternion rotation{0.0f, 0.0f, 0.0f, 0.0f};
  Matrix world;
  Matrix inverse;
  bool made = false;
  bool invertible = false;
};
// Made again unless the cast stands and faces as it did; false when the matrix
// has no inverse (a collapsed rotation), which leaves the obstacle out.
bool UpdateObstacleFrame(const Cast& obstacle, ObstacleFrame& frame);

// The cosine of the angle between straight up (`up` 1) or straight down (`up`
// -1) and v, as the angle helper measures it: 1 when v is that direction or
// has no length. The contact passes compare cosines and take one arc cosine
// at the end instead of one per contact.
float VerticalCosine(float up, const Vector3& v);

// The "SPHR" key of the current motion's first track at the cast's motion
// time: centre in the cast's own axes and radius. False without a motion or
// a track with keys (a track with keys but no sphere key answers radius 0).
struct CollisionSphere {
  Vector3 centre{0.0f, 0.0f, 0.0f};
  float radius = 0.0f;
};
bool GetCollisionSphere(const Cast& cast, CollisionSphere& sphere);
