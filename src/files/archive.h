// Archives (flat directories of inverted entries that shadow the disk for their
// folder), the 16-slot archive manager and LoadFile, the whole-file read every loader uses.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

constexpr int kArchiveSlotCount = 16;
constexpr std::size_t kArchiveHeaderSize = 44;
constexpr std::size_t kArchiveMagicSize = 20;
constexpr std::size_t kArchiveEntrySize = 56;
constexpr std::size_t kArchiveEntryNameSize = 48;
constexpr std::uint16_t kArchiveMinVersion = 0x0100;
// The magic, compared as a NUL-terminated text: 19 characters and the NUL.
constexpr char kArchiveMagic[kArchiveMagicSize] = "TAVO Archive File\r\n";
// Names this long or longer are never found in an archive.
constexpr std::size_t kArchiveNameLimit = 260;
// A file larger than this loads like a missing one instead of exhausting memory.
constexpr std::uint64_t kMaxLoadFileSize = std::uint64_t{1} << 30;

// A whole file in memory, followed by one NUL so that text loaders can read it
// as a C string. size() does not count the NUL.
class FileData {
 public:
  const char* data() const { return bytes_.empty() ? "" : bytes_.data(); }
  char* data() { return bytes_.empty() ? nullptr : bytes_.data(); }
  std::size_t size() const { return bytes_.empty() ? 0 : bytes_.size() - 1; }
  bool empty() const { return size() == 0; }
  std::string_view view() const { return {data(), size()}; }
  void Assign(std::string_view bytes);
  void Clear() { bytes_.clear(); }

 private:
  friend class ArchiveManager;
  // Takes bytes whose last one is already the NUL.
  void Adopt(std::vector<char>&& terminated) { bytes_ = std::move(terminated); }
  std::vector<char> bytes_;
};

// One archive slot. Paths and folders are kept in the normalised form of
// content names ("/" separators, ending in "/" for the folder).
class Archive {
 public:
  struct Entry {
    std::string name;          // as stored: upper case, "\" separators
    std::uint32_t size = 0;
    std::uint32_t offset = 0;
    bool named = false;        // the name ended within its 48 bytes
    bool readable = false;     // offset and size lie within the file
  };

  // Opens `name`, relative to the program folder. Closes the slot first; any
  // failure leaves it closed.
  bool Open(std::string_view name);
  // The same for a full content path.
  bool OpenPath(std::string_view path);
  // The same for an archive whose bytes are given, as if it lay at `path`.
  bool OpenImage(std::string_view path, std::vector<char> image);
  void Close();
  bool IsOpen() const { return open_; }

  const std::string& GetPath() const { return path_; }
  const std::string& GetFolder() const { return folder_; }
  std::uint16_t GetVersion() const;
  std::size_t GetEntryCount() const { return entries_.size(); }
  const Entry& GetEntry(int index) const { return entries_[static_cast<std::size_t>(index)]; }

  // Index of the first entry whose name equals `name` (relative to the
  // folder, any case, either separator, "..\" resolved), or -1.
  int FindEntry(std::string_view name) const;
  // 0 when not found or when the entry's data does not lie within the file.
  std::uint32_t GetEntrySize(std::string_view name) const;
  std::uint32_t GetEntrySize(int index) const;
  // Reads min(capacity, size) bytes of the entry, turned back.
  bool ReadEntry(std::string_view name, char* buffer, std::size_t capacity) const;
  bool ReadEntry(int index, char* buffer, std::size_t capacity) const;

 private:
  bool Load(std::string_view path, std::vector<char>* image);
  // Reads from `file`, or from a fresh open of the archive when it is null.
  bool ReadBytes(std::FILE* file, std::uint64_t offset, char* buffer, std::size_t count) const;

  std::string path_;
  std::string folder_;
  std::string diskPath_;     // the file found for path_; empty for an image
  std::vector<char> image_;  // the whole archive when opened from bytes
  std::array<unsigned char, kArchiveHeaderSize> header_{};
  std::vector<Entry> entries_;
  bool open_ = false;
};

// The 16 archive slots searched before the disk. The program has one (see
// GetArchiveManager); tests make their own.
class ArchiveManager {
 public:
  // Opens the archive in the first closed slot; false when all are open or
  // the archive cannot be opened. Archives stay until the manager goes.
  bool AddArchiveFile(std::string_view name);
  // The first open slot (in slot order) whose folder starts the path (without
  // regard to case) and that holds the rest of the path.
  bool Find(std::string_view path, int& slot, int& entry) const;
  // The size in the archive that shadows the path, else on the disk; 0 when
  // absent.
  std::uint64_t GetFileSize(std::string_view path) const;
  // The whole file into `buffer`; false when it does not fit.
  bool ReadFile(std::string_view path, char* buffer, std::size_t capacity) const;
  // Archives first, then the disk. An empty file counts as missing. On
  // failure `out` is left as it was.
  bool LoadFile(std::string_view path, FileData& out) const;
  // Which file the path finds (the archive entry that shadows it, else the
  // file on the disk) as a text that every path to that file shares and that
  // changes when the file on the disk does (its size or time); empty when
  // there is none. Loaders key what they share by it.
  std::string FileIdentity(std::string_view path) const;

  const Archive& GetArchive(int slot) const { return slots_[static_cast<std::size_t>(slot)]; }
  void CloseAll();

 private:
  bool FindNormalized(const std::string& path, int& slot, int& entry) const;
  std::array<Archive, kArchiveSlotCount> slots_;
};

// The program's archive manager, alive for the whole run.
ArchiveManager& GetArchiveManager();

// LoadFile through the program's archive manager.
bool LoadFile(std::string_view path, FileData& out);

// The folder of the program, ending in "/". Content names built on it may use
// either separator.
std::string GetProgramDir();
