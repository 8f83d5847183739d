// Loading small .x files written for the tests: each case file under cases/
// must give its expected dump in the text, binary and compressed encodings;
// each malformed text file under cases/errors/ must be refused with the
// expected message saying what and where (the sanitizer build runs these
// too, so they never read or write out of bounds).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/mesh/xfile_compression.h"
#include "support/case_files.h"
#include "xfile_test_support.h"

namespace {

namespace fs = std::filesystem;

const fs::path kCases = fs::path(T3D_SOURCE_DIR) / "tests/platform/mesh/cases";

std::string Describe(const LoadOutcome& outcome) {
  if (!outcome.ok) {
    EXPECT_EQ(nullptr, outcome.hierarchy.root);
    return "error: " + outcome.error + "\n";
  }
  std::string text = DumpHierarchy(outcome.hierarchy.root);
  for (const std::string& warning : outcome.hierarchy.warnings) text += "warning: " + warning + "\n";
  const AnimationController* controller = outcome.hierarchy.animationController.get();
  text += "animation sets: " +
          std::to_string(controller ? controller->GetNumAnimationSets() : 0) + "\n";
  return text;
}

// The text of the case NAME.x in `folder` loaded, compared with NAME.expected
// (T3D_UPDATE_GOLDEN=1 rewrites that file, for review before committing).
std::string LoadAndCompare(const fs::path& folder, const std::string& name) {
  LoadOutcome outcome;
  Load(Bytes(ReadTextFile(folder / (name + ".x"))), &outcome);
  const std::string got = Describe(outcome);
  const fs::path expected = folder / (name + ".expected");
  if (std::getenv("T3D_UPDATE_GOLDEN") != nullptr) std::ofstream(expected, std::ios::binary) << got;
  EXPECT_EQ(ReadTextFile(expected), got) << name;
  return got;
}

TEST(XFileLoader, CaseFilesLoadAlikeInEveryEncoding) {
  const std::vector<std::string> names = ListCases(kCases, ".x");
  EXPECT_GE(names.size(), 3u);
  for (const std::string& name : names) {
    const std::string got = LoadAndCompare(kCases, name);
    const std::vector<std::uint8_t> text = Bytes(ReadTextFile(kCases / (name + ".x")));
    const std::vector<std::uint8_t> binary =
        TextToBinary(std::string_view(reinterpret_cast<const char*>(text.data()), text.size()));
    struct Form {
      const char* name;
      std::vector<std::uint8_t> bytes;
    } forms[] = {{"binary", binary}, {"compressed text", CompressXFile(text)}, {"compressed binary", CompressXFile(binary)}};
    for (const Form& form : forms) {
      LoadOutcome outcome;
      Load(form.bytes, &outcome);
      EXPECT_EQ(got, Describe(outcome)) << name << " as " << form.name;
    }
  }
}

TEST(XFileLoader, MalformedTextFilesAreRefusedWithTheirReason) {
  const std::vector<std::string> names = ListCases(kCases / "errors", ".x");
  EXPECT_GE(names.size(), 20u);
  for (const std::string& name : names) EXPECT_EQ(0u, LoadAndCompare(kCases / "errors", name).rfind("error: ", 0));
}

}  // namespace
