// The archive slots searched before the disk, and the whole-file load built on
// them.
#include "files/archive.h"

#include <sys/stat.h>

#include <new>

#include "platform/system/content_path.h"

namespace {

// Room for the bytes and the terminating NUL; false instead of an exception
// when memory runs out.
bool MakeTerminatedBuffer(std::uint64_t size, std::vector<char>& bytes) {
  if (size == 0 || size > kMaxLoadFileSize) return false;
  try {
    bytes.resize(static_cast<std::size_t>(size) + 1);
  } catch (const std::bad_alloc&) {
    return false;
  }
  bytes[static_cast<std::size_t>(size)] = '\0';
  return true;
}

}  // namespace

void FileData::Assign(std::string_view bytes) {
  bytes_.assign(bytes.begin(), bytes.end());
  bytes_.push_back('\0');
}

bool ArchiveManager::AddArchiveFile(std::string_view name) {
  for (Archive& slot : slots_) {
    if (!slot.IsOpen()) return slot.Open(name);
  }
  return false;
}

void ArchiveManager::CloseAll() {
  for (Archive& slot : slots_) slot.Close();
}

bool ArchiveManager::Find(std::string_view path, int& slot, int& entry) const {
  return FindNormalized(NormalizeGamePath(path), slot, entry);
}

// The path is normalised as a whole first, so a ".." can never reach from
// outside an archive's folder into its entries, nor out of them.
bool ArchiveManager::FindNormalized(const std::string& path, int& slot, int& entry) const {
  for (int i = 0; i < kArchiveSlotCount; ++i) {
    const Archive& archive = slots_[static_cast<std::size_t>(i)];
    if (!archive.IsOpen() || !StartsWithIgnoreAsciiCase(path, archive.GetFolder())) continue;
    int found = archive.FindEntry(std::string_view(path).substr(archive.GetFolder().size()));
    if (found >= 0) {
      slot = i;
      entry = found;
      return true;
    }
  }
  return false;
}

std::uint64_t ArchiveManager::GetFileSize(std::string_view path) const {
  std::string normalized = NormalizeGamePath(path);
  int slot = 0;
  int entry = 0;
  if (FindNormalized(normalized, slot, entry)) return GetArchive(slot).GetEntrySize(entry);
  std::string diskPath;
  struct stat info;
  if (!FindFileOnDisk(normalized, diskPath) || stat(diskPath.c_str(), &info) != 0) return 0;
  return static_cast<std::uint64_t>(info.st_size);
}

bool ArchiveManager::ReadFile(std::string_view path, char* buffer, std::size_t capacity) const {
  if (buffer == nullptr) return false;
  std::string normalized = NormalizeGamePath(path);
  int slot = 0;
  int entry = 0;
  if (FindNormalized(normalized, slot, entry)) return GetArchive(slot).ReadEntry(entry, buffer, capacity);
  std::uint64_t size = 0;
  FilePtr file = OpenContentFile(normalized, &size);
  if (!file || size > capacity) return false;
  return std::fread(buffer, 1, static_cast<std::size_t>(size), file.get()) == size;
}

bool ArchiveManager::LoadFile(std::string_view path, FileData& out) const {
  std::string normalized = NormalizeGamePath(path);
  std::vector<char> bytes;
  int slot = 0;
  int entry = 0;
  if (FindNormalized(normalized, slot, entry)) {
    // A shadowed file is the archive's even when the entry cannot be read:
    // the disk copy is not tried.
    const Archive& archive = GetArchive(slot);
    std::uint32_t size = archive.GetEntrySize(entry);
    if (!MakeTerminatedBuffer(size, bytes) || !archive.ReadEntry(entry, bytes.data(), size)) return false;
  } else {
    std::uint64_t size = 0;
    FilePtr file = OpenContentFile(normalized, &size);
    if (!file || !MakeTerminatedBuffer(size, bytes)) return false;
    if (std::fread(bytes.data(), 1, static_cast<std::size_t>(size), file.get()) != size) return false;
  }
  out.Adopt(std::move(bytes));
  return true;
}

std::string ArchiveManager::FileIdentity(std::string_view path) const {
  const std::string normalized = NormalizeGamePath(path);
  int slot = 0;
  int entry = 0;
  if (FindNormalized(normalized, slot, entry)) {
    return "archive " + std::to_string(slot) + " " + GetArchive(slot).GetPath() + " " + std::to_string(entry);
  }
  std::string diskPath;
  struct stat info;
  if (!FindFileOnDisk(normalized, diskPath) || stat(diskPath.c_str(), &info) != 0) return {};
  return "disk " + std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino) + " " +
         std::to_string(info.st_size) + " " + std::to_string(info.st_mtim.tv_sec) + "." +
         std::to_string(info.st_mtim.tv_nsec);
}

ArchiveManager& GetArchiveManager() {
  static ArchiveManager manager;
  return manager;
}

bool LoadFile(std::string_view path, FileData& out) { return GetArchiveManager().LoadFile(path, out); }

std::string GetProgramDir() { return ProgramDir(); }
