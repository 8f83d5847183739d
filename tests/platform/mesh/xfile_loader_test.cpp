// Loading small .x files written for the tests: each case file under cases/
// must give its expected dump in the text, binary and compressed encodings,
// posed one second into its first animation; each malformed file (text files
// under cases/errors/, binary bodies in tables/binary_errors.rows, damaged
// compressed files) must be refused with the message saying what and where
// (the sanitizer build runs these too, so they never read or write out of
// bounds).
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/mesh/xfile_compression.h"
#include "support/case_files.h"
#include "xfile_test_support.h"

namespace {

namespace fs = std::filesystem;

const fs::path kMesh = fs::path(T3D_SOURCE_DIR) / "tests/platform/mesh";

// The case NAME.x in `folder` loaded, compared with NAME.expected.
std::string LoadAndCompare(const fs::path& folder, const std::string& name) {
  LoadOutcome outcome;
  Load(Bytes(ReadTextFile(folder / (name + ".x"))), &outcome);
  const std::string got = DescribeLoad(outcome);
  EXPECT_EQ(GoldenText(folder / (name + ".expected"), got), got) << name;
  return got;
}

TEST(XFileLoader, CaseFilesLoadAlikeInEveryEncoding) {
  const std::vector<std::string> names = ListCases(kMesh / "cases", ".x");
  EXPECT_GE(names.size(), 5u);
  for (const std::string& name : names) {
    const std::string got = LoadAndCompare(kMesh / "cases", name);
    const std::vector<std::uint8_t> text = Bytes(ReadTextFile(kMesh / "cases" / (name + ".x")));
    const std::vector<std::uint8_t> binary = TextToBinary(ReadTextFile(kMesh / "cases" / (name + ".x")));
    for (const auto& [form, bytes] : {std::pair{"binary", binary}, std::pair{"compressed text", CompressXFile(text)},
                                      std::pair{"compressed binary", CompressXFile(binary)}}) {
      LoadOutcome outcome;
      Load(bytes, &outcome);
      EXPECT_EQ(got, DescribeLoad(outcome)) << name << " as " << form;
    }
  }
}

TEST(XFileLoader, MalformedTextFilesAreRefusedWithTheirReason) {
  const std::vector<std::string> names = ListCases(kMesh / "cases/errors", ".x");
  EXPECT_GE(names.size(), 20u);
  for (const std::string& name : names)
    EXPECT_EQ(0u, LoadAndCompare(kMesh / "cases/errors", name).rfind("error: ", 0));
}

TEST(XFileLoader, MalformedBinaryStreamsAreRefused) {
  for (const auto& row : ReadTableRows(kMesh / "tables/binary_errors.rows")) {
    ASSERT_EQ(2u, row.size()) << row[0];
    std::vector<std::uint8_t> file = Bytes("xof 0303bin 0032"), body = HexBytes(row[0]);
    file.insert(file.end(), body.begin(), body.end());
    LoadOutcome outcome;
    Load(file, &outcome);
    EXPECT_EQ("error: " + row[1] + "\n", DescribeLoad(outcome)) << row[0];
  }
}

TEST(XFileLoader, DamagedCompressedFilesAreRefused) {
  const std::vector<std::uint8_t> good = CompressXFile(
      Bytes("xof 0303txt 0032\nMesh M {3; 0.0;0.0;0.0;, 1.0;0.0;0.0;, 0.0;1.0;0.0;;\n1; 3;0,1,2;; }"));
  ASSERT_GT(good.size(), 26u);
  const struct {
    const char* what;
    std::size_t size, at;
    std::uint8_t value;
    const char* error;
  } cases[] = {
      {"intact", good.size(), 0, good[0], nullptr},
      {"no CK mark", good.size(), 24, 'X', "compressed block does not start with \"CK\""},
      {"block past the end", good.size() - 3, 0, good[0], "compressed block runs past the end of the file"},
      {"no block at all", 20, 0, good[0], "compressed .x file is truncated"},
      {"declared size below the header", good.size(), 16, 3, "compressed .x file declares an impossible size"},
      {"declared size past the limit", good.size(), 19, 0x7F, "compressed .x file declares an impossible size"},
      {"block larger than the file says", good.size(), 16, static_cast<std::uint8_t>(good[16] - 1),
       "compressed block sizes disagree with the file size"},
      {"corrupt deflate data", good.size(), 26, 0xFF, "compressed block is corrupt or has the wrong size"},
  };
  for (const auto& c : cases) {
    std::vector<std::uint8_t> file(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(c.size));
    file[c.at] = c.value;
    LoadOutcome outcome;
    Load(file, &outcome);
    EXPECT_EQ(c.error ? "error: " + std::string(c.error) : "", outcome.ok ? "" : "error: " + outcome.error) << c.what;
  }
}

}  // namespace
