// The start-up steps, each with the message of its failure.
#include "app/startup.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "app/attract.h"
#include "app/main_window.h"
#include "app/real_host.h"
#include "classes/script_classes.h"
#include "files/archive.h"
#include "input/input_manager.h"
#include "platform/gpu/box_process.h"
#include "platform/gpu/display.h"
#include "platform/input/sdl_input_device.h"
#include "platform/system/message_box.h"
#include "platform/system/quit_request.h"
#include "platform/system/random.h"
#include "platform/system/single_instance_lock.h"
#include "platform/system/window_title.h"
#include "render/graphics.h"
#include "scene/game/game_scene.h"
#include "scene/scenario_runtime.h"
#include "script/preprocessor.h"
#include "script/script_context.h"
#include "sound/sound_manager.h"

namespace {

constexpr char kInstanceLockName[] = "TAVO 3D Evur Evarov";
constexpr char kStartupArchive[] = "Startup.dat";
constexpr char kRootScenario[] = "RootScenairo.csc";

// The messages, in Shift-JIS, in the order of the steps.
// "TAVOのゲームがすでに起動されています。\nゲームが起動しない場合は、CLTR+ALT+DELキーで\n
// タクスマネージャを開き、プログラムを終了してください。\n"
constexpr char kAlreadyRunning[] =
    "TAVO\x82\xCC\x83Q\x81[\x83\x80\x82\xAA\x82\xB7\x82\xC5\x82\xC9\x8BN\x93\xAE\x82\xB3\x82\xEA\x82\xC4\x82\xA2\x82"
    "\xDC\x82\xB7\x81" "B\n\x83Q\x81[\x83\x80\x82\xAA\x8BN\x93\xAE\x82\xB5\x82\xC8\x82\xA2\x8F\xEA\x8D\x87\x82\xCD\x81"
    "ACLTR+ALT+DEL\x83L\x81[\x82\xC5\n\x83^\x83N\x83X\x83}\x83l\x81[\x83W\x83\x83\x82\xF0\x8AJ\x82\xAB\x81"
    "A\x83v\x83\x8D\x83O\x83\x89\x83\x80\x82\xF0\x8FI\x97\xB9\x82\xB5\x82\xC4\x82\xAD\x82\xBE\x82\xB3\x82\xA2\x81"
    "B\n";
// "ミューテックスの初期化に失敗しました。"
constexpr char kLockFailed[] =
    "\x83~\x83\x85\x81[\x83" "e\x83" "b\x83N\x83X\x82\xCC\x8F\x89\x8A\xFA\x89\xBB\x82\xC9\x8E\xB8\x94s\x82\xB5\x82"
    "\xDC\x82\xB5\x82\xBD\x81" "B";
// "DirectXの初期化に失敗しました。"
constexpr char kGraphicsFailed[] =
    "DirectX\x82\xCC\x8F\x89\x8A\xFA\x89\xBB\x82\xC9\x8E\xB8\x94s\x82\xB5\x82\xDC\x82\xB5\x82\xBD\x81" "B";
// "スクリーンモードを800x600ピクセルに設定できませんでした。"
constexpr char kScreenSizeFailed[] =
    "\x83X\x83N\x83\x8A\x81[\x83\x93\x83\x82\x81[\x83h\x82\xF0" "800x600\x83s\x83N\x83Z\x83\x8B\x82\xC9\x90\xDD\x92"
    "\xE8\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1\x82\xC5\x82\xB5\x82\xBD\x81" "B";
// "DirectInputの初期化に失敗しました。"
constexpr char kInputFailed[] =
    "DirectInput\x82\xCC\x8F\x89\x8A\xFA\x89\xBB\x82\xC9\x8E\xB8\x94s\x82\xB5\x82\xDC\x82\xB5\x82\xBD\x81" "B";
// "DirectSoundの初期化に失敗しました。"
constexpr char kSoundFailed[] =
    "DirectSound\x82\xCC\x8F\x89\x8A\xFA\x89\xBB\x82\xC9\x8E\xB8\x94s\x82\xB5\x82\xDC\x82\xB5\x82\xBD\x81" "B";
// "ルートシナリオが開けません。"
constexpr char kRootScenarioMissing[] =
    "\x83\x8B\x81[\x83g\x83V\x83i\x83\x8A\x83I\x82\xAA\x8AJ\x82\xAF\x82\xDC\x82\xB9\x82\xF1\x81" "B";

constexpr std::uint32_t kStartupWaitMs = 1000;

// The one object that holds the scene, and the window and graphics it is
// shown through. Members end in reverse order: the scene first, the window
// last, since the graphics device draws into the window's context.
struct Application {
  MainWindow window{QuitRequest::Program()};
  Graphics graphics;
  std::unique_ptr<GameScene> scene = std::make_unique<GameScene>();
};

// Fails with the step's message; 1 is the program's exit code.
int Fail(const char* message) {
  ShowMessageBox(message, GetWindowTitle());
  return 1;
}

// Once the game has been asked to end nobody waits on its boxes: the line of
// each is written, the box is not shown.
void ShowBoxUnlessQuitting(const char* textUtf8, const char* captionUtf8, const MessageBoxStyle& style) {
  if (!QuitRequest::Program().IsAsked()) ShowDisplayMessageBox(textUtf8, captionUtf8, style);
}

// While it lives, a script of the game that runs long asks the window
// whether it must stop.
class ScriptsHearTheWindow {
 public:
  explicit ScriptsHearTheWindow(MainWindow& window) {
    ScriptContext::Program().attention.SetHook([&window] { return window.ScriptMustStop(); });
  }
  ~ScriptsHearTheWindow() { ScriptContext::Program().attention.SetHook({}); }
  ScriptsHearTheWindow(const ScriptsHearTheWindow&) = delete;
  ScriptsHearTheWindow& operator=(const ScriptsHearTheWindow&) = delete;
};

int StartAndRun(Application& app, InputManager& input, GameSoundManager& sound) {
  // Before the window, so the title (the caption of these two boxes) is still empty.
  SingleInstanceLock lock;
  switch (lock.Create(kInstanceLockName)) {
    case SingleInstanceLock::kCreated: break;
    case SingleInstanceLock::kAlreadyHeld: return Fail(kAlreadyRunning);
    case SingleInstanceLock::kFailed: return Fail(kLockFailed);
  }
  SeedSharedRandomFromClock();

  if (!app.window.Create()) return 1;  // no box for this step
  const ScriptsHearTheWindow hearing(app.window);
  if (!app.graphics.Initialize(app.window.GetGlWindow(), true, true)) return Fail(kGraphicsFailed);
  app.window.Attach(app.scene.get(), &app.graphics);
  if (!app.window.SetScreenSize(MainWindow::kScreen800x600)) return Fail(kScreenSizeFailed);

  auto keyboard = std::make_unique<SdlInputDevice>();
  SdlInputDevice* device = keyboard.get();
  if (!input.Initialize(std::move(keyboard))) return Fail(kInputFailed);
  if (!sound.Initialize()) return Fail(kSoundFailed);

  // A missing start-up archive is no failure: the files are then on the disk.
  GetArchiveManager().AddArchiveFile(kStartupArchive);

  const GameManagers managers{&input, &sound};
  auto runtime = std::make_unique<ScenarioRuntime>();
  runtime->SetManagers(managers);
  // The root scenario reaches the scene through the scene's class object.
  if (NativeClass* sceneClass = app.scene->GetSceneClass()) runtime->RegisterClass(sceneClass);
  // A compile stopped because the game was asked to end is no missing root.
  const QuitRequest& quit = QuitRequest::Program();
  if (!runtime->LoadScenario(kRootScenario)) return quit.IsAsked() ? 0 : Fail(kRootScenarioMissing);

  // Handed over only now that the game runs, and taken back before the
  // managers and the host end.
  RealHost host(app.graphics, app.window, input, sound);
  app.scene->SetManagers(managers);
  app.scene->SetRunHost(host.Get());
  // The window's pump empties SDL's queue; the keys it finds go to the device.
  app.window.SetInputDevice(device);
  // Where nobody can see the game, it plays its attract sequence and ends by itself.
  if (!HasDisplay()) UseAttractReplay(*app.scene);

  std::this_thread::sleep_for(std::chrono::milliseconds(kStartupWaitMs));
  const bool ended = runtime->RunScenario(*app.scene);

  runtime.reset();
  app.window.SetInputDevice(nullptr);
  app.scene->SetRunHost(RunHost{});
  app.scene->SetManagers(GameManagers{});
  // A scene that could not be loaded or could not start its drawing ended
  // the game (its line is on standard error): a script or a shell running
  // the game learns it failed. Unless the game was asked to end: then its
  // load may have been stopped.
  return ended || quit.IsAsked() ? 0 : 1;
}

}  // namespace

