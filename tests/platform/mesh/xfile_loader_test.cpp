// Loading small .x files written for the tests: each case file under cases/
// must give its expected dump in the text, binary and compressed encodings.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/mesh/xfile_compression.h"
#include "xfile_test_support.h"

namespace {

std::string Describe(const LoadOutcome& outcome) {
  if (!outcome.ok) return "error: " + outcome.error + "\n";
  std::string text = DumpHierarchy(outcome.hierarchy.root);
  for (const std::string& warning : outcome.hierarchy.warnings) text += "warning: " + warning + "\n";
  const AnimationController* controller = outcome.hierarchy.animationController.get();
  text += "animation sets: " +
          std::to_string(controller ? controller->GetNumAnimationSets() : 0) + "\n";
  return text;
}

TEST(XFileLoader, CaseFilesLoadAlikeInEveryEncoding) {
  const std::filesystem::path dir = std::filesystem::path(T3D_SOURCE_DIR) / "tests/platform/mesh/cases";
  const bool update = std::getenv("T3D_UPDATE_GOLDEN") != nullptr;
  int cases = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    if (entry.path().extension() != ".x") continue;
    ++cases;
    std::vector<std::uint8_t> text;
    ASSERT_TRUE(ReadWholeFile(entry.path().string(), &text));
    const std::vector<std::uint8_t> binary =
        TextToBinary(std::string_view(reinterpret_cast<const char*>(text.data()), text.size()));
    struct Form {
      const char* name;
      std::vector<std::uint8_t> bytes;
    } forms[] = {{"text", text},
                 {"binary", binary},
                 {"compressed text", CompressXFile(text)},
                 {"compressed binary", CompressXFile(binary)}};
    std::filesystem::path expectedPath = entry.path();
    expectedPath.replace_extension(".expected");
    LoadOutcome first;
    Load(text, &first);
    const std::string got = Describe(first);
    if (update) {
      std::ofstream(expectedPath, std::ios::binary) << got;
    }
    std::vector<std::uint8_t> expected;
    ReadWholeFile(expectedPath.string(), &expected);
    EXPECT_EQ(std::string(expected.begin(), expected.end()), got) << entry.path().filename();
    for (const Form& form : forms) {
      LoadOutcome outcome;
      Load(form.bytes, &outcome);
      EXPECT_EQ(got, Describe(outcome)) << entry.path().filename() << " as " << form.name;
    }
  }
  EXPECT_GE(cases, 3);
}

}  // namespace
