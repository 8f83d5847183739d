// Loading skinned models: frames in order, containers with materials and
// textures from the model's folder, skinning preparation, the bone-matrix
// buffer, the animation controller, and failures that leave the model empty.
#include <gtest/gtest.h>

#include "model_test_support.h"
#include "motion/model.h"

namespace {

const char* const kEmptyDump = "frames:\nbone matrices 0, textures no, no controller\n";

// One triangle per mesh, each skinned to `bones` frames B0, B1, ... of the root.
std::string SkinnedFile(std::initializer_list<int> boneCounts) {
  int most = 0;
  std::string meshes;
  int index = 0;
  for (int bones : boneCounts) {
    most = std::max(most, bones);
    meshes += "Mesh M" + std::to_string(index++) +
              " { 3; 0.0;0.0;0.0;, 1.0;0.0;0.0;, 0.0;1.0;0.0;; 1; 3;0,1,2;;\n"
              " XSkinMeshHeader { 1; 1; " + std::to_string(bones) + "; }\n";
    for (int b = 0; b < bones; ++b) {
      meshes += " SkinWeights { \"B" + std::to_string(b) + "\"; 1; " + std::to_string(b % 3) +
                "; 1.0; 1.0,0.0,0.0,0.0, 0.0,1.0,0.0,0.0, 0.0,0.0,1.0,0.0, 0.0,0.0,0.0,1.0;; }\n";
    }
    meshes += "}\n";
  }
  std::string frames;
  for (int b = 0; b < most; ++b) frames += "Frame B" + std::to_string(b) + " {}\n";
  return "xof 0303txt 0032\nFrame Root {\n" + meshes + frames + "}\n";
}

const char* const kTriangleWithoutExtras =
    "xof 0303txt 0032\n"
    "Frame Root { Mesh Tri { 3; 0.0;0.0;0.0;, 1.0;0.0;0.0;, 0.0;1.0;0.0;; 1; 3;0,1,2;; } }\n";

TEST(ModelLoadTest, TwoBoneBoxLoadsWhole) {
  Model model;
  std::string error;
  ASSERT_TRUE(model.Load(ModelsDir() + "two_bone_box.x", &error)) << error;
  EXPECT_EQ(DumpModel(model),
            "frames: Root Lower Upper\n"
            "container Box in Root: fvf 0x112, 8 vertices, 12 faces, adjacency 36\n"
            " material 0: diffuse 0.8 0.8 0.8 1, specular 0 0 0 1, texture 'box.png' 2x2\n"
            " material 1: diffuse 0.2 0.4 0.6 1, specular 0.1 0.1 0.1 1, texture 'missing.png' none\n"
            " skinned, source 8 vertices, attribute ranges 0:0+8 1:8+4\n"
            " bone Lower -> Lower, offset 1 0 0 0 | 0 1 0 0 | 0 0 1 0 | 0 0 0 1\n"
            " bone Upper -> Upper, offset 1 0 0 0 | 0 1 0 0 | 0 0 1 0 | 0 -1 0 1\n"
            "bone matrices 2, textures yes, controller with 1 of 1 sets, 2 tracks\n");
  const auto* box = static_cast<const ModelMeshContainer*>(model.GetRootFrame()->meshContainer);
  const std::vector<std::uint8_t> pixels = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255};
  EXPECT_EQ(box->textures[0]->image.pixels, pixels);
}

TEST(ModelLoadTest, SavedMatricesAreTheLoadedOnesAndCombinedStartAsIdentity) {
  Model model;
  ASSERT_TRUE(model.Load(ModelsDir() + "two_bone_box.x"));
  std::string saved;
  for (const ModelFrame* frame : model.FramesInOrder()) {
    saved += frame->name + ": " + Mat(frame->savedTransformationMatrix) + "\n";
  }
  EXPECT_EQ(saved,
            "Root: 1 0 0 0 | 0 1 0 0 | 0 0 1 0 | 0 0 0 1\n"
            "Lower: 1 0 0 0 | 0 1 0 0 | 0 0 1 0 | 0 0 0 1\n"
            "Upper: 1 0 0 0 | 0 1 0 0 | 0 0 1 0 | 0 1 0 1\n");
  EXPECT_EQ(DumpPose(model),
            "Root: 1 0 0 0 | 0 1 0 0 | 0 0 1 0 | 0 0 0 1\n"
            "Lower: 1 0 0 0 | 0 1 0 0 | 0 0 1 0 | 0 0 0 1\n"
            "Upper: 1 0 0 0 | 0 1 0 0 | 0 0 1 0 | 0 0 0 1\n");
}

// Positions only, no materials: texture coordinates and normals are added
// and the mesh draws in opaque mid grey.
TEST(ModelLoadTest, BareMeshGetsNormalsTextureCoordinatesAndDefaultMaterial) {
  Model model;
  ASSERT_TRUE(model.Load(WriteTempFile("bare.x", kTriangleWithoutExtras)));
  EXPECT_EQ(DumpModel(model),
            "frames: Root\n"
            "container Tri in Root: fvf 0x112, 3 vertices, 1 faces, adjacency 3\n"
            " material 0: diffuse 0.5 0.5 0.5 1, specular 0.5 0.5 0.5 0, texture '' none\n"
            "bone matrices 0, textures no, no controller\n");
  const Mesh& mesh = *model.GetRootFrame()->meshContainer->mesh;
  for (std::uint32_t v = 0; v < 3; ++v) EXPECT_EQ(Vec(mesh.Normal(v)), "0 0 1");
}

