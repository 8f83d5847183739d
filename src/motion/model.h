// Model: the skinned mesh of one motion-object class, loaded from a .x file
// into frames and mesh containers of its own, posed per cast, skinned on the
// CPU and drawn on the graphics device (model_draw.cpp). Object classes own
// it; the scene poses it and the renderer draws it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "motion/bone_control.h"
#include "platform/gpu/device.h"
#include "platform/gpu/texture_store.h"
#include "platform/math/math_types.h"
#include "platform/mesh/animation_controller.h"
#include "platform/mesh/frame_hierarchy.h"

class ArchiveManager;
class ModelAllocator;

// Paths (the model file, its folder, a texture) are bounded like the
// system's file names: 259 characters and the terminator.
constexpr std::size_t kModelPathCapacity = 260;

struct ModelFrame : Frame {
  Matrix combinedTransformationMatrix = MatrixIdentity();
  // The local matrix as loaded, before any animation wrote it.
  Matrix savedTransformationMatrix = MatrixIdentity();
};

struct ModelMeshContainer : MeshContainer {
  // One per material, null where none: the texture file decoded at load and
  // shared with every material and model that names it; the device takes
  // its pixels when the model is uploaded (Model::CreateDeviceResources).
  std::vector<std::shared_ptr<SharedTexture>> textures;
  // Skinned containers only: the unposed vertices the skinning reads (mesh
  // holds the posed ones), the attribute table, and per bone the combined
  // matrix of its frame and its offset matrix.
  std::unique_ptr<Mesh> sourceMesh;
  std::vector<AttributeRange> attributeTable;
  std::vector<const Matrix*> boneMatrixPointers;
  std::vector<Matrix> boneOffsetMatrices;
  // The device's copy of `mesh`, and the textures on the device (one per
  // material, null where none or where the device refused the image).
  std::unique_ptr<DeviceMesh> deviceMesh;
  std::vector<Texture*> deviceTextures;
};

// Where a draw puts its geometry. The caller has placed the cast already at
// World() (the world transform, and whatever a bound vertex program reads);
// a container drawn at a matrix of its own (an unskinned one: its frame's
// combined matrix, then the cast's world) is placed through Place, and the
// cast's placement is put back after it. The default places the
// fixed-function world transform only.
class ModelPlacement {
 public:
  explicit ModelPlacement(const Matrix& world) : world_(world) {}
  virtual ~ModelPlacement() = default;
  const Matrix& World() const { return world_; }
  virtual void Place(GraphicsDevice& device, const Matrix& world) const;

 private:
  Matrix world_;
};

// Whose pose a model's skinned vertices hold: a number naming the cast while
// it lives, its motion, time and bone-control revision.
struct ModelPoseKey {
  std::uint64_t owner = 0;
  std::int32_t motion = 0;
  std::int32_t time = 0;
  std::uint32_t revision = 0;
  bool operator==(const ModelPoseKey&) const = default;
};

// How many casts keep a skinned copy of one model at a time: as many as a
// scene has casts.
constexpr std::size_t kSkinCopies = 256;

// The material of a mesh that names none: mid grey, opaque.
Material DefaultModelMaterial();

class Model {
 public:
  Model();
  ~Model();
  Model(const Model&) = delete;
  Model& operator=(const Model&) = delete;

  // Reads the .x file (archives first, then the disk), builds the hierarchy,
  // decodes the textures found next to it (or shares them), prepares every
  // skinned container and takes over the file's animation controller. False,
  // the model left empty, when the file cannot be read or loaded, or memory
  // for it runs out: the reason goes to `error` and, with the file's name,
  // to standard error.
  bool Load(std::string_view path, std::string* error = nullptr);
  bool Load(std::string_view path, const ArchiveManager& archives, std::string* error);
  void Release();

  // A controller with room for `numAnimationSets` sets, the same outputs and
  // sets, and as many tracks as the larger of its tracks and its sets. A
  // model whose file has no animation gets a fresh controller over its
  // frames. False (the old controller stays) when the sets do not fit.
  bool CloneAnimationController(std::uint32_t numAnimationSets);

  // Any material of any container of the frame, its siblings or children has
  // a texture; without a frame, the flag stored at load.
  bool HasTextures() const { return hasTextures_; }
  static bool HasTextures(const Frame* frame);

  // Poses the model for one cast: the controller's time := `time` (frames),
  // which writes the animated local matrices from the set on track 0, then
  // the combined matrices from the root with the model matrix as its parent,
  // the bone controls (`table` may be null; at most `count` records, ended
  // early by one without a frame) and the weight. Marks the model dirty.
  // Without a table, a call that would give the pose already in place (same
  // time, weight, set on track 0 and model matrix, last pose also without a
  // table) does nothing.
  void AdvanceTime(float time, const BoneControl* table, std::size_t count, float weight);

  // The CPU half of drawing a skinned container: bone matrix i := offset i x
  // the combined matrix of bone i's frame, then the posed vertices of
  // `target` (container.mesh when null) from container.sourceMesh. False for
  // an unskinned container.
  bool SkinContainer(ModelMeshContainer& container, Mesh* target = nullptr);

