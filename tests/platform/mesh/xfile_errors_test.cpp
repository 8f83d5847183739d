// Malformed binary and compressed .x files are refused with a message saying
// what and where, and never read or write out of bounds (the sanitizer build
// runs these too). Malformed text files are case files (xfile_loader_test).
#include <gtest/gtest.h>

#include <cstring>

#include "platform/mesh/xfile_compression.h"
#include "xfile_test_support.h"

namespace {

const char* const kTriangle = "3; 0.0;0.0;0.0;, 1.0;0.0;0.0;, 0.0;1.0;0.0;;\n";

std::string Text(const std::string& body) { return "xof 0303txt 0032\n" + body; }

std::vector<std::uint8_t> BinaryFile(std::initializer_list<std::uint8_t> body) {
  std::vector<std::uint8_t> file = Bytes("xof 0303bin 0032");
  file.insert(file.end(), body);
  return file;
}

TEST(XFileErrors, MalformedBinaryStreamsAreRefused) {
  const struct {
    const char* what;
    std::vector<std::uint8_t> file;
    const char* error;
  } cases[] = {
      {"name longer than the data", BinaryFile({1, 0, 200, 0, 0, 0, 'F', 'r'}),
       "name or string runs past the end of the data (offset 16)"},
      {"integer list longer than the data",
       BinaryFile({1, 0, 4, 0, 0, 0, 'M', 'e', 's', 'h', 10, 0, 6, 0, 0, 0, 0, 64, 1, 0, 0, 0}),
       "list count runs past the end of the data (offset 28)"},
      {"unknown token code", BinaryFile({99, 0}), "unknown binary token (offset 16)"},
      {"GUID cut short", BinaryFile({5, 0, 1, 2, 3}), "GUID runs past the end of the data (offset 16)"},
  };
  for (const auto& c : cases) {
    LoadOutcome outcome;
    Load(c.file, &outcome);
    EXPECT_FALSE(outcome.ok) << c.what;
    EXPECT_EQ(c.error, outcome.error) << c.what;
  }
}

TEST(XFileErrors, DamagedCompressedFilesAreRefused) {
  const std::vector<std::uint8_t> good =
      CompressXFile(Bytes(Text(std::string("Mesh M {") + kTriangle + "1; 3;0,1,2;; }")));
  ASSERT_GT(good.size(), 26u);
  auto changed = [&](std::size_t at, std::uint8_t value) {
    std::vector<std::uint8_t> copy = good;
    copy[at] = value;
    return copy;
  };
  std::vector<std::uint8_t> truncated(good.begin(), good.end() - 3);
  std::vector<std::uint8_t> headerOnly(good.begin(), good.begin() + 20);
  const struct {
    const char* what;
    std::vector<std::uint8_t> file;
    const char* error;
  } cases[] = {
      {"no CK mark", changed(24, 'X'), "compressed block does not start with \"CK\""},
      {"block past the end", truncated, "compressed block runs past the end of the file"},
      {"no block at all", headerOnly, "compressed .x file is truncated"},
      {"declared size below the header", changed(16, 3), "compressed .x file declares an impossible size"},
      {"declared size past the limit", changed(19, 0x7F), "compressed .x file declares an impossible size"},
      {"block larger than the file says", changed(16, static_cast<std::uint8_t>(good[16] - 1)),
       "compressed block sizes disagree with the file size"},
      {"corrupt deflate data", changed(26, 0xFF), "compressed block is corrupt or has the wrong size"},
  };
  for (const auto& c : cases) {
    LoadOutcome outcome;
    Load(c.file, &outcome);
    EXPECT_FALSE(outcome.ok) << c.what;
    EXPECT_EQ(c.error, outcome.error) << c.what;
  }
  LoadOutcome intact;
  Load(good, &intact);
  EXPECT_TRUE(intact.ok) << intact.error;
}

}  // namespace
