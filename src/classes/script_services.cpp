// The services of the script classes as they stand before their parts arrive:
// no pose (identity), no contacts, no edge stoppers, no sound, no timers,
// fades, camera switches or text.
#include "classes/script_services.h"

Matrix ScriptServices::CastFrameMatrix(Cast&, const char*) { return MatrixIdentity(); }
bool ScriptServices::CastObstacleHitYaw(const Cast&, float&) { return false; }
bool ScriptServices::CastHasEdgeStopper(const Cast&) { return false; }
void ScriptServices::CastDeleteEdgeStopperFaces(Cast&, Cast&, const char*) {}
void ScriptServices::CastFollowTarget(Cast&, Cast&) {}
void ScriptServices::PlaySound(std::uint32_t, float, float, float) {}
bool ScriptServices::SetTimer(std::int32_t, std::int32_t, const char*, const ScriptValue (&)[3]) { return false; }
void ScriptServices::KillTimer(std::int32_t) {}
void ScriptServices::SwitchCamera(Cast*, std::int32_t, std::int32_t, std::int32_t) {}
bool ScriptServices::AddFade(const FadeRequest&) { return false; }
void ScriptServices::SetCharacterSet(int, const std::vector<unsigned char>&, std::vector<CharacterGlyph>) {}
void ScriptServices::PutCharacters(const CharacterRequest&) {}
void ScriptServices::DeleteCharacters(int) {}
float ScriptServices::CharacterLength(int, const std::string&) { return 0.0f; }
void ScriptServices::LoadStringList(const std::string&) {}
bool ScriptServices::GetString(std::int32_t, std::string&) { return false; }