  // ---- drawing (model_draw.cpp) ----
  // The device's copies of every container's mesh and the textures on the
  // device, unless they exist for this device already. They live in the
  // device's managed pool and survive its resets; the device must outlive
  // them (or ReleaseDeviceResources come first).
  void CreateDeviceResources(GraphicsDevice& device);
  void ReleaseDeviceResources();
  // The vertex format of the root frame's first container, which stands for
  // its vertex declaration; 0 without one.
  std::uint32_t GetVertexDeclaration() const;
  // The renderer names the cast it has just posed the model for; the draws
  // until the next pose use that cast's own skinned copy of the vertices
  // (made at its first draw; the copies of the least recently drawn casts
  // are reused past kSkinCopies). When the copy already holds the key's pose
  // the dirty flag is cleared and the draws reuse it; else the next draw
  // skins it again. True when kept.
  bool KeepSkinFor(const ModelPoseKey& key);
  // Draws every container, walking the frames in frame order. A skinned
  // container is skinned first when the model is dirty (or, drawn without a
  // cast named, when it was last skinned for another pose); then for each of its
  // attribute groups, with material a copied and its diffuse alpha times
  // `alpha`: the diffuse colour into vertex constant `shaderRegister` (none
  // for -1); unless `skipMaterial`, the material with every alpha times
  // `alpha`; unless `skipTexture`, texture a on stage 0; then the group. An
  // unskinned container is drawn the same way at its frame's combined
  // matrix times the placement's world. Clears the dirty flag. Makes the
  // device resources first when they are missing.
  void Draw(GraphicsDevice& device, const ModelPlacement& placement, int shaderRegister, bool skipMaterial,
            bool skipTexture, float alpha);

  ModelFrame* GetRootFrame() const { return root_; }
  AnimationController* GetAnimationController() const { return controller_.get(); }
  // Frames numbered as frame nodes, motion tracks and animation sets number
  // them: a frame, then its next sibling's walk, then its first child's.
  const std::vector<ModelFrame*>& FramesInOrder() const { return frames_; }
  // A frame by the name a track or bone control stores: the exact name, else
  // the first frame (in frame order) whose name was cut to that when stored.
  ModelFrame* FindFrameByStoredName(std::string_view name) const;
  // The same as an index into FramesInOrder; -1 when no frame has the name.
  int FindFrameIndexByStoredName(std::string_view name) const;
  // The index of the frame that the name a track, frame node or bone control
  // keeps for frame `index` finds (frame `index` itself unless names
  // repeat); -1 outside the frames. Made at load, so that the per-frame cast
  // passes reach a track's bone without comparing names.
  int StoredNameFrameIndex(int index) const {
    return index >= 0 && static_cast<std::size_t>(index) < storedNameFrames_.size()
               ? storedNameFrames_[static_cast<std::size_t>(index)]
               : -1;
  }

  Matrix& ModelMatrix() { return modelMatrix_; }
  bool IsDirty() const { return dirty_; }
  void SetDirty(bool dirty) { dirty_ = dirty; }
  std::uint32_t GetBoneMatrixCount() const { return static_cast<std::uint32_t>(boneMatrices_.size()); }
  const std::vector<Matrix>& BoneMatrices() const { return boneMatrices_; }
  float GetLastTime() const { return lastTime_; }
  float GetLastWeight() const { return lastWeight_; }

 private:
  friend class ModelAllocator;

  bool LoadBytes(std::string_view path, const ArchiveManager& archives, std::string* error);
  void BindBoneMatrices();
  void ForgetLastPose();
  void DrawContainer(GraphicsDevice& device, const ModelMeshContainer& container, DeviceMesh& mesh,
                     int shaderRegister, bool skipMaterial, bool skipTexture, float alpha);
  void UpdateCombined(ModelFrame* frame, const Matrix* parent, const BoneControl* table,
                      std::size_t count, float weight);

  std::vector<Matrix> boneMatrices_;  // sized for the skinned container with most bones
  ModelFrame* root_ = nullptr;
  std::unique_ptr<AnimationController> controller_;
  Matrix modelMatrix_ = MatrixIdentity();
  bool hasTextures_ = false;
  bool dirty_ = true;
  float lastTime_ = -1.0f;
  float lastWeight_ = -1.0f;
  // What else the last pose depended on, so that a pose is skipped only when
  // it would come out the same.
  bool lastPoseValid_ = false;
  bool lastPoseHadTable_ = false;
  const AnimationSet* lastSet_ = nullptr;
  Matrix lastModelMatrix_ = MatrixIdentity();
  // One cast's skinned copies of the skinned containers (in draw order) and
  // the pose they hold.
  struct SkinCopy {
    std::uint64_t owner = 0;
    ModelPoseKey key;
    bool keyValid = false;
    std::uint64_t lastUse = 0;
    std::vector<std::unique_ptr<Mesh>> meshes;
    std::vector<std::unique_ptr<DeviceMesh>> deviceMeshes;  // after meshes: destroyed first
  };
  SkinCopy& CopyFor(std::uint64_t owner);
  // Draws without a named cast skin container.mesh, which holds the pose
  // of this pose number.
  std::vector<std::unique_ptr<SkinCopy>> skinCopies_;
  SkinCopy* claimed_ = nullptr;  // the cast named since the last pose
  std::uint64_t poseNumber_ = 0;
  std::uint64_t unclaimedPoseNumber_ = 0;
  bool unclaimedSkinned_ = false;
  std::uint64_t drawCount_ = 0;
  GraphicsDevice* device_ = nullptr;

  std::vector<ModelFrame*> frames_;
  std::vector<int> storedNameFrames_;
  std::unique_ptr<ModelAllocator> allocator_;
};
