// The frame hierarchy a model file loads into: frames with names and local
// matrices, mesh containers with materials and skin, and the allocator through
// which the model layer builds its own frame and container records.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/math/math_types.h"
#include "platform/mesh/mesh.h"
#include "platform/mesh/skin_info.h"

struct ColorValue {
  float r, g, b, a;
};

// A surface material with the platform's lighting terms.
struct Material {
  ColorValue diffuse{0.0f, 0.0f, 0.0f, 0.0f};
  ColorValue ambient{0.0f, 0.0f, 0.0f, 0.0f};
  ColorValue specular{0.0f, 0.0f, 0.0f, 0.0f};
  ColorValue emissive{0.0f, 0.0f, 0.0f, 0.0f};
  float power = 0.0f;
};

// A material as a model file gives it: the texture file name as written
// (Shift-JIS bytes, separators untouched), empty when it names none.
struct ExtendedMaterial {
  Material material;
  std::string textureFilename;
};

bool operator==(const ColorValue& a, const ColorValue& b);
bool operator==(const Material& a, const Material& b);
bool operator==(const ExtendedMaterial& a, const ExtendedMaterial& b);

struct MeshContainer;

// One node of the hierarchy. The model layer derives its own record and adds
// fields; links are plain pointers because the allocator owns every record.
struct Frame {
  virtual ~Frame() = default;
  std::string name;  // empty when the file gives none
  Matrix transformationMatrix = MatrixIdentity();
  MeshContainer* meshContainer = nullptr;
  Frame* sibling = nullptr;
  Frame* firstChild = nullptr;
};

struct MeshContainer {
  virtual ~MeshContainer() = default;
  std::string name;
  std::unique_ptr<Mesh> mesh;
  std::vector<ExtendedMaterial> materials;
  std::vector<std::uint32_t> adjacency;  // three entries per face
  std::unique_ptr<SkinInfo> skinInfo;    // null for a mesh without skin
  MeshContainer* next = nullptr;
};

// What the loader hands over for one mesh; the allocator takes what it keeps.
struct MeshContainerData {
  std::string name;
  std::unique_ptr<Mesh> mesh;
  std::vector<ExtendedMaterial> materials;  // as in the file; may be empty
  std::vector<std::uint32_t> adjacency;
  std::unique_ptr<SkinInfo> skinInfo;
};

// The model layer's hooks into loading, called in file order. A false result
// fails the whole load; everything made so far is then destroyed through
// the Destroy calls.
class AllocateHierarchy {
 public:
  virtual ~AllocateHierarchy() = default;
  // A new frame with the given name (empty when none), identity matrix and no
  // links. Null fails the load.
  virtual Frame* CreateFrame(std::string_view name) = 0;
  // Sets *container to a new container built from data, or to null to drop
  // this mesh while the load goes on.
  virtual bool CreateMeshContainer(MeshContainerData&& data, MeshContainer** container) = 0;
  virtual void DestroyFrame(Frame* frame) = 0;
  virtual void DestroyMeshContainer(MeshContainer* container) = 0;
};

// Plain Frame and MeshContainer records, for callers without their own.
class DefaultAllocateHierarchy : public AllocateHierarchy {
 public:
  Frame* CreateFrame(std::string_view name) override;
  bool CreateMeshContainer(MeshContainerData&& data, MeshContainer** container) override;
  void DestroyFrame(Frame* frame) override;
  void DestroyMeshContainer(MeshContainer* container) override;
};

// Destroys the frame, its siblings and children and all their containers.
void DestroyFrameHierarchy(Frame* root, AllocateHierarchy& allocator);

// Depth first from root: a frame, then its children, then its next sibling.
// Null when no frame has the name; an empty name finds nothing.
Frame* FindFrame(Frame* root, std::string_view name);

// The frames in the order the model layer numbers them: a frame, then the
// walk of its next sibling, then the walk of its first child.
void ListFramesSiblingsFirst(Frame* root, std::vector<Frame*>* frames);
