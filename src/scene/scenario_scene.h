// The scene as the scenario loop drives it: clear, load a scene file, run it.
// The scene (scene/scene.h) implements it; tests put recording scenes in its place.
#pragma once

#include <string>

class NativeClass;

class ScenarioScene {
 public:
  // Results of Run that the scenario loop looks at.
  static constexpr int kRunQuit = 2;      // the window's quit message ended the scene
  static constexpr int kRunNoDevice = 3;  // there is no graphics device to run on
  // The scene's drawing could not be made ready (a renderer's image missing
  // from the game): no scene of the game can start.
  static constexpr int kRunNoRenderResources = 5;

  virtual ~ScenarioScene() = default;
  // Returns the scene to its empty state.
  virtual void ClearScene() = 0;
  // Reads a scene file (a full path) into the cleared scene; false when it fails.
  virtual bool LoadScene(const std::string& path) = 0;
  // Runs the loaded scene to its end, with no window handle, present rectangle
  // or record and replay buffers: 0 at a normal end, kRunQuit, kRunNoDevice,
  // kRunNoRenderResources or the failing code of the scene.
  virtual int Run() = 0;
  // True once the window has asked to quit: no further scene is to run, even
  // when the last one failed before it could see the message, or none has
  // run since the program learnt it.
  virtual bool QuitRequested() const { return false; }
  // The "Scene" class object that start-up registers with the root
  // scenario's engine; null for a scene that has none.
  virtual NativeClass* GetSceneClass() { return nullptr; }
};
