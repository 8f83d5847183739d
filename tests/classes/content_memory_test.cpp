// What content makes the player hold, through the Scene and Sound members a
// game's script calls: one image file is decoded once for every character
// set and material that names it, under any of its names, and anew once it
// changes; images past their bound, and loads whose memory runs out, fail as
// a file that cannot be read fails, with one line each, and the game goes on.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "classes/class_runner.h"
#include "classes/script_classes.h"
#include "motion/model.h"
#include "motion/object_class.h"
#include "platform/image/image_memory.h"
#include "platform/system/error_lines.h"
#include "scene/scene.h"
#include "sound/sound_test_support.h"
#include "support/failing_allocations.h"
#include "support/game_folder.h"

namespace {

std::string Png(std::uint32_t width, std::uint32_t height, std::uint32_t color) {
  const std::vector<std::uint8_t> png = GameFolder::Png(width, height, [&](std::uint32_t, std::uint32_t) {
    return color;
  });
  return {png.begin(), png.end()};
}

// One triangle whose materials name these texture files.
std::string TexturedX(const std::vector<std::string>& textures) {
  std::string faces, materials, indices;
  for (std::size_t i = 0; i < textures.size(); ++i) {
    faces += (i ? ", " : "") + std::string("3;0,1,2;");
    indices += (i ? ", " : "") + std::to_string(i);
    materials += " Material { 1.0;1.0;1.0;1.0;; 0.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; TextureFilename { \"" +
                 textures[i] + "\"; } }\n";
  }
  const std::string n = std::to_string(textures.size());
  return "xof 0303txt 0032\nFrame Root { Mesh Tri { 3; 0.0;0.0;0.0;, 1.0;0.0;0.0;, 0.0;1.0;0.0;;\n " + n + "; " +
         faces + ";\n MeshMaterialList { " + n + "; " + n + "; " + indices + ";;\n" + materials + " } } }\n";
}

// A mesh of `count` separate triangles: its vertices take far more memory
// loaded than its text does.
std::string ManyTrianglesX(int count) {
  std::string positions, faces;
  for (int i = 0; i < count; ++i) {
    const std::string x = std::to_string(i);
    positions += x + ";0;0;," + x + ";1;0;," + x + ";0;1;" + (i + 1 < count ? "," : ";");
    faces += "3;" + std::to_string(3 * i) + "," + std::to_string(3 * i + 1) + "," + std::to_string(3 * i + 2) +
             ";" + (i + 1 < count ? "," : ";");
  }
  return "xof 0303txt 0032\nFrame Root { Mesh M { " + std::to_string(3 * count) + "; " + positions + "\n" +
         std::to_string(count) + "; " + faces + " } }\n";
}

std::string ClassFile(const std::string& model) {
  return "<MotionObject>\n <Name value=\"Box\"/>\n <MeshFile value=\"" + model + "\"/>\n</MotionObject>\n";
}

class ContentMemoryTest : public testing::Test {
 protected:
  void SetUp() override {
    UseGameScriptClasses();
    ASSERT_TRUE(sound.Initialize(AudioOutput::kNone));
    scene = std::make_unique<Quiet<Scene>>();
    scene->SetManagers({nullptr, &sound});
    Write("glyphs.chr", "CHAR, a, 0, 0, 8, 8, 0\n");
  }
  void TearDown() override { GetImageMemory().SetLimit(kImageMemoryLimit); }

  void Write(const std::string& name, const std::string& bytes) { program.Folder().Write(name, bytes); }
  // A character-set file showing the image.
  void WriteSet(const std::string& name, const std::string& image) {
    Write(name, "IMAGE, \"" + image + "\"\nCHAR, a, 0, 0, 8, 8, 0\n");
  }
  // Runs the statements in the scene's engine (`beforeCall` once they are
  // compiled): what they wrote on standard error. Every member answers 0,
  // RegisterClass 1 for a class it loaded.
  std::string Run(const std::string& statements, const std::string& answer = "0",
                  const std::function<void()>& beforeCall = {}) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(AnswerFragment(*scene, "Step" + std::to_string(++steps_), statements, DescribeValue, beforeCall),
              answer)
        << statements;
    return testing::internal::GetCapturedStderr();
  }
  // What the scene holds: the image memory in use, the sounds' bytes, each
  // character set with glyphs and its image (one letter for each image held,
  // so sets that share one show the same letter) and the textures of the
  // first class's model the same way.
  std::string Held() {
    std::map<const SharedTexture*, char> letters;
    const auto letter = [&](const SharedTexture* image) {
      if (!image) return std::string("-");
      const auto found = letters.try_emplace(image, static_cast<char>('A' + letters.size())).first;
      return std::string(1, found->second);
    };
    std::string sets;
    for (int i = 0; i < kCharacterSetCount; ++i) {
      const CharacterSetData& set = scene->CharacterSetAt(i);
      if (!set.glyphs.Empty()) sets += letter(set.image.get());
    }
    std::string textures;
    const ObjectClass* cls = scene->ClassAt(0);
    if (const Model* model = cls ? cls->GetModel() : nullptr) {
      for (MeshContainer* c = model->GetRootFrame()->meshContainer; c; c = c->next)
        for (const auto& texture : static_cast<ModelMeshContainer*>(c)->textures) textures += letter(texture.get());
    }
    return "images " + std::to_string(GetImageMemory().Used()) + ", sounds " + std::to_string(sound.GetSoundBytes()) +
           ", sets " + (sets.empty() ? "none" : sets) + ", model " + (textures.empty() ? "none" : textures);
  }

