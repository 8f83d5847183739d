// 2-, 3- and 4-component vector operations with the platform's conventions
// (row vectors, left-handed); used by posing, movement, collision and drawing.
#pragma once

#include <cmath>

#include "platform/math/math_types.h"

// ---- operators (free, so the types stay aggregates) ----

inline Vector2 operator+(const Vector2& a, const Vector2& b) { return {a.x + b.x, a.y + b.y}; }
inline Vector2 operator-(const Vector2& a, const Vector2& b) { return {a.x - b.x, a.y - b.y}; }
inline Vector2 operator-(const Vector2& a) { return {-a.x, -a.y}; }
inline Vector2 operator*(const Vector2& a, float s) { return {a.x * s, a.y * s}; }
inline Vector2 operator*(float s, const Vector2& a) { return a * s; }

inline Vector3 operator+(const Vector3& a, const Vector3& b) {
  return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline Vector3 operator-(const Vector3& a, const Vector3& b) {
  return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline Vector3 operator-(const Vector3& a) { return {-a.x, -a.y, -a.z}; }
inline Vector3 operator*(const Vector3& a, float s) { return {a.x * s, a.y * s, a.z * s}; }
inline Vector3 operator*(float s, const Vector3& a) { return a * s; }
inline Vector3& operator+=(Vector3& a, const Vector3& b) { return a = a + b; }
inline Vector3& operator-=(Vector3& a, const Vector3& b) { return a = a - b; }
inline Vector3& operator*=(Vector3& a, float s) { return a = a * s; }

inline Vector4 operator+(const Vector4& a, const Vector4& b) {
  return {a.x + b.x, a.y + b.y, a.z + b.z, a.w + b.w};
}
inline Vector4 operator-(const Vector4& a, const Vector4& b) {
  return {a.x - b.x, a.y - b.y, a.z - b.z, a.w - b.w};
}
inline Vector4 operator-(const Vector4& a) { return {-a.x, -a.y, -a.z, -a.w}; }
inline Vector4 operator*(const Vector4& a, float s) { return {a.x * s, a.y * s, a.z * s, a.w * s}; }
inline Vector4 operator*(float s, const Vector4& a) { return a * s; }

// ---- 2-component ----

inline Vector2 Vec2Add(const Vector2& a, const Vector2& b) { return a + b; }
inline Vector2 Vec2Subtract(const Vector2& a, const Vector2& b) { return a - b; }
inline Vector2 Vec2Scale(const Vector2& a, float s) { return a * s; }
inline float Vec2Dot(const Vector2& a, const Vector2& b) { return a.x * b.x + a.y * b.y; }
// The z of the 3D cross product: positive when b lies counter-clockwise of a.
inline float Vec2CCW(const Vector2& a, const Vector2& b) { return a.x * b.y - a.y * b.x; }
inline float Vec2LengthSq(const Vector2& a) { return Vec2Dot(a, a); }
inline float Vec2Length(const Vector2& a) { return std::sqrt(Vec2LengthSq(a)); }
inline Vector2 Vec2Normalize(const Vector2& a) {
  float length = Vec2Length(a);
  if (length == 0.0f) return {0.0f, 0.0f};
  return a * (1.0f / length);
}
inline Vector2 Vec2Lerp(const Vector2& a, const Vector2& b, float s) { return a + (b - a) * s; }

// ---- 3-component ----

inline Vector3 Vec3Add(const Vector3& a, const Vector3& b) { return a + b; }
inline Vector3 Vec3Subtract(const Vector3& a, const Vector3& b) { return a - b; }
inline Vector3 Vec3Scale(const Vector3& a, float s) { return a * s; }
inline float Vec3Dot(const Vector3& a, const Vector3& b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline Vector3 Vec3Cross(const Vector3& a, const Vector3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline float Vec3LengthSq(const Vector3& a) { return Vec3Dot(a, a); }
inline float Vec3Length(const Vector3& a) { return std::sqrt(Vec3LengthSq(a)); }
// A zero vector (or one too small to square) stays zero instead of becoming NaN.
inline Vector3 Vec3Normalize(const Vector3& a) {
  float length = Vec3Length(a);
  if (length == 0.0f) return {0.0f, 0.0f, 0.0f};
  return a * (1.0f / length);
}
inline Vector3 Vec3Lerp(const Vector3& a, const Vector3& b, float s) { return a + (b - a) * s; }
inline Vector3 Vec3Minimize(const Vector3& a, const Vector3& b) {
  return {a.x < b.x ? a.x : b.x, a.y < b.y ? a.y : b.y, a.z < b.z ? a.z : b.z};
}
inline Vector3 Vec3Maximize(const Vector3& a, const Vector3& b) {
  return {a.x > b.x ? a.x : b.x, a.y > b.y ? a.y : b.y, a.z > b.z ? a.z : b.z};
}

// ---- 4-component ----

inline Vector4 Vec4Add(const Vector4& a, const Vector4& b) { return a + b; }
inline Vector4 Vec4Subtract(const Vector4& a, const Vector4& b) { return a - b; }
inline Vector4 Vec4Scale(const Vector4& a, float s) { return a * s; }
inline float Vec4Dot(const Vector4& a, const Vector4& b) {
  return a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w;
}
inline float Vec4LengthSq(const Vector4& a) { return Vec4Dot(a, a); }
inline float Vec4Length(const Vector4& a) { return std::sqrt(Vec4LengthSq(a)); }
inline Vector4 Vec4Normalize(const Vector4& a) {
  float length = Vec4Length(a);
  if (length == 0.0f) return {0.0f, 0.0f, 0.0f, 0.0f};
  return a * (1.0f / length);
}
inline Vector4 Vec4Lerp(const Vector4& a, const Vector4& b, float s) { return a + (b - a) * s; }

// ---- Catmull-Rom: the spline through v1 (s = 0) and v2 (s = 1), with v0 and
// v3 giving the tangents ----

template <typename V>
inline V CatmullRom(const V& v0, const V& v1, const V& v2, const V& v3, float s) {
  float s2 = s * s;
  float s3 = s2 * s;
  return (v1 * 2.0f + (v2 - v0) * s + (v0 * 2.0f - v1 * 5.0f + v2 * 4.0f - v3) * s2 +
          (v1 * 3.0f - v0 - v2 * 3.0f + v3) * s3) *
         0.5f;
}
inline Vector2 Vec2CatmullRom(const Vector2& v0, const Vector2& v1, const Vector2& v2,
                              const Vector2& v3, float s) {
  return CatmullRom(v0, v1, v2, v3, s);
}
inline Vector3 Vec3CatmullRom(const Vector3& v0, const Vector3& v1, const Vector3& v2,
                              const Vector3& v3, float s) {
  return CatmullRom(v0, v1, v2, v3, s);
}
inline Vector4 Vec4CatmullRom(const Vector4& v0, const Vector4& v1, const Vector4& v2,
                              const Vector4& v3, float s) {
  return CatmullRom(v0, v1, v2, v3, s);
}

// ---- transforms (v' = v * M) ----

// (x, y, 0, 1) * M, without the divide.
inline Vector4 Vec2Transform(const Vector2& v, const Matrix& m) {
  return {v.x * m.m[0][0] + v.y * m.m[1][0] + m.m[3][0],
          v.x * m.m[0][1] + v.y * m.m[1][1] + m.m[3][1],
          v.x * m.m[0][2] + v.y * m.m[1][2] + m.m[3][2],
          v.x * m.m[0][3] + v.y * m.m[1][3] + m.m[3][3]};
}
// (x, y, z, 1) * M, without the divide.
inline Vector4 Vec3Transform(const Vector3& v, const Matrix& m) {
  return {v.x * m.m[0][0] + v.y * m.m[1][0] + v.z * m.m[2][0] + m.m[3][0],
          v.x * m.m[0][1] + v.y * m.m[1][1] + v.z * m.m[2][1] + m.m[3][1],
          v.x * m.m[0][2] + v.y * m.m[1][2] + v.z * m.m[2][2] + m.m[3][2],
          v.x * m.m[0][3] + v.y * m.m[1][3] + v.z * m.m[2][3] + m.m[3][3]};
}
inline Vector4 Vec4Transform(const Vector4& v, const Matrix& m) {
  return {v.x * m.m[0][0] + v.y * m.m[1][0] + v.z * m.m[2][0] + v.w * m.m[3][0],
          v.x * m.m[0][1] + v.y * m.m[1][1] + v.z * m.m[2][1] + v.w * m.m[3][1],
          v.x * m.m[0][2] + v.y * m.m[1][2] + v.z * m.m[2][2] + v.w * m.m[3][2],
          v.x * m.m[0][3] + v.y * m.m[1][3] + v.z * m.m[2][3] + v.w * m.m[3][3]};
}

// The point carried through M and brought back to w = 1. A point that lands on
// w = 0 (the eye plane of a projection) has no such image; it is returned
// undivided rather than as infinities.
inline Vector2 Vec2TransformCoord(const Vector2& v, const Matrix& m) {
  Vector4 r = Vec2Transform(v, m);
  if (r.w == 0.0f) return {r.x, r.y};
  float inv = 1.0f / r.w;
  return {r.x * inv, r.y * inv};
}
inline Vector3 Vec3TransformCoord(const Vector3& v, const Matrix& m) {
  Vector4 r = Vec3Transform(v, m);
  if (r.w == 0.0f) return {r.x, r.y, r.z};
  float inv = 1.0f / r.w;
  return {r.x * inv, r.y * inv, r.z * inv};
}

// A direction through M's upper 3x3 (no translation, no divide).
inline Vector2 Vec2TransformNormal(const Vector2& v, const Matrix& m) {
  return {v.x * m.m[0][0] + v.y * m.m[1][0], v.x * m.m[0][1] + v.y * m.m[1][1]};
}
inline Vector3 Vec3TransformNormal(const Vector3& v, const Matrix& m) {
  return {v.x * m.m[0][0] + v.y * m.m[1][0] + v.z * m.m[2][0],
          v.x * m.m[0][1] + v.y * m.m[1][1] + v.z * m.m[2][1],
          v.x * m.m[0][2] + v.y * m.m[1][2] + v.z * m.m[2][2]};
}

// ---- screen projection ----

// World point to screen: through world x view x projection, then x from -1..1
// to the viewport's left..right, y from 1..-1 to top..bottom and z from 0..1 to
// minZ..maxZ.
Vector3 Vec3Project(const Vector3& v, const Viewport& viewport, const Matrix& projection,
                    const Matrix& view, const Matrix& world);

// The inverse of Vec3Project. False (and *out untouched) when the viewport has
// no width, height or depth range, or when world x view x projection is
// singular.
bool Vec3Unproject(Vector3* out, const Vector3& v, const Viewport& viewport,
                   const Matrix& projection, const Matrix& view, const Matrix& world);
