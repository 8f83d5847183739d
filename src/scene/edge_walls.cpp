// Edge-stopper walls of the scene's classes: built for every class with the
// "EdgeStopper" flag as the scene starts, released as it ends, and opened by
// scripts where a cast's sphere touches them.
#include "scene/edge_walls.h"

#include <array>
#include <memory>

#include "collision/collision.h"
#include "collision/edge_walls.h"
#include "motion/model.h"
#include "motion/object_class.h"
#include "motion/object_flags.h"
#include "platform/math/matrix.h"
#include "platform/math/vector.h"
#include "platform/mesh/mesh_queries.h"
#include "scene/cast/cast.h"
#include "scene/scene.h"

namespace {

// The class attachment slot the wall mesh is kept in.
constexpr int kEdgeWallSlot = 0;
// At most this many wall faces go per removal.
constexpr int kMaxRemovedFaces = 128;

class EdgeWallAttachment final : public ClassAttachment {
 public:
  explicit EdgeWallAttachment(std::unique_ptr<Mesh> wallMesh) : mesh(std::move(wallMesh)) {
    ComputeMeshBoundingSphere(*mesh, &centre, &radius);
  }
  std::unique_ptr<Mesh> mesh;
  // Faces removed later only shrink what the sphere has to hold.
  Vector3 centre{0.0f, 0.0f, 0.0f};
  float radius = 0.0f;
};

const EdgeWallAttachment* Walls(const ObjectClass* cls) {
  return cls ? dynamic_cast<const EdgeWallAttachment*>(cls->GetAttachment(kEdgeWallSlot)) : nullptr;
}

// The mesh of the model's first mesh container, in frame order.
const Mesh* FirstMesh(const ObjectClass& cls) {
  const Model* model = cls.GetModel();
  if (!model) return nullptr;
  for (const ModelFrame* frame : model->FramesInOrder()) {
    if (frame->meshContainer && frame->meshContainer->mesh) return frame->meshContainer->mesh.get();
  }
  return nullptr;
}

}  // namespace

Mesh* EdgeStopperWallMesh(const ObjectClass* cls) {
  const EdgeWallAttachment* walls = Walls(cls);
  return walls ? walls->mesh.get() : nullptr;
}

const Mesh* EdgeStopperWallBounds(const ObjectClass* cls, Vector3& centre, float& radius) {
  const EdgeWallAttachment* walls = Walls(cls);
  if (!walls) return nullptr;
  centre = walls->centre;
  radius = walls->radius;
  return walls->mesh.get();
}

void Scene::BuildEdgeStopperWalls() {
  for (int i = 0; i < kClassTableSize; ++i) {
    ObjectClass* cls = ClassAt(i);
    if (!cls) break;
    cls->SetAttachment(kEdgeWallSlot, nullptr);
    if (!(cls->GetFlags() & kFlagEdgeStopper)) continue;
    const Mesh* floor = FirstMesh(*cls);
    std::unique_ptr<Mesh> walls = floor ? BuildEdgeWallMesh(*floor) : nullptr;
    if (walls) cls->SetAttachment(kEdgeWallSlot, std::make_unique<EdgeWallAttachment>(std::move(walls)));
  }
}

void Scene::ReleaseEdgeStopperWalls() {
  for (int i = 0; i < kClassTableSize; ++i) {
    ObjectClass* cls = ClassAt(i);
    if (!cls) break;
    cls->SetAttachment(kEdgeWallSlot, nullptr);
  }
}

void DeleteEdgeStopperFaces(Cast& cast, Cast& other, const char* frame) {
  Mesh* walls = EdgeStopperWallMesh(cast.GetClass());
  Motion* motion = other.GetCurrentMotion();
  if (!walls || !motion) return;
  const MotionFrame* track = motion->FindFrame(frame);
  if (!track) track = motion->FrameAt(0);
  MotionKey key;
  if (!track || (!track->GetKey(kKindSphere, other.GetMotionTime(), key, false) && track->KeyCount() == 0)) return;
  const float radius = key.GetRadius();
  if (!(radius > 0.0f)) return;
  Vector3 world;
  if (!other.TransformByBone(frame, key.GetVector(), world)) return;
  Matrix inverse;
  if (!MatrixInverse(&inverse, nullptr, cast.GetWorldMatrix(false))) return;
  std::array<MeshContact, kMaxRemovedFaces> touched;
  const std::size_t count = ClosestPointOnMesh(Vec3TransformCoord(world, inverse), radius, *walls, touched);
  // A face whose corners are all vertex 0 has no area: no sweep meets it.
  for (std::size_t i = 0; i < count; ++i) walls->SetFace(touched[i].face, 0, 0, 0);
}
