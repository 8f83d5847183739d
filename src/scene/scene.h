// Scene: the one object that holds the scene being played (its classes and
// casts, its script engine, hooks and settings), read from a scene file. The
// scenario loop, the run loop, the renderer and the script classes use it.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "collision/collision.h"
#include "files/markup_reader.h"
#include "motion/command.h"
#include "scene/cast/cast.h"
#include "scene/cast/obstacles.h"
#include "scene/game_managers.h"
#include "scene/run_host.h"
#include "scene/scenario_scene.h"
#include "scene/scene_limits.h"
#include "scene/scene_timer.h"
#include "scene/script_class_hooks.h"
#include "scene/text/character_set_data.h"
#include "scene/text/string_list.h"
#include "scene/text/text_slot.h"
#include "script/game_script.h"

class ObjectClass;

// The scene's five hooks, in the order they are parsed.
enum SceneCommand : int {
  kSceneOnLoop = 0,
  kSceneOnBegin = 1,
  kSceneOnEnd = 2,
  kSceneOnMessage = 3,
  kSceneOnInput = 4,
  kSceneCommandCount = 5,
};

// The play field; stored for content, used by nothing else.
struct FieldBounds {
  float xMax = 10000.0f, xMin = -10000.0f;
  float yMax = 10000.0f, yMin = 0.0f;
  float zMax = 10000.0f, zMin = -10000.0f;
};

class Scene : public ElementHandler, public GameScript, public ScenarioScene {
 public:
  // The script class hook, when set, gives the scene's engine its classes.
  Scene();
  ~Scene() override;
  Scene(const Scene&) = delete;
  Scene& operator=(const Scene&) = delete;

  // ---- the scene as the scenario loop sees it ----
  // Back to the empty scene; FPS, fall speed, render flags and clear colour
  // stay as the scene before left them.
  void ClearScene() override;
  // Reads a scene file into the cleared scene, compiles its script and
  // resolves its hooks. False for a missing or empty file, a script that does
  // not compile or a hook that does not parse; a failing element only cuts
  // the file short.
  bool LoadScene(const std::string& path) override;
  // The fixed-rate loop over the host's clock, input and device (run_loop.cpp):
  // Init, a frame update per pass, draws when there is time (four skipped at
  // most), Exit. 0 at a normal end, kRunQuit when the window quit, kRunNoDevice
  // without a device, else the failing code of Init, Update or Exit. The
  // record count is capacity in, frames recorded out; a replay ends the scene
  // when it runs out.
  int Run() override;
  int Run(std::uint32_t* record, std::uint32_t* recordCount, const std::uint32_t* replay, std::uint32_t replayCount);
  bool QuitRequested() const override { return quitRequested_ || (host_.window && host_.window->QuitAsked()); }
  // Replays recorded pad words over every scene the scenario runs
  // (session_replay.cpp): each run takes them from where the last one
  // stopped, and once they are used up the scenario ends as after the
  // window's quit. An empty list replays nothing.
  void SetSessionReplay(std::vector<std::uint32_t> padWords);
  // What the loop runs on; the pointers are borrowed.
  void SetRunHost(const RunHost& host) { host_ = host; }
  const RunHost& GetRunHost() const { return host_; }
  // Null when the host has no input.
  InputSource* GetInput() const { return host_.input; }
  // The program's input and sound managers, borrowed; the script classes and
  // the sound action reach them here.
  void SetManagers(const GameManagers& managers) { managers_ = managers; }
  const GameManagers& GetManagers() const { return managers_; }
  // The scene's start: render resources, a first poll, casts reset, camera
  // switch and fades zeroed, casts started, OnBegin. 4 when OnBegin fails.
  virtual int Init();
  // The scene's end: OnEnd (4 when it fails), casts added during the run
  // removed, the others' delete hooks run, render resources released.
  virtual int Exit();
  // ---- drawing: forwarded to the host's SceneDrawing, nothing without one ----
  virtual int CreateRenderResources() { return host_.drawing ? host_.drawing->CreateResources(*this) : 0; }
  virtual void ReleaseRenderResources() {
    if (host_.drawing) host_.drawing->ReleaseResources(*this);
  }
  // Resets the device and builds the resources again.
  virtual void ResetDevice();
  virtual void Render() {
    if (host_.drawing) host_.drawing->Render(*this);
  }
  virtual void RenderCharacterSlots() {
    if (host_.drawing) host_.drawing->RenderCharacterSlots(*this);
  }

