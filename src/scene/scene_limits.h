// The fixed sizes and marks of the scene runtime: table capacities, name and
// path sizes, and the runtime's own cast flag bits. Every scene file uses them.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr int kCastTableSize = 256;
constexpr int kClassTableSize = 256;
// Names keep 31 bytes and the terminator.
constexpr std::size_t kCastNameSize = 32;
constexpr std::size_t kSceneNameSize = 32;

constexpr int kCastPropertyCount = 32;
constexpr int kCastContactCount = 32;
constexpr int kCastHitListSize = 32;
constexpr int kCameraGuideCount = 64;
constexpr int kRailPointCount = 128;
constexpr int kCastProfileSections = 10;
constexpr int kSceneParameterCount = 32;

// Marks of the runtime, not of content: a cast added while the scene runs,
// and one deleted while it runs (left out of every pass until it is removed).
constexpr std::uint32_t kCastAddedWhileRunning = 0x2000000u;
constexpr std::uint32_t kCastDeletedWhileRunning = 0x4000000u;
// The selection bit scripts set in a cast's initial flags.
constexpr std::uint32_t kCastSelected = 0x1000000u;

// A flag cache holding this is to be computed again.
constexpr std::uint32_t kFlagCacheInvalid = 0xFFFFFFFFu;
// The scene's frame counter while the scene does not run.
constexpr std::uint32_t kSceneNotRunning = 0xFFFFFFFFu;

// Scene settings that live from one scene to the next (ClearScene keeps them).
constexpr float kDefaultFallSpeed = -5.355191f;
constexpr std::uint32_t kDefaultRenderFlags = 0x3D;
constexpr std::uint32_t kDefaultClearColor = 0xFF1E415Au;
constexpr int kDefaultFps = 30;

// Speed components are kept within this many units per frame.
constexpr float kMaxCastSpeed = 500.0f;
