// Line reader over arbitrary text, raw and expanded, with includes served
// from memory: "self" is the input itself (nesting, cycles and the budget are
// exercised), "half" its first half, every other name is missing.
#include <cstring>

#include "files/line_reader.h"
#include "fuzz_support.h"

namespace {

std::string g_input;

bool ReadFromMemory(const std::string& path, FileData& out) {
  if (path == "fuzz/self") {
    out.Assign(g_input);
    return true;
  }
  if (path == "fuzz/half") {
    out.Assign(std::string_view(g_input).substr(0, g_input.size() / 2));
    return true;
  }
  return false;
}

}  // namespace

T3D_FUZZ_TARGET(data, size) {
  g_input = FuzzText(data, size);
  for (bool expand : {false, true}) {
    LineReader reader;
    reader.SetFileSource(ReadFromMemory);
    if (!reader.Open("fuzz/self")) return 0;
    while (reader.ReadLine(expand)) {
      FaultIf(std::strlen(reader.GetLine()) >= kLineCapacity);
    }
    FaultIf(reader.GetDefinitionCount() > kLineDefinitionCount);
    int number = 0;
    reader.GetNumber("N", number);
  }
  return 0;
}
