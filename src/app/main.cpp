// t3dplayer: the program's entry point and, for now, the whole start-up: the
// start-up archive, the scenario runtime and the root scenario of the program folder.
#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "app/attract.h"
#include "app/headless_host.h"
#include "classes/script_classes.h"
#include "files/archive.h"
#include "input/input_manager.h"
#include "platform/system/message_box.h"
#include "platform/system/random.h"
#include "platform/system/window_title.h"
#include "scene/game/game_scene.h"
#include "scene/game_managers.h"
#include "scene/scenario_runtime.h"
#include "scene/scene.h"
#include "script/preprocessor.h"
#include "sound/sound_manager.h"

namespace {

// "ルートシナリオが開けません。" in Shift-JIS.
constexpr char kRootScenarioMissing[] =
    "\x83\x8B\x81[\x83g\x83V\x83i\x83\x8A\x83I\x82\xAA\x8AJ\x82\xAF\x82\xDC\x82\xB9\x82\xF1\x81" "B";

constexpr char kRootScenario[] = "RootScenairo.csc";
constexpr char kStartupArchive[] = "Startup.dat";

// Returns the process's exit code: 0 after a scenario that ran to its end, 1
// when start-up failed (the failure has been shown).
int RunPlayer() {
  SeedSharedRandomFromClock();
  // Every engine of the game, the root scenario's and the scene's, gets the script classes.
  UseGameScriptClasses();
  // Script includes are found in the archives first, like every other file.
  SetScriptFileReader([](const std::string& path, std::string& out) {
    FileData data;
    if (!LoadFile(path, data)) return false;
    out.assign(data.view());
    return true;
  });
  // A missing start-up archive is no failure: the files are then on the disk.
  GetArchiveManager().AddArchiveFile(kStartupArchive);

  // The input and sound managers outlive the scene and the runtime that use
  // them. Until the window arrives the input manager has no device: no key is
  // pressed. Without the Ogg library or an audio device the game runs silent
  // (standard error says why).
  InputManager input;
  GameSoundManager sound;
  sound.Initialize();
  const GameManagers managers{&input, &sound};
  ManagerInput inputSource(input);
  ManagerSoundPump soundPump(sound);

  // The one scene, alive for the whole run: this game's, with its own actions.
  auto scene = std::make_unique<GameScene>();
  scene->SetManagers(managers);
  // Until the window arrives scenes run headless: the real clock paces them
  // and nothing is drawn.
  SteadyClock clock;
  NullDevice device;
  HeadlessWindow window;
  RunHost host;
  host.clock = &clock;
  host.device = &device;
  host.window = &window;
  host.input = &inputSource;
  host.sound = &soundPump;
  scene->SetRunHost(host);
  // Without a window nobody can play: the game plays its attract sequence
  // and ends by itself. Once the window arrives, only where HasNoDisplay().
  UseAttractReplay(*scene);
  auto runtime = std::make_unique<ScenarioRuntime>();
  runtime->SetManagers(managers);
  // The root scenario reaches the scene through the scene's class object.
  if (NativeClass* sceneClass = scene->GetSceneClass()) runtime->RegisterClass(sceneClass);
  if (!runtime->LoadScenario(kRootScenario)) {
    ShowMessageBox(kRootScenarioMissing, GetWindowTitle());
    return 1;
  }
  std::this_thread::sleep_for(std::chrono::seconds(1));
  runtime->RunScenario(*scene);
  return 0;
}

}  // namespace

int main() { return RunPlayer(); }
