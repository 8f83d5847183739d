// The services of the script classes: a cast's pose as the cast takes it, its
// contacts and edge stoppers, the rest as they stand before their parts arrive
// (no sound, timers, fades, camera switches or text), and the scene's own,
// which forward to its sound manager, timers, fades, camera switch, text
// slots, character sets and string list.
#include "classes/script_services.h"

#include "scene/edge_walls.h"
#include "scene/game/camera_follow.h"
#include "scene/scene.h"
#include "sound/sound_manager.h"

Matrix ScriptServices::CastFrameMatrix(Cast& cast, const char* frame) { return cast.GetPosedFrameMatrix(frame); }
bool ScriptServices::CastObstacleHitYaw(const Cast& cast, float& angle) {
  return cast.GetObstacleHitYawAngle(angle);
}
bool ScriptServices::CastHasEdgeStopper(const Cast& cast) { return EdgeStopperWallMesh(cast.GetClass()) != nullptr; }
void ScriptServices::CastDeleteEdgeStopperFaces(Cast& cast, Cast& other, const char* frame) {
  DeleteEdgeStopperFaces(cast, other, frame);
}
void ScriptServices::CastFollowTarget(Cast&, Cast&) {}
void ScriptServices::PlaySound(std::uint32_t, float, float, float) {}
bool ScriptServices::SetTimer(std::int32_t, std::int32_t, const char*, const ScriptValue (&)[3]) { return false; }
void ScriptServices::KillTimer(std::int32_t) {}
void ScriptServices::SwitchCamera(Cast*, std::int32_t, std::int32_t, std::int32_t) {}
bool ScriptServices::AddFade(const FadeRequest&) { return false; }
void ScriptServices::SetCharacterSet(int, std::shared_ptr<SharedTexture>, std::vector<Glyph>) {}
void ScriptServices::PutCharacters(const CharacterRequest&) {}
void ScriptServices::DeleteCharacters(int) {}
float ScriptServices::CharacterLength(int, const std::string&) { return 0.0f; }
void ScriptServices::LoadStringList(const std::string&) {}
bool ScriptServices::GetString(std::int32_t, std::string&) { return false; }

void SceneServices::PlaySound(std::uint32_t id, float volume, float pan, float start) {
  if (SoundManager* sound = scene_.GetManagers().sound) sound->PlaySound(id, volume, pan, start);
}

void SceneServices::CastFollowTarget(Cast& camera, Cast& target) { MoveCameraPos(camera, target, scene_); }

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

void SceneServices::SetCharacterSet(int set, std::shared_ptr<SharedTexture> image, std::vector<Glyph> glyphs) {
  scene_.SetCharacterSet(set, std::move(image), std::move(glyphs));
}

void SceneServices::PutCharacters(const CharacterRequest& request) { scene_.PutCharacters(request); }

void SceneServices::DeleteCharacters(int slot) { scene_.DeleteCharacters(slot); }

float SceneServices::CharacterLength(int set, const std::string& text) {
  return scene_.GetCharacterLength(set, text.c_str());
}

void SceneServices::LoadStringList(const std::string& file) { scene_.LoadStringList(file); }

bool SceneServices::GetString(std::int32_t id, std::string& out) {
  const char* text = scene_.GetString(id);
  if (text) out = text;
  return text != nullptr;
}
