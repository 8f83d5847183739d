// The built program run as a person would: copied into a folder of its own
// beside the Ogg library and a game's files, started from another folder with
// the environment the test gives, and waited for with a time limit. Used by
// the end-to-end tests.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "platform/system/temp_folder.h"

struct PlayerOptions {
  // Also copied beside the program, as "wuvorbis.so"; empty: no library.
  std::string library = T3D_WUVORBIS;
  // The display to play on (":N"); empty: none, so the program plays unseen.
  std::string display;
  // Variables set last, over those above (an empty value removes one).
  std::vector<std::pair<std::string, std::string>> environment;
  // The most address space the program may take, in bytes; 0: no limit.
  std::uint64_t addressSpaceLimit = 0;
};

class PlayerProcess {
 public:
  // Starts the program in `folder`. Sound goes to SDL's dummy driver, so a
  // machine without a sound card runs the same; the single-instance lock file
  // goes into the folder, so tests running side by side do not meet.
  PlayerProcess(const TempFolder& folder, const PlayerOptions& options = {});
  // The same in any folder (its path ending in "/").
  PlayerProcess(const std::string& folder, const PlayerOptions& options = {});
  // Kills a program that is still running.
  ~PlayerProcess();
  PlayerProcess(const PlayerProcess&) = delete;
  PlayerProcess& operator=(const PlayerProcess&) = delete;

  // The exit code once the program has ended; -1 when it did not end within
  // `timeoutMs` (it is then killed) or ended by a signal, which then goes to
  // *endSignal (may be null; 0 otherwise).
  int Wait(int timeoutMs = 60000, int* endSignal = nullptr);
  // Sends the signal to the program, as a terminal or a session would.
  void Signal(int signal) const;
  // What the program wrote to standard error and standard output so far.
  std::string Output() const;
  // The memory the running program holds now, in KiB; 0 once it has ended.
  long ResidentKib() const;
  // The most memory the program held at once, in KiB, once Wait saw it end.
  long PeakResidentKib() const { return peakResidentKib_; }

 private:
  int pid_ = -1;
  std::string outputPath_;
  long peakResidentKib_ = 0;
};

struct RunResult {
  int exitCode = -1;
  std::string output;  // standard error and standard output
};

// Plays the game in `folder` to its end.
RunResult Play(const TempFolder& folder, const PlayerOptions& options = {});

// The images a scene's drawing needs to start, as any game folder has them,
// written into `folder` (ending in "/").
void WriteSceneImages(const std::string& folder);
// The folder of a game as the program meets it: the files of `game`, where a
// folder NAME.dat becomes the archive NAME.dat (its paths joined by "\\"),
// and the images a scene's drawing needs.
void CopyGame(const std::filesystem::path& game, const TempFolder& folder);
// expected.sav: a "[Section]" line, then its "name=value" lines.
std::string ExpectedSettings(const std::filesystem::path& file);

// A settings file as Storage writes it under the default key: one section,
// then its entries in order.
std::string Settings(const std::string& section, const std::vector<std::pair<std::string, std::string>>& entries);

// Waits until the file holds `text` somewhere; false after `timeoutMs`.
bool WaitForText(const TempFolder& folder, const std::string& file, const std::string& text, int timeoutMs = 30000);
