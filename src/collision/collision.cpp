// Sphere sweeps and contact queries against obstacle meshes, in the obstacle's
// model space; the mesh's bounding-volume hierarchy picks the candidate faces.
#include "collision/collision.h"

#include <algorithm>
#include <cmath>
#include <span>
#include <vector>

#include "platform/math/intersect.h"
#include "platform/math/matrix.h"
#include "platform/math/vector.h"
#include "platform/mesh/mesh_queries.h"

namespace {

// A move whose remaining part runs this close to straight into the surface
// normal stops instead of sliding; compared as its cosine.
constexpr float kHeadOnAngle = 3.1405928f;
const float kHeadOnCosine = std::cos(kHeadOnAngle);
constexpr float kBackOff = 5.0f;
constexpr float kPushOut = 1.0f / 50.0f;
constexpr int kMaxSweepPasses = 10;

bool Finite(const Vector3& v) {
  return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

struct FaceCorners {
  Vector3 a, b, c;
};

FaceCorners Corners(const Mesh& mesh, std::uint32_t face) {
  std::uint32_t corner[3];
  mesh.GetFace(face, corner);
  return {mesh.Position(corner[0]), mesh.Position(corner[1]), mesh.Position(corner[2])};
}

// Candidate faces are gathered into one buffer per thread so that a frame of
// sweeps does not allocate.
std::vector<std::uint32_t>& FaceScratch() {
  thread_local std::vector<std::uint32_t> faces;
  return faces;
}

// The faces a sphere of radius r swept from s to e may meet: those whose
// boxes reach the box of the sweep. None for a sweep that is not finite or
// has a negative radius.
std::span<const std::uint32_t> SweepCandidates(const Vector3& s, const Vector3& e, float r, const Mesh& mesh) {
  if (!Finite(s) || !Finite(e) || !std::isfinite(r) || r < 0.0f) return {};
  const Vector3 pad{r, r, r};
  std::vector<std::uint32_t>& faces = FaceScratch();
  CollectFacesInBox(mesh, Vec3Minimize(s, e) - pad, Vec3Maximize(s, e) + pad, &faces);
  return faces;
}

// The sweep of one face; its contact replaces the best so far when it is the
// first or strictly nearer to s, so that of equal ones the earlier face stays.
void KeepNearerHit(const Vector3& s, const Vector3& e, float r, const FaceCorners& t, bool* found,
                   float* bestSq, Vector3* centre, Vector3* normal) {
  Vector3 hitCentre, hitNormal;
  if (SweepSphereTriangle(&hitCentre, &hitNormal, s, e, r, t.a, t.b, t.c) == TriangleHit::kNone) return;
  const float sq = Vec3LengthSq(hitCentre - s);
  if (*found && !(sq < *bestSq)) return;
  *found = true;
  *bestSq = sq;
  *centre = hitCentre;
  *normal = hitNormal;
}

}  // namespace

float PointPlaneDistance(const Vector3& p, const Vector3& a, const Vector3& o, const Vector3& b) {
  return std::fabs(Vec3Dot(p - o, Vec3Normalize(Vec3Cross(a, b))));
}

float ProjectOnAxis(const Vector3& p, const Vector3& o, const Vector3& axis) {
  return Vec3Dot(p - o, axis);
}

bool IntersectSegmentSphere(Vector3* out, const Vector3& p, const Vector3& u, const Vector3& c,
                            float r) {
  Vector3 v = c - p;
  float t = Vec3Dot(v, u);
  // Rounding can make |v|^2 - t^2 slightly negative for a line through the
  // centre; that is a distance of 0, not a miss.
  float d = std::sqrt(std::max(0.0f, Vec3LengthSq(v) - t * t));
  if (!(d <= r)) return false;
  *out = p + u * (t - std::sqrt(r * r - d * d));
  return true;
}

bool IntersectSegmentCircle(Vector2* out, const Vector2& p, const Vector2& u, const Vector2& c,
                            float r) {
  Vector2 v = c - p;
  float t = Vec2Dot(v, u);
  float d = std::sqrt(std::fabs(Vec2LengthSq(v) - t * t));
  if (!(d <= r)) return false;
  *out = p + u * (t - std::sqrt(r * r - d * d));
  return true;
}

bool SweepSphereEdge(Vector3* centre, Vector3* normal, const Vector3& s, const Vector3& u,
                     const Vector3& p1, const Vector3& p2, float r) {
  Vector3 k = p2 - p1;
  float length = Vec3Length(k);
  if (!(length > 0.0f)) return false;
  Vector3 kn = k * (1.0f / length);
  if (!(PointPlaneDistance(s, u, p1, kn) <= r)) return false;
  // Work in the cross-section of the edge: the parts of the start and the
  // direction across the edge line. This is the same plane a rotation of the
  // edge onto +y gives, without that rotation's breakdown for edges along y.
  Vector3 w = s - p1;
  float along = Vec3Dot(w, kn);
  Vector3 across = w - kn * along;
  float uAlong = Vec3Dot(u, kn);
  Vector3 uAcross = u - kn * uAlong;
  float m = Vec3Length(uAcross);
  // A move along the edge line never closes on it.
  if (!(m > 1e-6f)) return false;
  Vector3 dir = uAcross * (1.0f / m);
  Vector3 v = -across;
  float t0 = Vec3Dot(v, dir);
  float dSq = std::max(0.0f, Vec3LengthSq(v) - t0 * t0);
  if (!(dSq <= r * r)) return false;
  float entry = t0 - std::sqrt(r * r - dSq);
  // An entry behind the start (the sphere moving away, or already around the
  // edge) is no contact ahead; its distance must not be read as one.
  if (entry < 0.0f) return false;
  float t = entry / m;
  float h = uAlong * t + along;
  if (h < 0.0f || h > length) return false;
  *centre = s + u * t;
  *normal = across + dir * entry;
  return true;
}

TriangleHit SweepSphereTriangle(Vector3* centre, Vector3* normal, const Vector3& s,
                                const Vector3& e, float r, const Vector3& a, const Vector3& b,
                                const Vector3& c) {
  Vector3 n = Vec3Cross(b - a, c - a);
  if (!(ProjectOnAxis(s, a, n) > 0.0f)) return TriangleHit::kNone;
  n = Vec3Normalize(n);
  if (n == Vector3{0.0f, 0.0f, 0.0f}) return TriangleHit::kNone;
  Vector3 lift = n * r;
  Vector3 a2 = a + lift, b2 = b + lift, c2 = c + lift;
  if (!(ProjectOnAxis(e, a2, n) < 0.0f)) return TriangleHit::kNone;
  Vector3 d = e - s;
  if (Vec3LengthSq(d) == 0.0f) return TriangleHit::kNone;
  float distance = 0.0f;
  if (IntersectTri(a2, b2, c2, s, d, nullptr, nullptr, &distance) && distance < 1.0f) {
    *centre = s + d * distance;
    *normal = n;
    return TriangleHit::kFace;
  }
  Vector3 u = Vec3Normalize(d);
  const Vector3* ends[3][2] = {{&a, &b}, {&b, &c}, {&c, &a}};
  for (int i = 0; i < 3; ++i) {
    const Vector3& p1 = *ends[i][0];
    const Vector3& p2 = *ends[i][1];
    Vector3 hitCentre, hitNormal;
    if (!SweepSphereEdge(&hitCentre, &hitNormal, s, u, p1, p2, r)) continue;
    if (Vec3Dot(hitCentre - p1, Vec3Cross(n, p2 - p1)) < 0.0f) {
      *centre = hitCentre;
      *normal = hitNormal;
      return static_cast<TriangleHit>(static_cast<int>(TriangleHit::kEdgeAB) + i);
    }
  }
  const Vector3* corners[3] = {&a, &b, &c};
  int best = -1;
  float bestSq = 0.0f;
  Vector3 bestPoint{};
  for (int i = 0; i < 3; ++i) {
    Vector3 point;
    if (!IntersectSegmentSphere(&point, s, u, *corners[i], r)) continue;
    // The line meets the corner's sphere behind the start too; its distance
    // would read as a contact that far ahead.
    if (Vec3Dot(point - s, u) < 0.0f) continue;
    float sq = Vec3LengthSq(point - s);
    if (best < 0 || sq < bestSq) {
      best = i;
      bestSq = sq;
      bestPoint = point;
    }
  }
  if (best < 0) return TriangleHit::kNone;
  *centre = bestPoint;
  *normal = bestPoint - *corners[best];
  return static_cast<TriangleHit>(static_cast<int>(TriangleHit::kVertexA) + best);
}

bool SweepSphereMesh(const Vector3& s, const Vector3& e, float r, Vector3* centre, Vector3* normal,
                     const Mesh& mesh) {
  bool found = false;
  float bestSq = 0.0f;
  for (std::uint32_t face : SweepCandidates(s, e, r, mesh)) {
    FaceCorners t = Corners(mesh, face);
    KeepNearerHit(s, e, r, t, &found, &bestSq, centre, normal);
  }
  return found;
}

bool ClosestPointOnSegment(const Vector3& p, float r, const Vector3& a, const Vector3& b,
                           Vector3* out) {
  Vector3 d = b - a;
  Vector3 f = a - p;
  float qa = Vec3LengthSq(d);
  // A segment of no length has no crossing to find.
  if (!(qa > 0.0f)) return false;
  float qb = Vec3Dot(f, d);
  float qc = Vec3LengthSq(f) - r * r;
  float disc = qb * qb - qa * qc;
  if (!(disc >= 0.0f)) return false;
  float root = std::sqrt(disc);
  float t1 = (-qb - root) / qa;
  float t2 = (-qb + root) / qa;
  float t = t1;
  if (t < 0.0f && t2 > 0.0f) t = t2;
  if (!(t >= 0.0f && t <= 1.0f)) return false;
  *out = a + d * t;
  return true;
}

bool ClosestPointOnTriangle(const Vector3& p, float r, const Vector3& a, const Vector3& b,
                            const Vector3& c, Vector3* out) {
  Vector3 n = Vec3Normalize(Vec3Cross(b - a, c - a));
  float h = Vec3Dot(p - a, n);
  if (!(std::fabs(h) <= r)) return false;
  float distance = 0.0f;
  if (IntersectTri(a, b, c, p, -n, nullptr, nullptr, &distance) && distance < r) {
    *out = p - n * distance;
    return true;
  }
  for (const Vector3* corner : {&a, &b, &c}) {
    if (Vec3LengthSq(*corner - p) < r * r) {
      *out = *corner;
      return true;
    }
  }
  if (ClosestPointOnSegment(p, r, a, b, out)) return true;
  if (ClosestPointOnSegment(p, r, b, c, out)) return true;
  return ClosestPointOnSegment(p, r, c, a, out);
}

std::size_t ClosestPointOnMesh(const Vector3& p, float r, const Mesh& mesh,
                               std::span<MeshContact> out) {
  if (out.empty() || !Finite(p) || !std::isfinite(r) || r < 0.0f) return 0;
  Vector3 pad{r, r, r};
  std::vector<std::uint32_t>& faces = FaceScratch();
  CollectFacesInBox(mesh, p - pad, p + pad, &faces);
  std::size_t count = 0;
  for (std::uint32_t face : faces) {
    if (count >= out.size()) break;
    FaceCorners t = Corners(mesh, face);
    Vector3 point;
    if (!ClosestPointOnTriangle(p, r, t.a, t.b, t.c, &point)) continue;
    out[count] = {point, Vec3Cross(t.b - t.a, t.c - t.a), face};
    ++count;
  }
  return count;
}

namespace {

// The nearest surface of one pass so far.
struct PassHit {
  float bestSq;
  bool found;
  bool edgeWall;
  Vector3 centre;
  Vector3 normal;
};

float SegmentDistanceSq(const Vector3& p, const Vector3& s, const Vector3& e) {
  const Vector3 d = e - s;
  const float lengthSq = Vec3LengthSq(d);
  float t = lengthSq > 0.0f ? Vec3Dot(p - s, d) / lengthSq : 0.0f;
  t = std::clamp(t, 0.0f, 1.0f);
  return Vec3LengthSq(p - (s + d * t));
}

// A face of one pass: its corners and the box they span.
struct PassFace {
  FaceCorners t;
  Vector3 lo, hi;
};

std::vector<PassFace>& PassFaceScratch() {
  thread_local std::vector<PassFace> faces;
  return faces;
}

// SweepSphereTriangle's test of the face itself (the sphere meeting the face
// inside its edges): the squared distance from s to the centre at contact.
bool FaceHitSq(const Vector3& s, const Vector3& e, float r, const FaceCorners& t, float* sq) {
  Vector3 n = Vec3Cross(t.b - t.a, t.c - t.a);
  if (!(ProjectOnAxis(s, t.a, n) > 0.0f)) return false;
  n = Vec3Normalize(n);
  const Vector3 lift = n * r;
  if (!(ProjectOnAxis(e, t.a + lift, n) < 0.0f)) return false;
  const Vector3 d = e - s;
  float distance = 0.0f;
  if (!IntersectTri(t.a + lift, t.b + lift, t.c + lift, s, d, nullptr, nullptr, &distance) || !(distance < 1.0f))
    return false;
  *sq = Vec3LengthSq(s + d * distance - s);
  return true;
}

float BoxDistanceSq(const Vector3& p, const Vector3& lo, const Vector3& hi) {
  const Vector3 outside = Vec3Maximize(Vec3Maximize(lo - p, p - hi), Vector3{0.0f, 0.0f, 0.0f});
  return Vec3LengthSq(outside);
}

// SweepSphereMesh for one pass of the swept move, which takes no hit past the
// end of the pass, with the same hits in the same order. Two kinds of faces
// are passed by before the exact test: those whose box lies farther than r
// from the segment s e, and, once some face is met inside its edges, those
// too far from s to be met nearer (every contact centre lies within r of its
// face). Most faces around a sphere on the ground are of the second kind.
bool SweepPassAgainstMesh(const Vector3& s, const Vector3& e, float r, Vector3* centre, Vector3* normal,
                          const Mesh& mesh) {
  const std::span<const std::uint32_t> indices = SweepCandidates(s, e, r, mesh);
  std::vector<PassFace>& faces = PassFaceScratch();
  faces.clear();
  float bound = 0.0f;
  bool bounded = false;
  for (std::uint32_t face : indices) {
    PassFace f{Corners(mesh, face), {}, {}};
    f.lo = Vec3Minimize(Vec3Minimize(f.t.a, f.t.b), f.t.c);
    f.hi = Vec3Maximize(Vec3Maximize(f.t.a, f.t.b), f.t.c);
    const float reach = Vec3Length(f.hi - f.lo) * 0.5f + r;
    if (SegmentDistanceSq((f.lo + f.hi) * 0.5f, s, e) > reach * reach) continue;
    float sq = 0.0f;
    if (FaceHitSq(s, e, r, f.t, &sq) && (!bounded || sq < bound)) {
      bound = sq;
      bounded = true;
    }
    faces.push_back(f);
  }
  // A little slack, so that rounding in the box distance never passes by a
  // face whose contact would tie with the bound.
  const float limit = bound * 1.0001f + 1e-4f;
  bool found = false;
  float bestSq = 0.0f;
  for (const PassFace& f : faces) {
    if (bounded) {
      const float away = std::sqrt(BoxDistanceSq(s, f.lo, f.hi)) - r;
      if (away > 0.0f && away * away > limit) continue;
    }
    KeepNearerHit(s, e, r, f.t, &found, &bestSq, centre, normal);
  }
  return found;
}

// The hit of one mesh in world space, when nearer than the pass's best.
void SweepAgainst(const Mesh* mesh, bool edgeWall, const Matrix& world, const Matrix& inverse,
                  const Vector3& start, const Vector3& to, float radius, PassHit* hit) {
  if (!mesh) return;
  Vector3 s = Vec3TransformCoord(start, inverse);
  Vector3 e = Vec3TransformCoord(to, inverse);
  Vector3 centre{}, normal{};
  if (!SweepPassAgainstMesh(s, e, radius, &centre, &normal, *mesh)) return;
  // Compared in world space, so that obstacles of different scales rank fairly.
  Vector3 worldCentre = Vec3TransformCoord(centre, world);
  float sq = Vec3LengthSq(worldCentre - start);
  if (!(sq < hit->bestSq)) return;
  hit->bestSq = sq;
  hit->found = true;
  hit->edgeWall = edgeWall;
  hit->centre = worldCentre;
  hit->normal = Vec3TransformNormal(normal, world);
}

}  // namespace

SweepResult SweepSphereAmongObstacles(const Vector3& from, const Vector3& to,
                                      const Vector3& centreOffset, float radius,
                                      std::span<const SweepObstacle> obstacles,
                                      bool withEdgeWalls) {
  if (!Finite(from) || !Finite(to) || !Finite(centreOffset) || !std::isfinite(radius))
    return {to, false};
  Vector3 start = from + centreOffset;
  Vector3 end = to + centreOffset;
  Vector3 push{0.0f, 0.0f, 0.0f};
  bool metEdgeWall = false;
  for (int pass = 0; pass < kMaxSweepPasses; ++pass) {
    Vector3 move = end - start;
    if (Vec3LengthSq(move) < 1e-5f) break;
    Vector3 backed = start - Vec3Normalize(move) * kBackOff;
    PassHit hit{Vec3LengthSq(end - backed), false, false, {}, {}};
    for (const SweepObstacle& o : obstacles) {
      // A pass that comes nowhere near the obstacle's bound meets none of it.
      if (o.boundRadius >= 0.0f) {
        const float near = o.boundRadius + radius;
        if (SegmentDistanceSq(o.boundCentre, backed, end) > near * near) continue;
      }
      SweepAgainst(o.mesh, false, o.world, o.inverse, backed, end, radius, &hit);
      if (withEdgeWalls) SweepAgainst(o.edgeWalls, true, o.world, o.inverse, backed, end, radius, &hit);
    }
    if (!hit.found) {
      start = end;
      break;
    }
    metEdgeWall = metEdgeWall || hit.edgeWall;
    start = hit.centre;
    Vector3 n = Vec3Normalize(hit.normal);
    // Without a normal there is no surface to slide along.
    if (n == Vector3{0.0f, 0.0f, 0.0f}) break;
    Vector3 v = end - start;
    float vLength = Vec3Length(v);
    if (vLength > 0.0f && Vec3Dot(n, v) / vLength <= kHeadOnCosine) break;
    end = end - n * Vec3Dot(n, v);
    Vector3 nudge = n * kPushOut;
    start += nudge;
    end += nudge;
    push += nudge;
  }
  return {start - centreOffset - push, metEdgeWall};
}

std::uint32_t GetRegionFlags(const Vector3& p, float r, std::span<const RegionProbe> regions) {
  std::uint32_t flags = 0;
  for (const RegionProbe& region : regions) {
    Vector3 d = p - region.position;
    if (region.type == 1) {
      if (Vec3Length(d) <= region.radius + r) flags |= region.attribute;
    } else if (region.type == 2) {
      if (std::sqrt(d.x * d.x + d.z * d.z) <= region.radius + r &&
          std::fabs(d.y) < region.height + r / 2.0f)
        flags |= region.attribute;
    }
  }
  return flags;
}
