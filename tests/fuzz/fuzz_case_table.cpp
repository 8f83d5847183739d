// Case-table reader over arbitrary text: every record it yields must be a
// sane one, and no list may hold more records than the text has lines.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "motion/case_table.h"
#include "motion/motion.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static std::vector<Motion>* motions = [] {
    auto* list = new std::vector<Motion>(5);
    const char* names[] = {"Stand", "Walk", "Run", "#SMTN", ""};
    for (std::size_t i = 0; i < list->size(); ++i) (*list)[i].SetName(names[i]);
    return list;
  }();
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  CaseTable table;
  table.LoadText(text, *motions);
  if (table.Count() != static_cast<int>(motions->size())) __builtin_trap();
  const std::size_t lines = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\r')) + 1;
  for (int m = 0; m < table.Count(); ++m) {
    const CaseList* list = table.ListAt(m);
    if (list == nullptr || list->records.size() > lines) __builtin_trap();
    for (const CaseRecord& record : list->records) {
      if (record.nextMotion < -1 || record.nextMotion >= table.Count()) __builtin_trap();
      if (std::strlen(record.script.text) >= kCommandTextSize) __builtin_trap();
    }
  }
  return 0;
}