  // ---- script classes (script_class_hooks.h) ----
  // The class objects the hook gave this scene's engine; null without a hook.
  ScriptClassSet* GetScriptClasses() const { return scriptClasses_.get(); }
  // The "Scene" class object, which start-up registers with the root
  // scenario's engine too; null until the hook sets it.
  NativeClass* GetSceneClass() override { return sceneClass_; }
  void SetSceneClass(NativeClass* sceneClass) { sceneClass_ = sceneClass; }

  // ---- the scene file (scene_file.cpp) ----
  bool OnStartElement(const char* name, const char* const* attributeNames, const char* const* attributeValues,
                      int attributeCount, void* user, MarkupReader& reader) override;
  bool OnEndElement(const char* name, void* user, MarkupReader& reader) override;
  bool OnText(const char* elementName, const char* text, void* user, MarkupReader& reader) override;
  // The scene keeps what was read; standard error is told where the file stopped and why.
  void OnError(MarkupErrorCode code, void* user, MarkupReader& reader) override;
  // The script engine's report of a run-time error stays in reach beside the markup's.
  using GameScript::OnError;

  // ---- hooks ----
  // Resolves a Command once its scripts are compiled (commands.cpp): a
  // function name of the scene's engine, or "#" with a four-character action
  // and its parameters. A name no script defines leaves the Command as it
  // was; false for a parameter that does not read (those before it stay).
  bool ParseCommand(Command& command);
  // Whose hook ResolveHook resolves: a class's are resolved as the class
  // loads, before the scene's script is compiled.
  enum class HookOwner { kScene, kClass };
  // ParseCommand for a hook of a content file, which tells standard error
  // when the hook names a function no compiled script has or holds an
  // action parameter that does not read. `hook` says which hook of the file.
  bool ResolveHook(Command& command, std::string_view file, const std::string& hook, HookOwner owner);
  // Runs a Command for a cast (or none) with extra arguments; 0 or the
  // script error code. A script function gets the cast first, then the
  // arguments, 16 values at most. Errors an action throws end here.
  int ExecuteCommand(const Command& command, Cast* cast, ScriptValue* args, int argCount);
  // Four-character actions the scene does not know; the game's scene answers them.
  virtual int OnUserCommand(const Command& command, Cast* cast);
  // The class object through which scripts see casts; a member-less stand-in
  // until one is set.
  void SetCastClass(NativeClass* castClass) { castClass_ = castClass; }
  NativeClass* GetCastClass();

  // ---- seams of the camera, sound and collision that come later ----
  // The device's current view matrix: the camera switch's, each frame; the
  // identity until a scene makes a camera cast current.
  const Matrix& GetViewMatrix() const { return viewMatrix_; }
  void SetViewMatrix(const Matrix& view) { viewMatrix_ = view; }
  // Plays a sound of the sound manager from its start (pan -1 the left
  // speaker, +1 the right); silent without a manager.
  virtual void PlayCommandSound(std::uint32_t code, float volume, float pan);

  // ---- obstacles (obstacles.cpp, edge_walls.cpp) ----
  // The swept move of the cast's "SPHR" sphere from `from` to `to` (cast
  // positions) against the meshes of the other visible, undeleted obstacles
  // in slot order, and with `withEdgeWalls` their edge-stopper walls. False
  // without a sphere key; a sphere of radius 0 gives `to` itself.
  bool SweepCast(Cast& cast, const Vector3& from, const Vector3& to, bool withEdgeWalls, SweepResult& result);
  // Calls visit(index, cast) for every live obstacle but `except`, in slot order.
  template <typename Visit>
  void ForEachObstacle(const Cast* except, Visit&& visit) {
    if (!keepObstacles_) {
      for (int i = 0; i < castCount_; ++i) {
        Cast& cast = *casts_[static_cast<std::size_t>(i)];
        if (&cast != except && IsLiveObstacle(cast)) visit(i, cast);
      }
      return;
    }
    if (obstaclesListedAt_ != commandsRun_ || obstaclesListedCount_ != castCount_) ListObstacles();
    for (int k = 0; k < obstacleCount_; ++k) {
      const int i = obstacleSlots_[static_cast<std::size_t>(k)];
      Cast& cast = *casts_[static_cast<std::size_t>(i)];
      // Checked again: a deleted obstacle never collides.
      if (&cast != except && IsLiveObstacle(cast)) visit(i, cast);
    }
  }
  // From the movement pass to the end of the contact pass the casts' flags
  // change only through Commands, so the obstacles are listed once and again
  // only after a Command ran or the table changed, instead of once per cast.
  void KeepObstacleList(bool keep) {
    keepObstacles_ = keep;
    obstaclesListedCount_ = -1;
  }
  // The world matrix and its inverse of the cast in table slot `index`, kept
  // while it neither moves nor turns; null outside the table or without an
  // inverse.
  const ObstacleFrame* GetObstacleFrame(int index);
  // Every class with the "EdgeStopper" flag gets the walls of its floor's
  // open edges; every other class loses any it had. The scene's start runs it.
  void BuildEdgeStopperWalls();
  // Every class loses its walls; the scene's end runs it.
  void ReleaseEdgeStopperWalls();

