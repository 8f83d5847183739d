// A frame of the scene renderer: 20 skinned toon casts of about 3,000
// vertices each, with their outlines, over a floor of 1,800 triangles, at
// 800x600 on llvmpipe with two rendering threads. Prints the median and 95th
// percentile of the frame time while every cast's pose changes each frame
// (each is skinned again) and while the casts stand still (their skinned
// vertices are reused); then, standing still, the same frame with every cast
// glaring and casting a soft shadow (each shadow rendered, read back and
// blurred), and with blob shadows and glare. A frame ends when its picture
// has been read back, which the cost of a read-back alone puts in proportion.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "files/archive.h"
#include "motion/model.h"
#include "motion/object_class.h"
#include "platform/math/matrix.h"
#include "render/graphics.h"
#include "render/graphics_frame_device.h"
#include "render/scene_renderer.h"
#include "scene/scene.h"
#include "support/game_folder.h"
#include "support/x_models.h"

namespace {

constexpr int kColumns = 5, kRows = 4;
constexpr int kMotionLength = 60;
constexpr int kFrames = 200;

double Milliseconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// A joint turning to and fro about z over the motion: the tube sways.
std::string SwayTrack(const char* bone, float degrees) {
  std::string keys = "  <MotionFrame name=\"" + std::string(bone) + "\">\n";
  for (int time : {0, kMotionLength / 2}) {
    const float half = (time == 0 ? degrees : -degrees) * 0.5f * 0.017453292f;
    char key[160];
    std::snprintf(key, sizeof key, "   <RotationKey time=\"%d\" x=\"0\" y=\"0\" z=\"%.6f\" w=\"%.6f\"/>\n", time,
                  static_cast<double>(std::sin(half)), static_cast<double>(std::cos(half)));
    keys += key;
  }
  return keys + "  </MotionFrame>\n";
}

struct Percentiles {
  double median, p95;
};

Percentiles Summarise(std::vector<double> times) {
  std::sort(times.begin(), times.end());
  return {times[times.size() / 2], times[times.size() * 95 / 100]};
}

}  // namespace

