// Lines on standard error for content that fails to load: the player goes on as
// before (an element skipped, a file cut short, a scene ended), and the author
// reading the console learns what failed and where. Used by every loader.
#pragma once

#include <cstdint>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>

// A content file's name as the content gave it: the path without the program
// folder that starts it, in UTF-8 with control bytes escaped.
std::string ContentFileForTerminal(std::string_view path);

// "t3dplayer: <file>: <what>", or "t3dplayer: <file>:<line>: <what>" for a
// line above 0. `what` is written as it stands, so any content text inside it
// is made fit for the terminal by the caller (ContentTextForTerminal).
void ReportContentFault(std::string_view path, int line, std::string_view what);

// Why a load that would pass a bound on what the game's content holds is
// refused, as its line says after the file's name: "not loaded: the game's
// images would pass 1 GiB" for `what` "images" and a limit of 1 GiB.
std::string PastMemoryBound(std::string_view what, std::uint64_t limit);
// ... and a load whose memory could not be had.
inline constexpr char kOutOfMemory[] = "not loaded: out of memory";

// What `load()` answers, or false with kOutOfMemory in *why (may be null)
// when an allocation in it fails: for content, memory that runs out is the
// file failing to load, never the end of the player.
template <typename Load>
bool LoadOrOutOfMemory(Load&& load, std::string* why) {
  try {
    return load();
  } catch (const std::bad_alloc&) {
  } catch (const std::length_error&) {
  }
  if (why != nullptr) *why = kOutOfMemory;
  return false;
}
