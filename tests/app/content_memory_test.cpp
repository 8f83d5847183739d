// A download of a few kilobytes cannot make the built program hold
// gigabytes: one 4096x4096 PNG (64 MiB decoded, a few KB on the disk) named
// by every material of a model and every character set of a scene, all of
// them shown, is decoded once for the model and once for the sets. Played
// without a display, with the program's peak memory measured.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/player_process.h"
#include "support/game_folder.h"

namespace {

// Twenty materials on one triangle in front of the camera, all naming the
// image, two of them by other names of the same file.
std::string TwentyMaterialsX() {
  std::string faces, indices, materials;
  for (int i = 0; i < 20; ++i) {
    faces += (i ? ", " : "") + std::string("3;0,1,2;");
    indices += (i ? ", " : "") + std::to_string(i);
    const char* name = i == 5 ? "BIG.PNG" : i == 6 ? "sub/../big.png" : "big.png";
    materials += std::string(" Material { 1.0;1.0;1.0;1.0;; 0.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; TextureFilename { \"") +
                 name + "\"; } }\n";
  }
  return "xof 0303txt 0032\nFrame Root { Mesh Tri { 3; -1.0;-1.0;0.0;, 1.0;-1.0;0.0;, 0.0;1.0;0.0;;\n 20; " + faces +
         ";\n MeshMaterialList { 20; 20; " + indices + ";;\n" + materials + " } } }\n";
}

constexpr char kRoot[] =
    "OnBegin() { Scenario.SceneFile = \"stage.scn\"; }\n"
    "OnEndScene() { Scenario.SceneFile = empty; }\n";

// Every set loaded from the image and shown in a slot of its own for a few
// frames.
constexpr char kStage[] =
    "<Scene>\n"
    " <Script>\n"
    "Begin() {\n"
    "  $frames = 0;\n"
    "  Scene.AddCast(\"Box\");\n"
    "  for (i = 0; 32 > i; i++) {\n"
    "    Scene.LoadCharacterSet(i, \"font.chr\");\n"
    "    Scene.PutCharacters(i, i, \"a\", 4294967295, i * 20, 100, 0, 0, 1, 1, 0, 0, 0, 0);\n"
    "  }\n"
    "}\n"
    "Loop() {\n"
    "  $frames = $frames + 1;\n"
    "  if ($frames > 5) Scene.EndScene();\n"
    "}\n"
    " </Script>\n"
    " <Function OnBegin=\"Begin\" OnLoop=\"Loop\"/>\n"
    " <MotionObject File=\"Box.txt\"/>\n"
    "</Scene>\n";

TEST(PlayerMemoryTest, OneLargeImageForEveryMaterialAndCharacterSetIsHeldOnce) {
  TempFolder folder;
  WriteSceneImages(folder.path());
  const std::vector<std::uint8_t> png =
      GameFolder::Png(4096, 4096, [](std::uint32_t x, std::uint32_t y) { return 0xFF000000u | ((x ^ y) & 0x80u); });
  ASSERT_LT(png.size(), 1024u * 1024);
  folder.Write("big.png", std::string(png.begin(), png.end()));
  folder.Write("box.x", TwentyMaterialsX());
  folder.Write("Box.txt", "<MotionObject>\n <Name value=\"Box\"/>\n <MeshFile value=\"box.x\"/>\n</MotionObject>\n");
  folder.Write("font.chr", "IMAGE, \"big.png\"\nCHAR, a, 0, 0, 16, 16, 0\n");
  folder.Write("RootScenairo.csc", kRoot);
  folder.Write("stage.scn", kStage);
  PlayerOptions options;
#if !defined(__SANITIZE_ADDRESS__)
  // An address space that a copy for every name would run out of: the
  // program plays on within it. The sanitizer reserves far more for its
  // shadow memory.
  options.addressSpaceLimit = std::uint64_t{4} << 30;
#endif
  PlayerProcess player(folder, options);
  EXPECT_EQ(player.Wait(), 0) << player.Output();
  EXPECT_EQ(player.Output(), "");
  // Two images decoded (64 MiB each), a CPU copy while each is uploaded
  // and the device's two textures (the model's with its mipmaps): about 350
  // MiB at the most; every copy of every name would take over 8 GiB.
  RecordProperty("PeakResidentKib", std::to_string(player.PeakResidentKib()));
  EXPECT_LT(player.PeakResidentKib(), 1024 * 1024) << "KiB";
}

}  // namespace
