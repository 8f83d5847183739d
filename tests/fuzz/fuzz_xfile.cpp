// Fuzz target for the .x reader: header, text and binary tokens, MSZIP
// inflate, the parser, the mesh builder and the loader; a file that loads is
// then posed, skinned and queried, so bad data that slipped through shows up.
#include <span>
#include <vector>

#include "fuzz_support.h"
#include "platform/mesh/animation_controller.h"
#include "platform/mesh/hierarchy_loader.h"
#include "platform/mesh/mesh_queries.h"

namespace {

void Exercise(Frame* frame, std::vector<Matrix>* matrices) {
  for (; frame; frame = frame->sibling) {
    for (MeshContainer* c = frame->meshContainer; c; c = c->next) {
      const Mesh& mesh = *c->mesh;
      RayHit hit;
      IntersectMesh(mesh, {0.1f, 100.0f, 0.2f}, {0.0f, -1.0f, 0.0f}, &hit);
      std::vector<std::uint32_t> faces;
      CollectFacesInBox(mesh, {-1.0f, -1.0f, -1.0f}, {1.0f, 1.0f, 1.0f}, &faces);
      Vector3 centre;
      float radius;
      ComputeMeshBoundingSphere(mesh, &centre, &radius);
      for (const AttributeRange& range : mesh.AttributeTable()) {
        for (std::uint32_t f = range.faceStart; f < range.faceStart + range.faceCount; ++f) {
          std::uint32_t corners[3];
          mesh.GetFace(f, corners);
        }
        FaultIf(range.attribId >= c->materials.size() && !c->materials.empty());
      }
      if (c->skinInfo) {
        matrices->assign(c->skinInfo->GetNumBones(), MatrixIdentity());
        auto posed = mesh.CloneWithFvf(mesh.GetFvf());
        if (posed) c->skinInfo->UpdateSkinnedMesh(*matrices, mesh, posed.get());
      }
    }
    Exercise(frame->firstChild, matrices);
  }
}

}  // namespace

T3D_FUZZ_TARGET(data, size) {
  DefaultAllocateHierarchy allocator;
  LoadedHierarchy loaded;
  std::string error;
  if (!LoadMeshHierarchyFromXInMemory(std::span<const std::uint8_t>(data, size), allocator,
                                      &loaded, &error)) {
    return 0;
  }
  if (loaded.animationController) {
    loaded.animationController->SetTime(0.5);
    loaded.animationController->AdvanceTime(1000.0);
  }
  std::vector<Matrix> matrices;
  Exercise(loaded.root, &matrices);
  DestroyFrameHierarchy(loaded.root, allocator);
  return 0;
}
