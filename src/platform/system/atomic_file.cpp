// Temporary file, flush, rename: the one way this program replaces a file.
#include "platform/system/atomic_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <string>

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

bool AllDigits(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// "<name>.<pid>.<n>.tmp": a name unique among this program's writers, whose
// process can be told from it.
std::string TemporaryName(std::string_view name, unsigned count) {
  return std::string(name) + "." + std::to_string(getpid()) + "." + std::to_string(count) +
         std::string(kTemporarySuffix);
}

// The process that made `entry` as a temporary of `name`; 0 when it is none.
pid_t TemporaryOwner(std::string_view entry, std::string_view name) {
  // The name may end in the suffix itself: the two must not overlap.
  if (entry.size() <= name.size() + kTemporarySuffix.size() || !entry.starts_with(name) ||
      !entry.ends_with(kTemporarySuffix))
    return 0;
  entry.remove_prefix(name.size());
  entry.remove_suffix(kTemporarySuffix.size());
  const std::size_t dot = entry.find('.', 1);
  if (entry[0] != '.' || dot == std::string_view::npos) return 0;
  const std::string_view pid = entry.substr(1, dot - 1), count = entry.substr(dot + 1);
  pid_t owner = 0;
  if (!AllDigits(pid) || !AllDigits(count) ||
      std::from_chars(pid.data(), pid.data() + pid.size(), owner).ec != std::errc())
    return 0;
  return owner;
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
  const pid_t self = getpid();
  while (const dirent* entry = readdir(dir)) {
    const pid_t pid = TemporaryOwner(entry->d_name, name);
    if (pid <= 0 || pid == self) continue;
    if (kill(pid, 0) == 0 || errno != ESRCH) continue;
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
    temporary = TemporaryName(target, gTemporaryCounter++);
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
