// Filling and freeing the scene's text slots; the frame update advances them
// (AdvanceCharacterSlot) and the renderer draws them.
#include <cstring>
#include <string_view>

#include "files/text_scan.h"
#include "scene/scene.h"

namespace {

// (1 - t) a + t b, written so that a value both states share stays exact: a
// colour byte that does not change never dips by one while the rest glides.
float Blend(float a, float b, float t) { return a + t * (b - a); }

// At most 511 bytes up to the first NUL, never half a two-byte character.
void CopyText(std::array<char, kTextStateSize>& out, const std::string& text) {
  std::string_view view(text.c_str());
  const std::size_t length = WholeCharPrefix(view, kTextStateSize - 1);
  std::memcpy(out.data(), view.data(), length);
  out[length] = '\0';
}

}  // namespace

void BlendTextState(TextState& from, const TextState& to, float t) {
  float* a[] = {&from.x, &from.y, &from.pivotX, &from.pivotY, &from.scaleX, &from.scaleY, &from.angle, &from.angleStep};
  const float b[] = {to.x, to.y, to.pivotX, to.pivotY, to.scaleX, to.scaleY, to.angle, to.angleStep};
  for (int i = 0; i < 8; ++i) *a[i] = Blend(*a[i], b[i], t);
  for (std::size_t i = 0; i < from.color.size(); ++i)
    from.color[i] = static_cast<std::uint8_t>(static_cast<int>(Blend(from.color[i], to.color[i], t)));
}

bool Scene::PutCharacters(const CharacterRequest& request) {
  if (request.slot < 0 || request.slot >= kTextSlotCount) return false;
  if (request.set < 0 || request.set >= kCharacterSetCount || request.duration < 0) return false;
  CharacterSlot& slot = textSlots_[static_cast<std::size_t>(request.slot)];
  const bool inUse = (slot.flags & kTextSlotInUse) != 0;
  slot.characterSet = request.set;
  if (inUse && slot.duration != 0) {
    if (slot.elapsed == 0) slot.oldState = slot.newState;
    else BlendTextState(slot.oldState, slot.newState, TransitionFactor(slot));  // frozen where it stands
  }
  TextState& to = slot.newState;
  to = TextState();
  CopyText(to.text, request.text);
  to.x = request.x;
  to.y = request.y;
  to.pivotX = request.pivotX;
  to.pivotY = request.pivotY;
  to.scaleX = request.scaleX;
  to.scaleY = request.scaleY;
  to.angle = request.angle;
  to.angleStep = request.angleStep;
  to.color = {static_cast<std::uint8_t>(request.color >> 24), static_cast<std::uint8_t>(request.color >> 16),
              static_cast<std::uint8_t>(request.color >> 8), static_cast<std::uint8_t>(request.color)};
  if (!inUse) {
    // A free slot fades its text in where it will stand.
    slot.oldState = to;
    slot.oldState.color[0] = 0;
  }
  slot.duration = static_cast<std::uint32_t>(request.duration);
  slot.elapsed = 0;
  slot.flags = request.flags | kTextSlotInUse;
  if (std::strcmp(slot.oldState.text.data(), to.text.data()) != 0) slot.flags |= kTextSlotCrossFade;
  if (slot.duration == 0) {
    // Without a transition the new state stands at once, as at the end of
    // one; left as it was, a free slot would show its text at alpha 0.
    slot.oldState = to;
    slot.newState = TextState();
    if (slot.oldState.text[0] != '\0') slot.flags |= kTextSlotCrossFade;
  }
  return true;
}

bool Scene::DeleteCharacters(int slot) {
  if (slot < 0 || slot >= kTextSlotCount) return false;
  textSlots_[static_cast<std::size_t>(slot)].flags = 0;
  return true;
}
