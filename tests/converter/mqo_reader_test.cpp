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
  const std::string model = ReadAndDump(kCases / (GetParam() + ".mqo"));
  EXPECT_EQ(GoldenText(kCases / (GetParam() + ".model"), model), model);
}

INSTANTIATE_TEST_SUITE_P(Cases, MqoCase, testing::ValuesIn(ListCases(kCases, ".mqo")),
                         [](const testing::TestParamInfo<std::string>& param) { return param.param; });

TEST(MqoReader, MissingFileFails) {
  XConverter model;
  EXPECT_FALSE(ReadMqoFile((kCases / "no_such_model.mqo").string(), model));
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
