// The two bit vocabularies of motion objects: object flags (classes, motions,
// "PARM" keys, casts) and region kinds ("SPHR" keys), with their names and the flag-word reader.
#pragma once

#include <cstdint>

enum ObjectFlag : std::uint32_t {
  kFlagVisible = 1u << 0,
  kFlagActive = 1u << 1,
  kFlagObstacle = 1u << 2,
  kFlagCollisionDetection = 1u << 3,
  kFlagFreeFall = 1u << 4,
  kFlagShadowRender = 1u << 5,
  kFlagToonRender = 1u << 6,
  kFlagEdgeRender = 1u << 7,
  kFlagSolidTRender = 1u << 8,
  kFlagNoSpeedCtrl = 1u << 9,
  kFlagAlphaBlending = 1u << 10,
  kFlagAddBlending = 1u << 11,
  kFlagSubBlending = 1u << 12,
  kFlagStopByEdge = 1u << 13,
  kFlagEdgeStopper = 1u << 14,
  kFlagNoticeIKStretched = 1u << 15,
  kFlagDecoration1 = 1u << 16,
  kFlagDecoration2 = 1u << 17,
  kFlagNoOmitRendering = 1u << 18,
  kFlagDeleteAtDisjoint = 1u << 19,
  kFlagCondition1 = 1u << 28,
  kFlagCondition2 = 1u << 29,
  kFlagCondition3 = 1u << 30,
  kFlagCondition4 = 1u << 31,
};

// Bits of a sphere key's `keyflags`: an acting group (0-9), a target group
// (10-19) and a defending group (20-29) that mirror each other.
enum RegionKind : std::uint32_t {
  kRegionAttack1 = 1u << 0,
  kRegionAttack2 = 1u << 1,
  kRegionAttack3 = 1u << 2,
  kRegionAttack4 = 1u << 3,
  kRegionGet = 1u << 4,
  kRegionPush = 1u << 5,
  kRegionPullAsParent = 1u << 6,
  kRegionPullAsChild = 1u << 7,
  kRegionHang = 1u << 8,
  kRegionTargetShift = 10,
  kRegionDefendShift = 20,
};

constexpr int kRegionKindCount = 30;

// The property name of object-flag bit `bit` ("Visible" ...), or null for the
// unnamed bits 20-27 and anything outside 0-31.
const char* ObjectFlagName(int bit);
// The name of region-kind bit `bit` ("Attack1" ...), or null for bits 30, 31
// and anything outside 0-31.
const char* RegionKindName(int bit);

// A flag or colour word as files write it: "#" and hexadecimal digits read as
// an unsigned 32-bit number (more digits saturate at 0xFFFFFFFF), anything
// else a signed decimal integer (saturating at the 32-bit limits) taken as
// its 32-bit pattern. Null or unreadable text gives 0.
std::uint32_t ReadFlagWord(const char* text);
