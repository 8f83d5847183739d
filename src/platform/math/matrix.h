// 4x4 matrices with row vectors (v' = v * M, A * B applies A first, translation
// in the fourth row), left-handed as the platform; used by every part that poses,
// places, collides or draws.
#pragma once

#include "platform/math/math_types.h"

inline Matrix MatrixMultiply(const Matrix& a, const Matrix& b) {
  Matrix r;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] +
                  a.m[i][3] * b.m[3][j];
  return r;
}
inline Matrix operator*(const Matrix& a, const Matrix& b) { return MatrixMultiply(a, b); }

inline Matrix MatrixTranspose(const Matrix& a) {
  Matrix r;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) r.m[i][j] = a.m[j][i];
  return r;
}

inline bool MatrixIsIdentity(const Matrix& a) { return a == MatrixIdentity(); }

float MatrixDeterminant(const Matrix& a);

// The general inverse. *determinant (when not null) always receives the
// determinant; when it is zero, or so small that its reciprocal overflows, the
// matrix counts as singular: false, *out untouched.
bool MatrixInverse(Matrix* out, float* determinant, const Matrix& a);

inline Matrix MatrixTranslation(float x, float y, float z) {
  Matrix r = MatrixIdentity();
  r.m[3][0] = x;
  r.m[3][1] = y;
  r.m[3][2] = z;
  return r;
}
inline Matrix MatrixScaling(float x, float y, float z) {
  Matrix r = MatrixIdentity();
  r.m[0][0] = x;
  r.m[1][1] = y;
  r.m[2][2] = z;
  return r;
}

// Rotations by an angle in radians, clockwise when looking along the axis
// toward the origin (left-handed): RotationY(pi/2) takes +x to -z.
Matrix MatrixRotationX(float angle);
Matrix MatrixRotationY(float angle);
Matrix MatrixRotationZ(float angle);
// The axis is normalised first; a zero-length axis gives the identity.
Matrix MatrixRotationAxis(const Vector3& axis, float angle);
// The quaternion is used as it stands (not normalised).
Matrix MatrixRotationQuaternion(const Quaternion& q);
// Roll about Z first, then pitch about X, then yaw about Y:
// RotationZ(roll) * RotationX(pitch) * RotationY(yaw).
Matrix MatrixRotationYawPitchRoll(float yaw, float pitch, float roll);
// Scaling(scale) * RotationQuaternion(rotation) * Translation(translation).
Matrix MatrixTransformation(const Vector3& scale, const Quaternion& rotation,
                            const Vector3& translation);

// View matrices: the eye goes to the origin, the direction toward at to +z
// (left-handed) or -z (right-handed). When eye == at or up is parallel to the
// view direction the missing axes are zero, never NaN.
Matrix MatrixLookAtLH(const Vector3& eye, const Vector3& at, const Vector3& up);
Matrix MatrixLookAtRH(const Vector3& eye, const Vector3& at, const Vector3& up);

// Projections map the view volume to x, y in -1..1 and z in 0..1 (near..far).
// An element whose formula would divide by zero (zero field, aspect, size or
// depth range) is 0 rather than infinite.
Matrix MatrixPerspectiveFovLH(float fieldOfViewY, float aspect, float nearZ, float farZ);
Matrix MatrixOrthoRH(float width, float height, float nearZ, float farZ);
