// The attract sequence of a game started without a display.
#include "app/attract.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "files/archive.h"
#include "scene/scene.h"
#include "scene/session_replay.h"

bool HasNoDisplay() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* value = std::getenv(name);
    if (value && *value) return false;
  }
  return true;
}

void UseAttractReplay(Scene& scene) {
  const std::string path = GetProgramDir() + kAttractRecording;
  std::vector<std::uint32_t> words;
  std::string error;
  switch (LoadPadRecording(path, words, error)) {
    case RecordingLoad::kLoaded:
      scene.SetSessionReplay(std::move(words));
      break;
    case RecordingLoad::kBroken:
      std::fprintf(stderr, "t3dplayer: %s %s; no attract sequence\n", kAttractRecording, error.c_str());
      break;
    case RecordingLoad::kMissing:
      break;
  }
}
