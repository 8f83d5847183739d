// Drawing a posed model, on the recording device: each attribute group with
// its faded material, colour constant and texture as the pass asks; an
// unskinned container where its frame lies on the cast; skinning once per pose.
#include <gtest/gtest.h>

#include "model_test_support.h"
#include "platform/gpu/recording_device.h"
#include "platform/math/matrix.h"

namespace {

PresentParameters Parameters() {
  PresentParameters p;
  p.backBufferWidth = 64;
  p.backBufferHeight = 48;
  return p;
}

std::string Join(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

TEST(ModelDraw, EachGroupDrawsWithTheMaterialTextureAndConstantThePassAsksFor) {
  const struct {
    const char* name;
    int shaderRegister;
    bool skipMaterial, skipTexture;
    float alpha;
    const char* trace;
  } cases[] = {
      {"textured toon at half opacity", 8, false, false, 0.5f,
       "SetVertexShaderConstantF(8, (0.8, 0.8, 0.8, 0.5))\n"
       "SetMaterial(diffuse (0.8, 0.8, 0.8, 0.5), ambient (0, 0, 0, 0.5), specular (0, 0, 0, 0.5), "
       "emissive (0, 0, 0, 0.5), power 5)\n"
       "SetTexture(0, box.png)\n"
       "DrawSubset(Box, 0)\n"
       "SetVertexShaderConstantF(8, (0.2, 0.4, 0.6, 0.5))\n"
       "SetMaterial(diffuse (0.2, 0.4, 0.6, 0.5), ambient (0, 0, 0, 0.5), specular (0.1, 0.1, 0.1, 0.5), "
       "emissive (0, 0, 0, 0.5), power 1)\n"
       "SetTexture(0, null)\n"
       "DrawSubset(Box, 1)\n"},
      {"untextured toon: the ramp stays on stage 0", 1, false, true, 1.0f,
       "SetVertexShaderConstantF(1, (0.8, 0.8, 0.8, 1))\n"
       "SetMaterial(diffuse (0.8, 0.8, 0.8, 1), ambient (0, 0, 0, 1), specular (0, 0, 0, 1), "
       "emissive (0, 0, 0, 1), power 5)\n"
       "DrawSubset(Box, 0)\n"
       "SetVertexShaderConstantF(1, (0.2, 0.4, 0.6, 1))\n"
       "SetMaterial(diffuse (0.2, 0.4, 0.6, 1), ambient (0, 0, 0, 1), specular (0.1, 0.1, 0.1, 1), "
       "emissive (0, 0, 0, 1), power 1)\n"
       "DrawSubset(Box, 1)\n"},
      {"materials skipped: the textures still come", -1, true, false, 1.0f,
       "SetTexture(0, box.png)\nDrawSubset(Box, 0)\nSetTexture(0, null)\nDrawSubset(Box, 1)\n"},
      {"outline and silhouette: geometry only", -1, true, true, 1.0f, "DrawSubset(Box, 0)\nDrawSubset(Box, 1)\n"},
  };
  for (const auto& c : cases) {
    Model model;
    ASSERT_TRUE(model.Load(ModelsDir() + "two_bone_box.x"));
    RecordingDevice device(Parameters());
    // Skinned by a first draw; the second one draws what it holds.
    model.Draw(device, ModelPlacement(MatrixIdentity()), -1, true, true, 1.0f);
    device.ClearLines();
    model.Draw(device, ModelPlacement(MatrixIdentity()), c.shaderRegister, c.skipMaterial, c.skipTexture, c.alpha);
    EXPECT_EQ(Join(device.TakeLines()), c.trace) << c.name;
    EXPECT_FALSE(model.IsDirty());
  }
}

// A placement that also says where a vertex program would be told.
class TracedPlacement : public ModelPlacement {
 public:
  using ModelPlacement::ModelPlacement;
  void Place(GraphicsDevice& device, const Matrix& world) const override {
    ModelPlacement::Place(device, world);
    device.SetVertexShaderConstantF(4, &world.m[0][0], 4);
  }
};

TEST(ModelDraw, AnUnskinnedContainerIsDrawnWhereItsFrameLiesOnTheCast) {
  Model model;
  ASSERT_TRUE(model.Load(WriteTempFile(
      "placed.x",
      "xof 0303txt 0032\nFrame Root {\n FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1;; }\n"
      " Frame Arm {\n  FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 5,0,0,1;; }\n"
      "  Mesh Stone { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;;\n"
      "   MeshMaterialList { 1; 1; 0;; Material { 1;0;0;1;; 0; 0;0;0;; 0;0;0;; } } }\n }\n}\n")));
  ASSERT_TRUE(model.CloneAnimationController(1));
  model.AdvanceTime(0.0f, nullptr, 0, 1.0f);
  RecordingDevice device(Parameters());
  model.CreateDeviceResources(device);
  device.ClearLines();
  model.Draw(device, TracedPlacement(MatrixTranslation(100, 0, 0)), 1, true, true, 0.5f);
  // At the frame, its colour (faded with the cast) in the program's
  // register; then the cast's own placement back for what follows.
  EXPECT_EQ(Join(device.TakeLines()),
            "SetTransform(WORLD, [ 1 0 0 0 | 0 1 0 0 | 0 0 1 0 | 105 0 0 1 ])\n"
            "SetVertexShaderConstantF(4, (1, 0, 0, 0) (0, 1, 0, 0) (0, 0, 1, 0) (105, 0, 0, 1))\n"
            "SetVertexShaderConstantF(1, (1, 0, 0, 0.5))\n"
            "DrawSubset(Stone, 0)\n"
            "SetTransform(WORLD, [ 1 0 0 0 | 0 1 0 0 | 0 0 1 0 | 100 0 0 1 ])\n"
            "SetVertexShaderConstantF(4, (1, 0, 0, 0) (0, 1, 0, 0) (0, 0, 1, 0) (100, 0, 0, 1))\n");
}

// The model is shared by the casts of a class: each cast named before a
// draw has its own skinned vertices, skinned again only when its motion,
// time or bone controls changed. A draw after a pose nobody claimed skins
// the model's own vertices instead.
TEST(ModelDraw, SkinsOncePerPoseOfEachCast) {
  Model model;
  ASSERT_TRUE(model.Load(ModelsDir() + "two_bone_box.x"));
  ASSERT_TRUE(model.CloneAnimationController(1));
  RecordingDevice device(Parameters());
  const ModelPoseKey castA{1, 0, 0, 0}, castB{2, 0, 30, 0}, castAMoved{1, 0, 1, 0};
  struct Step {
    const char* what;
    float time;
    const ModelPoseKey* key;
    bool posedAgainAfterClaim;
  };
  const Step steps[] = {
      {"cast A, first draw", 0, &castA, false},
      {"cast A, the same pose", 0, &castA, false},
      {"cast B in another pose", 30, &castB, false},
      {"cast A again", 0, &castA, false},
      {"cast A, its time moved on", 1, &castAMoved, false},
      {"the model posed again after the claim", 1, &castAMoved, true},
      {"cast A's own vertices untouched", 1, &castAMoved, false},
  };
  std::string trace;
  for (const Step& step : steps) {
    model.AdvanceTime(step.time, nullptr, 0, 1.0f);
    model.KeepSkinFor(*step.key);
    if (step.posedAgainAfterClaim) model.AdvanceTime(step.time + 5, nullptr, 0, 1.0f);
    device.ClearLines();
    // Two passes of one cast: at most the first skins.
    model.Draw(device, ModelPlacement(MatrixIdentity()), -1, true, true, 1.0f);
    model.Draw(device, ModelPlacement(MatrixIdentity()), -1, true, true, 1.0f);
    int skins = 0;
    for (const std::string& line : device.lines()) skins += line == "UpdateVertices(Box)";
    trace += std::string(step.what) + ": " + std::to_string(skins) + "\n";
  }
  EXPECT_EQ(trace,
            "cast A, first draw: 1\n"
            "cast A, the same pose: 0\n"
            "cast B in another pose: 1\n"
            "cast A again: 0\n"
            "cast A, its time moved on: 1\n"
            "the model posed again after the claim: 1\n"
            "cast A's own vertices untouched: 0\n");
}

}  // namespace
