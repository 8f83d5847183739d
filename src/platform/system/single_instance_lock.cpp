// The lock file, held with a POSIX record lock. Such a lock belongs to the
// process: it goes when the process ends, however it ends, and a child made
// by fork does not share it. A lock on the open file (flock) would be shared
// by every child: SDL shows a message box from a forked child, which kept the
// game locked out after the game itself was killed during the box.
#include "platform/system/single_instance_lock.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <vector>

namespace {

// A record lock of this process on a file it already holds succeeds, and
// closing any descriptor of that file drops the lock. So the process keeps
// the files it holds, looks there before it locks, and never closes a
// descriptor of a held file while the file is held.
struct HeldFile {
  dev_t device;
  ino_t inode;
  int fd;
  // Opened by a second lock of this process on the file; closed with the first.
  std::vector<int> sameFile;
};

struct HeldFiles {
  std::mutex mutex;
  std::vector<HeldFile> files;
  // A child made by fork inherits the list but none of the locks.
  pid_t process = 0;

  void ForgetInheritedFiles() {
    if (process == getpid()) return;
    files.clear();
    process = getpid();
  }
  HeldFile* Find(const struct stat& info) {
    for (HeldFile& held : files)
      if (held.device == info.st_dev && held.inode == info.st_ino) return &held;
    return nullptr;
  }
};

// Never destroyed: a lock may be released by a destructor that runs after
// those of function statics.
HeldFiles& Held() {
  static HeldFiles* held = new HeldFiles;
  return *held;
}

bool LockWholeFile(int fd, short type) {
  struct flock whole {};
  whole.l_type = type;
  whole.l_whence = SEEK_SET;
  whole.l_start = 0;
  whole.l_len = 0;
  return fcntl(fd, F_SETLK, &whole) == 0;
}

}  // namespace

std::string SingleInstanceLock::LockPath(const char* name, const std::string& sharedFolder) {
  const std::string file = name != nullptr ? name : "";
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && runtime[0] != '\0') {
    std::string path = runtime;
    if (path.back() != '/') path += '/';
    return path + file + ".lock";
  }
  // Every user's programs meet in the shared folder: one name for all would
  // let another user's file there (which a sticky folder keeps others from
  // opening) lock everybody out for good.
  std::string path = sharedFolder.empty() ? "/" : sharedFolder;
  if (path.back() != '/') path += '/';
  return path + file + "-" + std::to_string(geteuid()) + ".lock";
}

SingleInstanceLock::Result SingleInstanceLock::CreateAt(const std::string& path) {
  Release();
  // No link is followed, and nothing waits on a pipe or takes a terminal that
  // somebody may have put at the name; what was opened is looked at below.
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0600);
  if (fd < 0) return kFailed;
  struct stat info;
  if (fstat(fd, &info) != 0) {
    close(fd);
    return kFailed;
  }
  HeldFiles& held = Held();
  std::lock_guard<std::mutex> guard(held.mutex);
  held.ForgetInheritedFiles();
  if (HeldFile* file = held.Find(info)) {
    file->sameFile.push_back(fd);
    return kAlreadyHeld;
  }
  // Only a regular file of the user's own, with this one name: a file of
  // another user may be locked by that user at will, and a second name
  // means the file is one of ours that somebody has linked here.
  if (!S_ISREG(info.st_mode) || info.st_uid != geteuid() || info.st_nlink != 1) {
    close(fd);
    return kFailed;
  }
  if (!LockWholeFile(fd, F_WRLCK)) {
    const bool otherHolder = errno == EACCES || errno == EAGAIN;
    close(fd);
    return otherHolder ? kAlreadyHeld : kFailed;
  }
  held.files.push_back(HeldFile{info.st_dev, info.st_ino, fd, {}});
  fd_ = fd;
  return kCreated;
}

void SingleInstanceLock::Release() {
  if (fd_ < 0) return;
  HeldFiles& held = Held();
  std::lock_guard<std::mutex> guard(held.mutex);
  held.ForgetInheritedFiles();
  const auto file = std::find_if(held.files.begin(), held.files.end(),
                                 [this](const HeldFile& entry) { return entry.fd == fd_; });
  LockWholeFile(fd_, F_UNLCK);
  if (file != held.files.end()) {
    for (int other : file->sameFile) close(other);
    held.files.erase(file);
  }
  close(fd_);
  fd_ = -1;
}
