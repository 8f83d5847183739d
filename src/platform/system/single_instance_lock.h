// The single-instance lock: a file named after the program's mutex in the
// user's runtime folder, locked with a lock the system drops when the process
// ends, however it ends. Start-up takes it before anything else.
#pragma once

#include <string>

class SingleInstanceLock {
 public:
  enum Result {
    kCreated = 0,      // this process holds it now
    kAlreadyHeld = 1,  // another process holds it
    kFailed = 2,       // the lock file cannot be opened or locked
  };

  SingleInstanceLock() = default;
  ~SingleInstanceLock() { Release(); }
  SingleInstanceLock(const SingleInstanceLock&) = delete;
  SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;

  // Opens (creating it when missing) and locks LockPath(name).
  Result Create(const char* name);
  // Unlocks and closes the file when it is held. The file stays: removing it
  // would let a third process lock a new file while a second still waits on the old.
  void Release();
  bool IsHeld() const { return fd_ >= 0; }

  // "<folder>/<name>.lock": the folder is $XDG_RUNTIME_DIR, or /tmp where it
  // is unset or empty.
  static std::string LockPath(const char* name);

 private:
  int fd_ = -1;
};
