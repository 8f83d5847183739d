#include "platform/system/single_instance_lock.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/system/temp_folder.h"

namespace {

constexpr char kName[] = "Test Lock";

TEST(SingleInstanceLock, LivesInTheRuntimeFolderOrTmp) {
  setenv("XDG_RUNTIME_DIR", "/run/user/1000", 1);
  EXPECT_EQ(SingleInstanceLock::LockPath(kName), "/run/user/1000/Test Lock.lock");
  setenv("XDG_RUNTIME_DIR", "", 1);
  EXPECT_EQ(SingleInstanceLock::LockPath(kName), "/tmp/Test Lock.lock");
  unsetenv("XDG_RUNTIME_DIR");
  EXPECT_EQ(SingleInstanceLock::LockPath(kName), "/tmp/Test Lock.lock");
}

// One holder at a time, across processes too; the lock goes with a process
// that dies holding it, and a folder that cannot hold the file fails.
TEST(SingleInstanceLock, OneHolderAtATime) {
  TempFolder folder;
  setenv("XDG_RUNTIME_DIR", folder.path().c_str(), 1);
  SingleInstanceLock first, second;
  EXPECT_EQ(first.Create(kName), SingleInstanceLock::kCreated);
  EXPECT_EQ(second.Create(kName), SingleInstanceLock::kAlreadyHeld);
  EXPECT_FALSE(second.IsHeld());
  first.Release();
  EXPECT_EQ(second.Create(kName), SingleInstanceLock::kCreated);
  second.Release();

  const pid_t child = fork();
  if (child == 0) {
    SingleInstanceLock held;
    // Ends without releasing it, as a crash would.
    _exit(held.Create(kName) == SingleInstanceLock::kCreated ? 0 : 1);
  }
  int status = -1;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(first.Create(kName), SingleInstanceLock::kCreated);

  setenv("XDG_RUNTIME_DIR", (folder.path() + "missing").c_str(), 1);
  EXPECT_EQ(second.Create(kName), SingleInstanceLock::kFailed);
  unsetenv("XDG_RUNTIME_DIR");
}

}  // namespace
