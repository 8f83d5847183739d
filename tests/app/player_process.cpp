// Starting, waiting for and killing the program; the game folder it plays
// and the settings file it writes.
#include "app/player_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>
#include <thread>

#include "classes/storage_codec.h"
#include "files/archive_writer.h"
#include "support/case_files.h"
#include "support/game_folder.h"

PlayerProcess::PlayerProcess(const TempFolder& folder, const PlayerOptions& options)
    : PlayerProcess(folder.path(), options) {}

PlayerProcess::PlayerProcess(const std::string& folder, const PlayerOptions& options) {
  const auto replace = std::filesystem::copy_options::overwrite_existing;
  const std::string program = folder + "t3dplayer";
  std::filesystem::copy_file(T3D_PLAYER, program, replace);
  if (!options.library.empty()) std::filesystem::copy_file(options.library, folder + "wuvorbis.so", replace);
  // Beside the folder, not in it: the folder is the game's.
  outputPath_ = folder.substr(0, folder.size() - 1) + ".output";
  const pid_t pid = fork();
  if (pid == 0) {
    // A test killed before its end takes the program with it.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    const int output = open(outputPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(output, STDOUT_FILENO);
    dup2(output, STDERR_FILENO);
    // Started from another folder: the program folder is the program's own.
    if (chdir("/") != 0) _exit(126);
    unsetenv("WAYLAND_DISPLAY");
    unsetenv("SDL_VIDEODRIVER");
    if (options.display.empty()) {
      unsetenv("DISPLAY");
    } else {
      setenv("DISPLAY", options.display.c_str(), 1);
      setenv("SDL_VIDEODRIVER", "x11", 1);
    }
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    if (options.addressSpaceLimit != 0) {
      const rlimit limit{options.addressSpaceLimit, options.addressSpaceLimit};
      setrlimit(RLIMIT_AS, &limit);
    }
    setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
    for (const auto& [name, value] : options.environment) {
      if (value.empty()) {
        unsetenv(name.c_str());
      } else {
        setenv(name.c_str(), value.c_str(), 1);
      }
    }
    execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  pid_ = pid;
}

PlayerProcess::~PlayerProcess() {
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    int status;
    waitpid(pid_, &status, 0);
  }
  std::error_code ignored;
  std::filesystem::remove(outputPath_, ignored);
}

int PlayerProcess::Wait(int timeoutMs, int* endSignal) {
  if (endSignal) *endSignal = 0;
  if (pid_ <= 0) return -1;
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  int status = 0;
  for (;;) {
    rusage usage{};
    const pid_t done = wait4(pid_, &status, WNOHANG, &usage);
    if (done == pid_) {
      peakResidentKib_ = usage.ru_maxrss;
      break;
    }
    if (done < 0 || std::chrono::steady_clock::now() >= end) return -1;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  pid_ = -1;
  if (endSignal && WIFSIGNALED(status)) *endSignal = WTERMSIG(status);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void PlayerProcess::Signal(int signal) const {
  if (pid_ > 0) kill(pid_, signal);
}

std::string PlayerProcess::Output() const { return ReadTextFile(outputPath_); }

long PlayerProcess::ResidentKib() const {
  if (pid_ <= 0) return 0;
  const std::string status = ReadTextFile("/proc/" + std::to_string(pid_) + "/status");
  const std::size_t at = status.find("VmRSS:");
  return at == std::string::npos ? 0 : std::strtol(status.c_str() + at + 6, nullptr, 10);
}

bool WaitForText(const TempFolder& folder, const std::string& file, const std::string& text, int timeoutMs) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (ReadTextFile(folder.path() + file).find(text) == std::string::npos) {
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

void WriteSceneImages(const std::string& folder) {
  const auto gray = [](std::uint32_t, std::uint32_t) { return 0xFF808080u; };
  for (const char* name : {"shadow.bmp", "toon.bmp", "ASCII16.png"}) {
    const std::vector<std::uint8_t> png = GameFolder::Png(32, 32, gray);
    std::ofstream(folder + name, std::ios::binary).write(reinterpret_cast<const char*>(png.data()),
                                                        static_cast<std::streamsize>(png.size()));
  }
}

std::string Settings(const std::string& section, const std::vector<std::pair<std::string, std::string>>& entries) {
  std::string text = "[" + EncodeStorageText(0, section) + "]\r\n";
  for (const auto& [key, value] : entries)
    text += EncodeStorageText(0, key) + "=" + EncodeStorageText(0, value) + "\r\n";
  return text;
}

RunResult Play(const TempFolder& folder, const PlayerOptions& options) {
  PlayerProcess player(folder, options);
  RunResult result;
  result.exitCode = player.Wait();
  result.output = player.Output();
  return result;
}

void CopyGame(const std::filesystem::path& game, const TempFolder& folder) {
  namespace fs = std::filesystem;
  WriteSceneImages(folder.path());
  for (const auto& entry : fs::directory_iterator(game)) {
    if (!entry.is_directory()) {
      fs::copy_file(entry.path(), folder.path() + entry.path().filename().string());
      continue;
    }
    std::vector<TestArchiveEntry> entries;
    for (const auto& file : fs::recursive_directory_iterator(entry.path())) {
      if (!file.is_regular_file()) continue;
      std::string name = file.path().lexically_relative(entry.path()).generic_string();
      std::replace(name.begin(), name.end(), '/', '\\');
      entries.push_back({name, ReadTextFile(file.path()), {}, {}, false});
    }
    folder.Write(entry.path().filename().string(), BuildTestArchive(entries));
  }
}

std::string ExpectedSettings(const std::filesystem::path& file) {
  std::istringstream lines(ReadTextFile(file));
  std::string section, line;
  std::getline(lines, section);
  std::vector<std::pair<std::string, std::string>> entries;
  while (std::getline(lines, line))
    entries.emplace_back(line.substr(0, line.find('=')), line.substr(line.find('=') + 1));
  return Settings(section.substr(1, section.size() - 2), entries);
}
