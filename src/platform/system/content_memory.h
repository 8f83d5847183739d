// What a load of the game's content says when memory refuses it: past a bound
// on what content may hold in all (images, sounds), or when an allocation
// fails. Either way the file fails to load as one that cannot be read does,
// and its line says why. Used by the texture, model, sound, character-set and
// string-list loaders.
#pragma once

#include <cstdint>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>

// The reason after the file's name: "not loaded: the game's images would pass
// 1 GiB" for `what` "images" and a limit of 1 GiB.
std::string PastMemoryBound(std::string_view what, std::uint64_t limit);
// ... and for a load whose memory could not be had.
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
