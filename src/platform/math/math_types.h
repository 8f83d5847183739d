// The plain value types of the math layer (vectors, quaternions, planes, 4x4
// matrices); every part that moves, poses, collides or draws uses them.
#pragma once

// All types stay aggregates so content readers can brace-initialise them and
// copy them straight out of a parsed file.
struct Vector2 {
  float x, y;
};

struct Vector3 {
  float x, y, z;
};

struct Vector4 {
  float x, y, z, w;
};

// A rotation: (x, y, z) = axis * sin(angle/2), w = cos(angle/2).
struct Quaternion {
  float x, y, z, w;
};

// The points p with a*p.x + b*p.y + c*p.z + d == 0.
struct Plane {
  float a, b, c, d;
};

// Row vectors: v' = v * M, so A * B applies A first; the translation sits in
// m[3][0..2].
struct Matrix {
  float m[4][4];
};

// The screen rectangle and depth range that project/unproject map onto.
struct Viewport {
  float x, y, width, height, minZ, maxZ;
};

inline Matrix MatrixIdentity() {
  return Matrix{{{1.0f, 0.0f, 0.0f, 0.0f},
                 {0.0f, 1.0f, 0.0f, 0.0f},
                 {0.0f, 0.0f, 1.0f, 0.0f},
                 {0.0f, 0.0f, 0.0f, 1.0f}}};
}

inline bool operator==(const Vector2& a, const Vector2& b) { return a.x == b.x && a.y == b.y; }
inline bool operator==(const Vector3& a, const Vector3& b) {
  return a.x == b.x && a.y == b.y && a.z == b.z;
}
inline bool operator==(const Vector4& a, const Vector4& b) {
  return a.x == b.x && a.y == b.y && a.z == b.z && a.w == b.w;
}
inline bool operator==(const Quaternion& a, const Quaternion& b) {
  return a.x == b.x && a.y == b.y && a.z == b.z && a.w == b.w;
}
inline bool operator==(const Plane& a, const Plane& b) {
  return a.a == b.a && a.b == b.b && a.c == b.c && a.d == b.d;
}
inline bool operator==(const Matrix& a, const Matrix& b) {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c)
      if (a.m[r][c] != b.m[r][c]) return false;
  return true;
}
