// Sound members. What the manager answers (an id not loaded, a full table, a
// file it cannot read) is not the script's business: the result stays 0.
#include "classes/sound_class.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "platform/system/numbers.h"
#include "sound/sound_manager.h"

namespace {

using Row = MemberRow<SoundCall>;

// A volume argument: a number in 0..1 (NaN is outside), else 48.
float ArgVolume(CCScript& engine, const ScriptValue& value) {
  const double volume = ArgNumber(engine, value);
  RequireRange(volume >= 0.0 && volume <= 1.0);
  return static_cast<float>(volume);
}

// A master volume as written: any number, held to 0..1 (NaN: 0).
float MasterVolume(CCScript& engine, const ScriptValue& value) {
  const double volume = ArgNumber(engine, value);
  return std::isnan(volume) ? 0.0f : static_cast<float>(std::clamp(volume, 0.0, 1.0));
}

void LoadSound(SoundCall& call, ScriptValue&, ScriptValue* args) {
  const std::uint32_t id = ArgSoundId(call.engine, args[0]);
  const std::string file = ArgText(call.engine, args[1]);
  if (call.manager) call.manager->LoadSound(id, file.c_str());
}

void PlaySound(SoundCall& call, ScriptValue&, ScriptValue* args) {
  const std::uint32_t id = ArgSoundId(call.engine, args[0]);
  const float volume = ArgVolume(call.engine, args[1]);
  const auto start = static_cast<float>(ArgNumber(call.engine, args[2]));
  if (call.manager) call.manager->PlaySound(id, volume, 0.0f, start);
}

void StopSound(SoundCall& call, ScriptValue&, ScriptValue* args) {
  const std::uint32_t id = ArgSoundId(call.engine, args[0]);
  if (call.manager) call.manager->StopSound(id);
}

void LoadMusic(SoundCall& call, ScriptValue&, ScriptValue* args) {
  const std::uint32_t id = ArgSoundId(call.engine, args[0]);
  const std::string file = ArgText(call.engine, args[1]);
  if (call.manager) call.manager->LoadMusicFile(id, file.c_str());
}

void DeleteMusic(SoundCall& call, ScriptValue&, ScriptValue* args) {
  const std::uint32_t id = ArgSoundId(call.engine, args[0]);
  if (call.manager) call.manager->DeleteMusic(id);
}

void PlayMusic(SoundCall& call, ScriptValue&, ScriptValue* args) {
  const std::uint32_t id = ArgSoundId(call.engine, args[0]);
  const float volume = ArgVolume(call.engine, args[1]);
  // Any number but 0 loops, 0.5 too.
  const bool loop = ArgNumber(call.engine, args[2]) != 0.0;
  if (call.manager) call.manager->PlayMusic(id, loop, volume);
}

void StopMusic(SoundCall& call, ScriptValue&, ScriptValue* args) {
  const std::uint32_t id = ArgSoundId(call.engine, args[0]);
  if (call.manager) call.manager->StopMusic(id);
}

void SetMusicVolume(SoundCall& call, ScriptValue&, ScriptValue* args) {
  const std::uint32_t id = ArgSoundId(call.engine, args[0]);
  const float volume = ArgVolume(call.engine, args[1]);
  const double frames = ArgNumber(call.engine, args[2]);
  RequireRange(frames > 0.0);
  // Truncated: half a frame passes the test and fades in one tick. A fade
  // longer than 32 bits of frames stays the longest one, not a negative count.
  constexpr double kLongest = std::numeric_limits<std::int32_t>::max();
  const std::int32_t steps = frames >= kLongest ? std::numeric_limits<std::int32_t>::max() : TruncateToInt32(frames);
  if (call.manager) call.manager->SetMusicVolume(id, volume, steps, true);
}

void GetSoundMaster(SoundCall& call, ScriptValue& out) {
  out.SetNumber(call.manager ? call.manager->GetSoundVolume() : 0.0);
}

void SetSoundMaster(SoundCall& call, const ScriptValue& in) {
  const float volume = MasterVolume(call.engine, in);
  if (call.manager) call.manager->PutSoundVolume(volume);
}

void GetMusicMaster(SoundCall& call, ScriptValue& out) {
  out.SetNumber(call.manager ? call.manager->GetMusicVolume() : 0.0);
}

void SetMusicMaster(SoundCall& call, const ScriptValue& in) {
  const float volume = MasterVolume(call.engine, in);
  if (call.manager) call.manager->PutMusicVolume(volume);
}

constexpr Row kSoundMembers[] = {
    Row::Method(SVT_None, "LoadSound", 2, LoadSound),
    Row::Method(SVT_None, "PlaySound", 3, PlaySound),
    Row::Method(SVT_None, "StopSound", 1, StopSound),
    Row::Method(SVT_None, "LoadMusic", 2, LoadMusic),
    Row::Method(SVT_None, "DeleteMusic", 1, DeleteMusic),
    Row::Method(SVT_None, "PlayMusic", 3, PlayMusic),
    Row::Method(SVT_None, "StopMusic", 1, StopMusic),
    Row::Method(SVT_None, "SetMusicVolume", 3, SetMusicVolume),
    Row::ReadWrite(SVT_Number, "SoundVolume", GetSoundMaster, SetSoundMaster),
    Row::ReadWrite(SVT_Number, "MusicVolume", GetMusicMaster, SetMusicMaster),
};

}  // namespace

SoundClass::SoundClass(const GameManagers& managers) : ManagerClassObject("Sound", kSoundMembers, managers) {}
