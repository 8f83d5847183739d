// Mesh storage: formats, index widths, faces, the attribute sort and table,
// clones; skin information and CPU skinning.
#include <gtest/gtest.h>

#include "platform/math/matrix.h"
#include "platform/mesh/mesh.h"
#include "platform/mesh/skin_info.h"
#include "support/case_files.h"
#include "xfile_test_support.h"

namespace {

// The dump compared with golden/NAME.dump (T3D_WRITE_GOLDEN=1 rewrites it).
void ExpectGolden(const std::string& name, const std::string& dump) {
  const std::string path = std::string(T3D_SOURCE_DIR) + "/tests/platform/mesh/golden/" + name + ".dump";
  EXPECT_EQ(GoldenText(path, dump), dump) << name;
}

TEST(Mesh, CreateRefusesWhatAMeshCannotHold) {
  const struct {
    const char* what;
    std::uint32_t faces, vertices, fvf;
    bool made;
  } cases[] = {
      {"positions only", 1, 3, kFvfXyz, true},
      {"every element", 1, 3, kFvfXyz | kFvfNormal | kFvfDiffuse | kFvfTex1, true},
      {"no position", 1, 3, kFvfNormal, false},
      {"two texture sets", 1, 3, kFvfXyz | 0x200, false},
      {"no faces", 0, 3, kFvfXyz, false},
      {"no vertices", 1, 0, kFvfXyz, false},
      {"too many faces", kMaxMeshFaces + 1, 3, kFvfXyz, false},
      {"too many vertices", 1, kMaxMeshVertices + 1, kFvfXyz, false},
  };
  for (const auto& c : cases) EXPECT_EQ(c.made, Mesh::Create(c.faces, c.vertices, c.fvf) != nullptr) << c.what;
}

TEST(Mesh, LayoutsPlaceElementsInFormatOrder) {
  // Stride, then the offsets of normal, colour and texture coordinates.
  const std::pair<std::uint32_t, const char*> cases[] = {
      {kFvfXyz, "12 -1 -1 -1"},
      {kFvfXyz | kFvfNormal, "24 12 -1 -1"},
      {kFvfXyz | kFvfNormal | kFvfTex1, "32 12 -1 24"},
      {kFvfXyz | kFvfDiffuse | kFvfTex1, "24 -1 12 16"},
      {kFvfXyz | kFvfNormal | kFvfDiffuse | kFvfTex1, "36 12 24 28"},
  };
  for (const auto& [fvf, expected] : cases) {
    VertexLayout l;
    ASSERT_TRUE(GetVertexLayout(fvf, &l));
    EXPECT_EQ(expected, std::to_string(l.stride) + " " + std::to_string(l.normalOffset) + " " +
                            std::to_string(l.diffuseOffset) + " " + std::to_string(l.texCoordOffset))
        << fvf;
  }
}

TEST(Mesh, IndexWidthFollowsTheVertexCount) {
  for (std::uint32_t vertices : {3u, kMaxVerticesFor16BitIndices, kMaxVerticesFor16BitIndices + 1}) {
    auto mesh = Mesh::Create(2, vertices, kFvfXyz);
    ASSERT_TRUE(mesh);
    EXPECT_EQ(vertices > kMaxVerticesFor16BitIndices, mesh->Has32BitIndices()) << vertices;
    EXPECT_EQ(mesh->Has32BitIndices() ? 0u : 6u, mesh->Indices16().size());
    EXPECT_EQ(mesh->Has32BitIndices() ? 6u : 0u, mesh->Indices32().size());
    const std::uint32_t last = vertices - 1;
    EXPECT_TRUE(mesh->SetFace(1, last, 0, last - 1));
    // Out-of-range corners and faces are refused and leave the face as it was.
    EXPECT_FALSE(mesh->SetFace(1, vertices, 0, 1));
    EXPECT_FALSE(mesh->SetFace(2, 0, 1, 2));
    std::uint32_t c[3];
    mesh->GetFace(1, c);
    EXPECT_EQ((std::vector<std::uint32_t>{last, 0, last - 1, last}), (std::vector{c[0], c[1], c[2], mesh->Index(3)}));
  }
}

TEST(Mesh, AttributeSortIsStableAndBuildsOneRangePerId) {
  auto mesh = Mesh::Create(5, 8, kFvfXyz);
  ASSERT_TRUE(mesh);
  const std::uint32_t attributes[5] = {2, 0, 2, 1, 0};
  for (std::uint32_t f = 0; f < 5; ++f) {
    mesh->SetFace(f, f, f + 1, f + 2 + (f == 4 ? 1 : 0));
    mesh->SetAttribute(f, attributes[f]);
  }
  std::vector<std::uint32_t> remap;
  mesh->SortFacesByAttribute(&remap);
  EXPECT_EQ((std::vector<std::uint32_t>{1, 4, 3, 0, 2}), remap);
  ExpectGolden("attribute_sort", DumpMesh(*mesh));
  ASSERT_NE(nullptr, mesh->FindAttributeRange(1));
  EXPECT_EQ(2u, mesh->FindAttributeRange(1)->faceStart);
  EXPECT_EQ(nullptr, mesh->FindAttributeRange(3));
  EXPECT_FALSE(mesh->SetAttributeTable({AttributeRange{0, 4, 2, 0, 1}}));
  EXPECT_FALSE(mesh->SetAttributeTable({AttributeRange{0, 0, 1, 7, 2}}));
  EXPECT_TRUE(mesh->SetAttributeTable({AttributeRange{5, 0, 5, 0, 8}}));
  EXPECT_EQ(1u, mesh->AttributeTable().size());
}

TEST(Mesh, CloneKeepsSharedElementsAndZeroesNewOnes) {
  auto mesh = Mesh::Create(1, 3, kFvfXyz | kFvfDiffuse);
  ASSERT_TRUE(mesh);
  for (std::uint32_t v = 0; v < 3; ++v) {
    mesh->SetPosition(v, {float(v), 1.0f, 2.0f});
    mesh->SetDiffuse(v, 0xFF000000u | v);
  }
  mesh->SetFace(0, 2, 1, 0);
  mesh->SetAttribute(0, 4);
  mesh->SortFacesByAttribute();
  auto clone = mesh->CloneWithFvf(kFvfXyz | kFvfNormal | kFvfTex1);
  ASSERT_TRUE(clone);
  ExpectGolden("clone", DumpMesh(*clone));
  EXPECT_EQ(nullptr, mesh->CloneWithFvf(kFvfNormal));
}

TEST(SkinInfo, SkinningBlendsBonesAndLeavesUnweightedVerticesAsTheyAre) {
  auto src = Mesh::Create(1, 3, kFvfXyz | kFvfNormal);
  auto dst = Mesh::Create(1, 3, kFvfXyz | kFvfNormal);
  ASSERT_TRUE(src && dst);
  for (std::uint32_t v = 0; v < 3; ++v) {
    src->SetPosition(v, {float(v), 0.0f, 0.0f});
    src->SetNormal(v, {0.0f, 1.0f, 0.0f});
  }
  // Bone 0 moves up, bone 1 turns a quarter about z (x -> y, y -> -x).
  const Matrix turn{{{0, 1, 0, 0}, {-1, 0, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}};
  std::vector<SkinBone> bones = {
      {"up", MatrixIdentity(), {0, 1}, {1.0f, 0.5f}},
      {"turn", MatrixIdentity(), {1}, {0.5f}},
  };
  auto skin = SkinInfo::Create(3, bones);
  ASSERT_TRUE(skin);
  EXPECT_EQ(2u, skin->GetMaxVertexInfluences());
  const Matrix matrices[2] = {MatrixTranslation(0.0f, 10.0f, 0.0f), turn};
  ASSERT_TRUE(skin->UpdateSkinnedMesh(matrices, *src, dst.get()));
  // Vertex 1: half of (1, 10, 0) and half of (0, 1, 0); its normal half up,
  // half turned to -x, normalised.
  ExpectGolden("skinning", DumpMesh(*dst));
  EXPECT_FALSE(skin->UpdateSkinnedMesh(std::span<const Matrix>(matrices, 1), *src, dst.get()));
  auto small = Mesh::Create(1, 2, kFvfXyz | kFvfNormal);
  EXPECT_FALSE(skin->UpdateSkinnedMesh(matrices, *src, small.get()));
}

TEST(SkinInfo, CreateAndRemapRefuseVerticesThatDoNotExist) {
  EXPECT_EQ(nullptr, SkinInfo::Create(2, {{"b", MatrixIdentity(), {2}, {1.0f}}}));
  EXPECT_EQ(nullptr, SkinInfo::Create(2, {{"b", MatrixIdentity(), {0, 1}, {1.0f}}}));
  auto skin = SkinInfo::Create(2, {{"b", MatrixIdentity(), {1, 0}, {0.25f, 0.75f}}});
  ASSERT_TRUE(skin);
  const std::uint32_t bad[] = {0, 2};
  EXPECT_EQ(nullptr, skin->Remap(bad));
  // Copies of vertex 1 (new 0 and 2) keep its weight; vertex 0 becomes new 1.
  const std::uint32_t newToOld[] = {1, 0, 1};
  auto remapped = skin->Remap(newToOld);
  ASSERT_TRUE(remapped);
  EXPECT_EQ(3u, remapped->GetNumVertices());
  EXPECT_EQ((std::vector<std::uint32_t>{0, 2, 1}), remapped->GetBone(0).vertices);
  EXPECT_EQ((std::vector<float>{0.25f, 0.25f, 0.75f}), remapped->GetBone(0).weights);
}

}  // namespace
