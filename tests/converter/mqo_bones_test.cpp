// Data-driven cases of the bone and weight steps, in bone_cases/: NAME.mqo is
// read, its normals, bones and weights are computed and its skin welded; the
// bones and the welded skin, dumped as text, must equal NAME.bones.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>

#include "converter/model_dump.h"
#include "converter/mqo_bones.h"
#include "converter/mqo_reader.h"
#include "support/case_files.h"

namespace {

namespace fs = std::filesystem;

const fs::path kCases = fs::path(T3D_SOURCE_DIR) / "tests/converter/bone_cases";

std::string DumpBones(const XConverter& model) {
  std::string out;
  auto number = [&out](float value) { out += " " + DumpNumber(value); };
  for (std::size_t i = 0; i < model.bones.size(); ++i) {
    const BoneNode& b = model.bones[i];
    out += "bone " + std::to_string(i) + " \"" + b.name + "\" head";
    for (float value : b.head) number(value);
    out += " tail";
    for (float value : b.tail) number(value);
    out += " parent " + std::to_string(b.parent) + "\n";
  }
  return out;
}

std::string DumpSkin(const XConverter& model) {
  std::string out;
  auto number = [&out](float value) { out += " " + DumpNumber(value); };
  for (const MqoObject& o : model.objects) {
    if (std::string(o.name).rfind("body", 0) != 0) continue;
    out += "skin \"" + std::string(o.name) + "\" vertices " + std::to_string(o.vertices.size()) + "\n";
    for (const MqoVertex& v : o.vertices) {
      out += " v";
      for (float value : {v.x, v.y, v.z}) number(value);
      out += " n";
      for (float value : {v.nx, v.ny, v.nz}) number(value);
      out += " uv";
      number(v.u);
      number(v.v);
      out += " w";
      for (std::size_t s = 0; s < v.bones.size(); ++s)
        if (v.bones[s] != 0) out += " " + std::to_string(v.bones[s]) + ":" + DumpNumber(v.weights[s]);
      out += "\n";
    }
    for (const MqoFace& f : o.faces) {
      out += " f";
      for (int c = 0; c < f.cornerCount; ++c) out += " " + std::to_string(f.vertices[c]);
      out += "\n";
    }
  }
  return out;
}

std::string Convert(const std::string& text) {
  XConverter model;
  if (!ReadMqoText(text.c_str(), model)) return "read failed\n";
  ComputeBodyNormals(model);
  if (!BuildBones(model)) return "no bones\n";
  const int unweighted = ComputeWeights(model);
  if (!WeldBodyVertices(model)) return "weld failed\n";
  return DumpBones(model) + "unweighted " + std::to_string(unweighted) + "\n" + DumpSkin(model);
}

class BoneCase : public testing::TestWithParam<std::string> {};

TEST_P(BoneCase, BonesAndSkinMatchExpected) {
  const fs::path expected = kCases / (GetParam() + ".bones");
  ASSERT_TRUE(fs::exists(expected)) << "missing " << expected;
  EXPECT_EQ(ReadTextFile(expected), Convert(ReadTextFile(kCases / (GetParam() + ".mqo"))));
}

INSTANTIATE_TEST_SUITE_P(Cases, BoneCase, testing::ValuesIn(ListCases(kCases, ".mqo")),
                         [](const testing::TestParamInfo<std::string>& param) { return param.param; });

TEST(SideName, BracketsBecomeTheSideOfX) {
  EXPECT_EQ("armR", SideName("arm[]", -3.0f));
  EXPECT_EQ("armR", SideName("arm[]", 0.0f));
  EXPECT_EQ("armL", SideName("arm[]x", 2.0f));
  EXPECT_EQ("arm[", SideName("arm[", 2.0f));
}

// More triangles than the skeleton may hold fail instead of growing without end.
TEST(BuildBones, TooManyTrianglesFail) {
  std::string text = "Material 1 {\n\"b\" col(1 1 1 1)\n}\nObject \"bone\" {\nvertex 3 {\n0 0 0\n0 1 0\n1 0 0\n}\nface " +
                     std::to_string(kMaxBoneNodes) + " {\n";
  for (int i = 0; i < kMaxBoneNodes; ++i) text += "3 V(0 1 2) M(0)\n";
  text += "}\n}\n";
  XConverter model;
  ASSERT_TRUE(ReadMqoText(text.c_str(), model));
  EXPECT_FALSE(BuildBones(model));
}

// One colour naming more bones than a vertex may hold returns only the first
// kMaxBonesPerColour, and the vertex keeps its first ten.
TEST(BonesForColour, BoneCountIsBounded) {
  XConverter model;
  model.materials.resize(1);
  std::string name = "#";
  model.bones.resize(1 + 80);
  for (int i = 1; i <= 80; ++i) {
    std::snprintf(model.bones[static_cast<std::size_t>(i)].name, kMqoNameSize, "b%d", i);
    name += (i > 1 ? "+b" : "b") + std::to_string(i);
  }
  std::snprintf(model.materials[0].name, kMqoNameSize, "%s", name.c_str());
  std::int32_t out[kMaxBonesPerColour + 1] = {};
  ASSERT_EQ(kMaxBonesPerColour, BonesForColour(model, 0, 0.0f, out));
  EXPECT_EQ(1, out[0]);
  EXPECT_EQ(kMaxBonesPerColour, out[kMaxBonesPerColour - 1]);
  EXPECT_EQ(0, out[kMaxBonesPerColour]);
}

// The message for an unweighted vertex shows its coordinates cut to integers;
// ones no integer holds must not make that cut undefined.
TEST(ComputeWeights, HugeCoordinatesOfUnweightedVerticesAreReported) {
  XConverter model;
  ASSERT_TRUE(ReadMqoText("Object \"body\" {\nvertex 3 {\n1e30 -1e30 0\n0 1 0\n1 0 0\n}\nface 1 {\n3 V(0 1 2)\n}\n}\n",
                          model));
  EXPECT_EQ(3, ComputeWeights(model));
  EXPECT_TRUE(model.weightsComputed);
}

}  // namespace
