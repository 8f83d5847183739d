// Folders held open by descriptor, and where they lie.
#include "platform/system/opened_folder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

namespace {

// A chain of folders deeper than this is no game's; the walk gives up.
constexpr int kMaxFolderDepth = 4096;

bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

bool StatFolder(const std::string& path, struct stat& info) {
  return stat(path.empty() ? "." : path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

// O_PATH: the *at() calls need no more, and a game folder one may write into
// and enter but not list is still a folder to save in.
OpenedFolder::OpenedFolder(const std::string& path)
    : fd_(open(path.empty() ? "." : path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC)) {}

OpenedFolder::~OpenedFolder() {
  if (fd_ >= 0) close(fd_);
}

OpenedFolder::OpenedFolder(OpenedFolder&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

OpenedFolder& OpenedFolder::operator=(OpenedFolder&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) close(fd_);
    fd_ = std::exchange(other.fd_, -1);
  }
  return *this;
}

bool OpenedFolder::IsFolder(const std::string& path) const {
  struct stat wanted, mine;
  return fd_ >= 0 && StatFolder(path, wanted) && fstat(fd_, &mine) == 0 && SameFile(mine, wanted);
}

bool OpenedFolder::LiesWithin(const std::string& path) const {
  struct stat wanted;
  if (fd_ < 0 || !StatFolder(path, wanted)) return false;
  // O_PATH: a parent the user may only pass through can still be looked at.
  int current = openat(fd_, ".", O_PATH | O_DIRECTORY | O_CLOEXEC);
  bool within = false;
  for (int depth = 0; current >= 0 && depth < kMaxFolderDepth; ++depth) {
    struct stat here;
    if (fstat(current, &here) != 0) break;
    if (SameFile(here, wanted)) {
      within = true;
      break;
    }
    const int parent = openat(current, "..", O_PATH | O_DIRECTORY | O_CLOEXEC);
    struct stat above;
    const bool atRoot = parent < 0 || fstat(parent, &above) != 0 || SameFile(above, here);
    close(current);
    current = parent;
    if (atRoot) break;
  }
  if (current >= 0) close(current);
  return within;
}

FolderAndName OpenFolderOfFile(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  return {OpenedFolder(folder), path.substr(folder.size())};
}
