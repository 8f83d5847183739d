// Malformed .x files are refused with a message saying what and where, and
// never read or write out of bounds (the sanitizer build runs these too).
#include <gtest/gtest.h>

#include <cstring>

#include "platform/mesh/xfile_compression.h"
#include "xfile_test_support.h"

namespace {

const char* const kTriangle = "3; 0.0;0.0;0.0;, 1.0;0.0;0.0;, 0.0;1.0;0.0;;\n";
const char* const kWhite = "Material { 1.0;1.0;1.0;1.0;; 0.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; }\n";

std::string Text(const std::string& body) { return "xof 0303txt 0032\n" + body; }

std::string Repeat(const std::string& part, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += part;
  return text;
}

TEST(XFileErrors, MalformedTextFilesAreRefusedWithTheirReason) {
  const struct {
    const char* what;
    std::string file;
    const char* error;
  } cases[] = {
      {"no header", "Frame A {}", "not a .x file (no \"xof \" header)"},
      {"unknown format", "xof 0303zzz 0032", "unknown format in the .x header"},
      {"unknown float size", "xof 0303txt 0016", "unknown float size in the .x header"},
      {"nothing to load", Text("template T { <3d82ab5e-62da-11cf-ab39-0020af71e433> DWORD a; }"),
       "the file has no frame and no mesh"},
      {"face index past the vertices", Text(std::string("Mesh M {") + kTriangle + "1; 3;0,1,3;; }"),
       "mesh 'M': face index 3 past the 3 vertices"},
      {"normal index past the normals",
       Text(std::string("Mesh M {") + kTriangle +
            "1; 3;0,1,2;; MeshNormals { 1; 0.0;0.0;1.0;; 1; 3;0,0,1;; } }"),
       "mesh 'M': normal index 1 past the 1 normals"},
      {"normal faces of another shape",
       Text(std::string("Mesh M {") + kTriangle +
            "1; 3;0,1,2;; MeshNormals { 1; 0.0;0.0;1.0;; 1; 4;0,0,0,0;; } }"),
       "mesh 'M': normal faces do not match the mesh faces"},
      {"material index past the materials",
       Text(std::string("Mesh M {") + kTriangle + "1; 3;0,1,2;; MeshMaterialList { 1; 1; 1;; " +
            kWhite + "} }"),
       "mesh 'M': material index 1 past the 1 materials"},
      {"fewer materials than declared",
       Text(std::string("Mesh M {") + kTriangle + "1; 3;0,1,2;; MeshMaterialList { 2; 1; 0;; " +
            kWhite + "} }"),
       "mesh 'M': declares 2 materials but gives 1"},
      {"colour for a vertex that does not exist",
       Text(std::string("Mesh M {") + kTriangle +
            "1; 3;0,1,2;; MeshVertexColors { 1; 5;1.0;1.0;1.0;1.0;;; } }"),
       "mesh 'M': vertex colour for vertex 5 past the 3 vertices"},
      {"vertex count past the data", Text("Mesh M { 5; 0.0;0.0;0.0;, 1.0;0.0;0.0;; }"),
       "expected a number for Mesh vertices (line 2)"},
      {"separators over several lines before a name", Text("Mesh M { 1;\n;\n,\n x }"),
       "expected a number for Mesh vertices (line 5)"},
      {"count too large to hold", Text("Mesh M { 4294967295; }"),
       "Mesh 'M' has too many vertices (line 2)"},
      {"negative count", Text("Mesh M { -1; }"),
       "expected a count or index for Mesh vertex count (line 2)"},
      {"file ends inside an object", Text("Frame A {\n Frame B {\n"),
       "unexpected end of file inside a data object (line 4)"},
      {"unterminated string", Text("Frame A {\n TextureFilename { \"abc; }\n}\n"),
       "unterminated string (line 3)"},
      {"reference to no material",
       Text(std::string("Mesh M {") + kTriangle + "1; 3;0,1,2;;\n MeshMaterialList { 1; 1; 0;; { Nope } } }"),
       "material reference 'Nope' names no material (line 4)"},
      {"nesting past the limit",
       Text(Repeat("Frame F {", 300)),
       "data objects nest too deeply (line 2)"},
      {"rotation key with three values",
       Text("Frame A {}\nAnimationSet S { Animation { {A} AnimationKey { 0; 1; 0;3;1.0,0.0,0.0;;; } } }"),
       "AnimationKey of type 0 with 3 values (line 3)"},
      {"unknown animation key type",
       Text("Frame A {}\nAnimationSet S { Animation { {A} AnimationKey { 7; 0; } } }"),
       "unknown AnimationKey type 7 (line 3)"},
      {"stray closing brace", Text("Frame A {}\n}\n"), "unexpected token at the top level (line 3)"},
  };
  for (const auto& c : cases) {
    LoadOutcome outcome;
    Load(Bytes(c.file), &outcome);
    EXPECT_FALSE(outcome.ok) << c.what;
    EXPECT_EQ(c.error, outcome.error) << c.what;
    EXPECT_EQ(nullptr, outcome.hierarchy.root) << c.what;
  }
}

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
