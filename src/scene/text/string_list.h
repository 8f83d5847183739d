// String lists: game texts by four-digit number, one "NNNN=text" line each,
// so scripts show text by number and each language or scene keeps its texts
// in a file of its own. The scene holds one; the Scene members read it.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

// Ids run from 0 to 9999: exactly four digits.
constexpr int kStringListIdDigits = 4;

class StringList {
 public:
  // Replaces the entries by those of `text` (a file's bytes; a NUL ends
  // them). Lines end at CR, LF or any run of them; a line is an entry when
  // its first four bytes are digits and its fifth is "=", and its text runs
  // from after the "=" to the line's end, with each backslash and "n" that
  // starts a character made a line break (CR LF). Other lines are skipped.
  void Load(std::string_view text);
  void Clear();

  // The entry's text, or null. Of two entries with one id, the earlier one.
  const char* Find(int id) const;
  int Count() const { return static_cast<int>(entries_.size()); }

 private:
  struct Entry {
    int id;
    std::uint32_t offset;  // of the text in bytes_
  };
  // The file's bytes; each text ends where its line ended, in place.
  std::vector<char> bytes_;
  std::vector<Entry> entries_;  // sorted by id
};
