// Recorded pad words: the file that holds them and how a session replays them.
// The program's start-up loads one for the attract sequence; Scene::SetSessionReplay plays it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A recording: the pad-0 button word of each frame in turn, four bytes each,
// least significant first, nothing else. Longer recordings than this are refused.
constexpr std::size_t kMaxRecordedFrames = std::size_t{1} << 22;

// The words of a recording's bytes; false, with the reason in `error`, for
// bytes that are empty, too many or not a whole number of words.
bool ParsePadRecording(std::string_view bytes, std::vector<std::uint32_t>& words, std::string& error);

enum class RecordingLoad { kLoaded, kMissing, kBroken };

// Reads a recording (archives before the disk): kMissing when there is no such
// file, kBroken, with the reason in `error`, for one that is empty, too long or
// not a whole number of words.
RecordingLoad LoadPadRecording(const std::string& path, std::vector<std::uint32_t>& words, std::string& error);
