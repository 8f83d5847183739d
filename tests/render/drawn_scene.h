// A scene drawn by the SceneRenderer, on the GL device over SDL's offscreen
// driver or on the recording device, with its files in a game folder, and a
// host that runs it frame by frame on a virtual clock (which moves only when
// the loop waits on it, so no draw is ever late). Used by the frame
// renderer's tests.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/headless_host.h"
#include "platform/gpu/recording_device.h"
#include "render/graphics.h"
#include "render/graphics_frame_device.h"
#include "render/scene_renderer.h"
#include "scene/scene.h"
#include "support/game_folder.h"
#include "support/gl_pictures.h"
#include "support/x_models.h"

// The graphics frame device, keeping the picture of every frame it presents.
class PicturedFrames : public FrameDevice {
 public:
  PicturedFrames(Graphics& graphics, TextRenderer& text) : graphics_(graphics), inner_(graphics, text) {}
  State TestCooperativeLevel() override { return inner_.TestCooperativeLevel(); }
  bool Reset() override { return inner_.Reset(); }
  void Clear(std::uint32_t color, float depth) override { inner_.Clear(color, depth); }
  bool BeginScene() override { return inner_.BeginScene(); }
  void EndScene() override { inner_.EndScene(); }
  void Present() override;
  int GetBackBufferWidth() const override { return inner_.GetBackBufferWidth(); }
  void DrawOverlayText(const char* text, float x, float y, std::uint32_t color, float scale) override {
    inner_.DrawOverlayText(text, x, y, color, scale);
  }
  std::vector<Picture> pictures;

 private:
  Graphics& graphics_;
  GraphicsFrameDevice inner_;
};

class DrawnScene {
 public:
  // The GL device's back buffer of that size; the test fails without one.
  static std::unique_ptr<DrawnScene> OnGl(std::uint32_t width, std::uint32_t height);
  static std::unique_ptr<DrawnScene> Recorded(std::uint32_t width, std::uint32_t height);
  ~DrawnScene();

  // Writes the file into the game folder.
  void Write(const std::string& name, const std::string& text) { game.Write(name, text); }
  // Loads a scene file of this text; false when it does not load.
  bool Load(const std::string& sceneText);
  // Loads the scene of tests/render/scenes/`name`/: every file of the folder
  // goes into the game folder, the models its "models.rows" lists are made
  // there, and its "scene.scn" loads with `casts` added at its end. A model
  // row: FILE rectangle X0 Y0 X1 Y1 Z, FILE floor X0 Z0 X1 Z1 Y, or FILE tube
  // RADIUS HEIGHT SEGMENTS RINGS BONES; then emissive|diffuse R G B and
  // perhaps a texture.
  bool LoadCase(const std::string& name, const std::string& casts = "");
  // As the run loop starts a scene: the resources, the casts reset and
  // started; then running at frame 0.
  void Start();
  // One frame as the run loop draws it: clear, the scene, read back.
  Picture DrawFrame();
  // Runs the scene's loop for `frames` passes; the pictures it presented.
  std::vector<Picture> Run(int frames, bool showsFrameRate = false);
  // The recording device's lines since the last call.
  std::vector<std::string> TakeLines() { return recorder->TakeLines(); }

  GameFolder game;
  std::unique_ptr<GlWindow> window;
  Graphics graphics;
  RecordingDevice* recorder = nullptr;  // the device, when recorded
  std::unique_ptr<SceneRenderer> renderer;
  std::unique_ptr<Scene> scene;

 private:
  DrawnScene();
  // The renderer, the frame device and an empty scene on the device made.
  void Finish(std::uint32_t width, std::uint32_t height);
  void Attach(FrameDevice& device, WindowPump* pump, FrameClock* clock);
  std::unique_ptr<GraphicsFrameDevice> frameDevice_;
};

// How many of the lines start with `start`.
inline int CountLines(const std::vector<std::string>& lines, const std::string& start) {
  int count = 0;
  for (const std::string& line : lines) count += line.rfind(start, 0) == 0;
  return count;
}

// A class file's text: one model, its flags, a first motion "Stand" of
// one frame with `motion` inside, then `extra` elements.
std::string ClassText(const std::string& name, const std::string& mesh, std::uint32_t flags,
                      const std::string& extra = "", const std::string& motion = "");
// A scene file's Cast element at that place; `more` adds child elements.
std::string CastText(const std::string& name, const std::string& cls, float x = 0, float y = 0, float z = 0,
                     const std::string& more = "");
