#include "platform/system/single_instance_lock.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <functional>
#include <string>

#include "platform/system/temp_folder.h"

namespace {

constexpr char kName[] = "Test Lock";
// "nobody": another user of the machine.
constexpr uid_t kOtherUser = 65534;

std::string OwnName(const std::string& folder) {
  return folder + kName + "-" + std::to_string(geteuid()) + ".lock";
}

// What another process gets when it takes the lock at `path` and ends at
// once, without releasing it (as a crash would); -1 when it did not exit.
int LockedInAnotherProcess(const std::string& path) {
  const pid_t other = fork();
  if (other == 0) {
    SingleInstanceLock lock;
    _exit(lock.CreateAt(path));
  }
  int status = -1;
  waitpid(other, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(SingleInstanceLock, LivesInTheRuntimeFolderOrUnderAnOwnNameInTmp) {
  setenv("XDG_RUNTIME_DIR", "/run/user/1000", 1);
  EXPECT_EQ(SingleInstanceLock::LockPath(kName), "/run/user/1000/Test Lock.lock");
  setenv("XDG_RUNTIME_DIR", "", 1);
  EXPECT_EQ(SingleInstanceLock::LockPath(kName), OwnName("/tmp/"));
  unsetenv("XDG_RUNTIME_DIR");
  EXPECT_EQ(SingleInstanceLock::LockPath(kName), OwnName("/tmp/"));
}

// One holder at a time, across processes and within one; the lock goes with
// a process that dies holding it, and a folder that cannot hold the file fails.
TEST(SingleInstanceLock, OneHolderAtATime) {
  TempFolder folder;
  setenv("XDG_RUNTIME_DIR", folder.path().c_str(), 1);
  SingleInstanceLock first, second;
  EXPECT_EQ(first.Create(kName), SingleInstanceLock::kCreated);
  EXPECT_EQ(second.Create(kName), SingleInstanceLock::kAlreadyHeld);
  EXPECT_FALSE(second.IsHeld());
  // The failed lock of this process did not take the first one's away.
  const std::string path = SingleInstanceLock::LockPath(kName);
  EXPECT_EQ(LockedInAnotherProcess(path), SingleInstanceLock::kAlreadyHeld);
  first.Release();
  EXPECT_EQ(second.Create(kName), SingleInstanceLock::kCreated);
  second.Release();

  ASSERT_EQ(LockedInAnotherProcess(path), SingleInstanceLock::kCreated);
  EXPECT_EQ(first.Create(kName), SingleInstanceLock::kCreated);

  setenv("XDG_RUNTIME_DIR", (folder.path() + "missing").c_str(), 1);
  EXPECT_EQ(second.Create(kName), SingleInstanceLock::kFailed);
  unsetenv("XDG_RUNTIME_DIR");
}

// The holder forks a child that does not exec (as SDL does to show a message
// box) and is killed; the child lives on, and the lock is free all the same.
TEST(SingleInstanceLock, EndsWithItsHolderThoughAForkedChildLivesOn) {
  TempFolder folder;
  setenv("XDG_RUNTIME_DIR", folder.path().c_str(), 1);
  // The orphaned child comes back to this process, which waits for it at the end.
  prctl(PR_SET_CHILD_SUBREAPER, 1);
  int stay[2], box[2];
  ASSERT_EQ(pipe(stay), 0);
  ASSERT_EQ(pipe(box), 0);
  const pid_t holder = fork();
  if (holder == 0) {
    SingleInstanceLock lock;
    if (lock.Create(kName) != SingleInstanceLock::kCreated) _exit(1);
    const pid_t child = fork();
    if (child == 0) {
      close(stay[1]);
      char c;
      (void)!read(stay[0], &c, 1);  // until the test lets it go
      _exit(0);
    }
    (void)!write(box[1], &child, sizeof child);
    pause();  // killed here
    _exit(0);
  }
  close(stay[0]);
  close(box[1]);
  pid_t child = -1;
  ASSERT_EQ(read(box[0], &child, sizeof child), static_cast<ssize_t>(sizeof child));
  close(box[0]);
  kill(holder, SIGKILL);
  waitpid(holder, nullptr, 0);

  SingleInstanceLock lock;
  EXPECT_EQ(lock.Create(kName), SingleInstanceLock::kCreated);
  close(stay[1]);
  waitpid(child, nullptr, 0);
  prctl(PR_SET_CHILD_SUBREAPER, 0);
  unsetenv("XDG_RUNTIME_DIR");
}

// A folder every user shares, sticky and world-writable as /tmp is.
class SharedFolder {
 public:
  SharedFolder() { chmod(folder_.path().c_str(), 01777); }
  const std::string& path() const { return folder_.path(); }

 private:
  TempFolder folder_;
};

// What somebody may have put at the lock's name in a shared folder
// beforehand: only a regular file of the user's own, with no other name, is
// taken, and nothing is created through a link.
TEST(SingleInstanceLock, InASharedFolderTakesOnlyAFileOfTheUsersOwn) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to act as another user";
  unsetenv("XDG_RUNTIME_DIR");
  const auto ownFile = [](const std::string& path) { close(open(path.c_str(), O_WRONLY | O_CREAT, 0600)); };
  using Plant = std::function<void(const std::string& folder, const std::string& path)>;
  struct Case {
    const char* what;
    Plant plant;
    SingleInstanceLock::Result result;
  } cases[] = {
      {"nothing", [](const std::string&, const std::string&) {}, SingleInstanceLock::kCreated},
      {"the user's own file of an earlier run", [&](const std::string&, const std::string& path) {
         ownFile(path);
       }, SingleInstanceLock::kCreated},
      {"another user's file", [&](const std::string&, const std::string& path) {
         ownFile(path);
         ASSERT_EQ(chown(path.c_str(), kOtherUser, kOtherUser), 0);
       }, SingleInstanceLock::kFailed},
      {"a link to a name elsewhere", [](const std::string& folder, const std::string& path) {
         ASSERT_EQ(symlink((folder + "elsewhere").c_str(), path.c_str()), 0);
       }, SingleInstanceLock::kFailed},
      {"a link to the user's own file", [&](const std::string& folder, const std::string& path) {
         ownFile(folder + "elsewhere");
         ASSERT_EQ(symlink((folder + "elsewhere").c_str(), path.c_str()), 0);
       }, SingleInstanceLock::kFailed},
      {"a second name of the user's own file", [&](const std::string& folder, const std::string& path) {
         ownFile(folder + "elsewhere");
         ASSERT_EQ(link((folder + "elsewhere").c_str(), path.c_str()), 0);
       }, SingleInstanceLock::kFailed},
      {"a pipe", [](const std::string&, const std::string& path) {
         ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
       }, SingleInstanceLock::kFailed},
      {"a folder", [](const std::string&, const std::string& path) {
         ASSERT_EQ(mkdir(path.c_str(), 0700), 0);
       }, SingleInstanceLock::kFailed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SharedFolder folder;
    const std::string path = SingleInstanceLock::LockPath(kName, folder.path());
    c.plant(folder.path(), path);
    struct stat before {};
    const bool elsewhere = stat((folder.path() + "elsewhere").c_str(), &before) == 0;
    SingleInstanceLock lock;
    EXPECT_EQ(lock.CreateAt(path), c.result);
    // What a link led to is neither made nor changed.
    struct stat after {};
    EXPECT_EQ(stat((folder.path() + "elsewhere").c_str(), &after) == 0, elsewhere);
    if (elsewhere) {
      EXPECT_EQ(after.st_mode, before.st_mode);
    }
    if (c.result != SingleInstanceLock::kCreated) continue;
    struct stat info {};
    ASSERT_EQ(lstat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, geteuid());
    EXPECT_EQ(info.st_mode & 0777, 0600u);
  }
}

// Another user plays in the shared folder, and left a file at the name all
// users once shared: neither keeps this user's game from starting, and a
// second copy of it still finds the first. "" or what went wrong.
std::string OtherUsersGameInTheSharedFolder(const std::string& folder) {
  const std::string path = SingleInstanceLock::LockPath(kName, folder);
  if (path != OwnName(folder)) return "the lock is at " + path;
  const std::string sharedName = folder + kName + ".lock";
  const int old = open(sharedName.c_str(), O_WRONLY | O_CREAT, 0600);
  if (old < 0 || fchown(old, kOtherUser, kOtherUser) != 0) return "no file of the other user";
  close(old);

  int ready[2], stay[2];
  if (pipe(ready) != 0 || pipe(stay) != 0) return "no pipe";
  const pid_t other = fork();
  if (other == 0) {
    close(ready[0]);
    close(stay[1]);
    SingleInstanceLock theirs;
    char result = 'n';
    if (setgid(kOtherUser) == 0 && setuid(kOtherUser) == 0) {
      const int shared = open(sharedName.c_str(), O_RDONLY);
      result = theirs.CreateAt(SingleInstanceLock::LockPath(kName, folder)) == SingleInstanceLock::kCreated &&
                       flock(shared, LOCK_EX | LOCK_NB) == 0
                   ? 'y'
                   : 'n';
    }
    (void)!write(ready[1], &result, 1);
    char c;
    (void)!read(stay[0], &c, 1);
    _exit(0);
  }
  close(ready[1]);
  close(stay[0]);
  char started = 'n';
  (void)!read(ready[0], &started, 1);
  close(ready[0]);

  std::string error;
  SingleInstanceLock ours;
  if (started != 'y') {
    error = "the other user's game did not start";
  } else if (ours.CreateAt(path) != SingleInstanceLock::kCreated) {
    error = "the other user's game locked this user's out";
  } else if (LockedInAnotherProcess(path) != SingleInstanceLock::kAlreadyHeld) {
    error = "a second copy did not find the first";
  }
  close(stay[1]);
  waitpid(other, nullptr, 0);
  return error;
}

TEST(SingleInstanceLock, AnotherUsersGameLeavesTheUsersOwnFree) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to act as another user";
  SharedFolder folder;
  EXPECT_EQ(OtherUsersGameInTheSharedFolder(folder.path()), "");
}

// The same in /tmp itself, the folder the program uses without a runtime
// folder: a private one, in a mount namespace of a child process.
TEST(SingleInstanceLock, AnotherUsersGameInTmpLeavesTheUsersOwnFree) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to act as another user";
  int report[2];
  ASSERT_EQ(pipe(report), 0);
  const pid_t child = fork();
  if (child == 0) {
    close(report[0]);
    if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        mount("tmpfs", "/tmp", "tmpfs", 0, "mode=1777") != 0)
      _exit(77);
    unsetenv("XDG_RUNTIME_DIR");
    std::string error = OtherUsersGameInTheSharedFolder("/tmp/");
    if (error.empty() && SingleInstanceLock::LockPath(kName) != OwnName("/tmp/")) error = "not in /tmp";
    (void)!write(report[1], error.data(), error.size());
    _exit(0);
  }
  close(report[1]);
  std::string error;
  char buffer[256];
  ssize_t n;
  while ((n = read(report[0], buffer, sizeof buffer)) > 0) error.append(buffer, static_cast<std::size_t>(n));
  close(report[0]);
  int status = -1;
  waitpid(child, &status, 0);
  if (WIFEXITED(status) && WEXITSTATUS(status) == 77) GTEST_SKIP() << "no mount namespace here";
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(error, "");
}

}  // namespace
