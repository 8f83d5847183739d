// Writes the archive layout byte by byte, independently of the reader.
#include "files/archive_writer.h"

namespace {

void PutU16(std::string& out, std::size_t at, std::uint16_t v) {
  out[at] = static_cast<char>(v & 0xFF);
  out[at + 1] = static_cast<char>(v >> 8);
}

void PutU32(std::string& out, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out[at + static_cast<std::size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

void Invert(std::string& bytes, std::size_t from, std::size_t count) {
  for (std::size_t i = from; i < from + count; ++i) bytes[i] = static_cast<char>(~bytes[i]);
}

}  // namespace

std::string BuildTestArchive(const std::vector<TestArchiveEntry>& entries, const TestArchiveOptions& options) {
  constexpr std::size_t kHeader = 44;
  constexpr std::size_t kRecord = 56;
  std::string out(kHeader + entries.size() * kRecord, '\0');
  out.replace(0, options.magic.size() < 20 ? options.magic.size() : 20, options.magic.substr(0, 20));
  PutU16(out, 20, options.version);
  PutU16(out, 22, options.count.value_or(static_cast<std::uint16_t>(entries.size())));
  for (std::size_t i = 24; i < kHeader; ++i) out[i] = 'x';  // never read

  for (std::size_t i = 0; i < entries.size(); ++i) {
    const TestArchiveEntry& entry = entries[i];
    std::size_t record = kHeader + i * kRecord;
    if (entry.unterminatedName) {
      std::string name = entry.name;
      name.resize(48, 'Z');
      out.replace(record, 48, name);
    } else {
      out.replace(record, entry.name.size(), entry.name);
    }
    std::size_t offset = out.size();
    PutU32(out, record + 48, entry.size.value_or(static_cast<std::uint32_t>(entry.data.size())));
    PutU32(out, record + 52, entry.offset.value_or(static_cast<std::uint32_t>(offset)));
    out += entry.data;
    Invert(out, offset, entry.data.size());
  }
  Invert(out, kHeader, entries.size() * kRecord);
  return out;
}
