// Temporary file, flush, rename: the one way this program replaces a file.
#include "platform/system/atomic_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
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

bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// Whether `name` in the folder is still the file open at `fd`.
bool NameIsFile(int folder, const char* name, int fd) {
  struct stat named, opened;
  return fstatat(folder, name, &named, AT_SYMLINK_NOFOLLOW) == 0 && fstat(fd, &opened) == 0 &&
         SameFile(named, opened);
}

// Opens a regular file in the folder only to lock it: never through a link,
// never waiting, and for writing when its mode leaves no read bit.
int OpenToLock(int folder, const char* name) {
  constexpr int kFlags = O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
  const int fd = openat(folder, name, O_RDONLY | kFlags);
  if (fd >= 0 || errno != EACCES) return fd;
  return openat(folder, name, O_WRONLY | kFlags);
}

// A run killed between its temporary file and the rename leaves the
// temporary behind for good; the next write of the same file clears it.
// Another copy may be writing right now, and one in another process
// namespace (a sandboxed launcher sharing the folder) has a number that is
// no process here: so a temporary goes only when its process is not alive
// here and its writer's lock is gone too. The listing needs the folder's
// read bit; without it nothing is cleared.
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
    if (fstatat(folder, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0) continue;
    // No writer makes a link: there is no lock to ask.
    if (S_ISLNK(info.st_mode)) {
      unlinkat(folder, entry->d_name, 0);
      continue;
    }
    if (!S_ISREG(info.st_mode)) continue;
    const int fd = OpenToLock(folder, entry->d_name);
    if (fd < 0) continue;
    // Removed while locked: a writer that locks it after this finds its
    // name gone and starts another.
    if (flock(fd, LOCK_EX | LOCK_NB) == 0 && NameIsFile(folder, entry->d_name, fd)) unlinkat(folder, entry->d_name, 0);
    close(fd);
  }
  closedir(dir);
}

// A new temporary, locked and still at its name. -1 with errno EEXIST, as
// for a name already taken, when a cleaner of another run got to it first
// (locked it, or removed it between its creation and our lock); -1 with
// another errno when it cannot be made.
int CreateLockedTemporary(int folder, const std::string& temporary) {
  const int fd = openat(folder, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd < 0) return -1;
  // A file system without locks still gets its file written, unguarded.
  const bool lost = (flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) ||
                    !NameIsFile(folder, temporary.c_str(), fd);
  if (!lost) return fd;
  close(fd);
  errno = EEXIST;
  return -1;
}

// The rename is only durable once the folder's entry is on the disk too. The
// folder is held only as a path, and syncing needs it opened for reading,
// which a folder without its read bit refuses: then the rename stands as
// the file system keeps it.
void SyncFolder(int folder) {
  const int fd = openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
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
    fd = CreateLockedTemporary(dirFd, temporary);
    if (fd < 0 && errno != EEXIST) return false;
  }
  if (fd < 0) return false;

  // The lock is held until the rename is done: until then the temporary is
  // a live writer's, whatever a cleaner can tell of its process.
  bool ok = !keepMode || fchmod(fd, mode) == 0;
  ok = ok && WriteAll(fd, bytes) && fsync(fd) == 0;
  ok = ok && renameat(dirFd, temporary.c_str(), dirFd, target.c_str()) == 0;
  if (!ok) unlinkat(dirFd, temporary.c_str(), 0);
  // The fsync has reported what the close could.
  close(fd);
  if (!ok) return false;
  SyncFolder(dirFd);
  return true;
}

bool WriteFileAtomically(const std::string& path, std::string_view bytes) {
  const FolderAndName file = OpenFolderOfFile(path);
  return WriteFileAtomically(file.folder, file.name, bytes);
}
