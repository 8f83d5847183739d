// The drawn-scene harness of the frame renderer's tests.
#include "drawn_scene.h"

#include "classes/script_classes.h"
#include "files/archive.h"

namespace {

const ArchiveManager& NoArchives() {
  static const ArchiveManager archives;
  return archives;
}

}  // namespace

void PicturedFrames::Present() {
  Picture picture;
  const PresentParameters& p = graphics_.GetDevice()->GetPresentParameters();
  picture.width = p.backBufferWidth;
  picture.height = p.backBufferHeight;
  graphics_.GetDevice()->ReadBackBuffer(&picture.pixels);
  pictures.push_back(std::move(picture));
  inner_.Present();
}

DrawnScene::DrawnScene() {
  // Scripts of the scene reach the Scene class.
  UseGameScriptClasses();
}

DrawnScene::~DrawnScene() {
  // The scene first: it releases its resources through the renderer.
  scene.reset();
  frameDevice_.reset();
  renderer.reset();
}

std::unique_ptr<DrawnScene> DrawnScene::OnGl(std::uint32_t width, std::uint32_t height) {
  std::unique_ptr<DrawnScene> drawn(new DrawnScene());
  UseOffscreenVideo();
  std::string error;
  drawn->window = GlWindow::Create("render test", static_cast<int>(width), static_cast<int>(height), &error);
  EXPECT_TRUE(drawn->window) << "no GL window: " << error;
  if (!drawn->window || !drawn->graphics.Initialize(drawn->window.get(), true, false)) {
    ADD_FAILURE() << "no graphics device";
    return nullptr;
  }
  drawn->graphics.SetBackBufferSize(static_cast<int>(width), static_cast<int>(height));
  drawn->renderer = std::make_unique<SceneRenderer>(drawn->graphics, NoArchives(), drawn->game.Folder());
  drawn->frameDevice_ = std::make_unique<GraphicsFrameDevice>(drawn->graphics, drawn->renderer->GetText());
  drawn->scene = std::make_unique<Scene>();
  drawn->Attach(*drawn->frameDevice_, nullptr, nullptr);
  return drawn;
}

std::unique_ptr<DrawnScene> DrawnScene::Recorded(std::uint32_t width, std::uint32_t height) {
  std::unique_ptr<DrawnScene> drawn(new DrawnScene());
  auto device = std::make_unique<RecordingDevice>(PresentParameters{});
  drawn->recorder = device.get();
  drawn->graphics.InitializeWithDevice(std::move(device), TextureFormat::X8R8G8B8);
  drawn->graphics.SetBackBufferSize(static_cast<int>(width), static_cast<int>(height));
  drawn->renderer = std::make_unique<SceneRenderer>(drawn->graphics, NoArchives(), drawn->game.Folder());
  drawn->frameDevice_ = std::make_unique<GraphicsFrameDevice>(drawn->graphics, drawn->renderer->GetText());
  drawn->scene = std::make_unique<Scene>();
  drawn->Attach(*drawn->frameDevice_, nullptr, nullptr);
  drawn->recorder->ClearLines();
  return drawn;
}

void DrawnScene::Attach(FrameDevice& device, WindowPump* pump, FrameClock* clock) {
  RunHost host;
  host.device = &device;
  host.window = pump;
  host.clock = clock;
  host.drawing = renderer.get();
  scene->SetRunHost(host);
}

bool DrawnScene::Load(const std::string& sceneText) {
  Write("scene.scn", sceneText);
  return scene->LoadScene(game.Folder() + "scene.scn");
}

void DrawnScene::Start() {
  EXPECT_EQ(scene->CreateRenderResources(), 0);
  scene->StartCasts();
  scene->SetFrameCounter(0);
}

Picture DrawnScene::DrawFrame() {
  frameDevice_->Clear(scene->GetClearColor(), 1.0f);
  EXPECT_TRUE(frameDevice_->BeginScene());
  scene->Render();
  frameDevice_->EndScene();
  Picture picture;
  const PresentParameters& p = graphics.GetDevice()->GetPresentParameters();
  picture.width = p.backBufferWidth;
  picture.height = p.backBufferHeight;
  graphics.GetDevice()->ReadBackBuffer(&picture.pixels);
  return picture;
}

std::vector<Picture> DrawnScene::Run(int frames, bool showsFrameRate) {
  VirtualClock clock;
  HeadlessWindow pump;
  pump.QuitAtPump(frames);
  pump.SetShowsFrameRate(showsFrameRate);
  PicturedFrames device(graphics, renderer->GetText());
  Attach(device, &pump, &clock);
  scene->Run();
  Attach(*frameDevice_, nullptr, nullptr);
  return device.pictures;
}

std::string ClassText(const std::string& name, const std::string& mesh, std::uint32_t flags, const std::string& extra,
                      const std::string& motion) {
  char word[16];
  std::snprintf(word, sizeof word, "#%08x", flags);
  return "<MotionObject>\n <Name value=\"" + name + "\"/>\n <MeshFile value=\"" + mesh + "\"/>\n <Flags value=\"" +
         word + "\"/>\n <Motion name=\"Stand\" length=\"1\">\n" + motion + " </Motion>\n" + extra + "</MotionObject>\n";
}

std::string CastText(const std::string& name, const std::string& cls, float x, float y, float z, const std::string& more) {
  return " <Cast>\n  <Name value=\"" + name + "\"/>\n  <ClassName value=\"" + cls + "\"/>\n  <InitPos x=\"" +
         std::to_string(x) + "\" y=\"" + std::to_string(y) + "\" z=\"" + std::to_string(z) + "\"/>\n" + more +
         " </Cast>\n";
}
