// Matrix construction and inversion.
#include "platform/math/matrix.h"

#include <cmath>

#include "platform/math/vector.h"

namespace {

// 1/d, or 0 where that would be infinite: projections of a degenerate volume
// stay finite.
float FiniteReciprocal(float d) {
  if (d == 0.0f) return 0.0f;
  float r = 1.0f / d;
  return std::isfinite(r) ? r : 0.0f;
}

// The 2x2 minors of rows 0-1 (s) and rows 2-3 (c) that the Laplace expansion of
// a 4x4 determinant along its first two rows uses.
struct Minors {
  float s[6], c[6];
  float determinant;
};

Minors ComputeMinors(const Matrix& a) {
  const auto& m = a.m;
  Minors r;
  r.s[0] = m[0][0] * m[1][1] - m[1][0] * m[0][1];
  r.s[1] = m[0][0] * m[1][2] - m[1][0] * m[0][2];
  r.s[2] = m[0][0] * m[1][3] - m[1][0] * m[0][3];
  r.s[3] = m[0][1] * m[1][2] - m[1][1] * m[0][2];
  r.s[4] = m[0][1] * m[1][3] - m[1][1] * m[0][3];
  r.s[5] = m[0][2] * m[1][3] - m[1][2] * m[0][3];
  r.c[5] = m[2][2] * m[3][3] - m[3][2] * m[2][3];
  r.c[4] = m[2][1] * m[3][3] - m[3][1] * m[2][3];
  r.c[3] = m[2][1] * m[3][2] - m[3][1] * m[2][2];
  r.c[2] = m[2][0] * m[3][3] - m[3][0] * m[2][3];
  r.c[1] = m[2][0] * m[3][2] - m[3][0] * m[2][2];
  r.c[0] = m[2][0] * m[3][1] - m[3][0] * m[2][1];
  r.determinant = r.s[0] * r.c[5] - r.s[1] * r.c[4] + r.s[2] * r.c[3] + r.s[3] * r.c[2] -
                  r.s[4] * r.c[1] + r.s[5] * r.c[0];
  return r;
}

Matrix LookAt(const Vector3& eye, const Vector3& zAxis, const Vector3& up) {
  Vector3 xAxis = Vec3Normalize(Vec3Cross(up, zAxis));
  Vector3 yAxis = Vec3Cross(zAxis, xAxis);
  return Matrix{{{xAxis.x, yAxis.x, zAxis.x, 0.0f},
                 {xAxis.y, yAxis.y, zAxis.y, 0.0f},
                 {xAxis.z, yAxis.z, zAxis.z, 0.0f},
                 {-Vec3Dot(xAxis, eye), -Vec3Dot(yAxis, eye), -Vec3Dot(zAxis, eye), 1.0f}}};
}

}  // namespace

float MatrixDeterminant(const Matrix& a) { return ComputeMinors(a).determinant; }

bool MatrixInverse(Matrix* out, float* determinant, const Matrix& a) {
  Minors n = ComputeMinors(a);
  if (determinant) *determinant = n.determinant;
  if (n.determinant == 0.0f) return false;
  float inv = 1.0f / n.determinant;
  if (!std::isfinite(inv)) return false;
  const auto& m = a.m;
  const float* s = n.s;
  const float* c = n.c;
  Matrix r{{{(m[1][1] * c[5] - m[1][2] * c[4] + m[1][3] * c[3]) * inv,
             (-m[0][1] * c[5] + m[0][2] * c[4] - m[0][3] * c[3]) * inv,
             (m[3][1] * s[5] - m[3][2] * s[4] + m[3][3] * s[3]) * inv,
             (-m[2][1] * s[5] + m[2][2] * s[4] - m[2][3] * s[3]) * inv},
            {(-m[1][0] * c[5] + m[1][2] * c[2] - m[1][3] * c[1]) * inv,
             (m[0][0] * c[5] - m[0][2] * c[2] + m[0][3] * c[1]) * inv,
             (-m[3][0] * s[5] + m[3][2] * s[2] - m[3][3] * s[1]) * inv,
             (m[2][0] * s[5] - m[2][2] * s[2] + m[2][3] * s[1]) * inv},
            {(m[1][0] * c[4] - m[1][1] * c[2] + m[1][3] * c[0]) * inv,
             (-m[0][0] * c[4] + m[0][1] * c[2] - m[0][3] * c[0]) * inv,
             (m[3][0] * s[4] - m[3][1] * s[2] + m[3][3] * s[0]) * inv,
             (-m[2][0] * s[4] + m[2][1] * s[2] - m[2][3] * s[0]) * inv},
            {(-m[1][0] * c[3] + m[1][1] * c[1] - m[1][2] * c[0]) * inv,
             (m[0][0] * c[3] - m[0][1] * c[1] + m[0][2] * c[0]) * inv,
             (-m[3][0] * s[3] + m[3][1] * s[1] - m[3][2] * s[0]) * inv,
             (m[2][0] * s[3] - m[2][1] * s[1] + m[2][2] * s[0]) * inv}}};
  *out = r;
  return true;
}

