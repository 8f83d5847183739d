// Names of the object flags and region kinds, and the flag-word reader.
#include "motion/object_flags.h"

#include <array>
#include <cstddef>

#include "platform/system/numbers.h"

namespace {

constexpr std::array<const char*, 32> kObjectFlagNames = {
    "Visible",       "Active",       "Obstacle",       "CollisionDetection", "FreeFall",
    "ShadowRender",  "ToonRender",   "EdgeRender",     "SolidTRender",       "NoSpeedCtrl",
    "AlphaBlending", "AddBlending",  "SubBlending",    "StopByEdge",         "EdgeStopper",
    "NoticeIKStretched", "Decoration1", "Decoration2", "NoOmitRendering",    "DeleteAtDisjoint",
    nullptr,         nullptr,        nullptr,          nullptr,              nullptr,
    nullptr,         nullptr,        nullptr,          "Condition1",         "Condition2",
    "Condition3",    "Condition4",
};

constexpr std::array<const char*, 32> kRegionKindNames = {
    "Attack1", "Attack2", "Attack3", "Attack4", "Get", "Push", "PullAsParent", "PullAsChild", "Hang",
    "Reserved", "Target1", "Target2", "Target3", "Target4", "TGet(Item)", "TPush", "TPullAsParent",
    "TPullAsChild", "THang", "Reserved", "Deffend1", "Deffend2", "Deffend3", "Deffend4", "DGet", "DPush",
    "DPullAsParent", "DPullAsChild", "DHang", "Reserved", nullptr, nullptr,
};

}  // namespace

const char* ObjectFlagName(int bit) {
  return bit >= 0 && bit < 32 ? kObjectFlagNames[static_cast<std::size_t>(bit)] : nullptr;
}

const char* RegionKindName(int bit) {
  return bit >= 0 && bit < 32 ? kRegionKindNames[static_cast<std::size_t>(bit)] : nullptr;
}

std::uint32_t ReadFlagWord(const char* text) {
  if (text == nullptr) return 0;
  // The 32-bit original read both forms into a 32-bit long: hexadecimal
  // saturates at 0xFFFFFFFF, decimal at the signed limits, and the word keeps
  // the bit pattern ("-1" is every bit).
  if (text[0] == '#') return ReadHex32(text + 1);
  return static_cast<std::uint32_t>(ReadDecimalInt32(text));
}
