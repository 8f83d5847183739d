// Drawing a posed model: the device's copies of its meshes and textures, the
// CPU skinning once per pose, and one draw per attribute group.
#include "motion/model.h"

#include "platform/gpu/texture_loader.h"
#include "platform/math/matrix.h"

void ModelPlacement::Place(GraphicsDevice& device, const Matrix& world) const {
  device.SetTransform(TransformState::World, world);
}

void Model::CreateDeviceResources(GraphicsDevice& device) {
  if (device_ == &device) return;
  ReleaseDeviceResources();
  device_ = &device;
  TextureLoadOptions options;
  options.levels = 0;  // the whole chain: model textures are sampled with mipmaps
  for (ModelFrame* frame : frames_) {
    for (MeshContainer* c = frame->meshContainer; c; c = c->next) {
      auto& container = static_cast<ModelMeshContainer&>(*c);
      if (!container.mesh) continue;
      container.deviceMesh = device.CreateMesh(*container.mesh, container.name.empty() ? frame->name : container.name);
      container.deviceTextures.resize(container.textures.size());
      for (std::size_t i = 0; i < container.textures.size(); ++i) {
        if (!container.textures[i]) continue;
        // One the device refuses (too large for it) leaves the material untextured.
        container.deviceTextures[i] = CreateTextureFromImage(device, container.textures[i]->image, options, nullptr);
        if (container.deviceTextures[i]) container.deviceTextures[i]->SetName(container.materials[i].textureFilename);
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
  device_ = nullptr;
}

std::uint32_t Model::GetVertexDeclaration() const {
  const MeshContainer* first = root_ ? root_->meshContainer : nullptr;
  return first && first->mesh ? first->mesh->GetFvf() : 0;
}

bool Model::KeepSkinFor(const ModelPoseKey& key) {
  poseClaimed_ = true;
  if (skinKeyValid_ && skinKey_ == key) {
    dirty_ = false;
    return true;
  }
  skinKey_ = key;
  skinKeyValid_ = false;
  dirty_ = true;
  return false;
}

void Model::Draw(GraphicsDevice& device, const ModelPlacement& placement, int shaderRegister, bool skipMaterial,
                 bool skipTexture, float alpha) {
  if (!root_) return;
  CreateDeviceResources(device);
  const bool skin = dirty_;
  // The vertices about to be skinned hold the claimed pose only when nobody
  // posed the model again since the claim.
  if (skin) skinKeyValid_ = poseClaimed_;
  // Which matrix the device holds: the caller's placement, or a container's.
  const Matrix* placed = &placement.World();
  Matrix containerWorld;
  for (ModelFrame* frame : frames_) {
    for (MeshContainer* c = frame->meshContainer; c; c = c->next) {
      auto& container = static_cast<ModelMeshContainer&>(*c);
      if (!container.deviceMesh) continue;
      if (container.skinInfo) {
        if (skin && SkinContainer(container)) container.deviceMesh->UpdateVertices();
        // Skinned vertices are in the model's space: the cast's placement.
        if (placed != &placement.World()) {
          placement.Place(device, placement.World());
          placed = &placement.World();
        }
      } else {
        // Drawn where its frame is on the cast, not at the model's origin.
        containerWorld = frame->combinedTransformationMatrix * placement.World();
        placement.Place(device, containerWorld);
        placed = &containerWorld;
      }
      DrawContainer(device, container, shaderRegister, skipMaterial, skipTexture, alpha);
    }
  }
  if (placed != &placement.World()) placement.Place(device, placement.World());
  dirty_ = false;
}

// Unskinned containers take the same rules as skinned ones: their colour
// reaches the vertex program and fades with the cast, and a pass that keeps
// its own stage-0 texture (the toon ramp) keeps it for them too.
void Model::DrawContainer(GraphicsDevice& device, ModelMeshContainer& container, int shaderRegister,
                          bool skipMaterial, bool skipTexture, float alpha) {
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
    if (!skipTexture) device.SetTexture(0, a < container.deviceTextures.size() ? container.deviceTextures[a].get() : nullptr);
    device.DrawSubset(*container.deviceMesh, a);
  }
}
