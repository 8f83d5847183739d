// The attract sequence of a game started without a display.
#include "app/attract.h"

#include <cstdio>
#include <string>
#include <vector>

#include "files/archive.h"
#include "scene/scene.h"
#include "scene/session_replay.h"

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
