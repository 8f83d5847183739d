// Loading the real .x files written by other tools (text, binary and
// compressed cubes, a skinned and animated cylinder, a cube with vertex
// colours, a file that needs lenient reading, and a malformed skin); each
// gives the summary in corpus/.
#include <gtest/gtest.h>

#include <sstream>

#include "platform/math/math_expect.h"
#include "platform/mesh/mesh.h"
#include "platform/mesh/xfile_compression.h"
#include "support/case_files.h"
#include "xfile_test_support.h"

namespace {

// Names, counts and materials of a loaded file, one item a line.
std::string Summary(const LoadOutcome& outcome) {
  if (!outcome.ok) return "error: " + outcome.error + "\n";
  std::ostringstream out;
  std::vector<Frame*> frames;
  ListFramesSiblingsFirst(outcome.hierarchy.root, &frames);
  for (const Frame* frame : frames) {
    out << "frame '" << frame->name << "'\n";
    for (const MeshContainer* c = frame->meshContainer; c; c = c->next) {
      const Mesh& mesh = *c->mesh;
      out << " mesh '" << c->name << "' fvf " << mesh.GetFvf() << " vertices "
          << mesh.GetNumVertices() << " faces " << mesh.GetNumFaces() << " ranges "
          << mesh.AttributeTable().size() << "\n";
      for (const ExtendedMaterial& m : c->materials) out << " material tex '" << m.textureFilename << "'\n";
      if (c->skinInfo) {
        for (std::uint32_t b = 0; b < c->skinInfo->GetNumBones(); ++b) {
          out << " bone '" << c->skinInfo->GetBoneName(b) << "' weights "
              << c->skinInfo->GetBone(b).vertices.size() << "\n";
        }
      }
    }
  }
  for (const std::string& warning : outcome.hierarchy.warnings) out << "warning: " << warning << "\n";
  if (const AnimationController* controller = outcome.hierarchy.animationController.get()) {
    for (std::uint32_t i = 0; i < controller->GetNumAnimationSets(); ++i) {
      const auto set = controller->GetAnimationSet(i);
      out << "animation set '" << set->Name() << "' animations " << set->NumAnimations()
          << " ticks/s " << set->TicksPerSecond() << " period " << set->PeriodTicks() << "\n";
    }
  }
  return out.str();
}

class XFileCorpus : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = CorpusDir("x");
    if (dir_.empty()) GTEST_SKIP() << "the corpus folder shared/corpus/x is absent";
  }
  std::vector<std::uint8_t> Read(const char* name) {
    std::vector<std::uint8_t> bytes = Bytes(ReadTextFile(dir_ / name));
    EXPECT_FALSE(bytes.empty()) << name;
    return bytes;
  }
  std::filesystem::path dir_;
};

// The summary of each real file is corpus/NAME.summary. Of note: test.x has a
// material of colour and power only and tangent data to pass over;
// anim_test.x has a skin naming bones the file has no frames for, so the mesh
// is dropped rather than drawn with bones that point nowhere.
TEST_F(XFileCorpus, RealFilesGiveTheirHierarchies) {
  const std::filesystem::path folder = std::filesystem::path(T3D_SOURCE_DIR) / "tests/platform/mesh/corpus";
  const std::vector<std::string> names = ListCases(folder, ".summary");
  EXPECT_GE(names.size(), 5u);
  for (const std::string& name : names) {
    LoadOutcome outcome;
    Load(Read((name + ".x").c_str()), &outcome);
    const std::string got = Summary(outcome);
    EXPECT_EQ(GoldenText(folder / (name + ".summary"), got), got) << name;
  }
}

// The compressed cube inflates to the binary one, and all three load alike.
TEST_F(XFileCorpus, CubeLoadsAlikeAsTextBinaryAndCompressed) {
  std::vector<std::uint8_t> inflated;
  std::string error;
  ASSERT_TRUE(DecompressXFile(Read("test_cube_compressed.x"), &inflated, &error)) << error;
  EXPECT_EQ(Read("test_cube_binary.x"), inflated);
  LoadOutcome text, binary, compressed;
  Load(Read("test_cube_text.x"), &text);
  Load(Read("test_cube_binary.x"), &binary);
  Load(Read("test_cube_compressed.x"), &compressed);
  ASSERT_TRUE(text.ok) << text.error;
  EXPECT_EQ(DumpHierarchy(text.hierarchy.root), DumpHierarchy(binary.hierarchy.root));
  EXPECT_EQ(DumpHierarchy(text.hierarchy.root), DumpHierarchy(compressed.hierarchy.root));
}

// The file's rotation keys are written as the conjugate of the rotation the
// frame matrices use; posed at a key that holds the rest pose, each frame
// must come back to its own matrix.
TEST_F(XFileCorpus, AnimatedFramesPoseToTheirRestMatricesAtTheFirstKey) {
  LoadOutcome outcome;
  Load(Read("anim_test.x"), &outcome);
  ASSERT_TRUE(outcome.ok) << outcome.error;
  AnimationController& controller = *outcome.hierarchy.animationController;
  std::vector<Frame*> frames;
  ListFramesSiblingsFirst(outcome.hierarchy.root, &frames);
  std::vector<Matrix> rest;
  for (const Frame* frame : frames) rest.push_back(frame->transformationMatrix);
  controller.SetTime(1.0 / 24.0);  // tick 1, the first key
  for (std::size_t i = 0; i < frames.size(); ++i) {
    EXPECT_TRUE(IsNear(frames[i]->transformationMatrix, rest[i], 2e-3f)) << frames[i]->name;
  }
}

}  // namespace
