// Drawing a posed model: the device's copies of its meshes and textures, the
// CPU skinning once per pose, and one draw per attribute group.
#include "motion/model.h"

#include <cstring>

#include "platform/math/matrix.h"

void ModelPlacement::Place(GraphicsDevice& device, const Matrix& world) const {
  device.SetTransform(TransformState::World, world);
}

void Model::CreateDeviceResources(GraphicsDevice& device) {
  if (device_ == &device) return;
  ReleaseDeviceResources();
  device_ = &device;
  for (ModelFrame* frame : frames_) {
    for (MeshContainer* c = frame->meshContainer; c; c = c->next) {
      auto& container = static_cast<ModelMeshContainer&>(*c);
      if (!container.mesh) continue;
      container.deviceMesh = device.CreateMesh(*container.mesh, container.name.empty() ? frame->name : container.name);
      container.deviceTextures.assign(container.textures.size(), nullptr);
      for (std::size_t i = 0; i < container.textures.size(); ++i) {
        // One the device refuses (too large for it) leaves the material untextured.
        if (container.textures[i]) container.deviceTextures[i] = container.textures[i]->TextureOn(device);
      }
    }
  }
}

void Model::ReleaseDeviceResources() {
  for (ModelFrame* frame : frames_) {
    for (MeshContainer* c = frame->meshContainer; c; c = c->next) {
      auto& container = static_cast<ModelMeshContainer&>(*c);
      container.deviceMesh.reset();
      container.deviceTextures.clear();
    }
  }
  // The casts' copies are made again, from the pose, at their next draws.
  for (auto& copy : skinCopies_) {
    copy->deviceMeshes.clear();
    copy->meshes.clear();
    copy->keyValid = false;
  }
  device_ = nullptr;
}

std::uint32_t Model::GetVertexDeclaration() const {
  const MeshContainer* first = root_ ? root_->meshContainer : nullptr;
  return first && first->mesh ? first->mesh->GetFvf() : 0;
}

Model::SkinCopy& Model::CopyFor(std::uint64_t owner) {
  SkinCopy* oldest = nullptr;
  for (auto& copy : skinCopies_) {
    if (copy->owner == owner) return *copy;
    if (!oldest || copy->lastUse < oldest->lastUse) oldest = copy.get();
  }
  // Casts come and go; the copies of those drawn longest ago serve new ones.
  if (skinCopies_.size() >= kSkinCopies) {
    oldest->owner = owner;
    oldest->keyValid = false;
    return *oldest;
  }
  skinCopies_.push_back(std::make_unique<SkinCopy>());
  skinCopies_.back()->owner = owner;
  return *skinCopies_.back();
}

bool Model::KeepSkinFor(const ModelPoseKey& key) {
  SkinCopy& copy = CopyFor(key.owner);
  claimed_ = &copy;
  copy.lastUse = ++drawCount_;
  if (copy.keyValid && copy.key == key) {
    dirty_ = false;
    return true;
  }
  copy.key = key;
  copy.keyValid = false;
  dirty_ = true;
  return false;
}

void Model::Draw(GraphicsDevice& device, const ModelPlacement& placement, int shaderRegister, bool skipMaterial,
                 bool skipTexture, float alpha) {
  if (!root_) return;
  CreateDeviceResources(device);
  SkinCopy* copy = claimed_;
  // Without a cast named, container.mesh is skinned when it holds another pose.
  const bool skin = dirty_ || (copy ? !copy->keyValid : !unclaimedSkinned_ || unclaimedPoseNumber_ != poseNumber_);
  if (skin && copy) copy->keyValid = true;
  if (skin && !copy) {
    unclaimedSkinned_ = true;
    unclaimedPoseNumber_ = poseNumber_;
  }
  // What the device holds: the caller's placement, or a container's.
  Matrix placed = placement.World();
  auto placeAt = [&](const Matrix& world) {
    if (std::memcmp(&world, &placed, sizeof world) == 0) return;
    placement.Place(device, world);
    placed = world;
  };
  std::size_t skinned = 0;
  for (ModelFrame* frame : frames_) {
    for (MeshContainer* c = frame->meshContainer; c; c = c->next) {
      auto& container = static_cast<ModelMeshContainer&>(*c);
      if (!container.deviceMesh) continue;
      DeviceMesh* drawn = container.deviceMesh.get();
      if (container.skinInfo) {
        if (copy) {
          if (copy->meshes.size() <= skinned) {
            // The cast's own vertices, made at its first draw.
            copy->meshes.push_back(container.mesh->CloneWithFvf(container.mesh->GetFvf()));
            copy->deviceMeshes.push_back(copy->meshes.back() ? device.CreateMesh(*copy->meshes.back(), drawn->GetName())
                                                             : nullptr);
          }
          Mesh* own = copy->meshes[skinned].get();
          drawn = copy->deviceMeshes[skinned].get();
          ++skinned;
          if (!drawn) continue;
          if (skin && SkinContainer(container, own)) drawn->UpdateVertices();
        } else if (skin && SkinContainer(container)) {
          drawn->UpdateVertices();
        }
        // Skinned vertices are in the model's space: the cast's placement.
        placeAt(placement.World());
      } else {
        // Drawn where its frame is on the cast, not at the model's origin.
        placeAt(frame->combinedTransformationMatrix * placement.World());
      }
      DrawContainer(device, container, *drawn, shaderRegister, skipMaterial, skipTexture, alpha);
    }
  }
  placeAt(placement.World());
  dirty_ = false;
}

// Unskinned containers take the same rules as skinned ones: their colour
// reaches the vertex program and fades with the cast, and a pass that keeps
// its own stage-0 texture (the toon ramp) keeps it for them too.
void Model::DrawContainer(GraphicsDevice& device, const ModelMeshContainer& container, DeviceMesh& mesh,
                          int shaderRegister, bool skipMaterial, bool skipTexture, float alpha) {
  for (const AttributeRange& group : container.mesh->AttributeTable()) {
    const std::uint32_t a = group.attribId;
    if (a >= container.materials.size()) continue;
    Material material = container.materials[a].material;
    material.diffuse.a *= alpha;
    if (shaderRegister >= 0) {
      const float color[4] = {material.diffuse.r, material.diffuse.g, material.diffuse.b, material.diffuse.a};
      device.SetVertexShaderConstantF(static_cast<std::uint32_t>(shaderRegister), color, 1);
    }
    if (!skipMaterial) {
      material.ambient.a *= alpha;
      material.specular.a *= alpha;
      material.emissive.a *= alpha;
      device.SetMaterial(material);
    }
    if (!skipTexture)
      device.SetTexture(0, a < container.deviceTextures.size() ? container.deviceTextures[a] : nullptr);
    device.DrawSubset(mesh, a);
  }
}
