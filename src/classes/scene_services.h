// SceneServices: the services the script classes get from a scene unless a
// test puts its own in place; timers, fades, camera switches and text slots act on the scene.
#pragma once

#include "classes/script_services.h"

class Scene;

// Posing, contacts, edge stoppers, camera follow, sound, character sets and
// string lists stay as the defaults until their parts arrive.
class SceneServices : public ScriptServices {
 public:
  explicit SceneServices(Scene& scene) : scene_(scene) {}
  bool SetTimer(std::int32_t delay, std::int32_t id, const char* function, const ScriptValue (&values)[3]) override;
  void KillTimer(std::int32_t id) override;
  void SwitchCamera(Cast* camera, std::int32_t mode, std::int32_t frames, std::int32_t x) override;
  bool AddFade(const FadeRequest& fade) override;
  void PutCharacters(const CharacterRequest& request) override;
  void DeleteCharacters(int slot) override;

 private:
  Scene& scene_;
};
