// The "Scene" script class: its member table. The scene itself is the class
// object (scene.h); its members are in scene_class.cpp and scene_class_text.cpp.
#pragma once

#include <cstddef>

#include "script/native_class.h"

enum SceneMember {
  kSceneRegisterClass, kSceneUnregisterClass, kSceneAddCast, kSceneDeleteCast, kSceneClearCastSelection,
  kSceneSelectCast, kSceneGetCast, kSceneSendMessage, kSceneSetTimer, kSceneKillTimer, kSceneSwitchCamera,
  kSceneSetParam, kSceneGetParam, kSceneEnableCountDown, kSceneClearColor, kSceneRenderFlags,
  kSceneAddFadeEffect, kSceneEndScene, kSceneLoadCharacterSet, kScenePutCharacters, kSceneDeleteCharacters,
  kSceneGetCharacterLength, kSceneLoadStringList, kSceneGetString, kScenePause, kSceneIsPausing,
};

extern const MemberRecord kSceneMembers[];
extern const std::size_t kSceneMemberCount;

// Texts handed to a text slot keep at most this many bytes.
constexpr std::size_t kSceneTextLimit = 511;
