// The lock file, held with flock: the lock belongs to the open file and goes
// with it when the process dies, so a crashed game never locks out the next.
#include "platform/system/single_instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

std::string SingleInstanceLock::LockPath(const char* name) {
  const char* folder = std::getenv("XDG_RUNTIME_DIR");
  std::string path = folder != nullptr && folder[0] != '\0' ? folder : "/tmp";
  if (path.back() != '/') path += '/';
  return path + (name != nullptr ? name : "") + ".lock";
}

SingleInstanceLock::Result SingleInstanceLock::Create(const char* name) {
  Release();
  // Read access is enough for flock, so a file left by another user in a
  // shared folder still locks instead of failing.
  const int fd = open(LockPath(name).c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return kFailed;
  int locked;
  do {
    locked = flock(fd, LOCK_EX | LOCK_NB);
  } while (locked != 0 && errno == EINTR);
  if (locked != 0) {
    const bool held = errno == EWOULDBLOCK;
    close(fd);
    return held ? kAlreadyHeld : kFailed;
  }
  fd_ = fd;
  return kCreated;
}

void SingleInstanceLock::Release() {
  if (fd_ < 0) return;
  flock(fd_, LOCK_UN);
  close(fd_);
  fd_ = -1;
}
