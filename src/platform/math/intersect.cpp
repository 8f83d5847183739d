// Bounding spheres of point sets.
#include "platform/math/intersect.h"

#include <cmath>
#include <cstring>

namespace {

Vector3 ReadPoint(const unsigned char* bytes) {
  float xyz[3];
  std::memcpy(xyz, bytes, sizeof(xyz));
  return {xyz[0], xyz[1], xyz[2]};
}

}  // namespace

bool ComputeBoundingSphere(const void* first, std::size_t count, std::size_t stride,
                           Vector3* centre, float* radius) {
  *centre = {0.0f, 0.0f, 0.0f};
  *radius = 0.0f;
  if (first == nullptr || count == 0) return false;
  const auto* bytes = static_cast<const unsigned char*>(first);
  Vector3 sum{0.0f, 0.0f, 0.0f};
  for (std::size_t i = 0; i < count; ++i) sum += ReadPoint(bytes + i * stride);
  float n = static_cast<float>(count);
  Vector3 mean{sum.x / n, sum.y / n, sum.z / n};
  float largestSq = 0.0f;
  for (std::size_t i = 0; i < count; ++i) {
    float d = Vec3LengthSq(ReadPoint(bytes + i * stride) - mean);
    if (d > largestSq) largestSq = d;
  }
  *centre = mean;
  *radius = std::sqrt(largestSq);
  return true;
}
