// Whole conversions, in golden/: NAME.mqo is converted as an object class
// converts it (Z scale negated) and must give NAME.x byte for byte (after the
// one-line Template.x of that folder). Converted again after the demo's own
// Template.x, the file is read back by the .x reader and its frames, skin
// weights and rest pose, dumped as text, must equal NAME.load.
#include <gtest/gtest.h>

#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "converter/x_converter.h"
#include "platform/math/matrix.h"
#include "platform/math/vector.h"
#include "platform/mesh/hierarchy_loader.h"
#include "platform/system/content_path.h"
#include "platform/system/temp_folder.h"
#include "support/case_files.h"

namespace {

namespace fs = std::filesystem;

const fs::path kGolden = fs::path(T3D_SOURCE_DIR) / "tests/converter/golden";
const fs::path kDemo = fs::path(T3D_SOURCE_DIR) / "demo";

// The sign of a zero means nothing to a loaded model.
std::string Number(float value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", static_cast<double>(value + 0.0f));
  return text;
}

std::string Point(const Vector3& p) { return Number(p.x) + " " + Number(p.y) + " " + Number(p.z); }

// The translation of a matrix, and "turned" when the rest is not the identity.
std::string Placement(const Matrix& m) {
  std::string out = Point({m.m[3][0], m.m[3][1], m.m[3][2]});
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 3; ++c)
      if (m.m[r][c] != (r == c ? 1.0f : 0.0f) && r < 3) return out + " turned";
  return out;
}

void CombineFrames(Frame* frame, const Matrix& parent, std::vector<std::pair<std::string, Matrix>>& combined) {
  for (; frame != nullptr; frame = frame->sibling) {
    const Matrix here = frame->transformationMatrix * parent;
    combined.emplace_back(frame->name, here);
    CombineFrames(frame->firstChild, here, combined);
  }
}

// Skinning with every frame at rest must leave every vertex where it is.
std::string RestPoseCheck(const MeshContainer& container, Frame* root) {
  const SkinInfo& skin = *container.skinInfo;
  std::vector<std::pair<std::string, Matrix>> combined;
  CombineFrames(root, MatrixIdentity(), combined);
  std::vector<Matrix> transforms;
  for (std::uint32_t b = 0; b < skin.GetNumBones(); ++b)
    for (const auto& [name, matrix] : combined)
      if (name == skin.GetBoneName(b)) {
        transforms.push_back(skin.GetBoneOffsetMatrix(b) * matrix);
        break;
      }
  std::unique_ptr<Mesh> posed = container.mesh->CloneWithFvf(container.mesh->GetFvf());
  if (!skin.UpdateSkinnedMesh(transforms, *container.mesh, posed.get())) return " skinning failed\n";
  for (std::uint32_t v = 0; v < posed->GetNumVertices(); ++v) {
    const Vector3 d = posed->Position(v) - container.mesh->Position(v);
    if (Vec3Length(d) > 1e-5f) return " rest pose moves vertex " + Point(container.mesh->Position(v)) + "\n";
  }
  return " rest pose moves no vertex\n";
}

std::string DumpLoaded(const std::string& bytes) {
  std::span<const std::uint8_t> file(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  DefaultAllocateHierarchy allocator;
  LoadedHierarchy loaded;
  std::string error;
  if (!LoadMeshHierarchyFromXInMemory(file, allocator, &loaded, &error)) return "load failed: " + error + "\n";

  std::vector<Frame*> frames;
  ListFramesSiblingsFirst(loaded.root, &frames);
  std::vector<Matrix> atLoad;
  for (Frame* frame : frames) atLoad.push_back(frame->transformationMatrix);
  // The animation holds every frame where the file put it, at any time.
  if (loaded.animationController) loaded.animationController->SetTime(0.001);

  std::string out;
  for (std::size_t i = 0; i < frames.size(); ++i) {
    const Frame& frame = *frames[i];
    out += "frame '" + frame.name + "' at " + Placement(atLoad[i]) + " animated " +
           Placement(frame.transformationMatrix) + "\n";
    for (const MeshContainer* c = frame.meshContainer; c != nullptr; c = c->next) {
      out += " mesh vertices " + std::to_string(c->mesh->GetNumVertices()) + " faces " +
             std::to_string(c->mesh->GetNumFaces()) + "\n";
      if (!c->skinInfo) continue;
      for (std::uint32_t b = 0; b < c->skinInfo->GetNumBones(); ++b) {
        const SkinBone& bone = c->skinInfo->GetBone(b);
        out += " bone '" + bone.name + "' offset " + Placement(bone.offset) + " weights";
        for (std::size_t k = 0; k < bone.vertices.size(); ++k)
          out += " (" + Point(c->mesh->Position(bone.vertices[k])) + ")=" + Number(bone.weights[k]);
        out += "\n";
      }
      out += RestPoseCheck(*c, loaded.root);
    }
  }
  for (const std::string& warning : loaded.warnings) out += "warning: " + warning + "\n";
  if (loaded.animationController)
    for (std::uint32_t i = 0; i < loaded.animationController->GetNumAnimationSets(); ++i) {
      const auto set = loaded.animationController->GetAnimationSet(i);
      out += "animation set '" + set->Name() + "' animations " + std::to_string(set->NumAnimations()) + "\n";
    }
  DestroyFrameHierarchy(loaded.root, allocator);
  return out;
}

class GoldenConversion : public testing::TestWithParam<std::string> {
 protected:
  void SetUp() override { ASSERT_FALSE(temp_.path().empty()); }
  void TearDown() override { SetProgramDir(""); }
  // The .x file the conversion writes with the template of `programDir`.
  std::string Convert(const fs::path& programDir) {
    SetProgramDir(programDir.string());
    const fs::path x = folder_ / (GetParam() + ".x");
    std::string error;
    EXPECT_TRUE(ConvertMqoToX((kGolden / (GetParam() + ".mqo")).string(), x.string(), 1, 1, -1, &error)) << error;
    return ReadTextFile(x);
  }
  TempFolder temp_;
  const fs::path folder_ = temp_.path();
};

TEST_P(GoldenConversion, WritesTheExpectedFileThatLoadsBack) {
  const std::string expected = ReadTextFile(kGolden / (GetParam() + ".x"));
  ASSERT_FALSE(expected.empty()) << "missing " << GetParam() << ".x";
  EXPECT_EQ(expected, Convert(kGolden));

  const std::string goldenTemplate = ReadTextFile(kGolden / "Template.x");
  const std::string withDemoTemplate = Convert(kDemo);
  EXPECT_EQ(ReadTextFile(kDemo / "Template.x") + expected.substr(goldenTemplate.size()), withDemoTemplate);
  EXPECT_EQ(ReadTextFile(kGolden / (GetParam() + ".load")), DumpLoaded(withDemoTemplate));
}

INSTANTIATE_TEST_SUITE_P(Golden, GoldenConversion, testing::ValuesIn(ListCases(kGolden, ".mqo")),
                         [](const testing::TestParamInfo<std::string>& param) { return param.param; });

}  // namespace