  // ---- class table (class_table.cpp) ----
  using CCScript::RegisterClass;
  // Loads the <MotionObject> file once (a path loaded before answers true at
  // once), builds its animation sets, compiles its script, resolves its
  // hooks and loads its case table. False when the table is full or any of
  // that fails; a failed class leaves no trace in either table, and its path
  // answers false at once until the scene is cleared, reading and saying
  // nothing again.
  bool RegisterClass(std::string_view path);
  // Deletes the class in slot `index` and closes the gap; its script
  // functions leave the engine's name space and the casts of the class are
  // left without a class. False outside 0..255.
  bool UnregisterClass(int index);
  // The first class of exactly that name; null when none.
  ObjectClass* FindObjectClass(const char* name) const;
  // Null for an empty slot or outside the table.
  ObjectClass* ClassAt(int index) const;
  // "" for an empty slot.
  const char* ClassPathAt(int index) const;
  int ClassCount() const;

  // ---- cast table (cast_table.cpp) ----
  // A new cast of the class, named after it ("Box_1", "Box_2" ...), neither
  // reset nor started. Null for a null class or a full table.
  Cast* CreateCast(ObjectClass* cls);
  // Runs the cast's delete hook, then removes it; while the scene runs it is
  // only marked and left out of every pass. False when it is not in the table.
  bool DeleteCast(Cast* cast);
  // The first cast of exactly that name; null when none.
  Cast* FindCast(const char* name) const;
  // False (old name kept) when another cast has the name already.
  bool RenameCast(Cast* cast, const char* name);
  int CastCount() const { return castCount_; }
  // Null outside 0..CastCount()-1.
  Cast* CastAt(int index) const;
  // The cast an object value (or a member call's instance) designates; null
  // for other values and for casts that have been deleted.
  Cast* CastOfValue(const ScriptValue& value) const { return castRegistry_.CastOfValue(value); }
  Cast* CastOfInstance(const void* instance) const { return castRegistry_.CastOfInstance(instance); }

  // ---- frames (scene_update.cpp) ----
  // Resets every cast, then starts each (its OnCreate hook and bone
  // controls), in table order: what the scene does as it begins.
  void StartCasts();
  // One frame of the game (frame_update.cpp): input (recorded or replayed),
  // OnInput, OnLoop, then unless paused the casts' preparation, due timers,
  // the cast passes in update order and the removal of casts deleted during
  // the frame; fades, text layers, camera weights and the camera switch.
  // 0, or 4 when OnLoop or a timer function fails.
  int Update(std::uint32_t* record, std::uint32_t recordCapacity, const std::uint32_t* replay,
             std::uint32_t replayCount);
  int Update() { return Update(nullptr, 0, nullptr, 0); }
  // The scene ends after the running pass.
  void EndScene() { frameCounter_ = kSceneNotRunning; }

