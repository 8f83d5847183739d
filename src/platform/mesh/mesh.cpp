// CPU meshes: storage, typed vertex access, faces, attributes and the
// attribute table.
#include "platform/mesh/mesh.h"

#include <algorithm>
#include <cstring>
#include <numeric>

#include "platform/mesh/mesh_bvh.h"

namespace {

Vector3 ReadVector3(const std::uint8_t* at) {
  Vector3 v;
  std::memcpy(&v, at, sizeof v);
  return v;
}

void WriteVector3(std::uint8_t* at, const Vector3& v) { std::memcpy(at, &v, sizeof v); }

}  // namespace

bool GetVertexLayout(std::uint32_t fvf, VertexLayout* layout) {
  const std::uint32_t known = kFvfXyz | kFvfNormal | kFvfDiffuse | kFvfTex1;
  if ((fvf & kFvfXyz) == 0 || (fvf & ~known) != 0) return false;
  VertexLayout out;
  out.stride = 12;
  if (fvf & kFvfNormal) {
    out.normalOffset = static_cast<int>(out.stride);
    out.stride += 12;
  }
  if (fvf & kFvfDiffuse) {
    out.diffuseOffset = static_cast<int>(out.stride);
    out.stride += 4;
  }
  if (fvf & kFvfTex1) {
    out.texCoordOffset = static_cast<int>(out.stride);
    out.stride += 8;
  }
  if (layout) *layout = out;
  return true;
}

bool operator==(const AttributeRange& a, const AttributeRange& b) {
  return a.attribId == b.attribId && a.faceStart == b.faceStart && a.faceCount == b.faceCount &&
         a.vertexStart == b.vertexStart && a.vertexCount == b.vertexCount;
}

std::unique_ptr<Mesh> Mesh::Create(std::uint32_t numFaces, std::uint32_t numVertices,
                                   std::uint32_t fvf) {
  VertexLayout layout;
  if (!GetVertexLayout(fvf, &layout)) return nullptr;
  if (numVertices == 0 || numFaces == 0) return nullptr;
  if (numVertices > kMaxMeshVertices || numFaces > kMaxMeshFaces) return nullptr;
  std::unique_ptr<Mesh> mesh(new Mesh());
  mesh->fvf_ = fvf;
  mesh->layout_ = layout;
  mesh->numVertices_ = numVertices;
  mesh->numFaces_ = numFaces;
  mesh->vertices_.assign(static_cast<std::size_t>(numVertices) * layout.stride, 0);
  if (numVertices > kMaxVerticesFor16BitIndices) {
    mesh->indices32_.assign(static_cast<std::size_t>(numFaces) * 3, 0);
  } else {
    mesh->indices16_.assign(static_cast<std::size_t>(numFaces) * 3, 0);
  }
  mesh->attributes_.assign(numFaces, 0);
  return mesh;
}

Mesh::~Mesh() = default;

std::unique_ptr<Mesh> Mesh::CloneWithFvf(std::uint32_t fvf) const {
  std::unique_ptr<Mesh> copy = Create(numFaces_, numVertices_, fvf);
  if (!copy) return nullptr;
  for (std::uint32_t v = 0; v < numVertices_; ++v) {
    copy->SetPosition(v, Position(v));
    if (layout_.normalOffset >= 0) copy->SetNormal(v, Normal(v));
    if (layout_.diffuseOffset >= 0) copy->SetDiffuse(v, Diffuse(v));
    if (layout_.texCoordOffset >= 0) copy->SetTexCoord(v, TexCoord(v));
  }
  copy->indices16_ = indices16_;
  copy->indices32_ = indices32_;
  copy->attributes_ = attributes_;
  copy->attributeTable_ = attributeTable_;
  return copy;
}

Vector3 Mesh::Position(std::uint32_t vertex) const { return ReadVector3(VertexAt(vertex)); }

Vector3 Mesh::Normal(std::uint32_t vertex) const {
  if (layout_.normalOffset < 0) return {0.0f, 0.0f, 0.0f};
  return ReadVector3(VertexAt(vertex) + layout_.normalOffset);
}

std::uint32_t Mesh::Diffuse(std::uint32_t vertex) const {
  if (layout_.diffuseOffset < 0) return 0xFFFFFFFFu;
  std::uint32_t argb;
  std::memcpy(&argb, VertexAt(vertex) + layout_.diffuseOffset, sizeof argb);
  return argb;
}

Vector2 Mesh::TexCoord(std::uint32_t vertex) const {
  if (layout_.texCoordOffset < 0) return {0.0f, 0.0f};
  Vector2 uv;
  std::memcpy(&uv, VertexAt(vertex) + layout_.texCoordOffset, sizeof uv);
  return uv;
}

void Mesh::SetPosition(std::uint32_t vertex, const Vector3& value) {
  WriteVector3(VertexAt(vertex), value);
  ++geometryVersion_;
}

