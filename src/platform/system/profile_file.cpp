// Profile files with the layout and matching rules of the Windows profile
// functions, rewritten whole through a temporary file at each write.
#include "platform/system/profile_file.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "platform/system/atomic_file.h"
#include "platform/system/content_path.h"
#include "platform/system/shift_jis.h"

namespace {

// A settings file is a few kilobytes; a larger one is not ours to load whole.
constexpr std::uint64_t kMaxProfileFileSize = 64 * 1024 * 1024;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// Position of the first `c` that is not the second byte of a double-byte
// character, or npos.
std::size_t FindCharacter(std::string_view text, char c) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == c) return i;
    if (IsShiftJisLeadByte(static_cast<unsigned char>(text[i]))) ++i;
  }
  return std::string_view::npos;
}

enum class LineKind { Other, Section, Entry };

struct Line {
  std::size_t begin = 0;       // first byte of the line
  std::size_t contentEnd = 0;  // before the CR LF or LF
  std::size_t end = 0;         // after the line break
  LineKind kind = LineKind::Other;
  std::string_view name;       // section name or key, trimmed
  std::string_view value;      // entries only, trimmed
};

std::vector<Line> SplitLines(std::string_view bytes) {
  std::vector<Line> lines;
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    Line line;
    line.begin = pos;
    std::size_t lf = bytes.find('\n', pos);
    line.end = lf == std::string_view::npos ? bytes.size() : lf + 1;
    line.contentEnd = lf == std::string_view::npos ? bytes.size() : lf;
    if (line.contentEnd > line.begin && bytes[line.contentEnd - 1] == '\r') --line.contentEnd;
    pos = line.end;

    std::string_view text = TrimBlanks(bytes.substr(line.begin, line.contentEnd - line.begin));
    if (!text.empty() && text.front() == '[') {
      text.remove_prefix(1);
      line.kind = LineKind::Section;
      line.name = TrimBlanks(text.substr(0, FindCharacter(text, ']')));
    } else if (!text.empty() && text.front() != ';') {
      std::size_t equal = text.find('=');
      if (equal != std::string_view::npos) {
        line.kind = LineKind::Entry;
        line.name = TrimBlanks(text.substr(0, equal));
        line.value = TrimBlanks(text.substr(equal + 1));
      }
    }
    lines.push_back(line);
  }
  return lines;
}

// Missing file: true with no bytes. False only when a file is there but
// cannot be read, so a writer never replaces what it could not see.
bool ReadProfileFile(const std::string& file, std::string& bytes) {
  bytes.clear();
  // A pipe, a device or a folder at the name cannot be read: the reader gets
  // its defaults, and a writer does not replace it.
  std::uint64_t size = 0;
  FilePtr opened = OpenRegularFile(file, &size);
  if (!opened) return errno == ENOENT;
  if (size > kMaxProfileFileSize) return false;
  bytes.resize(static_cast<std::size_t>(size));
  if (std::fread(bytes.data(), 1, bytes.size(), opened.get()) == bytes.size()) return true;
  bytes.clear();
  return false;
}

struct Lookup {
  std::size_t section = std::string_view::npos;  // index of the section line
  std::size_t entry = std::string_view::npos;    // index of the key's line
  std::size_t lastLine = 0;                      // last non-blank line of the section
};

// Only the first section of a name is searched, for reading and writing alike.
Lookup FindEntry(const std::vector<Line>& lines, std::string_view bytes, std::string_view section,
                 std::string_view key) {
  Lookup found;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].kind == LineKind::Section && EqualsIgnoreAsciiCase(lines[i].name, section)) {
      found.section = i;
      break;
    }
  }
  if (found.section == std::string_view::npos) return found;
  found.lastLine = found.section;
  for (std::size_t i = found.section + 1; i < lines.size() && lines[i].kind != LineKind::Section; ++i) {
    if (!TrimBlanks(bytes.substr(lines[i].begin, lines[i].contentEnd - lines[i].begin)).empty()) {
      found.lastLine = i;
    }
    if (found.entry == std::string_view::npos && lines[i].kind == LineKind::Entry &&
        EqualsIgnoreAsciiCase(lines[i].name, key)) {
      found.entry = i;
    }
  }
  return found;
}

bool HasLineBreak(std::string_view text) { return text.find_first_of("\r\n") != std::string_view::npos; }

}  // namespace

std::size_t GetProfileString(const std::string& file, std::string_view section, std::string_view key,
                             std::string_view defaultValue, std::string& out) {
  std::string bytes;
  ReadProfileFile(file, bytes);
  std::vector<Line> lines = SplitLines(bytes);
  Lookup found = FindEntry(lines, bytes, TrimBlanks(section), TrimBlanks(key));
  if (found.entry == std::string_view::npos) {
    while (!defaultValue.empty() && IsBlank(defaultValue.back())) defaultValue.remove_suffix(1);
    out.assign(defaultValue);
    return out.size();
  }
  std::string_view value = lines[found.entry].value;
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  out.assign(value);
  return out.size();
}

std::size_t GetProfileString(const std::string& file, std::string_view section, std::string_view key,
                             std::string_view defaultValue, char* buffer, std::size_t size) {
  if (buffer == nullptr || size == 0) return 0;
  std::string value;
  GetProfileString(file, section, key, defaultValue, value);
  std::size_t n = 0;
  while (n < value.size()) {
    std::size_t width = IsShiftJisLeadByte(static_cast<unsigned char>(value[n])) && n + 1 < value.size() ? 2 : 1;
    if (n + width > size - 1) break;
    n += width;
  }
  value.copy(buffer, n);
  buffer[n] = '\0';
  return n;
}

bool WriteProfileString(const std::string& file, std::string_view section, std::string_view key,
                        std::string_view value) {
  section = TrimBlanks(section);
  key = TrimBlanks(key);
  if (HasLineBreak(section) || HasLineBreak(key) || HasLineBreak(value)) return false;
  if (FindCharacter(section, ']') != std::string_view::npos) return false;
  if (key.empty() || key.front() == '[' || key.front() == ';' || key.find('=') != std::string_view::npos) {
    return false;
  }

  std::string bytes;
  if (!ReadProfileFile(file, bytes)) return false;
  std::vector<Line> lines = SplitLines(bytes);
  Lookup found = FindEntry(lines, bytes, section, key);

  std::string entry;
  entry.append(key).append("=").append(value);
  std::string result;
  if (found.entry != std::string_view::npos) {
    const Line& line = lines[found.entry];
    result.append(bytes, 0, line.begin).append(entry).append(bytes, line.contentEnd, std::string::npos);
  } else if (found.section != std::string_view::npos) {
    const Line& line = lines[found.lastLine];
    bool unterminated = bytes[line.end - 1] != '\n';
    result.append(bytes, 0, line.end);
    if (unterminated) result.append("\r\n");
    result.append(entry).append("\r\n").append(bytes, line.end, std::string::npos);
  } else {
    result = bytes;
    if (!result.empty() && result.back() != '\n') result.append("\r\n");
    result.append("[").append(section).append("]\r\n").append(entry).append("\r\n");
  }
  return WriteFileAtomically(file, result);
}
