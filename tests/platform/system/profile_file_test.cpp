#include "platform/system/profile_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/system/atomic_file.h"
#include "platform/system/temp_folder.h"
#include "support/case_files.h"

namespace {

const std::filesystem::path kTables = std::filesystem::path(T3D_SOURCE_DIR) / "tests/platform/system/tables";

TEST(ProfileFileTest, ReadsValuesAsTheProfileFunctionsDid) {
  const std::string file = std::string(T3D_SOURCE_DIR) + "/tests/platform/system/tables/settings.sav";
  for (const auto& row : ReadTableRows(kTables / "read_settings.rows", 3, 8)) {
    std::string value = "stale";
    EXPECT_EQ(GetProfileString(file, row[0], row[1], "default", value), row[2].size());
    EXPECT_EQ(value, row[2]) << row[0] << " / " << row[1];
  }
}

TEST(ProfileFileTest, DefaultsLoseTrailingBlanksAndFixedBuffersKeepWholeCharacters) {
  TempFolder folder;
  std::string value;
  EXPECT_EQ(GetProfileString(folder.path() + "none.sav", "Config", "Key", "  def \t ", value), 5u);
  EXPECT_EQ(value, "  def");
  std::string file = folder.Write("Config.sav", "[S]\r\nascii=Value\r\nkana=\x82\xa0\x82\xa2\r\n");
  // Key, default, buffer size, and what the buffer holds.
  const std::tuple<const char*, const char*, std::size_t, std::string> cases[] = {
      {"ascii", "", 4, "Val"}, {"kana", "", 4, "\x82\xa0"}, {"ascii", "", 8, "Value"},
      {"none", "default!", 8, "default"}};
  for (const auto& [key, fallback, size, expected] : cases) {
    char buffer[8];
    EXPECT_EQ(GetProfileString(file, "S", key, fallback, buffer, size), expected.size()) << key;
    EXPECT_EQ(buffer, expected) << key;
  }
}

TEST(ProfileFileTest, WritesEntriesKeepingEveryOtherLine) {
  for (const auto& row : ReadTableRows(kTables / "write_settings.rows", 6, 8)) {
    TempFolder folder;
    if (row[1] != "none") folder.Write("Config.sav", row[1]);
    EXPECT_TRUE(WriteProfileString(folder.path() + "Config.sav", row[2], row[3], row[4])) << row[0];
    EXPECT_EQ(folder.Read("Config.sav"), row[5]) << row[0];
    std::string value;
    GetProfileString(folder.path() + "Config.sav", row[2], row[3], "default", value);
    EXPECT_EQ(value, row[4]) << row[0];
  }
}

TEST(ProfileFileTest, RefusesNamesThatWouldBreakTheLayout) {
  TempFolder folder;
  std::string file = folder.Write("Config.sav", "[S]\r\nK=old\r\n");
  for (const auto& row : ReadTableRows(kTables / "refused_settings.rows", 3, 8)) {
    EXPECT_FALSE(WriteProfileString(file, row[0], row[1], row[2])) << row[0] << " / " << row[1];
  }
  EXPECT_EQ(folder.Read("Config.sav"), "[S]\r\nK=old\r\n");
  // A "]" that is the second byte of a double-byte character is no bracket.
  EXPECT_TRUE(WriteProfileString(file, "\x83]", "K", "V"));
  std::string value;
  GetProfileString(file, "\x83]", "K", "", value);
  EXPECT_EQ(value, "V");
}

TEST(ProfileFileTest, FailedWritesLeaveNoFileBehind) {
  TempFolder folder;
  folder.MakeFolder("Config.sav");
  EXPECT_FALSE(WriteProfileString(folder.path() + "Config.sav", "S", "K", "V"));
  EXPECT_FALSE(WriteProfileString(folder.path() + "missing/Config.sav", "S", "K", "V"));
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
    names.push_back(entry.path().filename().string());
  }
  EXPECT_EQ(names, std::vector<std::string>{"Config.sav"});
}

