// Golden class files in golden/ (see golden/README): each NAME.txt is loaded
// and written back; canonical_*.txt must come back byte for byte, the others
// as NAME.written. Every written form must also read back to itself.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/case_files.h"
#include "files/markup_writer.h"
#include "motion/object_class.h"

namespace {

namespace fs = std::filesystem;

const fs::path kGolden = fs::path(T3D_SOURCE_DIR) / "tests/motion/golden";

std::vector<std::string> GoldenNames() {
  return ListCases(kGolden, ".txt");
}

std::string Written(ObjectClass& objectClass) {
  MarkupWriter writer;
  objectClass.Write(writer);
  return std::string(writer.GetView());
}

// Every motion has one track per frame node, named after it, whatever the
// order of the elements was.
void ExpectTracksMatchFrames(ObjectClass& objectClass) {
  for (int m = 0; m < objectClass.MotionCount(); ++m) {
    const Motion& motion = *objectClass.MotionAt(m);
    ASSERT_EQ(motion.TrackCount(), objectClass.FrameCount()) << motion.GetName();
    for (int t = 0; t < motion.TrackCount(); ++t)
      EXPECT_STREQ(motion.FrameAt(t)->GetName(), objectClass.FrameNodeAt(t)->GetName());
  }
}

bool IsCanonical(const std::string& name) { return name.rfind("canonical_", 0) == 0; }

class GoldenClassFile : public testing::TestWithParam<std::string> {};

TEST_P(GoldenClassFile, WrittenBackAsExpectedAndReadsBackToItself) {
  const fs::path input = kGolden / (GetParam() + ".txt");
  ObjectClass objectClass;
  ASSERT_TRUE(objectClass.Load(input.string()));
  ExpectTracksMatchFrames(objectClass);
  const std::string written = Written(objectClass);

  const fs::path expected = IsCanonical(GetParam()) ? input : kGolden / (GetParam() + ".written");
  // OBJECT_CLASS_GOLDEN_WRITE=1 rewrites the expected forms (never the
  // canonical inputs) for review before committing.
  if (!IsCanonical(GetParam()) && std::getenv("OBJECT_CLASS_GOLDEN_WRITE") != nullptr)
    std::ofstream(expected, std::ios::binary) << written;
  ASSERT_TRUE(fs::exists(expected)) << "missing " << expected;
  EXPECT_EQ(ReadTextFile(expected), written);

  ObjectClass again;
  ASSERT_TRUE(again.LoadText(written.c_str(), input.string()));
  EXPECT_EQ(Written(again), written);
}

INSTANTIATE_TEST_SUITE_P(Golden, GoldenClassFile, testing::ValuesIn(GoldenNames()),
                         [](const testing::TestParamInfo<std::string>& param) { return param.param; });

TEST(GoldenClassFile, NewClassWritesItsDefaults) {
  ObjectClass objectClass;
  EXPECT_EQ(ReadTextFile(kGolden / "new_class.written"), Written(objectClass));
}

}  // namespace
