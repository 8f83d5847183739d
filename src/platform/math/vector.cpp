// Screen projection of points through world, view and projection matrices.
#include "platform/math/vector.h"

#include "platform/math/matrix.h"

Vector3 Vec3Project(const Vector3& v, const Viewport& viewport, const Matrix& projection,
                    const Matrix& view, const Matrix& world) {
  Vector3 p = Vec3TransformCoord(v, world * view * projection);
  return {viewport.x + (1.0f + p.x) * viewport.width * 0.5f,
          viewport.y + (1.0f - p.y) * viewport.height * 0.5f,
          viewport.minZ + p.z * (viewport.maxZ - viewport.minZ)};
}

bool Vec3Unproject(Vector3* out, const Vector3& v, const Viewport& viewport,
                   const Matrix& projection, const Matrix& view, const Matrix& world) {
  float depth = viewport.maxZ - viewport.minZ;
  if (viewport.width == 0.0f || viewport.height == 0.0f || depth == 0.0f) return false;
  Matrix inverse;
  if (!MatrixInverse(&inverse, nullptr, world * view * projection)) return false;
  Vector3 p{2.0f * (v.x - viewport.x) / viewport.width - 1.0f,
            1.0f - 2.0f * (v.y - viewport.y) / viewport.height, (v.z - viewport.minZ) / depth};
  *out = Vec3TransformCoord(p, inverse);
  return true;
}
