// The drawn-scene harness of the frame renderer's tests.
#include "drawn_scene.h"

#include <filesystem>

#include "classes/script_classes.h"
#include "files/archive.h"
#include "support/case_files.h"

namespace {

const ArchiveManager& NoArchives() {
  static const ArchiveManager archives;
  return archives;
}

Picture ReadBack(Graphics& graphics) {
  Picture picture;
  const PresentParameters& p = graphics.GetDevice()->GetPresentParameters();
  picture.width = p.backBufferWidth;
  picture.height = p.backBufferHeight;
  graphics.GetDevice()->ReadBackBuffer(&picture.pixels);
  return picture;
}

}  // namespace

void PicturedFrames::Present() {
  pictures.push_back(ReadBack(graphics_));
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
  drawn->Finish(width, height);
  return drawn;
}

std::unique_ptr<DrawnScene> DrawnScene::Recorded(std::uint32_t width, std::uint32_t height) {
  std::unique_ptr<DrawnScene> drawn(new DrawnScene());
  auto device = std::make_unique<RecordingDevice>(PresentParameters{});
  drawn->recorder = device.get();
  drawn->graphics.InitializeWithDevice(std::move(device), TextureFormat::X8R8G8B8);
  drawn->Finish(width, height);
  drawn->recorder->ClearLines();
  return drawn;
}

void DrawnScene::Finish(std::uint32_t width, std::uint32_t height) {
  graphics.SetBackBufferSize(static_cast<int>(width), static_cast<int>(height));
  renderer = std::make_unique<SceneRenderer>(graphics, NoArchives(), game.Folder());
  frameDevice_ = std::make_unique<GraphicsFrameDevice>(graphics, renderer->GetText());
  scene = std::make_unique<Scene>();
  Attach(*frameDevice_, nullptr, nullptr);
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

bool DrawnScene::LoadCase(const std::string& name, const std::string& casts) {
  const std::filesystem::path folder = std::filesystem::path(T3D_SOURCE_DIR) / "tests/render/scenes" / name;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    Write(entry.path().filename().string(), ReadTextFile(entry.path()));
  for (const std::vector<std::string>& row : ReadTableRows(folder / "models.rows")) {
    if (row.size() < 11) {
      ADD_FAILURE() << name << ": a model row of too few fields: " << row[0];
      return false;
    }
    float n[8];
    for (int i = 0; i < 8; ++i) n[i] = std::stof(row[static_cast<std::size_t>(i < 5 ? 2 + i : 3 + i)]);
    XMaterial material = row[7] == "emissive" ? EmissiveMaterial(n[5], n[6], n[7]) : DiffuseMaterial(n[5], n[6], n[7]);
    if (row.size() > 11) material.texture = row[11];
    Write(row[0], row[1] == "rectangle" ? RectangleX(n[0], n[1], n[2], n[3], n[4], material)
                  : row[1] == "floor"   ? FloorX(n[0], n[1], n[2], n[3], n[4], material)
                                        : SkinnedTubeX(n[0], n[1], static_cast<int>(n[2]), static_cast<int>(n[3]),
                                                       static_cast<int>(n[4]), material));
  }
  std::string text = ReadTextFile(folder / "scene.scn");
  return Load(text.insert(text.rfind("</Scene>"), casts));
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
  return ReadBack(graphics);
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
