// Case-table reader over arbitrary text: every record it yields must be a
// sane one, and no list may hold more records than the text has lines.
#include <algorithm>
#include <cstring>
#include <vector>

#include "fuzz_support.h"
#include "motion/case_table.h"
#include "motion/motion.h"

T3D_FUZZ_TARGET(data, size) {
  static std::vector<Motion>* motions = [] {
    auto* list = new std::vector<Motion>(5);
    const char* names[] = {"Stand", "Walk", "Run", "#SMTN", ""};
    for (std::size_t i = 0; i < list->size(); ++i) (*list)[i].SetName(names[i]);
    return list;
  }();
  const std::string_view text = FuzzText(data, size);
  CaseTable table;
  table.LoadText(text, *motions);
  FaultIf(table.Count() != static_cast<int>(motions->size()));
  // A line ends at CR, LF or CR LF: there are never more lines than ends.
  const std::size_t lines =
      static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; })) + 1;
  for (int m = 0; m < table.Count(); ++m) {
    const CaseList* list = table.ListAt(m);
    FaultIf(list == nullptr || list->records.size() > lines);
    for (const CaseRecord& record : list->records) {
      FaultIf(record.nextMotion < -1 || record.nextMotion >= table.Count());
      FaultIf(std::strlen(record.script.text) >= kCommandTextSize);
    }
  }
  return 0;
}
