#include "platform/system/error_lines.h"

#include <cstdio>
#include <functional>
#include <mutex>
#include <string>
#include <unordered_set>

namespace {

// The texts are remembered by a 64-bit hash: a box copy can be a kilobyte,
// and two different lines of one run sharing a hash is not to be met.
struct WrittenLines {
  std::mutex lock;
  std::unordered_set<std::size_t> hashes;
  bool full = false;
};

WrittenLines& Written() {
  static WrittenLines written;
  return written;
}

void Write(std::string_view line) {
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
}

}  // namespace

void WriteErrorLineOnce(std::string_view line) {
  WrittenLines& written = Written();
  // Held over the write too, so that lines of a music thread never cut into
  // one of the main thread.
  const std::lock_guard<std::mutex> hold(written.lock);
  const std::size_t hash = std::hash<std::string_view>{}(line);
  if (written.full || written.hashes.contains(hash)) return;
  if (written.hashes.size() == static_cast<std::size_t>(kMaxErrorLinesPerRun)) {
    written.full = true;
    Write("t3dplayer: " + std::to_string(kMaxErrorLinesPerRun) +
          " different lines in this scene; the rest are held back until the next scene\n");
    return;
  }
  written.hashes.insert(hash);
  Write(line);
}

void ForgetWrittenErrorLines() {
  WrittenLines& written = Written();
  const std::lock_guard<std::mutex> hold(written.lock);
  written.hashes.clear();
  written.full = false;
}
