// The edge-stopper walls a scene keeps with its classes: the wall mesh of a
// class, and the removal of wall faces where a script opens a way through.
// The scene builds and releases them; the sweeps and the Cast class use them.
#pragma once

#include "platform/math/math_types.h"

class Cast;
class Mesh;
class ObjectClass;

// The class's wall mesh; null without one (no class, no "EdgeStopper" flag
// when the scene started, or no open floor edge).
Mesh* EdgeStopperWallMesh(const ObjectClass* cls);
// The class's wall mesh and a sphere in the class's model space that holds
// it; null (the sphere untouched) without one.
const Mesh* EdgeStopperWallBounds(const ObjectClass* cls, Vector3& centre, float& radius);

// Removes the faces of `cast`'s class wall mesh within the "SPHR" sphere of
// `other`'s motion track named `frame` (the first track when none has the
// name), at most 128 of them: the sphere centre is carried through the bone
// of that name into world space, then into `cast`'s own space. Nothing
// happens without a wall mesh, a motion of `other` or a sphere.
void DeleteEdgeStopperFaces(Cast& cast, Cast& other, const char* frame);
