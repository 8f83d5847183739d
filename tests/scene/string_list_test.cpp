// String lists: which lines are entries, line ends of every kind, the "\n"
// escape, look-up by id, and files that end early.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "scene/text/string_list.h"
#include "support/case_files.h"

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

// Every row of tables/string_list.rows.
TEST(StringList, ReadsTheEntriesOfEveryKindOfFile) {
  const auto rows = ReadTableRows(std::filesystem::path(T3D_SOURCE_DIR) / "tests/scene/tables/string_list.rows");
  ASSERT_FALSE(rows.empty());
  for (const auto& row : rows) {
    ASSERT_EQ(row.size(), 3u) << row[0];
    EXPECT_EQ(Entries(row[1]), row[2]) << row[0];
  }
}

}  // namespace
