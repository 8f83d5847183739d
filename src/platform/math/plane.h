// Planes a x + b y + c z + d = 0: construction, signed distances and the
// crossing of a line; used by collision and hit tests.
#pragma once

#include <cmath>

#include "platform/math/math_types.h"
#include "platform/math/vector.h"

// The plane through point with that normal, taken as it stands (not
// normalised), so DotCoord gives distances in units of the normal's length.
inline Plane PlaneFromPointNormal(const Vector3& point, const Vector3& normal) {
  return {normal.x, normal.y, normal.z, -Vec3Dot(point, normal)};
}

// The plane through three points with the unit normal (p2 - p1) x (p3 - p1).
// Points on one line have no normal: the result is the zero plane.
inline Plane PlaneFromPoints(const Vector3& p1, const Vector3& p2, const Vector3& p3) {
  return PlaneFromPointNormal(p1, Vec3Normalize(Vec3Cross(p2 - p1, p3 - p1)));
}

inline Vector3 PlaneNormal(const Plane& p) { return {p.a, p.b, p.c}; }

// a x + b y + c z + d: the signed distance for a unit normal.
inline float PlaneDotCoord(const Plane& p, const Vector3& v) {
  return p.a * v.x + p.b * v.y + p.c * v.z + p.d;
}
// a x + b y + c z: the normal's part, for directions.
inline float PlaneDotNormal(const Plane& p, const Vector3& v) {
  return p.a * v.x + p.b * v.y + p.c * v.z;
}
inline float PlaneDot(const Plane& p, const Vector4& v) {
  return p.a * v.x + p.b * v.y + p.c * v.z + p.d * v.w;
}

// Scales the plane to a unit normal; a plane without normal stays as it is.
inline Plane PlaneNormalize(const Plane& p) {
  float length = Vec3Length(PlaneNormal(p));
  if (length == 0.0f) return p;
  float inv = 1.0f / length;
  return {p.a * inv, p.b * inv, p.c * inv, p.d * inv};
}

// Where the infinite line through v1 and v2 crosses the plane (also beyond the
// two points). False, *out untouched, when the line runs parallel to the plane
// or v1 == v2.
inline bool PlaneIntersectLine(Vector3* out, const Plane& p, const Vector3& v1, const Vector3& v2) {
  Vector3 direction = v2 - v1;
  float along = PlaneDotNormal(p, direction);
  if (along == 0.0f) return false;
  Vector3 r = v1 + direction * (-PlaneDotCoord(p, v1) / along);
  if (!std::isfinite(r.x) || !std::isfinite(r.y) || !std::isfinite(r.z)) return false;
  *out = r;
  return true;
}
