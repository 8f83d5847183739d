// Data-driven cases of the bone and weight steps, in bone_cases/: NAME.mqo is
// read, its normals, bones and weights are computed and its skin welded; the
// bones, the messages of the weights and the welded skin, dumped as text, must
// equal NAME.bones. A message for an unweighted vertex shows its coordinates
// cut to integers, ones no integer holds too.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "converter/model_dump.h"
#include "converter/mqo_bones.h"
#include "converter/mqo_reader.h"
#include "platform/math/vector.h"
#include "support/case_files.h"

namespace {

namespace fs = std::filesystem;

const fs::path kCases = fs::path(T3D_SOURCE_DIR) / "tests/converter/bone_cases";

std::string DumpBones(const XConverter& model) {
  std::string out;
  for (std::size_t i = 0; i < model.bones.size(); ++i) {
    const BoneNode& b = model.bones[i];
    out += "bone " + std::to_string(i) + " \"" + b.name + "\" head" + DumpNumbers(b.head) + " tail" +
           DumpNumbers(b.tail) + " parent " + std::to_string(b.parent) + "\n";
  }
  return out;
}

std::string DumpSkin(const XConverter& model) {
  std::string out;
  for (const MqoObject& o : model.objects) {
    if (std::string(o.name).rfind("body", 0) != 0) continue;
    out += "skin \"" + std::string(o.name) + "\" vertices " + std::to_string(o.vertices.size()) + "\n";
    for (const MqoVertex& v : o.vertices) {
      out += " v" + DumpNumbers({v.x, v.y, v.z}) + " n" + DumpNumbers({v.nx, v.ny, v.nz}) + " uv" +
             DumpNumbers({v.u, v.v}) + " w";
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
  std::string messages;
  for (const std::string& message : ComputeWeights(model)) messages += "message " + message + "\n";
  if (!model.weightsComputed) messages += "weights not computed\n";
  if (!WeldBodyVertices(model)) return "weld failed\n";
  return DumpBones(model) + messages + DumpSkin(model);
}

class BoneCase : public testing::TestWithParam<std::string> {};

TEST_P(BoneCase, BonesAndSkinMatchExpected) {
  const std::string actual = Convert(ReadTextFile(kCases / (GetParam() + ".mqo")));
  EXPECT_EQ(GoldenText(kCases / (GetParam() + ".bones"), actual), actual);
}

INSTANTIATE_TEST_SUITE_P(Cases, BoneCase, testing::ValuesIn(ListCases(kCases, ".mqo")),
                         [](const testing::TestParamInfo<std::string>& param) { return param.param; });

// Repeatable numbers below `range`, as the C library's rand() gives them.
struct Lcg {
  std::uint32_t seed;
  int operator()(int range) {
    seed = seed * 214013u + 2531011u;
    return static_cast<int>((seed >> 16) & 0x7FFF) % range;
  }
};

MqoObject& AddBody(XConverter& model) {
  MqoObject& body = model.objects.emplace_back();
  std::snprintf(body.name, sizeof body.name, "body");
  return body;
}

// The smoothing as its rule states it, every corner against every corner, in
// face and corner order; the grid that finds near corners must give the same
// bits. Corners come from a small pool of points spaced about the near
// distance apart, so many pairs lie near the limit and across cell borders.
TEST(ComputeBodyNormals, GridGivesThePairwiseSums) {
  Lcg next{12345};
  XConverter model;
  MqoObject& body = AddBody(model);
  for (int i = 0; i < 300; ++i) {
    MqoVertex& v = body.vertices.emplace_back();
    v.x = static_cast<float>(next(40)) * 0.07f - 1.0f;
    v.y = static_cast<float>(next(40)) * 0.07f - 1.0f;
    v.z = static_cast<float>(next(4)) * 0.11f;
  }
  for (int f = 0; f < 800; ++f) {
    MqoFace& face = body.faces.emplace_back();
    face.cornerCount = 3 + next(2);
    for (int c = 0; c < face.cornerCount; ++c) face.vertices[static_cast<std::size_t>(c)] = next(300);
  }
  ComputeBodyNormals(model);  // facet 0: the face normals alone
  std::vector<std::pair<Vector3, Vector3>> corners;  // position, face normal
  for (const MqoFace& face : body.faces)
    for (int c = 0; c < face.cornerCount; ++c) {
      const MqoVertex& v = body.vertices[static_cast<std::size_t>(face.vertices[static_cast<std::size_t>(c)])];
      const auto& n = face.normals[static_cast<std::size_t>(c)];
      corners.push_back({{v.x, v.y, v.z}, {n[0], n[1], n[2]}});
    }
  std::vector<Vector3> expected;
  for (const auto& [p, a] : corners) {
    Vector3 sum{0, 0, 0};
    for (const auto& [q, b] : corners) {
      if (!(std::fabs(p.x - q.x) + std::fabs(p.y - q.y) + std::fabs(p.z - q.z) < 0.1f * 3.0f)) continue;
      if (std::acos(std::clamp(Vec3Dot(a, b), -1.0f, 1.0f)) * 57.295776f < 50.0f) sum = Vec3Normalize(sum + b);
    }
    expected.push_back(sum);
  }

  body.facet = 50.0f;
  ComputeBodyNormals(model);
  std::size_t k = 0;
  for (const MqoFace& face : body.faces)
    for (int c = 0; c < face.cornerCount; ++c, ++k) {
      const auto& n = face.normals[static_cast<std::size_t>(c)];
      ASSERT_TRUE(n[0] == expected[k].x && n[1] == expected[k].y && n[2] == expected[k].z) << "corner " << k;
    }
}

// Welding as its rule states it: every corner's record sorted (stably), the
// first of each run of equal records kept. Corners share vertices, equal
// records come from different vertices too, and zeros of both signs (equal,
// but printed apart) show which record of a run was kept.
TEST(WeldBodyVertices, KeepsTheFirstRecordOfEachRunInSortedOrder) {
  Lcg next{777};
  const float values[] = {0.0f, -0.0f, 0.5f, 1.0f};
  XConverter model;
  MqoObject& body = AddBody(model);
  for (int i = 0; i < 60; ++i) {
    MqoVertex& v = body.vertices.emplace_back();
    v.x = values[next(4)];
    v.y = values[next(4)];
    v.bones[0] = next(3);
    v.weights[0] = v.bones[0] != 0 ? 1.0f : 0.0f;
  }
  for (int f = 0; f < 400; ++f) {
    MqoFace& face = body.faces.emplace_back();
    face.cornerCount = 3;
    for (std::size_t c = 0; c < 3; ++c) {
      face.vertices[c] = next(60);
      face.normals[c] = {values[next(2)], 0.0f, 1.0f};
      face.u[c] = values[next(3)];
    }
  }
  using Record = std::array<float, 8 + 2 * kMqoMaxInfluences>;
  std::vector<Record> records;
  for (const MqoFace& face : body.faces)
    for (std::size_t c = 0; c < 3; ++c) {
      const MqoVertex& v = body.vertices[static_cast<std::size_t>(face.vertices[c])];
      Record r{v.x, v.y, v.z, face.normals[c][0], face.normals[c][1], face.normals[c][2], face.u[c], face.v[c]};
      for (std::size_t s = 0; s < kMqoMaxInfluences; ++s) {
        r[8 + 2 * s] = static_cast<float>(v.bones[s]);
        r[9 + 2 * s] = v.weights[s];
      }
      records.push_back(r);
    }
  std::vector<std::size_t> order(records.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return records[a] < records[b]; });
  std::vector<Record> kept;
  std::vector<std::size_t> index(records.size());
  for (std::size_t i : order) {
    if (kept.empty() || kept.back() < records[i] || records[i] < kept.back()) kept.push_back(records[i]);
    index[i] = kept.size() - 1;
  }

  ASSERT_TRUE(WeldBodyVertices(model));
  auto bits = DumpNumber;  // "-0" apart from "0"
  std::string expected, actual;
  for (const Record& r : kept) expected += bits(r[0]) + " " + bits(r[1]) + " " + bits(r[3]) + " " + bits(r[6]) + "\n";
  for (const MqoVertex& v : body.vertices)
    actual += bits(v.x) + " " + bits(v.y) + " " + bits(v.nx) + " " + bits(v.u) + "\n";
  EXPECT_EQ(expected, actual);
  std::size_t k = 0;
  for (const MqoFace& face : body.faces)
    for (std::size_t c = 0; c < 3; ++c, ++k)
      ASSERT_EQ(index[k], static_cast<std::size_t>(face.vertices[c])) << "corner " << k;
}

TEST(SideName, BracketsBecomeTheSideOfX) {
  EXPECT_EQ("armR", SideName("arm[]", -3.0f));
  EXPECT_EQ("armR", SideName("arm[]", 0.0f));
  EXPECT_EQ("armL", SideName("arm[]x", 2.0f));
  EXPECT_EQ("arm[", SideName("arm[", 2.0f));
}

// More triangles than the skeleton may hold fail instead of growing without end.
TEST(BuildBones, TooManyTrianglesFail) {
  std::string text = "Material 1 {\n\"b\" col(1 1 1 1)\n}\nObject \"bone\" {\nvertex 3 {\n0 0 0\n0 1 0\n1 0 0\n}\n"
                     "face " + std::to_string(kMaxBoneNodes) + " {\n";
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

}  // namespace
