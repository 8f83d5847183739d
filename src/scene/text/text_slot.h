// The scene's 64 text layers: a text in one of the script character sets that
// moves from an old appearance to a new one. The frame update times them, the renderer draws them.
#pragma once

#include <array>
#include <cstdint>
#include <string>

constexpr int kTextSlotCount = 64;
constexpr std::size_t kTextStateSize = 512;

struct TextState {
  std::array<char, kTextStateSize> text{};  // always NUL-terminated
  float x = 0.0f, y = 0.0f;
  float pivotX = 0.0f, pivotY = 0.0f;
  float scaleX = 0.0f, scaleY = 0.0f;
  float angle = 0.0f, angleStep = 0.0f;
  std::array<std::uint8_t, 4> color{};  // A, R, G, B
};

constexpr std::uint32_t kTextSlotInUse = 0x80000000u;
constexpr std::uint32_t kTextSlotCrossFade = 0x40000000u;
constexpr std::uint32_t kTextSlotRunsWhilePaused = 0x20000000u;

// A text slot's contents as PutCharacters gives them.
struct CharacterRequest {
  int slot = 0;
  int set = 0;
  std::string text;
  std::uint32_t color = 0;
  float x = 0, y = 0, pivotX = 0, pivotY = 0, scaleX = 0, scaleY = 0;
  float angle = 0, angleStep = 0;  // radians
  std::int32_t duration = 0;
  std::uint32_t flags = 0;
};

struct CharacterSlot {
  std::uint32_t flags = 0;
  std::int32_t characterSet = 0;
  TextState oldState;
  TextState newState;
  std::uint32_t duration = 0;  // 0: no transition
  std::uint32_t elapsed = 0;
};

// How far the running transition has gone, 0 to 1; 0 without one.
inline float TransitionFactor(const CharacterSlot& slot) {
  return slot.duration != 0 ? static_cast<float>(slot.elapsed) / static_cast<float>(slot.duration) : 0.0f;
}

// `from` moved t of the way to `to`: the eight floats blended, each colour
// byte truncated; the text stays from's. PutCharacters freezes a running
// transition with it, the renderer draws with it.
void BlendTextState(TextState& from, const TextState& to, float t);

// One frame of the slot's transition: at its end the new state becomes the
// old one at full weight (cross-faded from nothing when it holds text).
inline void AdvanceCharacterSlot(CharacterSlot& slot, bool paused) {
  if (!(slot.flags & kTextSlotInUse) || slot.duration == 0) return;
  if (paused && !(slot.flags & kTextSlotRunsWhilePaused)) return;
  if (++slot.elapsed < slot.duration) return;
  slot.duration = 0;
  slot.oldState = slot.newState;
  slot.newState = TextState();
  if (slot.oldState.text[0] != '\0') slot.flags |= kTextSlotCrossFade;
}