int main() {
  // Before SDL and Mesa start: no display, and llvmpipe's thread count.
  setenv("SDL_VIDEODRIVER", "offscreen", 1);
  setenv("LP_NUM_THREADS", "2", 1);
  std::string error;
  std::unique_ptr<GlWindow> window = GlWindow::Create("bench", 800, 600, &error);
  Graphics graphics;
  if (!window || !graphics.Initialize(window.get(), true, false) || !graphics.SetBackBufferSize(800, 600)) {
    std::fprintf(stderr, "bench_frame: no GL device: %s\n", error.c_str());
    return 1;
  }
  GameFolder game;
  game.Write("toon.bmp", GameFolder::Png(32, 4, [](std::uint32_t x, std::uint32_t) {
    return x < 16 ? 0xFFFFFFFFu : 0xFF808080u;
  }));
  game.Write("tube.x", SkinnedTubeX(50, 240, 48, 60, 4, DiffuseMaterial(1, 0.8f, 0.4f)));
  // Toon shading, outlines and shadows; a glow of 200 when glare is on.
  game.Write("tube.txt", "<MotionObject>\n <Name value=\"Tube\"/>\n <MeshFile value=\"tube.x\"/>\n"
                         " <Flags value=\"#000000e1\"/>\n <Glare value=\"200\"/>\n <Motion name=\"Sway\" length=\"" +
                             std::to_string(kMotionLength) + "\">\n" + SwayTrack("Bone1", 40) +
                             SwayTrack("Bone2", 30) + " </Motion>\n</MotionObject>\n");
  // The floor below the lowest row, seen across the bottom of the picture.
  game.Write("floor.x", FloorX(-1500, 0, 1500, 3000, -750, DiffuseMaterial(0.6f, 0.7f, 0.5f), 30));
  game.Write("floor.txt", "<MotionObject>\n <Name value=\"Floor\"/>\n <MeshFile value=\"floor.x\"/>\n"
                          " <Flags value=\"#00000005\"/>\n <Motion name=\"Lie\" length=\"1\">\n </Motion>\n"
                          "</MotionObject>\n");

  const ArchiveManager archives;
  SceneRenderer renderer(graphics, archives, game.Folder());
  GraphicsFrameDevice device(graphics, renderer.GetText());
  Scene scene;
  RunHost host;
  host.device = &device;
  host.drawing = &renderer;
  scene.SetRunHost(host);
  if (!scene.RegisterClass(game.Folder() + "tube.txt") || !scene.RegisterClass(game.Folder() + "floor.txt")) {
    std::fprintf(stderr, "bench_frame: the tube or the floor class does not load\n");
    return 1;
  }
  for (int i = 0; i < kColumns * kRows; ++i) scene.CreateCast(scene.FindObjectClass("Tube"));
  scene.StartCasts();
  const int tubes = scene.CastCount();
  scene.CreateCast(scene.FindObjectClass("Floor"));
  scene.StartCasts();
  for (int i = 0; i < tubes; ++i) {
    const float x = static_cast<float>(i % kColumns - kColumns / 2) * 260.0f;
    const float y = static_cast<float>(i / kColumns) * 350.0f - 700.0f;
    scene.CastAt(i)->SetPositionBoth({x, y, 1400.0f});
    scene.CastAt(i)->SetMotionTime(i * 7, nullptr);
  }
  scene.SetFrameCounter(0);
  if (scene.CreateRenderResources() != 0) {
    std::fprintf(stderr, "bench_frame: no render resources\n");
    return 1;
  }

  GraphicsDevice& gpu = *graphics.GetDevice();
  std::vector<std::uint32_t> pixels;
  auto frame = [&] {
    const auto start = std::chrono::steady_clock::now();
    device.Clear(scene.GetClearColor(), 1.0f);
    device.BeginScene();
    scene.Render();
    device.EndScene();
    device.Present();
    gpu.ReadBackBuffer(&pixels);  // waits for the frame
    return Milliseconds(std::chrono::steady_clock::now() - start);
  };
  auto animated = [&] {
    std::vector<double> times;
    for (int f = 0; f < kFrames + 10; ++f) {
      for (int i = 0; i < tubes; ++i) scene.CastAt(i)->SetMotionTime(scene.CastAt(i)->GetMotionTime() + 1, nullptr);
      const double ms = frame();
      if (f >= 10) times.push_back(ms);
    }
    return Summarise(times);
  };
  auto configure = [&](std::uint32_t renderFlags, bool shadows) {
    scene.SetRenderFlags(renderFlags);
    for (int i = 0; i < tubes; ++i) scene.CastAt(i)->SetFlagMask(shadows ? 0xFFFFFFFFu : ~kFlagShadowRender);
  };
  // Outlines only: no glare, and the tubes' shadows masked off.
  configure(kRenderOutline, false);
  const Percentiles posed = animated();
  // Standing still without the sections, with soft shadows and glare, and
  // with blob shadows and glare, frame by frame in turn, so that the load of
  // the machine weighs on the three alike.
  const struct {
    std::uint32_t renderFlags;
    bool shadows;
  } kinds[] = {{kRenderOutline, false},
               {kRenderOutline | kRenderGlare | kRenderSoftShadows, true},
               {kRenderOutline | kRenderGlare, true}};
  std::vector<double> times[std::size(kinds)];
  for (int f = 0; f < kFrames + 10; ++f) {
    for (std::size_t k = 0; k < std::size(kinds); ++k) {
      configure(kinds[k].renderFlags, kinds[k].shadows);
      const double ms = frame();
      if (f >= 10) times[k].push_back(ms);  // the first frames compile the programs' variants
    }
  }
  const Percentiles still = Summarise(times[0]), soft = Summarise(times[1]), blob = Summarise(times[2]);
  std::vector<double> reads;
  for (int i = 0; i < 50; ++i) {
    const auto start = std::chrono::steady_clock::now();
    gpu.ReadBackBuffer(&pixels);
    reads.push_back(Milliseconds(std::chrono::steady_clock::now() - start));
  }
  const Percentiles read = Summarise(reads);

  const Model* model = scene.FindObjectClass("Tube")->GetModel();
  const auto* container = static_cast<const ModelMeshContainer*>(model->GetRootFrame()->meshContainer);
  // Each cast is drawn three times: toon shading and the two outline draws.
  std::printf("frame: %d skinned toon casts of %u vertices (%u triangles) with outlines, 800x600, LP_NUM_THREADS=2\n",
              tubes, container->mesh->GetNumVertices(), container->mesh->GetNumFaces());
  std::printf("frame: every cast posed anew each frame: median %.2f ms, 95th percentile %.2f ms\n", posed.median,
              posed.p95);
  std::printf("frame: casts standing still:            median %.2f ms, 95th percentile %.2f ms\n", still.median,
              still.p95);
  std::printf("frame: standing still, with soft shadows and glare: median %.2f ms, 95th percentile %.2f ms (%.2fx)\n",
              soft.median, soft.p95, soft.median / still.median);
  std::printf("frame: standing still, with blob shadows and glare: median %.2f ms, 95th percentile %.2f ms (%.2fx)\n",
              blob.median, blob.p95, blob.median / still.median);
  std::printf("frame: of which the read-back that ends each frame: median %.2f ms\n", read.median);
  return 0;
}
