// Finding a shadow's receiver and the receiving faces around its hits.
#include "render/shadow_glare/shadow_receivers.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/math/plane.h"
#include "platform/math/vector.h"
#include "platform/mesh/mesh.h"
#include "platform/mesh/mesh_queries.h"
#include "scene/cast/obstacles.h"
#include "scene/scene.h"

namespace {

// The receiver ray starts a little behind the caster, so that the ground
// it stands on is met even where its position sinks into it.
constexpr float kRayStartBack = 10.0f;
// The hit must lie about on the screen (a little beyond its edges), so
// that no time goes into shadows nobody sees.
constexpr float kScreenReach = 1.5f;
// The rays from the caster's sphere add their faces only when they met the
// receiver about where the first ray did, not on a far part of it.
constexpr float kExtraRayTolerance = 200.0f;
// Faces whose plane meets the light's line through the caster farther
// before it than this are above the caster: they receive nothing.
constexpr float kReceiverAbove = 100.0f;
// The copies lie this far off the receiving surface, so that they win
// its depth test.
constexpr float kLift = 0.25f;

// The nearest face of the obstacle's mesh that the world-space ray meets.
bool CastRay(const Mesh& mesh, const ObstacleFrame& frame, const Vector3& origin, const Vector3& direction,
             RayHit* hit) {
  // Into the obstacle's own axes; the distance stays in lengths of the
  // world-space direction.
  return IntersectMesh(mesh, Vec3TransformCoord(origin, frame.inverse), Vec3TransformNormal(direction, frame.inverse),
                       hit);
}

}  // namespace

bool FindShadowReceiver(Scene& scene, const Cast& caster, const Vector3& light, const Matrix& viewProjection,
                        ShadowReceiver* receiver) {
  const Vector3 position = caster.GetPosition();
  const Vector3 origin = position - light * kRayStartBack;
  ShadowReceiver best;
  const ObstacleFrame* bestFrame = nullptr;
  scene.ForEachObstacle(&caster, [&](int index, Cast& candidate) {
    const Mesh* mesh = ObstacleMesh(candidate.GetClass());
    const ObstacleFrame* frame = mesh ? scene.GetObstacleFrame(index) : nullptr;
    RayHit hit;
    if (!frame || !CastRay(*mesh, *frame, origin, light, &hit) || !(hit.distance < kShadowReach)) return;
    if (bestFrame && !(hit.distance < best.distance)) return;
    const Vector3 seen = Vec3TransformCoord(origin + light * hit.distance, viewProjection);
    if (!(std::fabs(seen.x) <= kScreenReach && std::fabs(seen.y) <= kScreenReach)) return;
    best.cast = &candidate;
    best.mesh = mesh;
    best.distance = hit.distance;
    best.faces[0] = hit.face;
    best.faceCount = 1;
    bestFrame = frame;
  });
  if (!bestFrame) return false;
  // Two more rays from the bottom and the top of the caster's sphere add
  // the faces below its body to the one below its position.
  CollisionSphere sphere;
  if (!GetCollisionSphere(caster, sphere)) sphere = CollisionSphere{};
  for (const float rise : {1.0f, 3.0f}) {
    const Vector3 start = position + sphere.centre + Vector3{0.0f, sphere.radius * rise, 0.0f};
    RayHit hit;
    if (CastRay(*best.mesh, *bestFrame, start, light, &hit) &&
        std::fabs(hit.distance - best.distance) <= kExtraRayTolerance) {
      best.faces[static_cast<std::size_t>(best.faceCount++)] = hit.face;
    }
  }
  *receiver = best;
  return true;
}

std::size_t CollectReceivingTriangles(const Mesh& mesh, std::span<const std::uint32_t> keptFaces,
                                      const Matrix& receiverWorld, const Vector3& position, const Vector3& light,
                                      const Matrix& textureMatrix, std::vector<std::uint32_t>* scratch,
                                      std::span<ShadowVertex> out) {
  const std::size_t capacity = std::min(out.size(), kMaxShadowVertices) / 3 * 3;
  const std::uint8_t* bytes = mesh.VertexBytes().data();
  const std::size_t stride = mesh.GetNumBytesPerVertex();
  auto positionBytes = [&](std::uint32_t vertex) { return bytes + vertex * stride; };

  // A face receives when one of its corners lies exactly where a corner of a
  // kept face does: the kept faces and their neighbours, even across split
  // vertices. Such a face overlaps the box of the kept corners, so the
  // hierarchy finds every candidate without a walk over the whole mesh.
  std::array<std::uint32_t, 9> corners{};
  std::size_t cornerCount = 0;
  Vector3 lo{0.0f, 0.0f, 0.0f}, hi{0.0f, 0.0f, 0.0f};
  for (const std::uint32_t face : keptFaces) {
    if (face >= mesh.GetNumFaces() || cornerCount + 3 > corners.size()) continue;
    std::uint32_t c[3];
    mesh.GetFace(face, c);
    for (const std::uint32_t vertex : c) {
      const Vector3 p = mesh.Position(vertex);
      lo = cornerCount == 0 ? p : Vec3Minimize(lo, p);
      hi = cornerCount == 0 ? p : Vec3Maximize(hi, p);
      corners[cornerCount++] = vertex;
    }
  }
  if (cornerCount == 0 || capacity == 0) return 0;
  auto isKeptCorner = [&](std::uint32_t vertex) {
    for (std::size_t i = 0; i < cornerCount; ++i)
      if (std::memcmp(positionBytes(vertex), positionBytes(corners[i]), sizeof(Vector3)) == 0) return true;
    return false;
  };
  CollectFacesInBox(mesh, lo, hi, scratch);

  std::size_t count = 0;
  for (const std::uint32_t face : *scratch) {
    if (count >= capacity) break;
    std::uint32_t c[3];
    mesh.GetFace(face, c);
    if (!isKeptCorner(c[0]) && !isKeptCorner(c[1]) && !isKeptCorner(c[2])) continue;
    Vector3 p[3];
    for (int i = 0; i < 3; ++i) p[i] = Vec3TransformCoord(mesh.Position(c[i]), receiverWorld);
    const Vector3 n = Vec3Normalize(Vec3Cross(p[1] - p[0], p[2] - p[0]));
    // Only faces turned towards the light; a collapsed face has no normal.
    if (!(Vec3Dot(n, light) < 0.0f)) continue;
    Vector3 crossing;
    if (!PlaneIntersectLine(&crossing, PlaneFromPointNormal(p[1], n), position - light, position)) continue;
    if (!(Vec3Dot(crossing - position, light) > -kReceiverAbove)) continue;
    for (const Vector3& corner : p) {
      ShadowVertex& v = out[count++];
      v.position = corner + n * kLift;
      v.normal = n;
      const Vector3 t = Vec3TransformCoord(v.position, textureMatrix);
      v.u = t.x / 2.0f + 0.5f;
      v.v = t.y / 2.0f + 0.5f;
    }
  }
  return count;
}
