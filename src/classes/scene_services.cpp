// The scene's own services for the script classes: each forwards to the
// scene's timers, fades, camera switch or text slots.
#include "classes/scene_services.h"

#include "scene/scene.h"

bool SceneServices::SetTimer(std::int32_t delay, std::int32_t id, const char* function,
                             const ScriptValue (&values)[3]) {
  return scene_.SetTimer(delay, id, function, values, 3);
}

void SceneServices::KillTimer(std::int32_t id) { scene_.KillTimer(id); }

void SceneServices::SwitchCamera(Cast* camera, std::int32_t mode, std::int32_t frames, std::int32_t x) {
  scene_.SwitchCamera(camera, static_cast<std::uint32_t>(mode), frames, static_cast<std::uint32_t>(x));
}

bool SceneServices::AddFade(const FadeRequest& fade) {
  return scene_.AddFadeEffect(fade.total, fade.inEnd, fade.outStart, fade.color1, fade.color2, fade.mode);
}

void SceneServices::PutCharacters(const CharacterRequest& request) { scene_.PutCharacters(request); }

void SceneServices::DeleteCharacters(int slot) { scene_.DeleteCharacters(slot); }