int RunPlayer() {
  // Before anything starts SDL, which would turn SIGTERM and SIGINT into a
  // quit event read only between frames; then the drivers, and whether
  // boxes can be shown.
  CatchQuitSignals();
  const QuitRequest& quit = QuitRequest::Program();
  ChooseVideoDrivers();
  if (HasDisplay()) SetMessageBoxPresenter(ShowBoxUnlessQuitting);
  // Every engine of the game, the root scenario's and the scene's, gets the
  // script classes; script includes are found in the archives first.
  UseGameScriptClasses();
  SetScriptFileReader([](const std::string& path, std::uint64_t limit, std::string& out) {
    const std::uint64_t size = GetArchiveManager().GetFileSize(path);
    if (size == 0) return ScriptFileRead::Missing;  // as LoadFile has it, an empty file too
    if (size > limit) return ScriptFileRead::TooLarge;
    FileData data;
    if (!LoadFile(path, data)) return ScriptFileRead::Missing;
    // It may have grown since its size was told.
    if (data.size() > limit) return ScriptFileRead::TooLarge;
    out.assign(data.view());
    return ScriptFileRead::Read;
  });

  int code = 0;
  {
    // Beside the game from its first step to its last: a script that runs
    // long hears the window, a box goes once the game is to end, and a game
    // that does not end when asked is ended (a close as a normal end).
    const QuitWatch watch(
        quit,
        [&quit] {
          ScriptContext::Program().attention.Raise();
          if (quit.IsAsked()) EndShownBox();
        },
        0);
    // Made in this order and ended in the reverse one: the sound manager
    // first, the application last.
    Application app;
    InputManager input;
    GameSoundManager sound;
    code = StartAndRun(app, input, sound);
  }
  EndBySignalIfAsked(quit);
  return code;
}
