// The real .mqo files in the shared corpus, written by a current modeller:
// each reads whole (thumbnails, nested scene and vertex-attribute blocks,
// material groups the reader does not know), and, having no skin, converts to
// nothing with the reason said.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "converter/mqo_reader.h"
#include "converter/x_converter.h"
#include "support/case_files.h"

namespace {

namespace fs = std::filesystem;

std::string Summary(const XConverter& model) {
  std::string out;
  for (const MqoMaterial& m : model.materials)
    out += "material '" + std::string(m.name) + "' tex '" + m.texture + "'\n";
  for (const MqoObject& o : model.objects)
    out += "object '" + std::string(o.name) + "' vertices " + std::to_string(o.vertices.size()) + " faces " +
           std::to_string(o.faces.size()) + "\n";
  return out;
}

TEST(MqoCorpus, RealFilesReadAndLackASkin) {
  const fs::path dir = CorpusDir("mqo");
  if (dir.empty()) GTEST_SKIP() << "the corpus folder shared/corpus/mqo is absent";
  for (const auto& row : ReadTableRows(fs::path(T3D_SOURCE_DIR) / "tests/converter/corpus.rows")) {
    ASSERT_EQ(row.size(), 2u) << row[0];
    const std::string path = (dir / row[0]).string();
    XConverter model;
    std::string error;
    ASSERT_TRUE(ReadMqoFile(path, model, &error)) << row[0] << ": " << error;
    EXPECT_EQ(row[1], Summary(model)) << row[0];
    const std::string x = (fs::temp_directory_path() / "t3d_corpus_never_written.x").string();
    EXPECT_FALSE(ConvertMqoToX(path, x, 1, 1, -1, &error)) << row[0];
    EXPECT_EQ("the model has no object named \"body\"", error) << row[0];
    EXPECT_FALSE(fs::exists(x)) << row[0];
  }
}

}  // namespace
