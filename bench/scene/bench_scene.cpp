// One frame update of a scene of 256 casts with motions, case tables and
// event keys, and of 256 casts of one class whose animated bones carry hit
// spheres (every cast tests its attack sphere against all the others' target
// spheres), in microseconds per frame. Run as: bench_scene bench/scene
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "scene/run_host.h"
#include "scene/scene.h"

namespace {

// A player who taps and holds up and presses buttons in a repeating pattern,
// so casts keep walking, double-tapping into runs and standing again.
class PatternPad : public InputSource {
 public:
  bool Poll() override {
    static constexpr std::uint32_t kPattern[] = {0x8, 0x8, 0, 0x8, 0x8, 0x8, 0x18, 0x8, 0, 0, 0x20, 0x60, 0};
    pad_ = kPattern[poll_++ % std::size(kPattern)];
    return true;
  }
  int GetHoldCount(int) const override { return 0; }
  bool IsKeyReleased(int) const override { return false; }
  std::uint32_t GetPadButtons() const override { return pad_; }
  void SetPadButtons(std::uint32_t buttons) override { pad_ = buttons; }

 private:
  std::uint32_t pad_ = 0;
  unsigned poll_ = 0;
};

// Best microseconds per frame over five runs of `frames` frames, for 256 casts
// of the class in the file, laid on a 16 x 16 grid `spacing` apart, spread
// over `motions` motions and their times.
double MeasureFrames(const std::string& file, const char* name, float spacing, int motions, int frames) {
  Scene scene;
  PatternPad pad;
  RunHost host;
  host.input = &pad;
  scene.SetRunHost(host);
  if (!scene.RegisterClass(std::string_view(file))) {
    std::fprintf(stderr, "cannot load %s\n", file.c_str());
    return -1.0;
  }
  ObjectClass* cls = scene.FindObjectClass(name);
  for (int i = 0; i < kCastTableSize; ++i) {
    Cast* cast = scene.CreateCast(cls);
    if (!cast) return -1.0;
  }
  scene.StartCasts();
  // Spread the casts over the motions and times, so that events fire in
  // every frame rather than all at once.
  for (int i = 0; i < scene.CastCount(); ++i) {
    Cast* cast = scene.CastAt(i);
    cast->SetPositionBoth({static_cast<float>(i % 16) * spacing, 0.0f, static_cast<float>(i / 16) * spacing});
    cast->SetMotion(i % motions, nullptr);
    cast->SetMotionTime(i, nullptr);
  }
  std::uint32_t frame = 0;
  auto runFrames = [&](int count) {
    for (int i = 0; i < count; ++i) {
      pad.Poll();
      scene.SetFrameCounter(frame++);
      scene.Update();
    }
  };
  runFrames(200);
  double best = 1e30;
  for (int run = 0; run < 5; ++run) {
    const auto start = std::chrono::steady_clock::now();
    runFrames(frames);
    const double us = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
    best = std::min(best, us / frames);
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string dir = argc > 1 ? argv[1] : "bench/scene";
  const double runners = MeasureFrames(dir + "/classes/runner.txt", "Runner", 50.0f, 3, 2000);
  // 4 apart, so each attack sphere (radius 3, on the swinging upper bone)
  // reaches some neighbours' target spheres (radius 4, at their roots).
  const double brawlers = MeasureFrames(dir + "/classes/brawler.txt", "Brawler", 4.0f, 1, 200);
  if (runners < 0.0 || brawlers < 0.0) return 1;
  std::printf("scene update, %d casts with motions, case tables and event keys: %.2f us/frame (best of 5)\n",
              kCastTableSize, runners);
  std::printf("scene update, %d casts of one model with hit spheres on animated bones: %.2f us/frame (%.2fx)\n",
              kCastTableSize, brawlers, brawlers / runners);
  return 0;
}
