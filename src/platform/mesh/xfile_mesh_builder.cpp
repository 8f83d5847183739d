// Mesh building from .x data.
#include "platform/mesh/xfile_mesh_builder.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "platform/mesh/mesh_normals.h"

namespace {

std::string Named(const XMeshData& data) { return "mesh '" + data.name + "': "; }

XMeshBuildResult Refuse(const XMeshData& data, const std::string& why, std::string* error) {
  if (error) *error = Named(data) + why;
  return XMeshBuildResult::Refused;
}

bool SameShape(const XPolygons& a, const XPolygons& b) { return a.sizes == b.sizes; }

// Copies of a vertex for other normals, found by (original vertex, normal bits).
struct SplitKey {
  std::uint32_t vertex;
  std::uint32_t normal[3];
  bool operator==(const SplitKey& o) const {
    return vertex == o.vertex && std::memcmp(normal, o.normal, sizeof normal) == 0;
  }
};

struct SplitKeyHash {
  std::size_t operator()(const SplitKey& k) const {
    std::size_t h = k.vertex;
    for (std::uint32_t word : k.normal) h = h * 1000003u ^ word;
    return h;
  }
};

}  // namespace

XMeshBuildResult BuildMeshContainerData(const XMeshData& data, MeshContainerData* out,
                                        std::string* error) {
  const std::size_t numPositions = data.positions.size();
  for (std::uint32_t index : data.faces.corners) {
    if (index >= numPositions) {
      return Refuse(data, "face index " + std::to_string(index) + " past the " +
                              std::to_string(numPositions) + " vertices", error);
    }
  }
  if (data.hasNormals) {
    if (!SameShape(data.faces, data.normalFaces)) {
      return Refuse(data, "normal faces do not match the mesh faces", error);
    }
    for (std::uint32_t index : data.normalFaces.corners) {
      if (index >= data.normals.size()) {
        return Refuse(data, "normal index " + std::to_string(index) + " past the " +
                                std::to_string(data.normals.size()) + " normals", error);
      }
    }
  }
  if (data.hasMaterialList) {
    if (data.materials.size() < data.materialCount) {
      return Refuse(data, "declares " + std::to_string(data.materialCount) + " materials but gives " +
                              std::to_string(data.materials.size()), error);
    }
    // Without materials the model layer draws every face with one default
    // material, so index 0 stays valid.
    const std::uint32_t limit = std::max<std::uint32_t>(data.materialCount, 1);
    for (std::uint32_t index : data.faceMaterials) {
      if (index >= limit) {
        return Refuse(data, "material index " + std::to_string(index) + " past the " +
                                std::to_string(data.materialCount) + " materials", error);
      }
    }
  }
  for (std::uint32_t vertex : data.colorVertices) {
    if (vertex >= numPositions) {
      return Refuse(data, "vertex colour for vertex " + std::to_string(vertex) + " past the " +
                              std::to_string(numPositions) + " vertices", error);
    }
  }
  for (const XSkinWeightsData& skin : data.skinWeights) {
    if (skin.vertices.size() != skin.weights.size()) {
      return Refuse(data, "skin weights of bone '" + skin.boneName + "' do not match its vertices",
                    error);
    }
    for (std::uint32_t vertex : skin.vertices) {
      if (vertex >= numPositions) {
        return Refuse(data, "skin weight of bone '" + skin.boneName + "' for vertex " +
                                std::to_string(vertex) + " past the " +
                                std::to_string(numPositions) + " vertices", error);
      }
    }
  }

  std::size_t numTriangles = 0;
  for (std::uint32_t size : data.faces.sizes) {
    if (size >= 3) numTriangles += size - 2;
  }
  if (numTriangles == 0) {
    if (error) *error = Named(data) + "no triangles";
    return XMeshBuildResult::NoTriangles;
  }
  if (numTriangles > kMaxMeshFaces) return Refuse(data, "too many triangles", error);

  // Each corner gets an output vertex: the original the first time a vertex
  // is met, the same vertex again for the same normal, and a copy appended
  // after all originals for every other normal.
  std::vector<std::uint32_t> outToOriginal(numPositions);
  for (std::uint32_t v = 0; v < numPositions; ++v) outToOriginal[v] = v;
  std::vector<Vector3> outNormals;
  std::vector<std::uint32_t> cornerVertices(data.faces.corners);
  if (data.hasNormals) {
    outNormals.assign(numPositions, Vector3{0.0f, 0.0f, 0.0f});
    std::vector<std::uint8_t> assigned(numPositions, 0);
    std::unordered_map<SplitKey, std::uint32_t, SplitKeyHash> copies;
    for (std::size_t c = 0; c < cornerVertices.size(); ++c) {
      const std::uint32_t vertex = data.faces.corners[c];
      const Vector3 normal = data.normals[data.normalFaces.corners[c]];
      if (!assigned[vertex]) {
        assigned[vertex] = 1;
        outNormals[vertex] = normal;
        continue;
      }
      if (std::memcmp(&outNormals[vertex], &normal, sizeof normal) == 0) continue;
      SplitKey key{vertex, {}};
      std::memcpy(key.normal, &normal, sizeof key.normal);
      auto [it, fresh] = copies.emplace(key, static_cast<std::uint32_t>(outToOriginal.size()));
      if (fresh) {
        if (outToOriginal.size() >= kMaxMeshVertices) {
          return Refuse(data, "too many vertices after splitting by normals", error);
        }
        outToOriginal.push_back(vertex);
        outNormals.push_back(normal);
      }
      cornerVertices[c] = it->second;
    }
  }
  const std::uint32_t numVertices = static_cast<std::uint32_t>(outToOriginal.size());

  std::uint32_t fvf = kFvfXyz;
  if (data.hasNormals) fvf |= kFvfNormal;
  if (data.hasColors) fvf |= kFvfDiffuse;
  if (data.hasTexCoords) fvf |= kFvfTex1;
  std::unique_ptr<Mesh> mesh =
      Mesh::Create(static_cast<std::uint32_t>(numTriangles), numVertices, fvf);
  if (!mesh) return Refuse(data, "cannot hold the mesh", error);

  std::vector<std::uint32_t> colors;
  if (data.hasColors) {
    colors.assign(numPositions, 0xFFFFFFFFu);
    for (std::size_t i = 0; i < data.colorVertices.size(); ++i) {
      colors[data.colorVertices[i]] = data.colors[i];
    }
  }
  for (std::uint32_t v = 0; v < numVertices; ++v) {
    const std::uint32_t original = outToOriginal[v];
    mesh->SetPosition(v, data.positions[original]);
    if (data.hasNormals) mesh->SetNormal(v, outNormals[v]);
    if (data.hasColors) mesh->SetDiffuse(v, colors[original]);
    // A short coordinate list leaves the rest at (0, 0).
    if (data.hasTexCoords && original < data.texCoords.size()) {
      mesh->SetTexCoord(v, data.texCoords[original]);
    }
  }

  std::uint32_t triangle = 0;
  std::size_t first = 0;
  for (std::size_t f = 0; f < data.faces.sizes.size(); ++f) {
    const std::uint32_t size = data.faces.sizes[f];
    // A short material list repeats its last index for the remaining faces.
    std::uint32_t material = 0;
    if (data.hasMaterialList && !data.faceMaterials.empty()) {
      material = data.faceMaterials[std::min(f, data.faceMaterials.size() - 1)];
    }
    for (std::uint32_t k = 1; k + 1 < size; ++k) {
      mesh->SetFace(triangle, cornerVertices[first], cornerVertices[first + k],
                    cornerVertices[first + k + 1]);
      mesh->SetAttribute(triangle, material);
      ++triangle;
    }
    first += size;
  }
  mesh->SortFacesByAttribute();

  MeshContainerData result;
  result.name = data.name;
  if (data.hasMaterialList) {
    result.materials.assign(data.materials.begin(), data.materials.begin() + data.materialCount);
  }
  result.adjacency = GenerateAdjacency(*mesh);
  if (!data.skinWeights.empty()) {
    std::vector<SkinBone> bones;
    bones.reserve(data.skinWeights.size());
    for (const XSkinWeightsData& skin : data.skinWeights) {
      bones.push_back(SkinBone{skin.boneName, skin.offset, skin.vertices, skin.weights});
    }
    std::unique_ptr<SkinInfo> skin =
        SkinInfo::Create(static_cast<std::uint32_t>(numPositions), std::move(bones));
    if (skin) skin = skin->Remap(outToOriginal);
    if (!skin) return Refuse(data, "bad skin weights", error);
    result.skinInfo = std::move(skin);
  }
  result.mesh = std::move(mesh);
  *out = std::move(result);
  return XMeshBuildResult::Built;
}
