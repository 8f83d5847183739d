// Lines on standard error for sounds and music the player refuses, naming the
// sound by its id. Scripts see nothing of these; the author reading the
// console does.
#pragma once

#include <cstdint>
#include <string>

// "t3dplayer: sound 'BANG': <what>" for a printable four-character id, else
// the id in decimal; once per scene run, as every fault line.
void ReportSoundError(const char* kind, std::uint32_t id, const std::string& what);
// "t3dplayer: music 'BANG': cannot read "<file>"", the content's name shown
// in UTF-8 and escaped.
void ReportUnreadableSoundFile(const char* kind, std::uint32_t id, const char* file);