  // ---- timers, fades, camera (frame_update.cpp, scene_camera.cpp) ----
  // A timer due `delay` frames from now calling the named function of the
  // scene's script with its id and copies of the values (references
  // followed). False, nothing set, for a full table or an unknown function.
  bool SetTimer(std::int32_t delay, std::int32_t id, const char* function, const ScriptValue* values,
                int valueCount);
  // Removes every timer with the id, every timer for -1; also those due this
  // frame and not yet called.
  void KillTimer(std::int32_t id);
  int GetTimerCount() const { return timerCount_; }
  const SceneTimer& TimerAt(int index) const { return timers_[static_cast<std::size_t>(index >= 0 && index < kSceneTimerCount ? index : 0)]; }
  // The first free fade slot gets the fade (colours ARGB; mode: bit 31 runs
  // while paused, the low 24 bits the blend), total >= 0 and the two marks
  // clamped into it. False when all four run.
  bool AddFadeEffect(std::int32_t total, std::int32_t inEnd, std::int32_t outStart, std::uint32_t color1,
                     std::uint32_t color2, std::uint32_t mode);
  FadeSlot& Fade(int index) { return fades_[static_cast<std::size_t>(index >= 0 && index < kFadeSlotCount ? index : 0)]; }
  CharacterSlot& TextSlot(int index) { return textSlots_[static_cast<std::size_t>(index >= 0 && index < kTextSlotCount ? index : 0)]; }
  // Text slot `request.slot` (0..63) moves to the request's text in set
  // 0..31 over its duration, from where the slot stands now; a duration of 0
  // shows the new text at once. False, nothing changed, outside the ranges.
  bool PutCharacters(const CharacterRequest& request);
  // Frees the slot; false outside 0..63.
  bool DeleteCharacters(int slot);
  // Character set `set` (0..31) takes the glyphs and its image (null: none),
  // replacing what it held (text/scene_text.cpp).
  void SetCharacterSet(int set, std::shared_ptr<SharedTexture> image, std::vector<Glyph> glyphs);
  const CharacterSetData& CharacterSetAt(int set) const;
  // The text's width in set 0..31; 0 for a set without glyphs.
  float GetCharacterLength(int set, const char* text) const;
  // Replaces the string list by the file's entries (archives first, then the
  // disk); false, leaving no list, when the file cannot be read or memory
  // for it runs out (said on standard error).
  bool LoadStringList(const std::string& path);
  // The list's text for the id; null when it has none.
  const char* GetString(int id) const { return stringList_.Find(id); }
  // Mode 0 makes the cast the camera at once; any other mode switches to it
  // over `frames`, blending when bit 8 is set.
  void SwitchCamera(Cast* cast, std::uint32_t mode, std::int32_t frames, std::uint32_t extra);
  const CameraSwitch& GetCameraSwitch() const { return camera_; }
  // The view from a cast's pose: from its position along its z axis, its y
  // axis up (the rotation taken at unit length).
  static Matrix GetCameraView(const Quaternion& rotation, const Vector3& position);
  // Runs the OnMessage hook with the four values; nothing when it is not set.
  int SendMessage(ScriptValue* values, int count);
  // Update order: obstacles first, then casts holding a child, then lower ones first.
  static bool CompareCastsForUpdate(Cast& a, Cast& b);
  bool IsRunning() const { return frameCounter_ != kSceneNotRunning; }
  std::uint32_t GetFrameCounter() const { return frameCounter_; }
  void SetFrameCounter(std::uint32_t frame) { frameCounter_ = frame; }
  bool IsPausing() const { return paused_; }
  void SetPausing(bool paused) { paused_ = paused; }
  bool IsActive() const { return active_; }
  void SetActive(bool active) { active_ = active; }

  // ---- settings ----
  const char* GetName() const { return name_; }
  float GetFallSpeed() const { return fallSpeed_; }
  void SetFallSpeed(float speed) { fallSpeed_ = speed; }
  int GetFps() const { return fps_; }
  void SetFps(int fps) { fps_ = fps; }
  std::uint32_t GetRenderFlags() const { return renderFlags_; }
  void SetRenderFlags(std::uint32_t flags) { renderFlags_ = flags; }
  std::uint32_t GetClearColor() const { return clearColor_; }
  void SetClearColor(std::uint32_t color) { clearColor_ = color; }
  const FieldBounds& GetFieldBounds() const { return field_; }
  Command& GetSceneCommand(SceneCommand which) { return commands_[static_cast<std::size_t>(which)]; }
  // Null when the scene file gave no script.
  const std::string* GetScriptText() const { return hasScript_ ? &script_ : nullptr; }
  // The line of the scene file on which each line of the script stands.
  const std::vector<int>& GetScriptLines() const { return scriptLines_; }
  // Scene parameters 0..31 (an index outside gives parameter 0).
  ScriptValue& Parameter(int index);

 private:
  int RunSessionReplay();
  struct ClassSlot {
    std::unique_ptr<ObjectClass> cls;
    std::string path;  // empty: a free slot
    // What its script compiled into the engine, taken out with the class.
    std::vector<ScriptFunction*> functions;
  };

