// One archive: the header and inverted directory read at open, entries read
// on demand. Every count, offset and size from the file is checked here.
#include "files/archive.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/system/content_path.h"
#include "platform/system/shift_jis.h"

namespace {

std::uint16_t ReadU16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

std::uint32_t ReadU32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

void Invert(char* bytes, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<char>(~bytes[i]);
}

// Start of the component that ends just before `dots` (the position of a
// "..\"): after the last "\" before it, not counting the "\" that ends it.
std::size_t ComponentStartBefore(const std::string& key, std::size_t dots) {
  std::size_t limit = (dots > 0 && key[dots - 1] == '\\') ? dots - 1 : dots;
  std::size_t start = 0;
  for (std::size_t i = 0; i < limit; ++i) {
    if (key[i] == '\\') {
      start = i + 1;
    } else if (IsShiftJisLeadByte(static_cast<unsigned char>(key[i]))) {
      ++i;
    }
  }
  return start;
}

// The form entry names are stored in: every 'a'-'z' byte upper case (second
// bytes of double-byte characters too, as the archive tool wrote them), "\"
// separators, each "..\" removed with the component before it.
std::string EntryKey(std::string_view name) {
  std::string key(name);
  for (char& c : key) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    else if (c == '/') c = '\\';
  }
  for (std::size_t dots = key.find("..\\"); dots != std::string::npos; dots = key.find("..\\")) {
    std::size_t start = ComponentStartBefore(key, dots);
    key.erase(start, dots + 3 - start);
  }
  return key;
}

}  // namespace

bool Archive::Open(std::string_view name) {
  std::string path = ProgramDir();
  path.append(name);
  return OpenPath(path);
}

bool Archive::OpenPath(std::string_view path) { return Load(path, nullptr); }

bool Archive::OpenImage(std::string_view path, std::vector<char> image) { return Load(path, &image); }

void Archive::Close() {
  path_.clear();
  folder_.clear();
  diskPath_.clear();
  image_.clear();
  image_.shrink_to_fit();
  header_.fill(0);
  entries_.clear();
  entries_.shrink_to_fit();
  open_ = false;
}

std::uint16_t Archive::GetVersion() const { return ReadU16(header_.data() + kArchiveMagicSize); }

bool Archive::Load(std::string_view path, std::vector<char>* image) {
  Close();
  path_ = NormalizeGamePath(path);
  folder_ = FolderOfPath(path_);
  if (path_.empty() || path_.back() == '/') {
    Close();
    return false;
  }

  std::uint64_t fileSize = 0;
  FilePtr file;
  if (image != nullptr) {
    image_ = std::move(*image);
    fileSize = image_.size();
  } else if (!FindFileOnDisk(path_, diskPath_) || !(file = OpenRegularFile(diskPath_, &fileSize))) {
    Close();
    return false;
  }

  if (!ReadBytes(file.get(), 0, reinterpret_cast<char*>(header_.data()), kArchiveHeaderSize) ||
      std::memcmp(header_.data(), kArchiveMagic, kArchiveMagicSize) != 0 || GetVersion() < kArchiveMinVersion) {
    Close();
    return false;
  }

  std::size_t count = ReadU16(header_.data() + kArchiveMagicSize + 2);
  std::vector<char> directory(count * kArchiveEntrySize);
  if (!ReadBytes(file.get(), kArchiveHeaderSize, directory.data(), directory.size())) {
    Close();
    return false;
  }
  Invert(directory.data(), directory.size());

  entries_.resize(count);
  for (std::size_t i = 0; i < count; ++i) {
    const char* record = directory.data() + i * kArchiveEntrySize;
    const auto* numbers = reinterpret_cast<const unsigned char*>(record + kArchiveEntryNameSize);
    Entry& entry = entries_[i];
    // A name that fills all 48 bytes has no end: the original compare ran on
    // into the next record. Such an entry is never found.
    const void* nul = std::memchr(record, '\0', kArchiveEntryNameSize);
    entry.named = nul != nullptr;
    if (entry.named) entry.name.assign(record, static_cast<const char*>(nul));
    entry.size = ReadU32(numbers);
    entry.offset = ReadU32(numbers + 4);
    // 0xFFFFFFFF made the loader's size + 1 wrap to 0; any size or offset
    // beyond the file makes only this entry unreadable.
    entry.readable = entry.size != 0xFFFFFFFFu && entry.offset <= fileSize &&
                     entry.size <= fileSize - entry.offset;
  }
  open_ = true;
  return true;
}

bool Archive::ReadBytes(std::FILE* file, std::uint64_t offset, char* buffer, std::size_t count) const {
  if (diskPath_.empty()) {
    if (offset > image_.size() || count > image_.size() - offset) return false;
    std::copy_n(image_.data() + offset, count, buffer);
    return true;
  }
  // Entries reopen the file at every read, as the program always did: nothing
  // stays open between loads.
  FilePtr reopened;
  if (file == nullptr) {
    reopened = OpenRegularFile(diskPath_);
    file = reopened.get();
  }
  if (file == nullptr || offset > static_cast<std::uint64_t>(INT64_MAX)) return false;
  if (fseeko(file, static_cast<off_t>(offset), SEEK_SET) != 0) return false;
  return std::fread(buffer, 1, count, file) == count;
}

int Archive::FindEntry(std::string_view name) const {
  if (!open_ || name.size() >= kArchiveNameLimit) return -1;
  std::string key = EntryKey(name);
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    if (entries_[i].named && entries_[i].name == key) return static_cast<int>(i);
  }
  return -1;
}

std::uint32_t Archive::GetEntrySize(std::string_view name) const { return GetEntrySize(FindEntry(name)); }

std::uint32_t Archive::GetEntrySize(int index) const {
  if (index < 0 || static_cast<std::size_t>(index) >= entries_.size()) return 0;
  const Entry& entry = entries_[static_cast<std::size_t>(index)];
  return entry.readable ? entry.size : 0;
}

bool Archive::ReadEntry(std::string_view name, char* buffer, std::size_t capacity) const {
  return ReadEntry(FindEntry(name), buffer, capacity);
}

bool Archive::ReadEntry(int index, char* buffer, std::size_t capacity) const {
  if (index < 0 || static_cast<std::size_t>(index) >= entries_.size() || buffer == nullptr) return false;
  const Entry& entry = entries_[static_cast<std::size_t>(index)];
  if (!entry.readable) return false;
  std::size_t count = std::min<std::size_t>(capacity, entry.size);
  if (!ReadBytes(nullptr, entry.offset, buffer, count)) return false;
  Invert(buffer, count);
  return true;
}