Matrix MatrixRotationX(float angle) {
  float c = std::cos(angle), s = std::sin(angle);
  return Matrix{{{1, 0, 0, 0}, {0, c, s, 0}, {0, -s, c, 0}, {0, 0, 0, 1}}};
}

Matrix MatrixRotationY(float angle) {
  float c = std::cos(angle), s = std::sin(angle);
  return Matrix{{{c, 0, -s, 0}, {0, 1, 0, 0}, {s, 0, c, 0}, {0, 0, 0, 1}}};
}

Matrix MatrixRotationZ(float angle) {
  float c = std::cos(angle), s = std::sin(angle);
  return Matrix{{{c, s, 0, 0}, {-s, c, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}};
}

Matrix MatrixRotationAxis(const Vector3& axis, float angle) {
  // Without an axis there is no rotation; the bare formula would scale by
  // cos(angle) instead.
  Vector3 n = Vec3Normalize(axis);
  if (n.x == 0.0f && n.y == 0.0f && n.z == 0.0f) return MatrixIdentity();
  float c = std::cos(angle), s = std::sin(angle), t = 1.0f - c;
  return Matrix{{{t * n.x * n.x + c, t * n.x * n.y + s * n.z, t * n.x * n.z - s * n.y, 0},
                 {t * n.x * n.y - s * n.z, t * n.y * n.y + c, t * n.y * n.z + s * n.x, 0},
                 {t * n.x * n.z + s * n.y, t * n.y * n.z - s * n.x, t * n.z * n.z + c, 0},
                 {0, 0, 0, 1}}};
}

Matrix MatrixRotationQuaternion(const Quaternion& q) {
  float xx = q.x * q.x, yy = q.y * q.y, zz = q.z * q.z;
  float xy = q.x * q.y, xz = q.x * q.z, yz = q.y * q.z;
  float wx = q.w * q.x, wy = q.w * q.y, wz = q.w * q.z;
  return Matrix{{{1 - 2 * (yy + zz), 2 * (xy + wz), 2 * (xz - wy), 0},
                 {2 * (xy - wz), 1 - 2 * (xx + zz), 2 * (yz + wx), 0},
                 {2 * (xz + wy), 2 * (yz - wx), 1 - 2 * (xx + yy), 0},
                 {0, 0, 0, 1}}};
}

Matrix MatrixRotationYawPitchRoll(float yaw, float pitch, float roll) {
  float cy = std::cos(yaw), sy = std::sin(yaw);
  float cp = std::cos(pitch), sp = std::sin(pitch);
  float cr = std::cos(roll), sr = std::sin(roll);
  // RotationZ(roll) * RotationX(pitch) * RotationY(yaw), multiplied out.
  return Matrix{{{cr * cy + sr * sp * sy, sr * cp, sr * sp * cy - cr * sy, 0},
                 {cr * sp * sy - sr * cy, cr * cp, sr * sy + cr * sp * cy, 0},
                 {cp * sy, -sp, cp * cy, 0},
                 {0, 0, 0, 1}}};
}

Matrix MatrixTransformation(const Vector3& scale, const Quaternion& rotation,
                            const Vector3& translation) {
  Matrix r = MatrixRotationQuaternion(rotation);
  const float factor[3] = {scale.x, scale.y, scale.z};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) r.m[i][j] *= factor[i];
  r.m[3][0] = translation.x;
  r.m[3][1] = translation.y;
  r.m[3][2] = translation.z;
  return r;
}

Matrix MatrixLookAtLH(const Vector3& eye, const Vector3& at, const Vector3& up) {
  return LookAt(eye, Vec3Normalize(at - eye), up);
}

Matrix MatrixLookAtRH(const Vector3& eye, const Vector3& at, const Vector3& up) {
  return LookAt(eye, Vec3Normalize(eye - at), up);
}

Matrix MatrixPerspectiveFovLH(float fieldOfViewY, float aspect, float nearZ, float farZ) {
  float yScale = FiniteReciprocal(std::tan(fieldOfViewY * 0.5f));
  float xScale = yScale * FiniteReciprocal(aspect);
  float depth = farZ * FiniteReciprocal(farZ - nearZ);
  return Matrix{
      {{xScale, 0, 0, 0}, {0, yScale, 0, 0}, {0, 0, depth, 1}, {0, 0, -nearZ * depth, 0}}};
}

Matrix MatrixOrthoRH(float width, float height, float nearZ, float farZ) {
  float depth = FiniteReciprocal(nearZ - farZ);
  return Matrix{{{2.0f * FiniteReciprocal(width), 0, 0, 0},
                 {0, 2.0f * FiniteReciprocal(height), 0, 0},
                 {0, 0, depth, 0},
                 {0, 0, nearZ * depth, 1}}};
}