  bool ReadSceneElement(const char* name, const char* const* attributeNames, const char* const* attributeValues,
                        int attributeCount, MarkupReader& reader);
  // Refuses the element being read; OnError tells the reason.
  bool Refuse(std::string reason);
  bool FinishClass(ObjectClass& cls, const std::string& path, std::vector<ScriptFunction*>& functions);
  int FunctionCount() const;
  // Takes functions out of the engine's name space; they stay alive (compiled
  // calls and resolved Commands may still point at them) until the scene clears.
  void DetachFunctions(const std::vector<ScriptFunction*>& functions);
  void RemoveCastAt(int index);
  // Deletes wait for the end of the frame while the scene runs and for the
  // rest of a frame that ended the scene.
  bool DefersDeletes() const { return IsRunning() || inFrame_; }
  void PrepareCastsForFrame();
  int FireDueTimers();
  void RunCastPasses();
  void RemoveDeletedCasts();
  void AdvanceFades();
  void UpdateCameraWeights();
  void UpdateCameraSwitch();
  void ClearRunState();
  void UnlinkForRemoval(Cast& cast);
  void FreeParkedObjects();

  char name_[kSceneNameSize] = {};
  float fallSpeed_ = kDefaultFallSpeed;
  FieldBounds field_;
  std::uint32_t renderFlags_ = kDefaultRenderFlags;
  std::uint32_t clearColor_ = kDefaultClearColor;
  std::array<ClassSlot, kClassTableSize> classes_;
  // Paths whose class failed to load in this scene, at most kClassTableSize.
  std::vector<std::string> failedClassPaths_;
  // Before the casts, so that it outlives them.
  CastRegistry castRegistry_;
  std::array<std::unique_ptr<Cast>, kCastTableSize> casts_;
  int castCount_ = 0;
  int fps_ = kDefaultFps;
  bool active_ = true;
  std::uint32_t frameCounter_ = kSceneNotRunning;
  std::string script_;
  std::vector<int> scriptLines_;
  bool hasScript_ = false;
  // Why the scene file's element being read was refused; empty otherwise.
  std::string refusal_;
  bool paused_ = false;
  std::array<Command, kSceneCommandCount> commands_{};
  std::array<ScriptValue, kSceneParameterCount> parameters_;
  NativeClass* castClass_ = nullptr;
  NativeClass* sceneClass_ = nullptr;
  std::unique_ptr<ScriptClassSet> scriptClasses_;
  Matrix viewMatrix_ = MatrixIdentity();
  RunHost host_;
  GameManagers managers_;
  bool quitRequested_ = false;
  std::vector<std::uint32_t> sessionReplay_;
  std::size_t sessionReplayUsed_ = 0;
  bool inFrame_ = false;
  std::array<SceneTimer, kSceneTimerCount> timers_;
  int timerCount_ = 0;
  // Timers due this frame, taken out of the table before any is called, so
  // that functions setting or killing timers never disturb the walk.
  std::array<SceneTimer, kSceneTimerCount> dueTimers_;
  std::array<bool, kSceneTimerCount> dueKilled_{};
  int dueCount_ = 0;
  std::array<FadeSlot, kFadeSlotCount> fades_{};
  std::array<CharacterSlot, kTextSlotCount> textSlots_{};
  std::array<CharacterSetData, kCharacterSetCount> characterSets_;
  std::uint64_t characterSetVersion_ = 0;
  // Kept from one scene to the next.
  StringList stringList_;
  CameraSwitch camera_;

  // The cast whose element the scene file is in; null outside one.
  CastHandle readingCast_;
  // Classes unregistered while something of theirs may still be running (a
  // hook, an event key), kept until the next frame or the next clear.
  std::vector<std::unique_ptr<ObjectClass>> parkedClasses_;
  std::vector<std::unique_ptr<ScriptFunction>> parkedFunctions_;
  // Update order of the frame, as handles: a pass that deletes a cast never
  // leaves the order pointing at freed memory.
  std::array<Cast*, kCastTableSize> order_{};
  std::array<CastHandle, kCastTableSize> orderHandles_{};
  // The obstacles of one sweep, kept so that the sweeps of a frame do not allocate.
  std::array<SweepObstacle, kCastTableSize> sweepObstacles_{};
  std::array<ObstacleFrame, kCastTableSize> obstacleFrames_{};
  void ListObstacles();
  // Counts the Commands run, so that a kept obstacle list knows when flags may have changed.
  std::uint64_t commandsRun_ = 0;
  bool keepObstacles_ = false;
  std::uint64_t obstaclesListedAt_ = 0;
  int obstaclesListedCount_ = -1;
  std::array<int, kCastTableSize> obstacleSlots_{};
  int obstacleCount_ = 0;
};
