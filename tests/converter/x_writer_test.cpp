// The .x writer's numbers and its file: "%0.5f" exactly as printf prints it,
// and a file replaced only when written whole.
#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include "converter/mqo_bones.h"
#include "converter/mqo_reader.h"
#include "converter/x_text.h"
#include "converter/x_writer.h"
#include "platform/system/content_path.h"
#include "platform/system/temp_folder.h"
#include "support/case_files.h"

namespace {

namespace fs = std::filesystem;

std::string Printf(float value) {
  char text[400];
  std::snprintf(text, sizeof text, "%0.5f", static_cast<double>(value));
  return text;
}

std::string Fixed5(float value) {
  std::string out;
  AppendFixed5(out, value);
  return out;
}

// Ties at the fifth decimal (multiples of 1/64 with an odd last digit), both
// zeros, values just around the fast range's end, the smallest and largest
// floats, and a sweep of bit patterns.
TEST(AppendFixed5, PrintsAsPrintfDoes) {
  std::vector<float> values = {0.0f, -0.0f, 0.015625f, -0.015625f, 0.046875f, 0.078125f, 1.5f / 64.0f, 0.000005f,
                               -0.000005f, 0.0000049f, 1e-8f, -1e-8f, 123456.789f, 9.99999e12f, 1e13f, -1e13f,
                               FLT_MAX, -FLT_MAX, FLT_MIN, std::numeric_limits<float>::denorm_min(), 0.99999994f,
                               std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity(),
                               std::numeric_limits<float>::quiet_NaN()};
  for (int k = 0; k < 4096; ++k) values.push_back(static_cast<float>(k) / 64.0f + 1.0f / 128.0f);
  std::uint32_t bits = 1;
  for (int i = 0; i < 50000; ++i) {
    bits = bits * 1664525u + 1013904223u;
    float value;
    std::memcpy(&value, &bits, sizeof value);
    values.push_back(value);
    // The same digits moved near 1, where models have their numbers.
    if (std::isfinite(value) && value != 0.0f) values.push_back(std::ldexp(value, -std::ilogb(value) + i % 40 - 20));
  }
  for (float value : values) ASSERT_EQ(Printf(value), Fixed5(value)) << "bits " << std::hexfloat << value;
}

class WriteXFile : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(temp_.path().empty());
    temp_.Write("program/Template.x", "xof 0303txt 0032\r\n");
    SetProgramDir((folder_ / "program").string());
    ASSERT_TRUE(ReadMqoFile(std::string(T3D_SOURCE_DIR) + "/tests/converter/golden/one_triangle.mqo", model_));
    ComputeBodyNormals(model_);
    ASSERT_TRUE(BuildBones(model_));
    ComputeWeights(model_);
    ASSERT_TRUE(WeldBodyVertices(model_));
  }
  void TearDown() override { SetProgramDir(""); }
  std::vector<std::string> Listing(const fs::path& folder) const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  TempFolder temp_;
  const fs::path folder_ = fs::path(temp_.path()).parent_path();
  XConverter model_;
};

// Any failure leaves the old file as it was and no temporary file beside it.
TEST_F(WriteXFile, AFailedWriteLeavesTheOldFile) {
  struct Case {
    const char* what;
    std::string programDir;
    std::string target;
    const char* error;
  };
  const Case cases[] = {
      {"no template", (folder_ / "elsewhere").string(), (folder_ / "m.x").string(),
       "\"Template.x\" cannot be read from the program folder"},
      {"no such folder", (folder_ / "program").string(), (folder_ / "none" / "m.x").string(),
       "the .x file cannot be written"},
      {"a folder in the way", (folder_ / "program").string(), (folder_ / "dir.x").string(),
       "the .x file cannot be written"},
  };
  fs::create_directories(folder_ / "elsewhere");
  fs::create_directories(folder_ / "dir.x");
  for (const Case& c : cases) {
    std::ofstream(folder_ / "m.x", std::ios::binary) << "old";
    SetProgramDir(c.programDir);
    std::string error;
    EXPECT_FALSE(WriteX(model_, c.target, &error)) << c.what;
    EXPECT_EQ(c.error, error) << c.what;
    EXPECT_EQ("old", ReadTextFile(folder_ / "m.x")) << c.what;
    EXPECT_EQ((std::vector<std::string>{"dir.x", "elsewhere", "m.x", "program"}), Listing(folder_)) << c.what;
  }
}

// However deep the game's folder lies, its template is read: the system's
// name bounds count the content's names, never the folder the game is in.
TEST_F(WriteXFile, ReadsTheTemplateOfAFolderPastTheSystemsNameBound) {
  fs::path deep = folder_;
  for (int i = 0; i < 3; ++i) deep /= std::string(120, 'd');
  fs::create_directories(deep);
  std::ofstream(deep / "Template.x", std::ios::binary) << "xof 0303txt 0032\r\n";
  SetProgramDir(deep.string());
  std::string error;
  ASSERT_TRUE(WriteX(model_, (deep / "m.x").string(), &error)) << error;
  EXPECT_EQ("xof 0303txt 0032\r\n" + WriteXText(model_), ReadTextFile(deep / "m.x"));
}

// The file a class names is replaced where it lies, whatever the letter case
// of the name; the text follows the template.
TEST_F(WriteXFile, ReplacesTheFileOfAnyLetterCase) {
  std::ofstream(folder_ / "Model.X", std::ios::binary) << "old";
  std::string error;
  ASSERT_TRUE(WriteX(model_, (folder_ / "model.x").string(), &error)) << error;
  EXPECT_EQ((std::vector<std::string>{"Model.X", "program"}), Listing(folder_));
  EXPECT_EQ("xof 0303txt 0032\r\n" + WriteXText(model_), ReadTextFile(folder_ / "Model.X"));
}

}  // namespace
