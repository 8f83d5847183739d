// Ray-triangle intersection and bounding spheres of point sets; used by the
// mesh ray test, collision geometry and model loading.
#pragma once

#include <cstddef>

#include "platform/math/math_types.h"
#include "platform/math/vector.h"

// Whether the ray from origin along direction meets triangle p0 p1 p2 from
// either side, at or beyond the origin. On a hit: the point is
// p0 + u (p1 - p0) + v (p2 - p0) = origin + distance * direction, so distance
// is in units of direction's length. Points on an edge or a corner count.
// A ray parallel to the triangle's plane, a zero direction or a triangle
// without area never hits. Outputs may be null; they are untouched on a miss.
inline bool IntersectTri(const Vector3& p0, const Vector3& p1, const Vector3& p2,
                         const Vector3& origin, const Vector3& direction, float* u, float* v,
                         float* distance) {
  // Solve origin + t d = p0 + u e1 + v e2 by Cramer's rule with triple
  // products (Moller-Trumbore).
  Vector3 e1 = p1 - p0;
  Vector3 e2 = p2 - p0;
  Vector3 pv = Vec3Cross(direction, e2);
  float det = Vec3Dot(e1, pv);
  if (det == 0.0f) return false;
  float inv = 1.0f / det;
  Vector3 tv = origin - p0;
  float bu = Vec3Dot(tv, pv) * inv;
  // Written so that NaN from an overflowing inverse fails every test.
  if (!(bu >= 0.0f && bu <= 1.0f)) return false;
  Vector3 qv = Vec3Cross(tv, e1);
  float bv = Vec3Dot(direction, qv) * inv;
  if (!(bv >= 0.0f && bu + bv <= 1.0f)) return false;
  float t = Vec3Dot(e2, qv) * inv;
  if (!(t >= 0.0f)) return false;
  if (u) *u = bu;
  if (v) *v = bv;
  if (distance) *distance = t;
  return true;
}

// Centre := the mean of the points, radius := the largest distance from it.
// Points are read as three floats at first + i * stride bytes (any alignment),
// so a vertex buffer with other elements after the position can be passed as
// it is. No points (or a null pointer): false with centre (0, 0, 0), radius 0.
bool ComputeBoundingSphere(const void* first, std::size_t count, std::size_t stride,
                           Vector3* centre, float* radius);

inline bool ComputeBoundingSphere(const Vector3* points, std::size_t count, Vector3* centre,
                                  float* radius) {
  return ComputeBoundingSphere(points, count, sizeof(Vector3), centre, radius);
}
