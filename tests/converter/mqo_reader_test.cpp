// Data-driven cases of the .mqo reader, in cases/: NAME.mqo is read and the
// model it yields, dumped as text, must equal NAME.model; a failed read is the
// single line "read failed: " and the reason.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "converter/mqo_reader.h"
#include "converter/model_dump.h"
#include "support/case_files.h"

namespace {

namespace fs = std::filesystem;

const fs::path kCases = fs::path(T3D_SOURCE_DIR) / "tests/converter/cases";

std::string ReadAndDump(const fs::path& path) {
  XConverter model;
  std::string error;
  if (!ReadMqoFile(path.string(), model, &error)) return "read failed: " + error + "\n";
  return DumpModel(model);
}

class MqoCase : public testing::TestWithParam<std::string> {};

TEST_P(MqoCase, ModelMatchesExpected) {
  const fs::path expected = kCases / (GetParam() + ".model");
  ASSERT_TRUE(fs::exists(expected)) << "missing " << expected;
  EXPECT_EQ(ReadTextFile(expected), ReadAndDump(kCases / (GetParam() + ".mqo")));
}

INSTANTIATE_TEST_SUITE_P(Cases, MqoCase, testing::ValuesIn(ListCases(kCases, ".mqo")),
                         [](const testing::TestParamInfo<std::string>& param) { return param.param; });

TEST(MqoReader, MissingFileFails) {
  XConverter model;
  EXPECT_FALSE(ReadMqoFile((kCases / "no_such_model.mqo").string(), model));
}

// Names longer than their fields are cut whole characters short of the field,
// never leaving half of a double-byte character before the terminator.
TEST(MqoReader, LongNamesAreCutOnCharacterBoundaries) {
  std::string longName = "a" + std::string(300, '\x82');  // 0x82 0x82 ... pairs after one byte
  std::string texture(400, 't');
  std::string text = "Material 1 {\n\"" + longName + "\" tex(\"" + texture + "\")\n}\nObject \"" + longName +
                     "\" {\nface 0 {\n}\n}\n";
  XConverter model;
  ASSERT_TRUE(ReadMqoText(text.c_str(), model));
  ASSERT_EQ(1u, model.materials.size());
  ASSERT_EQ(1u, model.objects.size());
  const std::string expectedName = "a" + std::string(254, '\x82');
  EXPECT_EQ(expectedName, model.materials[0].name);
  EXPECT_EQ(expectedName, model.objects[0].name);
  EXPECT_EQ(std::string(259, 't'), model.materials[0].texture);
}

// A lead byte right before the end of the text must not carry a scan past it.
TEST(MqoReader, LeadByteAtTheEndStopsCleanly) {
  for (const char* text : {"Object \"\x82", "Material 1 {\n\"\x82", "Object \"x\" {\nface 1 {\n3 V(0 1 2) \x82"}) {
    XConverter model;
    EXPECT_FALSE(ReadMqoText(text, model)) << text;
  }
}

// Every prefix of every case, as a file cut short anywhere would be: the read
// may fail, but what it keeps must index only what it read.
TEST(MqoReader, FilesCutAnywhereKeepIndicesInRange) {
  for (const std::string& name : ListCases(kCases, ".mqo")) {
    const std::string whole = ReadTextFile(kCases / (name + ".mqo"));
    for (std::size_t length = 0; length <= whole.size(); ++length) {
      const std::string text = whole.substr(0, length);
      XConverter model;
      if (!ReadMqoText(text.c_str(), model)) continue;
      for (const MqoObject& object : model.objects)
        for (const MqoFace& face : object.faces)
          for (int c = 0; c < face.cornerCount; ++c)
            ASSERT_LT(static_cast<std::size_t>(face.vertices[c]), object.vertices.size())
                << name << " cut at " << length;
    }
  }
}

}  // namespace
