// What the ground, riding and contact passes read of casts: the obstacle mesh
// of a class, a cast's "SPHR" sphere at its motion time, and which casts stand
// in the way. Used by the cast passes, the scene's sweep and its mesh ray test.
#pragma once

#include "platform/math/math_types.h"

class Cast;
class Mesh;
class ObjectClass;

// The mesh of the mesh container of the class model's root frame: what other
// casts stand on and run into. Null without a class, a model or such a mesh.
const Mesh* ObstacleMesh(const ObjectClass* cls);

// The cast collides with others: "Visible" and "Obstacle", and not deleted.
bool IsLiveObstacle(Cast& cast);

// The "SPHR" key of the current motion's first track at the cast's motion
// time: centre in the cast's own axes and radius. False without a motion or
// a track with keys (a track with keys but no sphere key answers radius 0).
struct CastSphere {
  Vector3 centre{0.0f, 0.0f, 0.0f};
  float radius = 0.0f;
};
bool GetCastSphere(const Cast& cast, CastSphere& sphere);
