// The geometry of movement against obstacles: sphere sweeps against meshes,
// triangles, edges and vertices, the static sphere contact query and the
// region test. Used by the cast movement and contact passes and script queries.
#pragma once

#include <cstdint>
#include <span>

#include "platform/math/math_types.h"
#include "platform/mesh/mesh.h"

// What SweepSphereTriangle reports: no hit, the face, a corner or an edge.
enum class TriangleHit : int {
  kNone = 0,
  kFace = 1,
  kVertexA = 2,
  kVertexB = 3,
  kVertexC = 4,
  kEdgeAB = 5,
  kEdgeBC = 6,
  kEdgeCA = 7,
};

// abs(dot(p - o, normalize(cross(a, b)))): the distance of p from the plane
// through o spanned by a and b; 0 when a and b span no plane.
float PointPlaneDistance(const Vector3& p, const Vector3& a, const Vector3& o, const Vector3& b);

// dot(p - o, axis).
float ProjectOnAxis(const Vector3& p, const Vector3& o, const Vector3& axis);

// Where the line through p along the unit direction u first meets the sphere
// (c, r); the whole line counts, so the point may lie behind p.
bool IntersectSegmentSphere(Vector3* out, const Vector3& p, const Vector3& u, const Vector3& c,
                            float r);
bool IntersectSegmentCircle(Vector2* out, const Vector2& p, const Vector2& u, const Vector2& c,
                            float r);

// The sphere of radius r moving from s along the unit direction u against the
// segment p1 p2: the centre when it first touches the segment (not before s)
// and the normal from the segment to that centre (length r).
bool SweepSphereEdge(Vector3* centre, Vector3* normal, const Vector3& s, const Vector3& u,
                     const Vector3& p1, const Vector3& p2, float r);

// The sphere moving from s to e against the front side of triangle a b c
// (front: cross(b - a, c - a) points at it). On a hit the centre at contact and
// the normal: the unit face normal, the unit edge normal times r, or for a
// corner the vector from the corner to the centre.
TriangleHit SweepSphereTriangle(Vector3* centre, Vector3* normal, const Vector3& s,
                                const Vector3& e, float r, const Vector3& a, const Vector3& b,
                                const Vector3& c);

// The nearest hit (by distance from s) over the faces whose box meets the
// sweep's box; on equal distances the lower face.
bool SweepSphereMesh(const Vector3& s, const Vector3& e, float r, Vector3* centre, Vector3* normal,
                     const Mesh& mesh);

// Whether the sphere (p, r) touches the segment a b's line within a..b where it
// crosses the sphere's surface; the crossing point.
bool ClosestPointOnSegment(const Vector3& p, float r, const Vector3& a, const Vector3& b,
                           Vector3* out);

// Whether the sphere (p, r) touches triangle a b c; the touching point: the
// foot on the face, else the first corner inside, else the first edge crossing.
bool ClosestPointOnTriangle(const Vector3& p, float r, const Vector3& a, const Vector3& b,
                            const Vector3& c, Vector3* out);

// One face a sphere touches: the point, the face's normal cross(b - a, c - a)
// (not normalised) and the face index.
struct MeshContact {
  Vector3 point;
  Vector3 normal;
  std::uint32_t face;
};

// The faces the sphere (p, r) touches, in face order, up to out.size();
// returns how many were written.
std::size_t ClosestPointOnMesh(const Vector3& p, float r, const Mesh& mesh,
                               std::span<MeshContact> out);

// One obstacle a moving sphere meets: its world matrix (without angular
// speed) and that matrix's inverse, its obstacle mesh and its edge-stopper
// walls (either may be null), and a sphere in world space that holds both (a
// negative radius: no bound), which lets the sweep pass by far obstacles
// without their exact test. A collapsed obstacle (no inverse) has no model
// space to sweep in: callers leave it out.
struct SweepObstacle {
  Matrix world;
  Matrix inverse;
  const Mesh* mesh;
  const Mesh* edgeWalls;
  Vector3 boundCentre;
  float boundRadius;
};

// Where a swept move ends, and whether an edge-stopper wall was the nearest
// surface in any of its passes (the ground rule against creeping along such a
// wall needs to know).
struct SweepResult {
  Vector3 position;
  bool metEdgeWall;
};

// The swept move of a cast's sphere from `from` to `to` (cast positions) with
// sliding and push-out, over the obstacles in order: at most 10 passes, each
// taking the nearest surface (SweepSphereMesh of each mesh in the obstacle's
// model space), sliding the rest of the move along it. A move straight into a
// surface stops there. `centreOffset` is the sphere centre
// already turned by the cast's rotation; the push-outs that keep each pass
// off a surface are not in the result. `withEdgeWalls` adds the edge-stopper
// walls. The caller leaves out obstacles that must not collide (deleted,
// invisible or the moving cast itself).
SweepResult SweepSphereAmongObstacles(const Vector3& from, const Vector3& to,
                                      const Vector3& centreOffset, float radius,
                                      std::span<const SweepObstacle> obstacles,
                                      bool withEdgeWalls);

// A cast's hit region as the region test sees it.
struct RegionProbe {
  Vector3 position;
  int type;  // 1 sphere, 2 vertical cylinder; others reach nothing
  float radius;
  float height;
  std::uint32_t attribute;
};

// The OR of the attributes of the regions the sphere (p, r) reaches.
std::uint32_t GetRegionFlags(const Vector3& p, float r, std::span<const RegionProbe> regions);
