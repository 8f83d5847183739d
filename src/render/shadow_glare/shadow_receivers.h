// Where a cast's shadow falls: the obstacle below it along the light, found
// by rays through the obstacle meshes' hierarchies, and the copies of that
// obstacle's faces around the hits that the shadow texture is projected
// onto. Geometry only; the shadow pass draws what this finds.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "platform/math/math_types.h"

class Cast;
class Mesh;
class Scene;

// One receiving corner, format 0x112: position, normal, texture coordinate.
struct ShadowVertex {
  Vector3 position;
  Vector3 normal;
  float u = 0.0f, v = 0.0f;
};
static_assert(sizeof(ShadowVertex) == 32);

// At most 128 receiving triangles per shadow.
constexpr std::size_t kMaxShadowVertices = 384;
// A receiver farther than this along the light catches no shadow.
constexpr float kShadowReach = 1500.0f;

struct ShadowReceiver {
  Cast* cast = nullptr;
  const Mesh* mesh = nullptr;
  float distance = 0.0f;  // along the light, from 10 units behind the caster
  // The faces the three rays met: the nearest hit's, then those of the rays
  // from the caster's "SPHR" sphere that met the mesh near it.
  std::array<std::uint32_t, 3> faces{};
  int faceCount = 0;
};

// The receiver of `caster`'s shadow along `light` (unit length, or nearly):
// of the scene's other visible, undeleted obstacles, the one whose mesh the
// ray from 10 units behind the caster meets first, nearer than kShadowReach,
// at a point the camera (`viewProjection`) sees or nearly sees. False when
// none.
bool FindShadowReceiver(Scene& scene, const Cast& caster, const Vector3& light, const Matrix& viewProjection,
                        ShadowReceiver* receiver);

// The receiver's faces that share a corner position with one of its kept
// faces, in face order, placed by `receiverWorld`, each kept only when it
// faces the light and its plane meets the light's line through `position`
// (the caster) no more than 100 units before it; lifted a quarter unit off
// the surface, with their flat normal and the texture coordinate
// `textureMatrix` gives. Writes whole triangles into `out` (at most
// kMaxShadowVertices) and returns how many vertices. `scratch` is reused
// from call to call, so that a frame allocates nothing. Meshes of any size
// and index width.
std::size_t CollectReceivingTriangles(const Mesh& mesh, std::span<const std::uint32_t> keptFaces,
                                      const Matrix& receiverWorld, const Vector3& position, const Vector3& light,
                                      const Matrix& textureMatrix, std::vector<std::uint32_t>* scratch,
                                      std::span<ShadowVertex> out);
