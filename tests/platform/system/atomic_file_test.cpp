// Replacing a file: what the new file's mode comes from, what is replaced at
// all, and the temporary files of runs that were killed.
#include "platform/system/atomic_file.h"

#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/system/profile_file.h"
#include "platform/system/temp_folder.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

mode_t ModeOf(const std::string& path) {
  struct stat info {};
  lstat(path.c_str(), &info);
  return info.st_mode;
}

mode_t DefaultMode() {
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

// The number of a process that has ended.
pid_t EndedProcess() {
  const pid_t child = fork();
  if (child == 0) _exit(0);
  waitpid(child, nullptr, 0);
  return child;
}

// The new file takes the read and write bits of the file it replaces, read
// from the name itself: never set-id, sticky or execute bits, and nothing
// through a link, which is replaced by a file of the default mode while what
// it points at stays as it was.
TEST(AtomicFileTest, NewFileTakesOnlyTheReadAndWriteBitsOfTheFileItReplaces) {
  struct Case {
    const char* what;
    mode_t old;     // the mode of the file at the name, or of the link's target
    bool link;      // the name is a link to that file
    mode_t wanted;  // the new file's permission bits; 0: the default mode
  };
  const Case cases[] = {{"read and write bits", 0640, false, 0640},
                        {"set-id, sticky and execute bits", 07777, false, 0666},
                        {"set-user-id behind a link", 04777, true, 0},
                        {"a private file behind a link", 0600, true, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempFolder folder;
    const std::string old = folder.Write(c.link ? "target" : "Caps.txt", "old");
    ASSERT_EQ(chmod(old.c_str(), c.old), 0);
    if (c.link) {
      ASSERT_EQ(symlink("target", (folder.path() + "Caps.txt").c_str()), 0);
    }
    ASSERT_TRUE(WriteFileAtomically(folder.path() + "Caps.txt", "new"));
    const mode_t mode = ModeOf(folder.path() + "Caps.txt");
    EXPECT_TRUE(S_ISREG(mode));
    EXPECT_EQ(mode & 07777, c.wanted != 0 ? c.wanted : DefaultMode());
    EXPECT_EQ(folder.Read("Caps.txt"), "new");
    if (c.link) {
      EXPECT_EQ(folder.Read("target"), "old");
      EXPECT_EQ(ModeOf(old) & 07777, c.old);
    }
  }
}

// A pipe at the name is not replaced.
TEST(AtomicFileTest, LeavesWhatIsNoFileInPlace) {
  TempFolder folder;
  ASSERT_EQ(mkfifo((folder.path() + "pipe").c_str(), 0600), 0);
  EXPECT_FALSE(WriteFileAtomically(folder.path() + "pipe", "new"));
  EXPECT_TRUE(S_ISFIFO(ModeOf(folder.path() + "pipe")));
  EXPECT_EQ(Names(folder.path()), (std::vector<std::string>{"pipe"}));
}

// A write through a folder opened before goes to that folder, even after its
// name was given to a link that leads elsewhere.
TEST(AtomicFileTest, WritesIntoTheFolderOpenedWhateverItsNameLeadsToNow) {
  TempFolder folder, elsewhere;
  folder.MakeFolder("models");
  const OpenedFolder opened(folder.path() + "models");
  ASSERT_TRUE(opened.IsOpen());
  EXPECT_TRUE(opened.LiesWithin(folder.path()));
  EXPECT_FALSE(opened.IsFolder(folder.path()));
  fs::rename(folder.path() + "models", folder.path() + "moved");
  ASSERT_EQ(symlink(elsewhere.path().c_str(), (folder.path() + "models").c_str()), 0);
  EXPECT_TRUE(opened.LiesWithin(folder.path()));
  EXPECT_FALSE(opened.LiesWithin(elsewhere.path()));
  ASSERT_TRUE(WriteFileAtomically(opened, "m.x", "model"));
  EXPECT_EQ(folder.Read("moved/m.x"), "model");
  EXPECT_TRUE(Names(elsewhere.path()).empty());
  EXPECT_FALSE(WriteFileAtomically(opened, "../m.x", "model"));
}

// A run killed between its temporary file and the rename leaves the
// temporary; the next write of that file removes those whose process is
// gone, and only those.
TEST(AtomicFileTest, RemovesTemporariesOfEndedRunsOfTheSameFile) {
  TempFolder folder;
  const std::string ended = std::to_string(EndedProcess());
  const std::string running = std::to_string(getppid());
  for (const std::string& name : {"Caps.txt." + ended + ".0.tmp", "Caps.txt." + ended + ".17.tmp",
                                  "Caps.txt." + running + ".0.tmp", "Config.sav." + ended + ".0.tmp",
                                  "Caps.txt.x" + ended + ".0.tmp", "Caps.txt." + ended + ".0.tmp.keep"})
    folder.Write(name, "left");
  ASSERT_TRUE(WriteFileAtomically(folder.path() + "Caps.txt", "new"));
  std::vector<std::string> kept = {"Caps.txt", "Caps.txt." + ended + ".0.tmp.keep", "Caps.txt." + running + ".0.tmp",
                                   "Caps.txt.x" + ended + ".0.tmp", "Config.sav." + ended + ".0.tmp"};
  std::sort(kept.begin(), kept.end());
  EXPECT_EQ(Names(folder.path()), kept);
}

// A writer in another process namespace (a sandboxed launcher sharing the
// folder) has a number that is no process here, yet it is writing: its lock
// on the temporary says so. The lock belongs to the open file, so the
// cleaner's own open meets this one as it would meet another process's.
TEST(AtomicFileTest, KeepsTheTemporaryOfAWriterThatStillHoldsItsLock) {
  TempFolder folder;
  const std::string ended = std::to_string(EndedProcess());
  const std::string writing = folder.Write("Caps.txt." + ended + ".0.tmp", "half");
  folder.Write("Caps.txt." + ended + ".1.tmp", "left");
  const int fd = open(writing.c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(flock(fd, LOCK_EX), 0);
  EXPECT_TRUE(WriteFileAtomically(folder.path() + "Caps.txt", "new"));
  close(fd);
  EXPECT_EQ(Names(folder.path()), (std::vector<std::string>{"Caps.txt", "Caps.txt." + ended + ".0.tmp"}));
}

// The cleaner of a run in another process namespace: it sees no process
// behind any temporary, so it removes each one whose lock it can take. It
// comes to each temporary (inotify tells it of them) a few milliseconds after
// it was made, while its writer fills it: in the instant between the making
// and the lock it would only send the writer to another name.
class StrangerCleaner {
 public:
  explicit StrangerCleaner(const std::string& folder) : folder_(folder) {
    notify_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    watching_ = notify_ >= 0 && inotify_add_watch(notify_, folder.c_str(), IN_CREATE) >= 0;
    if (watching_) thread_ = std::thread([this] { Run(); });
  }
  ~StrangerCleaner() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (notify_ >= 0) close(notify_);
  }
  bool IsWatching() const { return watching_; }

 private:
  void Run() {
    alignas(inotify_event) char events[4096];
    pollfd wait{notify_, POLLIN, 0};
    while (!stop_) {
      if (poll(&wait, 1, 10) <= 0) continue;
      const ssize_t size = read(notify_, events, sizeof events);
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
      for (ssize_t at = 0; at < size;) {
        const auto* event = reinterpret_cast<const inotify_event*>(events + at);
        at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        const std::string name = event->len > 0 ? event->name : "";
        if (name.size() < 4 || name.compare(name.size() - 4, 4, ".tmp") != 0) continue;
        const std::string path = folder_ + name;
        const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        if (flock(fd, LOCK_EX | LOCK_NB) == 0) unlink(path.c_str());
        close(fd);
      }
    }
  }

  std::string folder_;
  int notify_ = -1;
  bool watching_ = false;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

// A writer's temporary is locked from the moment it is made until it is
// renamed: a cleaner that cannot tell whether its process lives (one of
// another process namespace) never takes it away half-written. The writes
// are large enough that the cleaner meets each temporary while it is filled.
TEST(AtomicFileTest, AWritersTemporaryIsLockedUntilItIsInPlace) {
  TempFolder folder;
  StrangerCleaner cleaner(folder.path());
  if (!cleaner.IsWatching()) GTEST_SKIP() << "inotify cannot watch the folder here";
  for (char fill : {'a', 'b', 'c'}) {
    const std::string bytes(8u << 20, fill);
    EXPECT_TRUE(WriteFileAtomically(folder.path() + "Config.sav", bytes)) << fill;
    EXPECT_TRUE(folder.Read("Config.sav") == bytes) << fill;
  }
  EXPECT_EQ(Names(folder.path()), std::vector<std::string>{"Config.sav"});
}

// The user the folder is handed to when root runs the tests.
constexpr uid_t kUnprivilegedUser = 65534;
// A child's exit status: no owner could be arranged.
constexpr int kNoOwner = 77;

// Runs `work` in a child process that owns `folder`, while the folder's mode
// is `mode`. Root passes every permission bit, so as root the folder is
// handed to an unprivileged user and the child becomes that user. The exit
// status of the child: 0 when the work succeeded.
int RunAsOwnerOf(const std::string& folder, mode_t mode, const std::function<bool()>& work) {
  const bool root = geteuid() == 0;
  if (root && chown(folder.c_str(), kUnprivilegedUser, kUnprivilegedUser) != 0) return kNoOwner;
  if (chmod(folder.c_str(), mode) != 0) return kNoOwner;
  const pid_t child = fork();
  if (child == 0) {
    if (root && (setgroups(0, nullptr) != 0 || setgid(kUnprivilegedUser) != 0 || setuid(kUnprivilegedUser) != 0))
      _exit(kNoOwner);
    _exit(work() ? 0 : 1);
  }
  int status = -1;
  waitpid(child, &status, 0);
  chmod(folder.c_str(), 0700);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A game folder one may write into and enter but not list (mode 0300): the
// settings and the capability report are still written there.
TEST(AtomicFileTest, WritesIntoAFolderItsOwnerMayEnterButNotList) {
  TempFolder folder;
  const std::string path = folder.path();
  const int status = RunAsOwnerOf(path, 0300, [&] {
    return WriteFileAtomically(path + "Caps.txt", "caps") && WriteProfileString(path + "Config.sav", "S", "K", "1") &&
           WriteProfileString(path + "Config.sav", "S", "L", "2");
  });
  if (status == kNoOwner) GTEST_SKIP() << "no user can be made the folder's owner here";
  EXPECT_EQ(status, 0);
  EXPECT_EQ(folder.Read("Caps.txt"), "caps");
  EXPECT_EQ(folder.Read("Config.sav"), "[S]\r\nK=1\r\nL=2\r\n");
  EXPECT_EQ(Names(path), (std::vector<std::string>{"Caps.txt", "Config.sav"}));
}

}  // namespace