void Mesh::SetNormal(std::uint32_t vertex, const Vector3& value) {
  if (layout_.normalOffset >= 0) WriteVector3(VertexAt(vertex) + layout_.normalOffset, value);
}

void Mesh::SetDiffuse(std::uint32_t vertex, std::uint32_t argb) {
  if (layout_.diffuseOffset >= 0) {
    std::memcpy(VertexAt(vertex) + layout_.diffuseOffset, &argb, sizeof argb);
  }
}

void Mesh::SetTexCoord(std::uint32_t vertex, const Vector2& value) {
  if (layout_.texCoordOffset >= 0) {
    std::memcpy(VertexAt(vertex) + layout_.texCoordOffset, &value, sizeof value);
  }
}

std::span<std::uint8_t> Mesh::MutableVertexBytes() {
  ++geometryVersion_;
  return vertices_;
}

void Mesh::GetFace(std::uint32_t face, std::uint32_t corners[3]) const {
  const std::uint32_t base = face * 3;
  corners[0] = Index(base);
  corners[1] = Index(base + 1);
  corners[2] = Index(base + 2);
}

void Mesh::SetIndexUnchecked(std::uint32_t position, std::uint32_t value) {
  if (indices32_.empty()) {
    indices16_[position] = static_cast<std::uint16_t>(value);
  } else {
    indices32_[position] = value;
  }
}

bool Mesh::SetFace(std::uint32_t face, std::uint32_t a, std::uint32_t b, std::uint32_t c) {
  if (face >= numFaces_ || a >= numVertices_ || b >= numVertices_ || c >= numVertices_) {
    return false;
  }
  SetIndexUnchecked(face * 3, a);
  SetIndexUnchecked(face * 3 + 1, b);
  SetIndexUnchecked(face * 3 + 2, c);
  ++topologyVersion_;
  return true;
}

void Mesh::SetAttribute(std::uint32_t face, std::uint32_t attribId) {
  if (face < numFaces_) attributes_[face] = attribId;
}

void Mesh::SortFacesByAttribute(std::vector<std::uint32_t>* faceRemap) {
  std::vector<std::uint32_t> order(numFaces_);
  std::iota(order.begin(), order.end(), 0u);
  // Exporters mostly write faces in material order already; those stay put.
  if (!std::is_sorted(attributes_.begin(), attributes_.end())) {
    std::stable_sort(order.begin(), order.end(), [this](std::uint32_t a, std::uint32_t b) {
      return attributes_[a] < attributes_[b];
    });
    std::vector<std::uint32_t> oldIndices(static_cast<std::size_t>(numFaces_) * 3);
    for (std::uint32_t i = 0; i < numFaces_ * 3; ++i) oldIndices[i] = Index(i);
    std::vector<std::uint32_t> oldAttributes = attributes_;
    for (std::uint32_t f = 0; f < numFaces_; ++f) {
      const std::uint32_t from = order[f];
      for (int k = 0; k < 3; ++k) SetIndexUnchecked(f * 3 + k, oldIndices[from * 3 + k]);
      attributes_[f] = oldAttributes[from];
    }
  }
  ++topologyVersion_;

  attributeTable_.clear();
  for (std::uint32_t f = 0; f < numFaces_;) {
    AttributeRange range;
    range.attribId = attributes_[f];
    range.faceStart = f;
    std::uint32_t lo = 0xFFFFFFFFu, hi = 0;
    while (f < numFaces_ && attributes_[f] == range.attribId) {
      for (int k = 0; k < 3; ++k) {
        const std::uint32_t index = Index(f * 3 + k);
        lo = std::min(lo, index);
        hi = std::max(hi, index);
      }
      ++f;
    }
    range.faceCount = f - range.faceStart;
    range.vertexStart = lo;
    range.vertexCount = hi - lo + 1;
    attributeTable_.push_back(range);
  }
  if (faceRemap) *faceRemap = std::move(order);
}

bool Mesh::SetAttributeTable(std::vector<AttributeRange> table) {
  for (const AttributeRange& range : table) {
    if (range.faceStart > numFaces_ || range.faceCount > numFaces_ - range.faceStart ||
        range.vertexStart > numVertices_ || range.vertexCount > numVertices_ - range.vertexStart) {
      return false;
    }
  }
  attributeTable_ = std::move(table);
  return true;
}

const AttributeRange* Mesh::FindAttributeRange(std::uint32_t attribId) const {
  for (const AttributeRange& range : attributeTable_) {
    if (range.attribId == attribId) return &range;
  }
  return nullptr;
}

const MeshBvh& Mesh::Bvh() const {
  if (!bvh_ || bvhTopologyVersion_ != topologyVersion_) {
    bvh_ = std::make_unique<MeshBvh>(*this);
  } else if (bvhGeometryVersion_ != geometryVersion_) {
    bvh_->Refit(*this);
  }
  bvhTopologyVersion_ = topologyVersion_;
  bvhGeometryVersion_ = geometryVersion_;
  return *bvh_;
}
