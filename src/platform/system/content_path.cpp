// Content-name lookup on a case-sensitive disk, and the program folder.
#include "platform/system/content_path.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <map>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "platform/system/shift_jis.h"

namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// How names meet without regard to case. A content name is Shift-JIS: its
// fold steps over double-byte characters, whose second byte may look like a
// letter. A UTF-8 name holds no ASCII byte inside a character, so each of
// its letters folds.
enum class Fold { kShiftJis, kBytes };

// The key under which names that differ only in ASCII case meet.
std::string FoldCase(std::string_view text, Fold fold) {
  std::string folded(text);
  for (std::size_t i = 0; i < folded.size(); ++i) {
    if (fold == Fold::kShiftJis && StartsShiftJisPairInPath(folded, i)) {
      ++i;
    } else {
      folded[i] = LowerAscii(folded[i]);
    }
  }
  return folded;
}

// The other name a content component may have on the disk: the UTF-8 form
// that tools unpacking a Windows game write. None for a plain ASCII name
// (both forms are the same) or for bytes that are not Shift-JIS.
bool Utf8FormOf(std::string_view part, std::string& utf8) {
  const bool ascii =
      std::all_of(part.begin(), part.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  return !ascii && ShiftJisToUtf8Exact(part, utf8);
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  if (folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

bool SameTime(const timespec& a, const timespec& b) {
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// A directory's names by their folded keys, with what identified the
// directory when it was read. A listing whose directory has changed since is
// read again.
struct Listing {
  dev_t device = 0;
  ino_t inode = 0;
  timespec modified{};
  timespec changed{};
  std::multimap<std::string, std::string> byShiftJisFold;
  std::multimap<std::string, std::string> byByteFold;

  const std::multimap<std::string, std::string>& Names(Fold fold) const {
    return fold == Fold::kShiftJis ? byShiftJisFold : byByteFold;
  }
};

// Listings of a whole game folder stay small; this bound only guards against
// a program that wanders over the whole disk.
constexpr std::size_t kMaxCachedListings = 4096;

std::mutex gListingMutex;
std::unordered_map<std::string, Listing> gListings;

bool ReadListing(const std::string& folder, const struct stat& info, Listing& listing) {
  DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
  if (dir == nullptr) return false;
  listing = Listing{};
  listing.device = info.st_dev;
  listing.inode = info.st_ino;
  listing.modified = info.st_mtim;
  listing.changed = info.st_ctim;
  while (dirent* entry = readdir(dir)) {
    std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    listing.byShiftJisFold.emplace(FoldCase(name, Fold::kShiftJis), name);
    listing.byByteFold.emplace(FoldCase(name, Fold::kBytes), std::move(name));
  }
  closedir(dir);
  return true;
}

// Names in `folder` equal to `part` without regard to case, in byte order.
// A cached listing that knows no such name is read again once: a file made
// within the clock tick of the listing leaves the directory's time unchanged.
std::vector<std::string> CaseVariants(const std::string& folder, const std::string& part, Fold fold) {
  std::vector<std::string> variants;
  struct stat info;
  if (stat(folder.empty() ? "." : folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return variants;
  std::string key = FoldCase(part, fold);
  std::lock_guard<std::mutex> lock(gListingMutex);
  auto found = gListings.find(folder);
  bool fresh = false;
  if (found == gListings.end() || found->second.device != info.st_dev || found->second.inode != info.st_ino ||
      !SameTime(found->second.modified, info.st_mtim) || !SameTime(found->second.changed, info.st_ctim)) {
    if (gListings.size() >= kMaxCachedListings) gListings.clear();
    Listing listing;
    if (!ReadListing(folder, info, listing)) return variants;
    found = gListings.insert_or_assign(folder, std::move(listing)).first;
    fresh = true;
  }
  if (!fresh && found->second.Names(fold).count(key) == 0) {
    Listing listing;
    if (!ReadListing(folder, info, listing)) return variants;
    found->second = std::move(listing);
  }
  auto range = found->second.Names(fold).equal_range(key);
  for (auto it = range.first; it != range.second; ++it) variants.push_back(it->second);
  std::sort(variants.begin(), variants.end());
  return variants;
}

// What a lookup must end in.
enum class Wanted { kFile, kFolder };

bool IsWanted(const struct stat& info, Wanted wanted) {
  return wanted == Wanted::kFile ? S_ISREG(info.st_mode) : S_ISDIR(info.st_mode);
}

// Depth-first over the names each component may have, so that of two folders
// differing only in case or form the one that holds the file is taken. A
// component is tried as its own bytes, then in its UTF-8 form, then each of
// these without regard to case: a name given exactly wins over a case
// variant, and where both forms are on the disk the bytes the content gives
// win, as they would on Windows.
bool ResolveComponents(const std::string& folder, const std::vector<std::string>& parts, std::size_t index,
                       Wanted wanted, std::string& diskPath) {
  const std::string& part = parts[index];
  bool last = index + 1 == parts.size();
  auto tryName = [&](const std::string& name) {
    std::string path = JoinPath(folder, name);
    struct stat info;
    if (stat(path.c_str(), &info) != 0) return false;
    if (last) {
      if (!IsWanted(info, wanted)) return false;
      diskPath = std::move(path);
      return true;
    }
    return S_ISDIR(info.st_mode) && ResolveComponents(path, parts, index + 1, wanted, diskPath);
  };
  if (tryName(part)) return true;
  if (part == "..") return false;
  std::string utf8;
  const bool hasUtf8 = Utf8FormOf(part, utf8);
  if (hasUtf8 && tryName(utf8)) return true;
  for (const std::string& variant : CaseVariants(folder, part, Fold::kShiftJis)) {
    if (variant != part && tryName(variant)) return true;
  }
  if (!hasUtf8) return false;
  for (const std::string& variant : CaseVariants(folder, utf8, Fold::kBytes)) {
    if (variant != utf8 && tryName(variant)) return true;
  }
  return false;
}

// How much of `path` is the program folder or folders above it, whole
// components up to and including a "/": that part is the disk's, taken as it
// stands. A path elsewhere shares only the root, or nothing.
std::size_t ProgramFolderPart(std::string_view path, std::string_view program) {
  std::size_t same = 0;
  while (same < path.size() && same < program.size() && path[same] == program[same]) ++same;
  // The program folder itself, named without its final "/".
  if (same == path.size() && same < program.size() && program[same] == '/') return same;
  const std::size_t slash = path.substr(0, same).rfind('/');
  return slash == std::string_view::npos ? 0 : slash + 1;
}

bool FindOnDisk(std::string_view name, Wanted wanted, std::string& diskPath) {
  std::string normalized = NormalizeGamePath(name);
  if (normalized.empty() || normalized.back() == '/') return false;

  struct stat info;
  if (stat(normalized.c_str(), &info) == 0 && IsWanted(info, wanted)) {
    diskPath = std::move(normalized);
    return true;
  }

  // Only the components the content names are matched loosely: a folder
  // beside the game's own that differs in case or form ("MyGame" and
  // "mygame", a game unpacked twice) must never lend it a file.
  std::size_t fixed = ProgramFolderPart(normalized, ProgramDir());
  if (fixed == 0 && normalized[0] == '/') fixed = 1;
  if (fixed >= normalized.size()) return false;
  std::vector<std::string> parts;
  for (std::size_t start = fixed;;) {
    std::size_t slash = normalized.find('/', start);
    parts.push_back(normalized.substr(start, slash - start));
    if (slash == std::string::npos) break;
    start = slash + 1;
  }
  return ResolveComponents(normalized.substr(0, fixed), parts, 0, wanted, diskPath);
}

// The real path of a file that may not exist yet: the part of `path` that
// exists, with ".." and links resolved, and the rest as it stands. False
// when an existing name does not resolve (a dangling link, a loop) or the
// walk meets something that is no folder.
bool RealPathOf(const std::string& path, std::string& real) {
  std::string head = path;
  std::string tail;
  for (;;) {
    const char* name = head.empty() ? "." : head.c_str();
    if (char* resolved = realpath(name, nullptr)) {
      real = tail.empty() ? std::string(resolved) : JoinPath(resolved, tail);
      std::free(resolved);
      return true;
    }
    struct stat info;
    if (errno != ENOENT || lstat(name, &info) == 0 || head.empty() || head == "/") return false;
    std::size_t slash = head.rfind('/');
    std::string last = slash == std::string::npos ? head : head.substr(slash + 1);
    tail = tail.empty() ? last : last + "/" + tail;
    head = slash == std::string::npos ? std::string() : head.substr(0, slash == 0 ? 1 : slash);
  }
}

std::mutex gProgramDirMutex;
std::string gProgramDirOverride;

std::string ExecutableDir() {
  static const std::string dir = [] {
    std::string path(256, '\0');
    for (;;) {
      ssize_t n = readlink("/proc/self/exe", path.data(), path.size());
      if (n < 0) return std::string("./");
      if (static_cast<std::size_t>(n) < path.size()) {
        path.resize(static_cast<std::size_t>(n));
        break;
      }
      path.resize(path.size() * 2);
    }
    std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
  }();
  return dir;
}

}  // namespace

std::string NormalizeContentPath(std::string_view name) {
  bool absolute = !name.empty() && IsSeparator(name[0]);
  std::vector<std::string_view> parts;
  auto take = [&](std::string_view part) {
    if (part.empty() || part == ".") return;
    if (part == "..") {
      if (!parts.empty() && parts.back() != "..") {
        parts.pop_back();
      } else if (!absolute) {
        parts.push_back(part);
      }
      return;
    }
    parts.push_back(part);
  };
  std::size_t start = 0;
  bool endsWithSeparator = false;
  for (std::size_t i = 0; i < name.size();) {
    if (IsSeparator(name[i])) {
      take(name.substr(start, i - start));
      start = ++i;
      endsWithSeparator = true;
      continue;
    }
    endsWithSeparator = false;
    i += StartsShiftJisPairInPath(name, i) ? 2 : 1;
  }
  take(name.substr(start));

  std::string result = absolute ? "/" : "";
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) result += '/';
    result += parts[i];
  }
  if (endsWithSeparator && !parts.empty()) result += '/';
  return result;
}

std::string NormalizeGamePath(std::string_view path) {
  const std::string program = ProgramDir();
  if (path.substr(0, program.size()) != program) return NormalizeContentPath(path);
  std::string_view name = path.substr(program.size());
  while (!name.empty() && IsSeparator(name[0])) name.remove_prefix(1);
  std::string folder = program;
  std::string rest = NormalizeContentPath(name);
  // A climb out of the program folder goes up the folder's own components,
  // which are the disk's names and are never normalized as content.
  while (rest == ".." || rest.rfind("../", 0) == 0) {
    rest.erase(0, rest.size() == 2 ? 2 : 3);
    if (folder.size() > 1) folder.erase(folder.rfind('/', folder.size() - 2) + 1);
  }
  return folder + rest;
}

std::size_t ContentNameLength(std::string_view path) {
  const std::string program = ProgramDir();
  return path.substr(0, program.size()) == program ? path.size() - program.size() : path.size();
}

bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    if (StartsShiftJisPairInPath(a, i)) {
      ++i;
      if (a[i] != b[i]) return false;
    }
  }
  return true;
}

bool StartsWithIgnoreAsciiCase(std::string_view text, std::string_view prefix) {
  return prefix.size() <= text.size() && EqualsIgnoreAsciiCase(text.substr(0, prefix.size()), prefix);
}

bool FindFileOnDisk(std::string_view name, std::string& diskPath) {
  return FindOnDisk(name, Wanted::kFile, diskPath);
}

std::string DiskPathToWrite(std::string_view name) {
  std::string normalized = NormalizeGamePath(name);
  std::string found;
  if (FindOnDisk(normalized, Wanted::kFile, found)) return found;
  if (normalized.empty() || normalized.back() == '/') return normalized;
  std::string folder(FolderOfPath(normalized));
  std::string last = normalized.substr(folder.size());
  std::string utf8;
  if (Utf8FormOf(last, utf8)) last = std::move(utf8);
  if (folder.size() > 1 && FindOnDisk(std::string_view(folder).substr(0, folder.size() - 1), Wanted::kFolder, found))
    folder = found + "/";
  return folder + last;
}

bool LiesInsideFolder(const std::string& path, const std::string& folder, std::string* realPath) {
  std::string real;
  std::string realFolder;
  const bool resolved = RealPathOf(path, real);
  if (realPath != nullptr) *realPath = resolved ? real : path;
  if (!resolved || !RealPathOf(folder, realFolder)) return false;
  if (realFolder.back() != '/') realFolder += '/';
  return real.size() > realFolder.size() && real.compare(0, realFolder.size(), realFolder) == 0;
}

FilePtr OpenRegularFile(const std::string& diskPath, std::uint64_t* size) {
  // Opening a device acts on it (a tape rewinds, a serial line hangs up), so
  // what is no file is not opened at all.
  struct stat named;
  if (stat(diskPath.c_str(), &named) != 0) return nullptr;
  if (!S_ISREG(named.st_mode)) {
    errno = EINVAL;
    return nullptr;
  }
  // Non-blocking: opening a pipe waits for a writer, and the name may be a
  // pipe by now. The type is checked again on what was actually opened.
  int fd = open(diskPath.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  // A lease another process holds (file servers and sync tools take them)
  // fails a non-blocking open at once. Only a regular file takes a lease, and
  // the name was one: the open waits for the lease's break, as reads did.
  if (fd < 0 && errno == EWOULDBLOCK) fd = open(diskPath.c_str(), O_RDONLY | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    errno = EINVAL;
    return nullptr;
  }
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  FilePtr file(fdopen(fd, "rb"));
  if (!file) {
    close(fd);
    return nullptr;
  }
  if (size != nullptr) *size = static_cast<std::uint64_t>(info.st_size);
  return file;
}

FilePtr OpenContentFile(std::string_view name, std::uint64_t* size) {
  std::string path;
  if (!FindFileOnDisk(name, path)) return nullptr;
  return OpenRegularFile(path, size);
}

bool ReadContentFile(std::string_view name, std::string& bytes) {
  FilePtr file = OpenContentFile(name);
  if (!file) return false;
  std::string data;
  char buffer[65536];
  std::size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) data.append(buffer, n);
  if (std::ferror(file.get()) != 0) return false;
  bytes = std::move(data);
  return true;
}

void DropDirectoryCache() {
  std::lock_guard<std::mutex> lock(gListingMutex);
  gListings.clear();
}

std::string ProgramDir() {
  {
    std::lock_guard<std::mutex> lock(gProgramDirMutex);
    if (!gProgramDirOverride.empty()) return gProgramDirOverride;
  }
  return ExecutableDir();
}

void SetProgramDir(std::string_view folder) {
  std::lock_guard<std::mutex> lock(gProgramDirMutex);
  gProgramDirOverride = folder;
  if (!gProgramDirOverride.empty() && gProgramDirOverride.back() != '/') gProgramDirOverride += '/';
}
