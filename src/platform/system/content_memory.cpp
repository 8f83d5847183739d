#include "platform/system/content_memory.h"

#include <iterator>

std::string PastMemoryBound(std::string_view what, std::uint64_t limit) {
  static constexpr const char* kUnits[] = {"bytes", "KiB", "MiB", "GiB"};
  std::size_t unit = 0;
  while (unit + 1 < std::size(kUnits) && limit >= 1024 && limit % 1024 == 0) {
    limit /= 1024;
    ++unit;
  }
  return "not loaded: the game's " + std::string(what) + " would pass " + std::to_string(limit) + " " + kUnits[unit];
}
