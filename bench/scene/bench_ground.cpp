// One frame update of 256 casts on the ground: a hilly level of about 10,000
// faces with edge-stopper walls, 20 crates (four of them turning platforms)
// and 235 walkers with spheres, gravity and contacts, in microseconds per
// frame. The level and classes are written to a temporary folder first.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/math/quaternion.h"
#include "scene/scene.h"

namespace {

namespace fs = std::filesystem;

constexpr int kGrid = 71;            // quads a side: 71 x 71 x 2 = 10,082 faces
constexpr float kSpacing = 100.0f;
constexpr int kCrates = 20;
constexpr int kTurningCrates = 4;

float Height(float x, float z) { return 60.0f * std::sin(x / 700.0f) * std::cos(z / 600.0f); }

void WriteMesh(const fs::path& path, const std::string& vertices, int vertexCount, const std::string& faces,
               int faceCount) {
  std::ofstream out(path);
  out << "xof 0303txt 0032\nFrame Root {\n FrameTransformMatrix {\n  1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1;;\n }\n"
      << " Mesh {\n  " << vertexCount << ";\n" << vertices << ";\n  " << faceCount << ";\n" << faces << ";\n }\n}\n";
}

void WriteLevel(const fs::path& path) {
  std::string vertices, faces;
  const float half = kGrid * kSpacing / 2.0f;
  for (int j = 0; j <= kGrid; ++j) {
    for (int i = 0; i <= kGrid; ++i) {
      const float x = i * kSpacing - half, z = j * kSpacing - half;
      if (!vertices.empty()) vertices += ",\n";
      vertices += "  " + std::to_string(x) + ";" + std::to_string(Height(x, z)) + ";" + std::to_string(z) + ";";
    }
  }
  // Quads whose front, cross(b - a, c - a), looks up.
  for (int j = 0; j < kGrid; ++j) {
    for (int i = 0; i < kGrid; ++i) {
      const int a = j * (kGrid + 1) + i;
      if (!faces.empty()) faces += ",\n";
      faces += "  4;" + std::to_string(a) + "," + std::to_string(a + kGrid + 1) + "," +
               std::to_string(a + kGrid + 2) + "," + std::to_string(a + 1) + ";";
    }
  }
  WriteMesh(path, vertices, (kGrid + 1) * (kGrid + 1), faces, kGrid * kGrid);
}

void WriteCrate(const fs::path& path) {
  const char* vertices =
      "  -60;120;-60;, -60;120;60;, 60;120;60;, 60;120;-60;,\n"
      "  -60;0;-60;, -60;0;60;, 60;0;60;, 60;0;-60;";
  // Top, then the four sides, fronts looking out.
  const char* faces = "  4;0,1,2,3;, 4;5,6,2,1;, 4;4,0,3,7;, 4;6,7,3,2;, 4;4,5,1,0;";
  WriteMesh(path, vertices, 8, faces, 5);
}

void WriteText(const fs::path& path, const std::string& text) { std::ofstream(path) << text; }

}  // namespace