  ProgramFolder program;
  GameSoundManager sound;
  std::unique_ptr<Quiet<Scene>> scene;  // made once the script classes are in place

 private:
  int steps_ = 0;
};

// Thirty-two sets and twenty materials name one 32x16 image (2048 bytes
// decoded) by three names: it is decoded once for the sets and once for the
// model (whose texture takes mipmaps). Rewritten, the file is decoded anew
// for the set that loads it next; the old image stays with the sets that
// hold it, and goes with the last of them.
TEST_F(ContentMemoryTest, OneImageIsDecodedOnceForEverySetAndMaterialThatNamesIt) {
  Write("font.png", Png(32, 16, 0xFF204060u));
  WriteSet("plain.chr", "font.png");
  WriteSet("upper.chr", "FONT.PNG");
  WriteSet("dotted.chr", "sub/../font.png");
  std::vector<std::string> names;
  for (int i = 0; i < 20; ++i) names.push_back(i % 2 ? "Font.png" : "font.png");
  Write("box.x", TexturedX(names));
  Write("Box.txt", ClassFile("box.x"));
  EXPECT_EQ(Run("for (i = 0; i < 32; i++) { if (i % 3 == 0) Scene.LoadCharacterSet(i, \"plain.chr\"); "
                "if (i % 3 == 1) Scene.LoadCharacterSet(i, \"upper.chr\"); "
                "if (i % 3 == 2) Scene.LoadCharacterSet(i, \"dotted.chr\"); } $r = 0;"),
            "");
  EXPECT_EQ(Run("Scene.RegisterClass(\"Box.txt\")", "1"), "");
  EXPECT_EQ(Held(), "images 4096, sounds 0, sets " + std::string(32, 'A') + ", model " + std::string(20, 'B'));

  Write("font.png", Png(16, 16, 0xFF604020u));
  EXPECT_EQ(Run("Scene.LoadCharacterSet(5, \"plain.chr\"); $r = 0;"), "");
  EXPECT_EQ(Held(), "images 5120, sounds 0, sets AAAAABAAAAAAAAAAAAAAAAAAAAAAAAAA, model " + std::string(20, 'C'));
  EXPECT_EQ(Run("for (i = 0; i < 32; i++) Scene.LoadCharacterSet(i, \"glyphs.chr\"); $r = 0;"), "");
  EXPECT_EQ(Held(), "images 2048, sounds 0, sets " + std::string(32, '-') + ", model " + std::string(20, 'A'));
  // The model goes with its scene.
  scene->ClearScene();
  EXPECT_EQ(Held(), "images 0, sounds 0, sets none, model none");
}

