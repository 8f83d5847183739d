// String lists: which lines are entries, line ends of every kind, the "\n"
// escape, look-up by id, and files that end early.
#include <gtest/gtest.h>

#include <string>

#include "scene/text/string_list.h"

namespace {

// "id=text" per entry in id order, CR and LF shown as \r and \n, then the
// answer for an id that has no entry.
std::string Entries(const std::string& file) {
  StringList list;
  list.Load(file);
  std::string out;
  for (int id = 0; id <= 9999; ++id) {
    const char* text = list.Find(id);
    if (!text) continue;
    out += std::to_string(id) + "=";
    for (const char* p = text; *p; ++p) out += *p == '\r' ? "\\r" : *p == '\n' ? "\\n" : std::string(1, *p);
    out += "|";
  }
  return out + (list.Find(4321) ? "4321 found" : "4321 none") + " count " + std::to_string(list.Count());
}

TEST(StringList, ReadsTheEntriesOfEveryKindOfFile) {
  const struct {
    const char* name;
    std::string file;
    const char* entries;
  } cases[] = {
      {"four digits, no line end at the last line", "0012=twelve", "12=twelve|4321 none count 1"},
      {"three or five digits are no entry", "012=x\n00123=y\n0012=z\n", "12=z|4321 none count 1"},
      {"other lines skipped", "# header\n\n  0001=x\nabcd=y\n0001x=z\n9999=last\n", "9999=last|4321 none count 1"},
      {"CR only", "0001=a\r0002=b\r\r0003=c", "1=a|2=b|3=c|4321 none count 3"},
      {"CR LF and runs", "0001=a\r\n\r\n0002=\n\n\n0003=c\n", "1=a|2=|3=c|4321 none count 3"},
      {"empty file", "", "4321 none count 0"},
      {"sorted by id", "0003=c\n0001=a\n0002=b", "1=a|2=b|3=c|4321 none count 3"},
      {"the earlier of two equal ids", "0009=first\n0009=second\n", "9=first|4321 none count 2"},
      {"escape becomes CR LF", "0005=one\\ntwo\\n\r\n", "5=one\\r\\ntwo\\r\\n|4321 none count 1"},
      // 0x5C as the second byte of a two-byte character is no backslash.
      {"no escape inside a character", "0006=\x95\\n", "6=\x95\\n|4321 none count 1"},
      // The escape's CR LF is text, never the end of a line: no entry 8
      // appears that the count did not see.
      {"escape before digits", "0007=a\\n0008=b", "7=a\\r\\n0008=b|4321 none count 1"},
      {"lead byte at the end", "0010=\x82", "10=\x82|4321 none count 1"},
      {"lead byte before the line end takes it", "0011=\x82\n0012=x\n0013=y",
       "11=\x82\\n0012=x|13=y|4321 none count 2"},
      {"id at the end of the file", "00", "4321 none count 0"},
      {"NUL ends the file", std::string("0001=a\n\0" "0002=b", 14), "1=a|4321 none count 1"},
  };
  for (const auto& c : cases) EXPECT_EQ(Entries(c.file), c.entries) << c.name;
}

}  // namespace
