// Reading string lists in one walk over the file's bytes.
#include "scene/text/string_list.h"

#include <algorithm>

#include "files/text_scan.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

// The id of an entry line, or -1. Each test stops at the first byte that
// fails, so a short last line never reads past its NUL.
int EntryId(const char* line) {
  int id = 0;
  for (int i = 0; i < kStringListIdDigits; ++i) {
    if (!IsDigit(line[i])) return -1;
    id = id * 10 + (line[i] - '0');
  }
  return line[kStringListIdDigits] == '=' ? id : -1;
}

}  // namespace

void StringList::Clear() {
  bytes_.clear();
  entries_.clear();
}

void StringList::Load(std::string_view text) {
  Clear();
  const std::size_t end = std::min(text.find('\0'), text.size());
  bytes_.assign(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(end));
  bytes_.push_back('\0');
  // One walk finds the entries and cuts their texts, so the escapes it
  // writes can never be taken for the line ends of another count.
  char* p = bytes_.data();
  while (*p != '\0') {
    const int id = EntryId(p);
    if (id >= 0) entries_.push_back({id, static_cast<std::uint32_t>(p + kStringListIdDigits + 1 - bytes_.data())});
    while (*p != '\0' && !IsLineEnd(*p)) {
      if (id >= 0 && p[0] == '\\' && p[1] == 'n') {
        p[0] = '\r';
        p[1] = '\n';
        p += 2;
      } else {
        p += CharWidthAt(p);
      }
    }
    while (IsLineEnd(*p)) *p++ = '\0';
  }
  std::stable_sort(entries_.begin(), entries_.end(), [](const Entry& a, const Entry& b) { return a.id < b.id; });
}

const char* StringList::Find(int id) const {
  const auto it =
      std::lower_bound(entries_.begin(), entries_.end(), id, [](const Entry& e, int value) { return e.id < value; });
  return it != entries_.end() && it->id == id ? bytes_.data() + it->offset : nullptr;
}
