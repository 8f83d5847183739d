// The built-in four-character actions that a "#" Command names; the scene's
// ExecuteCommand runs them. Internal to the scene folder.
#pragma once

#include <cstdint>

#include "motion/command.h"

class Cast;
class Scene;

// What RunBuiltInAction answers for a code it does not know.
constexpr int kUnknownAction = -1;

// Runs the action of `command` for `cast` (may be null): 0, or the script
// error code (36 a parameter of the wrong kind, 44 no cast where one is
// needed); kUnknownAction for a code that is not built in. Range errors are
// thrown as EErrorCode values.
int RunBuiltInAction(Scene& scene, const Command& command, Cast* cast);

// The four characters packed with the first one in the highest byte.
constexpr std::uint32_t ActionCode(const char (&code)[5]) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(code[0])) << 24 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(code[1])) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(code[2])) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(code[3]));
}
