// The single-instance lock: a file named after the program's mutex, of the
// user's own, locked with a lock that ends with the process that took it,
// however it ends, and that no child process shares. Start-up takes it before
// anything else.
#pragma once

#include <string>

class SingleInstanceLock {
 public:
  enum Result {
    kCreated = 0,      // this process holds it now
    kAlreadyHeld = 1,  // another process, or another lock of this one, holds it
    kFailed = 2,       // the lock file cannot be opened or locked, or is not ours
  };

  SingleInstanceLock() = default;
  ~SingleInstanceLock() { Release(); }
  SingleInstanceLock(const SingleInstanceLock&) = delete;
  SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;

  // Opens (creating it when missing) and locks LockPath(name).
  Result Create(const char* name) { return CreateAt(LockPath(name)); }
  // The same with the file at `path`. A link there is not followed, and a
  // file that is not a regular file of the user's own with no other name
  // fails: in a shared folder anybody may have put it there.
  Result CreateAt(const std::string& path);
  // Unlocks and closes the file when it is held. The file stays: removing it
  // would let a third process lock a new file while a second still waits on the old.
  void Release();
  bool IsHeld() const { return fd_ >= 0; }

  // "$XDG_RUNTIME_DIR/<name>.lock" in the user's runtime folder; where that is
  // unset or empty, "<sharedFolder>/<name>-<uid>.lock", a name of the user's
  // own among everybody's files.
  static std::string LockPath(const char* name, const std::string& sharedFolder = "/tmp");

 private:
  int fd_ = -1;
};
