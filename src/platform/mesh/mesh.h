// CPU meshes: interleaved vertices in a declared format, 16- or 32-bit triangle
// indices, per-face attributes and the attribute table. Built by the .x loader
// and the scene's wall builder; read by models, collision, shadows and the device.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "platform/math/math_types.h"

class MeshBvh;

// Vertex format bits, with the values of the platform's flexible vertex format
// codes so that the model layer and the device speak of formats as the system does.
constexpr std::uint32_t kFvfXyz = 0x002;
constexpr std::uint32_t kFvfNormal = 0x010;
constexpr std::uint32_t kFvfDiffuse = 0x040;
constexpr std::uint32_t kFvfTex1 = 0x100;
constexpr std::uint32_t kFvfTexCountMask = 0xF00;

// Sizes past these are refused: a mesh of content never needs more, and the
// limits keep every index product inside 32 bits.
constexpr std::uint32_t kMaxMeshVertices = 1u << 24;
constexpr std::uint32_t kMaxMeshFaces = 1u << 24;
// Meshes with at most this many vertices use 16-bit indices.
constexpr std::uint32_t kMaxVerticesFor16BitIndices = 0xFFFF;

// Byte offsets inside one vertex: position at 0, then normal, diffuse colour
// (one ARGB word) and one texture coordinate pair, each only when present.
struct VertexLayout {
  std::uint32_t stride = 0;
  int normalOffset = -1;
  int diffuseOffset = -1;
  int texCoordOffset = -1;
};

// False for a format the meshes cannot hold (no position, or other bits).
bool GetVertexLayout(std::uint32_t fvf, VertexLayout* layout);

// One run of faces sharing an attribute id, as drawn by one subset call.
struct AttributeRange {
  std::uint32_t attribId = 0;
  std::uint32_t faceStart = 0;
  std::uint32_t faceCount = 0;
  std::uint32_t vertexStart = 0;
  std::uint32_t vertexCount = 0;
};

bool operator==(const AttributeRange& a, const AttributeRange& b);

// The nearest triangle a ray meets: the point is
// p0 + u (p1 - p0) + v (p2 - p0); distance is in units of the ray direction.
struct RayHit {
  std::uint32_t face = 0;
  float u = 0.0f;
  float v = 0.0f;
  float distance = 0.0f;
};

class Mesh {
 public:
  // A mesh of zeroed vertices whose faces all use vertex 0. Null for an
  // unsupported format, no vertices, or sizes past the limits.
  static std::unique_ptr<Mesh> Create(std::uint32_t numFaces, std::uint32_t numVertices,
                                      std::uint32_t fvf);
  ~Mesh();
  Mesh(const Mesh&) = delete;
  Mesh& operator=(const Mesh&) = delete;

  // A copy in another format: shared elements copied, new ones zero. Faces,
  // attributes and the attribute table come along. Null for a bad format.
  std::unique_ptr<Mesh> CloneWithFvf(std::uint32_t fvf) const;

  std::uint32_t GetFvf() const { return fvf_; }
  const VertexLayout& GetLayout() const { return layout_; }
  std::uint32_t GetNumVertices() const { return numVertices_; }
  std::uint32_t GetNumFaces() const { return numFaces_; }
  std::uint32_t GetNumBytesPerVertex() const { return layout_.stride; }
  bool Has32BitIndices() const { return !indices32_.empty(); }

  // Typed vertex access; the caller keeps the vertex below GetNumVertices.
  // Elements the format lacks read as zero (white for the colour) and ignore writes.
  Vector3 Position(std::uint32_t vertex) const;
  Vector3 Normal(std::uint32_t vertex) const;
  std::uint32_t Diffuse(std::uint32_t vertex) const;
  Vector2 TexCoord(std::uint32_t vertex) const;
  void SetPosition(std::uint32_t vertex, const Vector3& value);
  void SetNormal(std::uint32_t vertex, const Vector3& value);
  void SetDiffuse(std::uint32_t vertex, std::uint32_t argb);
  void SetTexCoord(std::uint32_t vertex, const Vector2& value);

  // The interleaved vertices, GetNumBytesPerVertex apart. Taking the mutable
  // view marks the positions changed, so the next query refits the hierarchy.
  std::span<const std::uint8_t> VertexBytes() const { return vertices_; }
  std::span<std::uint8_t> MutableVertexBytes();

  // Indices: three per face, either width. Every stored index is below the
  // vertex count, so readers never need their own range check.
  std::uint32_t Index(std::uint32_t position) const {
    return indices32_.empty() ? indices16_[position] : indices32_[position];
  }
  void GetFace(std::uint32_t face, std::uint32_t corners[3]) const;
  // False (nothing written) when a corner is not below the vertex count.
  bool SetFace(std::uint32_t face, std::uint32_t a, std::uint32_t b, std::uint32_t c);
  std::span<const std::uint16_t> Indices16() const { return indices16_; }
  std::span<const std::uint32_t> Indices32() const { return indices32_; }

  // One attribute id per face (the material index of a loaded mesh).
  std::span<const std::uint32_t> Attributes() const { return attributes_; }
  void SetAttribute(std::uint32_t face, std::uint32_t attribId);

  // Sorts the faces by attribute id, keeping the order of faces within an id,
  // and rebuilds the table: one range per id present, ascending. `faceRemap`
  // (may be null) receives for each new face its old index.
  void SortFacesByAttribute(std::vector<std::uint32_t>* faceRemap = nullptr);
  const std::vector<AttributeRange>& AttributeTable() const { return attributeTable_; }
  // False when a range runs past the faces or vertices.
  bool SetAttributeTable(std::vector<AttributeRange> table);
  // The range drawn for an attribute id; null when the table lacks it.
  const AttributeRange* FindAttributeRange(std::uint32_t attribId) const;

  // The bounding-volume hierarchy over the faces, built on first use and
  // refitted after the positions change.
  const MeshBvh& Bvh() const;

 private:
  Mesh() = default;
  const std::uint8_t* VertexAt(std::uint32_t vertex) const {
    return vertices_.data() + static_cast<std::size_t>(vertex) * layout_.stride;
  }
  std::uint8_t* VertexAt(std::uint32_t vertex) {
    return vertices_.data() + static_cast<std::size_t>(vertex) * layout_.stride;
  }
  void SetIndexUnchecked(std::uint32_t position, std::uint32_t value);

  std::uint32_t fvf_ = 0;
  VertexLayout layout_;
  std::uint32_t numVertices_ = 0;
  std::uint32_t numFaces_ = 0;
  std::vector<std::uint8_t> vertices_;
  std::vector<std::uint16_t> indices16_;
  std::vector<std::uint32_t> indices32_;
  std::vector<std::uint32_t> attributes_;
  std::vector<AttributeRange> attributeTable_;

  // Positions and faces change through the setters; the hierarchy follows
  // lazily so that a skinned mesh re-posed every frame pays only when queried.
  std::uint64_t geometryVersion_ = 1;
  std::uint64_t topologyVersion_ = 1;
  mutable std::unique_ptr<MeshBvh> bvh_;
  mutable std::uint64_t bvhGeometryVersion_ = 0;
  mutable std::uint64_t bvhTopologyVersion_ = 0;
};
