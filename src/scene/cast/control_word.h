// The bits of a cast's control word (pad, walls, ground, double taps, pushing,
// conditions) and the pure steps of building and testing it. The cast's control pass and its tests use them.
#pragma once

#include <cstdint>

// The pad word's bits (kPadUp ...) are the input manager's button mask.
#include "input/input_manager.h"

struct CaseRecord;

constexpr std::uint32_t kControlUp = 0x1;
constexpr std::uint32_t kControlDown = 0x2;
constexpr std::uint32_t kControlLeft = 0x4;
constexpr std::uint32_t kControlRight = 0x8;
constexpr std::uint32_t kControlStick = 0xF;
// Wall sectors by the contact's heading h (its angle from +x toward +z plus
// the cast's yaw): about 90, 270, 180 and 0 degrees.
constexpr std::uint32_t kControlWallAt90 = 0x1000;
constexpr std::uint32_t kControlWallAt270 = 0x2000;
constexpr std::uint32_t kControlWallAt180 = 0x4000;
constexpr std::uint32_t kControlWallAt0 = 0x8000;
constexpr std::uint32_t kControlGround = 0x20000;
// The stick bits of a double tap, shifted up by this many.
constexpr int kControlDoubleTapShift = 18;
constexpr std::uint32_t kControlPushing = 0x1000000;
// "Condition1" to "Condition4" of the effective flags.
constexpr std::uint32_t kControlConditions = 0xF0000000u;

// The class's input mode (its case table's type): the player's pad with
// contacts and conditions, contacts only, or nothing.
enum ControlInputMode : int { kInputPlayer = 0, kInputNone = 1 };

// The pad word's stick (up, down, left, right as 0x8, 0x1, 0x2, 0x4) in the
// control word's order, and buttons 1 to 8 as they are.
std::uint32_t PadToControlWord(std::uint32_t pad);
// The wall bit of a contact at `heading` (its direction's angle plus the
// cast's yaw, not wrapped).
std::uint32_t WallSector(float heading);
// Both parts of a case record: one of its any-bits (when it has any) and
// every masked word equal to its value (when it has masks).
bool CaseRecordMatches(const CaseRecord& record, std::uint32_t held, std::uint32_t pressed, std::uint32_t released);