// A settings file that is a pipe or a folder cannot be read: reads give
// their defaults at once instead of waiting for a writer, and writes fail
// and leave it as it was.
TEST(ProfileFileTest, ASettingsFileThatIsNoFileGivesDefaultsAndTakesNoWrites) {
  TempFolder folder;
  ASSERT_EQ(mkfifo((folder.path() + "pipe.sav").c_str(), 0600), 0);
  ASSERT_EQ(symlink("pipe.sav", (folder.path() + "link.sav").c_str()), 0);
  folder.MakeFolder("folder.sav");
  for (const char* name : {"pipe.sav", "link.sav", "folder.sav"}) {
    const std::string file = folder.path() + name;
    std::string value;
    EXPECT_EQ(GetProfileString(file, "Config", "Key", "default", value), 7u) << name;
    EXPECT_EQ(value, "default") << name;
    EXPECT_FALSE(WriteProfileString(file, "Config", "Key", "V")) << name;
  }
  struct stat info;
  ASSERT_EQ(lstat((folder.path() + "pipe.sav").c_str(), &info), 0);
  EXPECT_TRUE(S_ISFIFO(info.st_mode));
  ASSERT_EQ(lstat((folder.path() + "link.sav").c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
}

// A file server or a sync tool: another process that owns the file holds a
// write lease on it, and gives the lease up 200 ms after an open breaks it.
class LeaseHolder {
 public:
  explicit LeaseHolder(const std::string& file) {
    int ready[2];
    if (pipe(ready) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      close(ready[0]);
      // Blocked from the start, so that a break before the wait is not lost.
      sigset_t broken;
      sigemptyset(&broken);
      sigaddset(&broken, SIGIO);
      sigprocmask(SIG_BLOCK, &broken, nullptr);
      const int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
      const char held = fd >= 0 && fcntl(fd, F_SETLEASE, F_WRLCK) == 0 ? 'y' : 'n';
      (void)!write(ready[1], &held, 1);
      const timespec patience{10, 0}, grace{0, 200'000'000};
      if (held != 'y' || sigtimedwait(&broken, nullptr, &patience) != SIGIO) _exit(1);
      nanosleep(&grace, nullptr);
      fcntl(fd, F_SETLEASE, F_UNLCK);
      _exit(0);
    }
    close(ready[1]);
    char held = 'n';
    if (pid_ > 0) (void)!read(ready[0], &held, 1);
    close(ready[0]);
    holds_ = held == 'y';
  }
  ~LeaseHolder() { Join(); }

  bool Holds() const { return holds_; }
  // Whether the lease was broken and given up.
  bool Join() {
    if (pid_ <= 0) return false;
    int status = -1;
    waitpid(std::exchange(pid_, -1), &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }

 private:
  pid_t pid_ = -1;
  bool holds_ = false;
};

// A lease on the settings file is waited for, as reads always did: the
// stored value is read, and a write keeps what was stored.
TEST(ProfileFileTest, ASettingsFileUnderALeaseIsReadOnceTheLeaseIsGivenUp) {
  for (const bool write : {false, true}) {
    SCOPED_TRACE(write ? "write" : "read");
    TempFolder folder;
    const std::string file = folder.Write("Config.sav", "[S]\r\nK=stored\r\n");
    LeaseHolder holder(file);
    if (!holder.Holds()) GTEST_SKIP() << "no lease can be taken on this file system";
    std::string value;
    if (write) {
      EXPECT_TRUE(WriteProfileString(file, "S", "L", "new"));
      value = folder.Read("Config.sav");
    } else {
      GetProfileString(file, "S", "K", "default", value);
    }
    EXPECT_TRUE(holder.Join());
    EXPECT_EQ(value, write ? "[S]\r\nK=stored\r\nL=new\r\n" : "stored");
  }
}

TEST(AtomicFileTest, ReplacesWholeAndKeepsPermissions) {
  TempFolder folder;
  std::string path = folder.Write("Caps.txt", "old contents");
  ASSERT_EQ(chmod(path.c_str(), 0640), 0);
  EXPECT_TRUE(WriteFileAtomically(path, "new"));
  EXPECT_EQ(folder.Read("Caps.txt"), "new");
  struct stat info;
  ASSERT_EQ(stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
}

}  // namespace
