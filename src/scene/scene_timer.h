// The scene's per-run records beside its casts: script timers, full-screen
// fades and the camera switch. Used by the scene's frame update and its script members.
#pragma once

#include <array>
#include <cstdint>

#include "scene/cast/cast_handle.h"
#include "script/value.h"

struct ScriptFunction;

constexpr int kSceneTimerCount = 256;
constexpr int kFadeSlotCount = 4;
// Timer functions get the id and these many values.
constexpr int kTimerValueCount = 3;

struct SceneTimer {
  std::uint32_t dueFrame = 0;  // fires once the frame counter reaches it
  std::int32_t id = 0;
  ScriptFunction* target = nullptr;
  std::array<ScriptValue, kTimerValueCount> values;
};

// A full-screen fade; the renderer draws it, the frame update advances it.
struct FadeSlot {
  std::uint32_t active = 0;  // 0: free; bit 31: runs while the scene is paused
  std::int32_t total = 0;
  std::int32_t inEnd = 0;
  std::int32_t outStart = 0;
  std::int32_t elapsed = 0;
  std::array<std::uint8_t, 4> color1{};  // A, R, G, B
  std::array<std::uint8_t, 4> color2{};
  std::uint32_t blendMode = 0;
};
constexpr std::uint32_t kFadeRunsWhilePaused = 0x80000000u;

// The switch from one camera cast to another; casts are held by checked
// handles, so a deleted camera reads as none.
struct CameraSwitch {
  CastHandle current;
  CastHandle next;
  std::int32_t elapsed = 0;
  std::int32_t frames = 0;
  std::uint32_t mode = 0;   // bit 8: blend position and rotation
  std::uint32_t extra = 0;  // kept for the scripts, not read
};
constexpr std::uint32_t kCameraBlend = 0x100u;