// Bounded at 5 KiB, images of 2 KiB and 4 KiB decoded do not fit together:
// the second is not loaded, as a file that cannot be read is not (the set
// keeps its glyphs, the material goes untextured and the class loads), and
// it loads once the others have gone. (A model's texture takes mipmaps, so
// it is decoded apart from a set's.)
TEST_F(ContentMemoryTest, ImagesPastTheirBoundAreNotLoadedAndSaySo) {
  GetImageMemory().SetLimit(5 * 1024);
  Write("small.png", Png(32, 16, 0xFF204060u));
  Write("large.png", Png(32, 32, 0xFF604020u));
  WriteSet("small.chr", "small.png");
  WriteSet("large.chr", "large.png");
  Write("box.x", TexturedX({"small.png", "large.png"}));
  Write("Box.txt", ClassFile("box.x"));
  EXPECT_EQ(Run("Scene.LoadCharacterSet(0, \"small.chr\"); Scene.LoadCharacterSet(1, \"large.chr\"); $r = 0;"),
            "t3dplayer: large.png: not loaded: the game's images would pass 5 KiB\n");
  EXPECT_EQ(Held(), "images 2048, sounds 0, sets A-, model none");
  // The same line is said once in a scene run: here it stands for the next.
  ForgetWrittenErrorLines();
  EXPECT_EQ(Run("Scene.RegisterClass(\"Box.txt\")", "1"),
            "t3dplayer: large.png: not loaded: the game's images would pass 5 KiB\n");
  EXPECT_EQ(Held(), "images 4096, sounds 0, sets A-, model B-");
  scene->ClearScene();
  EXPECT_EQ(Run("Scene.LoadCharacterSet(1, \"large.chr\"); $r = 0;"), "");
  EXPECT_EQ(Held(), "images 4096, sounds 0, sets A, model none");
}

// Each load meets an allocation that fails, as one does when memory runs
// out: that file fails to load, as an unreadable one does, with its line;
// the script goes on and the next load succeeds.
TEST_F(ContentMemoryTest, AnAllocationThatFailsIsTheFileFailingToLoad) {
  Write("font.png", Png(64, 64, 0xFF204060u));  // 16 KiB decoded
  WriteSet("font.chr", "font.png");
  Write("skin.png", Png(128, 128, 0xFF604020u));  // 64 KiB decoded
  Write("textured.x", TexturedX({"skin.png"}));
  Write("Textured.txt", ClassFile("textured.x"));
  // About 44 KiB of text, whose 3000 vertices take 94 KiB.
  Write("large.x", ManyTrianglesX(1000));
  Write("Large.txt", ClassFile("large.x"));
  std::string strings;
  for (int i = 0; i < 1000; ++i) strings += std::to_string(1000 + i) + "=a text of the game\r\n";  // 24 KiB
  Write("strings.txt", strings);
  const std::string samples(64 * 1024, '\x10');
  Write("big.wav", MakeWave(2, 16, 44100, samples));
  const struct {
    const char* name;
    std::size_t failFrom;  // bytes
    int skip;              // requests of that size that still succeed first: the file's read
    const char* statements;
    const char* answer;
    const char* line;
    const char* held;
  } cases[] = {
      {"a character set's image", 16 * 1024, 0, "Scene.LoadCharacterSet(0, \"font.chr\"); $r = 0;", "0",
       "t3dplayer: font.png: not loaded: out of memory\n", "images 0, sounds 0, sets -, model none"},
      {"a material's texture", 32 * 1024, 0, "Scene.RegisterClass(\"Textured.txt\")", "1",
       "t3dplayer: skin.png: not loaded: out of memory\n", "images 0, sounds 0, sets -, model -"},
      {"a model", 64 * 1024, 0, "Scene.UnregisterClass(0); $r = Scene.RegisterClass(\"Large.txt\");", "1",
       "t3dplayer: large.x: not loaded: out of memory\n", "images 0, sounds 0, sets -, model none"},
      {"a string list", 20 * 1024, 1, "Scene.LoadStringList(\"strings.txt\"); $r = Scene.GetString(1000);", "<none>",
       "t3dplayer: strings.txt: not loaded: out of memory\n", "images 0, sounds 0, sets -, model none"},
      {"a sound", 64 * 1024, 1, "Sound.LoadSound(1, \"big.wav\"); $r = 0;", "0",
       "t3dplayer: big.wav: not loaded: out of memory\n", "images 0, sounds 0, sets -, model none"},
  };
  // The engine's own first block of temporaries is made before any request may fail.
  EXPECT_EQ(Run("Scene.GetCharacterLength(0, \"a\")"), "");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string said;
    {
      FailingAllocations failing;
      said = Run(c.statements, c.answer, [&] { failing.Arm(c.failFrom, c.skip); });
      EXPECT_GE(failing.Failed(), 1);
    }
    EXPECT_EQ(said, c.line);
    EXPECT_EQ(Held(), c.held);
  }
  EXPECT_EQ(Run("Scene.LoadCharacterSet(0, \"font.chr\"); Scene.LoadStringList(\"strings.txt\"); "
                "Sound.LoadSound(1, \"big.wav\"); $r = Scene.GetString(1000);",
                "\"a text of the game\""),
            "");
  EXPECT_EQ(Held(), "images 16384, sounds 65536, sets A, model none");
}

}  // namespace
