// The replay of one recording across the scenes of a session, and the
// recording's file.
#include "scene/session_replay.h"

#include <algorithm>

#include "files/archive.h"
#include "scene/scene.h"

bool ParsePadRecording(std::string_view bytes, std::vector<std::uint32_t>& words, std::string& error) {
  words.clear();
  if (bytes.empty() || bytes.size() % 4 != 0) {
    error = "is not a whole number of four-byte pad words";
    return false;
  }
  if (bytes.size() / 4 > kMaxRecordedFrames) {
    error = "holds more than " + std::to_string(kMaxRecordedFrames) + " frames";
    return false;
  }
  words.resize(bytes.size() / 4);
  for (std::size_t i = 0; i < words.size(); ++i) {
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data()) + 4 * i;
    words[i] = std::uint32_t{b[0]} | std::uint32_t{b[1]} << 8 | std::uint32_t{b[2]} << 16 | std::uint32_t{b[3]} << 24;
  }
  return true;
}

RecordingLoad LoadPadRecording(const std::string& path, std::vector<std::uint32_t>& words, std::string& error) {
  FileData data;
  if (!LoadFile(path, data)) return RecordingLoad::kMissing;
  return ParsePadRecording(data.view(), words, error) ? RecordingLoad::kLoaded : RecordingLoad::kBroken;
}

void Scene::SetSessionReplay(std::vector<std::uint32_t> padWords) {
  sessionReplay_ = std::move(padWords);
  sessionReplayUsed_ = 0;
}

int Scene::RunSessionReplay() {
  const std::size_t left = sessionReplay_.size() - std::min(sessionReplayUsed_, sessionReplay_.size());
  // The record buffer only counts the frames this scene played: the replay
  // overwrites the pad word before it is recorded.
  std::vector<std::uint32_t> played(std::max<std::size_t>(left, 1));
  auto count = static_cast<std::uint32_t>(left);
  const int result = Run(played.data(), &count, sessionReplay_.data() + (sessionReplay_.size() - left),
                         static_cast<std::uint32_t>(left));
  // A scene that ended itself has used the word of its last frame too, which
  // the count leaves out: the next scene must not see that press again.
  sessionReplayUsed_ += std::min<std::size_t>(count < left ? count + 1 : count, left);
  if (sessionReplayUsed_ >= sessionReplay_.size()) quitRequested_ = true;
  return result;
}
