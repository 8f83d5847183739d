// Temporary file, flush, rename: the one way this program replaces a file.
#include "platform/system/atomic_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>

namespace {

std::atomic<unsigned> gTemporaryCounter{0};

constexpr std::string_view kTemporarySuffix = ".tmp";

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

bool IsPlainName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos &&
         name.find('\0') == std::string_view::npos;
}

// "<name>.<pid>.<n>.tmp": the process that made the temporary file, or 0
// when `entry` is no temporary of `name`.
long TemporaryOwner(std::string_view entry, std::string_view name) {
  if (entry.size() <= name.size() + 1 || entry.compare(0, name.size(), name) != 0 || entry[name.size()] != '.')
    return 0;
  std::string_view rest = entry.substr(name.size() + 1);
  if (rest.size() <= kTemporarySuffix.size() || rest.substr(rest.size() - kTemporarySuffix.size()) != kTemporarySuffix)
    return 0;
  rest.remove_suffix(kTemporarySuffix.size());
  const std::size_t dot = rest.find('.');
  if (dot == 0 || dot == std::string_view::npos || dot + 1 == rest.size()) return 0;
  long pid = 0;
  for (std::size_t i = 0; i < rest.size(); ++i) {
    const char c = rest[i];
    if (i == dot) continue;
    if (c < '0' || c > '9') return 0;
    if (i < dot) {
      if (pid > (INT_MAX - (c - '0')) / 10) return 0;
      pid = pid * 10 + (c - '0');
    }
  }
  return pid;
}

// A run killed between its temporary file and the rename leaves the
// temporary behind for good; the next write of the same file clears it. Only
// temporaries whose process is gone: another copy may be writing right now.
void RemoveAbandonedTemporaries(int folder, std::string_view name) {
  const int listFd = openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (listFd < 0) return;
  DIR* dir = fdopendir(listFd);
  if (dir == nullptr) {
    close(listFd);
    return;
  }
  const long self = static_cast<long>(getpid());
  while (const dirent* entry = readdir(dir)) {
    const long pid = TemporaryOwner(entry->d_name, name);
    if (pid <= 0 || pid == self) continue;
    if (kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
    struct stat info;
    if (fstatat(folder, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
        (S_ISREG(info.st_mode) || S_ISLNK(info.st_mode)))
      unlinkat(folder, entry->d_name, 0);
  }
  closedir(dir);
}

}  // namespace

bool WriteFileAtomically(const OpenedFolder& folder, std::string_view name, std::string_view bytes) {
  if (!folder.IsOpen() || !IsPlainName(name)) return false;
  const int dirFd = folder.Descriptor();
  const std::string target(name);

  // The mode is read from the name itself, not through a link: a link could
  // lend the new file the bits of any file it points at.
  mode_t mode = 0;
  bool keepMode = false;
  struct stat old;
  if (fstatat(dirFd, target.c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0) {
    if (S_ISREG(old.st_mode)) {
      mode = old.st_mode & 0666;
      keepMode = true;
    } else if (!S_ISLNK(old.st_mode)) {
      return false;
    }
  } else if (errno != ENOENT) {
    return false;
  }
  RemoveAbandonedTemporaries(dirFd, target);

  std::string temporary;
  int fd = -1;
  // The name is unique within this process; O_EXCL settles races with others.
  for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
    temporary = target + "." + std::to_string(getpid()) + "." + std::to_string(gTemporaryCounter++) +
                std::string(kTemporarySuffix);
    fd = openat(dirFd, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) return false;
  }
  if (fd < 0) return false;

  bool ok = !keepMode || fchmod(fd, mode) == 0;
  ok = ok && WriteAll(fd, bytes) && fsync(fd) == 0;
  ok = (close(fd) == 0) && ok;
  ok = ok && renameat(dirFd, temporary.c_str(), dirFd, target.c_str()) == 0;
  if (!ok) {
    unlinkat(dirFd, temporary.c_str(), 0);
    return false;
  }
  // The rename is only durable once the folder's entry is on the disk too.
  fsync(dirFd);
  return true;
}

bool WriteFileAtomically(const std::string& path, std::string_view bytes) {
  const FolderAndName file = OpenFolderOfFile(path);
  return WriteFileAtomically(file.folder, file.name, bytes);
}