TEST(ModelLoadTest, BoneBufferFitsTheLargestSkin) {
  Model model;
  std::string error;
  ASSERT_TRUE(model.Load(WriteTempFile("bones.x", SkinnedFile({20, 35, 7})), &error)) << error;
  EXPECT_EQ(model.GetBoneMatrixCount(), 35u);
}

// Texture names are taken relative to the model's folder; any that cannot
// be read or decoded leaves its material untextured, and the model loads.
TEST(ModelLoadTest, TexturesComeFromTheModelsFolderOrStayAbsent) {
  WriteTempFile("box.png", ReadTextFile(ModelsDir() + "box.png"));
  struct Case {
    std::string name;
    const char* expected;
  };
  const Case cases[] = {
      {"box.png", "2x2"},
      {"BOX.PNG", "2x2"},
      {"absent.png", "none"},
      {"textures.x", "none"},  // the model itself: not an image
      {std::string(300, 'a') + ".png", "none"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = WriteTempFile(
        "textures.x",
        "xof 0303txt 0032\nFrame Root { Mesh { 3; 0.0;0.0;0.0;, 1.0;0.0;0.0;, 0.0;1.0;0.0;; 1; "
        "3;0,1,2;; MeshMaterialList { 1; 1; 0;; Material { 1.0;1.0;1.0;1.0;; 0.0; 0.0;0.0;0.0;; "
        "0.0;0.0;0.0;; TextureFilename { \"" + c.name + "\"; } } } } }\n");
    Model model;
    std::string error;
    ASSERT_TRUE(model.Load(path, &error)) << error;
    const auto* container =
        static_cast<const ModelMeshContainer*>(model.GetRootFrame()->meshContainer);
    const ModelTexture* texture = container->textures.at(0).get();
    EXPECT_EQ(texture ? std::to_string(texture->image.width) + "x" + std::to_string(texture->image.height)
                      : std::string("none"),
              c.expected);
    EXPECT_EQ(model.HasTextures(), texture != nullptr);
  }
}

TEST(ModelLoadTest, FailuresLeaveTheModelEmpty) {
  struct Case {
    const char* name;
    std::string path;
  };
  const Case cases[] = {
      {"missing file", ModelsDir() + "absent.x"},
      {"not a model", ModelsDir() + "box.png"},
      {"path too long", std::string(300, 'x') + ".x"},
      {"broken text", WriteTempFile("broken.x", "xof 0303txt 0032\nFrame Root { Mesh { 3; 0.0;")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Model model;
    ASSERT_TRUE(model.Load(ModelsDir() + "two_bone_box.x"));
    std::string error;
    EXPECT_FALSE(model.Load(c.path, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(DumpModel(model), kEmptyDump);
    EXPECT_EQ(model.GetRootFrame(), nullptr);
  }
}

TEST(ModelLoadTest, ReleaseEmptiesAndTheModelLoadsAgain) {
  Model model;
  ASSERT_TRUE(model.Load(ModelsDir() + "two_bone_box.x"));
  model.Release();
  EXPECT_EQ(DumpModel(model), kEmptyDump);
  EXPECT_TRUE(model.IsDirty());
  ASSERT_TRUE(model.Load(WriteTempFile("bare.x", kTriangleWithoutExtras)));
  EXPECT_EQ(model.FramesInOrder().size(), 1u);
  ASSERT_TRUE(model.Load(ModelsDir() + "two_bone_box.x"));
  EXPECT_EQ(model.GetBoneMatrixCount(), 2u);
}

// A clone of the file's controller makes room for more sets and keeps the
// file's set playing; a model without animation gets a fresh controller with
// its track enabled; an empty model gets none.
TEST(ModelLoadTest, CloneAnimationControllerMakesRoomForMoreSets) {
  Model model;
  ASSERT_TRUE(model.Load(ModelsDir() + "two_bone_box.x"));
  AnimationController* before = model.GetAnimationController();
  model.SetDirty(false);
  // The file's one set does not fit into none: the old controller stays.
  EXPECT_FALSE(model.CloneAnimationController(0));
  EXPECT_EQ(model.GetAnimationController(), before);
  ASSERT_TRUE(model.CloneAnimationController(5));
  EXPECT_TRUE(model.IsDirty());
  const AnimationController& controller = *model.GetAnimationController();
  EXPECT_EQ(controller.GetMaxNumAnimationSets(), 5u);
  EXPECT_EQ(controller.GetNumAnimationSets(), 1u);
  EXPECT_EQ(controller.GetMaxNumTracks(), 2u);
  EXPECT_EQ(controller.GetTrackAnimationSet(0), controller.GetAnimationSet(0));

  Model bare;
  ASSERT_TRUE(bare.Load(WriteTempFile("bare.x", kTriangleWithoutExtras)));
  ASSERT_EQ(bare.GetAnimationController(), nullptr);
  ASSERT_TRUE(bare.CloneAnimationController(3));
  const AnimationController& fresh = *bare.GetAnimationController();
  EXPECT_EQ(fresh.GetMaxNumAnimationSets(), 3u);
  EXPECT_EQ(fresh.GetMaxNumTracks(), 3u);
  TrackDesc desc;
  ASSERT_TRUE(fresh.GetTrackDesc(0, &desc));
  EXPECT_TRUE(desc.enable);
  EXPECT_FALSE(Model().CloneAnimationController(3));
}

}  // namespace
