// Loading the real .x files written by other tools (text, binary and
// compressed cubes, a skinned and animated cylinder, a cube with vertex
// colours, a file that needs lenient reading, and a malformed skin); each
// gives the dump in corpus/.
#include <gtest/gtest.h>

#include "platform/math/math_expect.h"
#include "platform/mesh/xfile_compression.h"
#include "support/case_files.h"
#include "xfile_test_support.h"

namespace {

class XFileCorpus : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = CorpusDir("x");
    if (dir_.empty()) GTEST_SKIP() << "the corpus folder shared/corpus/x is absent";
  }
  std::vector<std::uint8_t> Read(const std::string& name) {
    std::vector<std::uint8_t> bytes = Bytes(ReadTextFile(dir_ / name));
    EXPECT_FALSE(bytes.empty()) << name;
    return bytes;
  }
  std::filesystem::path dir_;
};

// The dump of each real file is corpus/NAME.dump; the cube's three encodings
// give the same. Of note: test.x has a material of colour and power only and
// tangent data to pass over; anim_test.x has a skin naming bones the file has
// no frames for, so the mesh is dropped rather than drawn with bones that
// point nowhere.
TEST_F(XFileCorpus, RealFilesGiveTheirHierarchies) {
  const std::filesystem::path folder = std::filesystem::path(T3D_SOURCE_DIR) / "tests/platform/mesh/corpus";
  const std::vector<std::string> names = ListCases(folder, ".dump");
  EXPECT_GE(names.size(), 7u);
  for (const std::string& name : names) {
    LoadOutcome outcome;
    Load(Read(name + ".x"), &outcome);
    // Posed frames are the next test's, within its tolerance.
    const std::string got = DescribeLoad(outcome, false);
    EXPECT_EQ(GoldenText(folder / (name + ".dump"), got), got) << name;
  }
}

TEST_F(XFileCorpus, CompressedCubeInflatesToTheBinaryCube) {
  std::vector<std::uint8_t> inflated;
  std::string error;
  ASSERT_TRUE(DecompressXFile(Read("test_cube_compressed.x"), &inflated, &error)) << error;
  EXPECT_EQ(Read("test_cube_binary.x"), inflated);
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
  for (std::size_t i = 0; i < frames.size(); ++i)
    EXPECT_TRUE(IsNear(frames[i]->transformationMatrix, rest[i], 2e-3f)) << frames[i]->name;
}

}  // namespace
