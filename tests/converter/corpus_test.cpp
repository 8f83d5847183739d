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
  struct Case {
    const char* file;
    const char* summary;
  };
  const Case cases[] = {
      {"simple.mqo", ""},
      {"multiple_objects.mqo", "object 'obj1' vertices 8 faces 6\nobject 'obj2' vertices 42 faces 60\n"},
      {"multiple_materials.mqo", "material 'mat1' tex ''\nmaterial 'mat2' tex ''\nobject 'obj1' vertices 8 faces 6\n"},
      {"texture.mqo", "material 'mat1' tex 'texture.png'\nobject 'obj1' vertices 8 faces 6\n"},
      {"vertexattr.mqo", "object 'obj1' vertices 8 faces 6\n"},
  };
  for (const Case& c : cases) {
    const std::string path = (dir / c.file).string();
    XConverter model;
    std::string error;
    ASSERT_TRUE(ReadMqoFile(path, model, &error)) << c.file << ": " << error;
    EXPECT_EQ(c.summary, Summary(model)) << c.file;
    const std::string x = (fs::temp_directory_path() / "t3d_corpus_never_written.x").string();
    EXPECT_FALSE(ConvertMqoToX(path, x, 1, 1, -1, &error)) << c.file;
    EXPECT_EQ("the model has no object named \"body\"", error) << c.file;
    EXPECT_FALSE(fs::exists(x)) << c.file;
  }
}

}  // namespace