int main(int argc, char** argv) {
  const fs::path dir = fs::temp_directory_path() / "t3d_bench_ground";
  fs::create_directories(dir);
  WriteLevel(dir / "level.x");
  WriteCrate(dir / "crate.x");
  WriteText(dir / "level.txt",
            "<MotionObject><Name value=\"Level\"/><MeshFile value=\"level.x\"/><Flags value=\"#00004007\"/>"
            "<Motion name=\"Stand\" length=\"1\"></Motion></MotionObject>\n");
  WriteText(dir / "crate.txt",
            "<MotionObject><Name value=\"Crate\"/><MeshFile value=\"crate.x\"/><Flags value=\"#00000007\"/>"
            "<Motion name=\"Stand\" length=\"1\"></Motion></MotionObject>\n");
  // Walkers turn a quarter every 40 frames, so they walk squares of 240 and
  // stay on the level; they stop at its edges and ride the turning crates.
  WriteText(dir / "walker.txt",
            "<MotionObject><Name value=\"Walker\"/><MeshFile value=\"crate.x\"/><Flags value=\"#0000201b\"/>"
            "<Motion name=\"Walk\" length=\"40\"><MotionFrame name=\"Root\">"
            "<VectorKey time=\"0\" x=\"0\" y=\"0\" z=\"60\"/>"
            "<SphereRegionKey time=\"0\" x=\"0\" y=\"50\" z=\"0\" r=\"50\"/>"
            "<EventKey time=\"0\" flags=\"#00000000\" funcname=\"#ROTE,90,0,0\"/>"
            "</MotionFrame></Motion></MotionObject>\n");

  Scene scene;
  for (const char* name : {"level.txt", "crate.txt", "walker.txt"}) {
    if (!scene.RegisterClass(std::string_view((dir / name).string()))) {
      std::fprintf(stderr, "cannot load %s\n", (dir / name).string().c_str());
      return 1;
    }
  }
  scene.CreateCast(scene.FindObjectClass("Level"));
  for (int i = 0; i < kCrates; ++i) scene.CreateCast(scene.FindObjectClass("Crate"));
  while (scene.CastCount() < kCastTableSize) {
    if (!scene.CreateCast(scene.FindObjectClass("Walker"))) return 1;
  }
  scene.StartCasts();
  scene.BuildEdgeStopperWalls();
  const float spread = kGrid * kSpacing * 0.8f;
  for (int i = 1; i <= kCrates; ++i) {
    Cast* crate = scene.CastAt(i);
    const float x = ((i * 37) % 100) / 100.0f * spread - spread / 2.0f;
    const float z = ((i * 61) % 100) / 100.0f * spread - spread / 2.0f;
    crate->SetPositionBoth({x, Height(x, z) - 20.0f, z});
    if (i <= kTurningCrates)
      crate->StartMoving({0.0f, 0.0f, 0.0f}, QuaternionRotationYawPitchRoll(0.01f, 0.0f, 0.0f), -1);
  }
  for (int i = kCrates + 1; i < scene.CastCount(); ++i) {
    Cast* walker = scene.CastAt(i);
    const int k = i - kCrates - 1;
    const float x = (k % 16) * 400.0f - 3200.0f, z = (k / 16) * 400.0f - 3000.0f;
    walker->SetPositionBoth({x, Height(x, z) + 5.0f, z});
    walker->SetRotationBoth(QuaternionRotationYawPitchRoll(static_cast<float>(k % 4) * 1.5707964f, 0.0f, 0.0f));
    walker->SetMotionTime(k, nullptr);
  }

  std::uint32_t frame = 0;
  auto runFrames = [&](int count) {
    for (int i = 0; i < count; ++i) {
      scene.SetFrameCounter(frame++);
      scene.Update();
    }
  };
  runFrames(100);
  int grounded = 0;
  for (int i = kCrates + 1; i < scene.CastCount(); ++i) {
    float angle = 0.0f;
    if (scene.CastAt(i)->GetObstacleHitGroundAngle(angle) && angle < 0.7853982f) ++grounded;
  }
  // A smaller count (the first argument) suits runs under a profiler.
  const int kFrames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 500;
  double best = 1e30;
  for (int run = 0; run < 5; ++run) {
    const auto start = std::chrono::steady_clock::now();
    runFrames(kFrames);
    const double us = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
    best = std::min(best, us / kFrames);
  }
  std::printf(
      "scene update on the ground, %d casts (a level of %d faces with edge walls, %d crates, %d walkers, %d of "
      "them on the ground): %.2f us/frame (best of 5 x %d frames)\n",
      scene.CastCount(), kGrid * kGrid * 2, kCrates, scene.CastCount() - kCrates - 1, grounded, best, kFrames);
  fs::remove_all(dir);
  return 0;
}
