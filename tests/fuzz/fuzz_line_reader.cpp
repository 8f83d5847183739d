// Line reader over arbitrary text, raw and expanded, with includes served
// from memory: "self" is the input itself (nesting, cycles and the budget are
// exercised), "half" its first half, every other name is missing.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "files/line_reader.h"

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

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  g_input.assign(reinterpret_cast<const char*>(data), size);
  for (bool expand : {false, true}) {
    LineReader reader;
    reader.SetFileSource(ReadFromMemory);
    if (!reader.Open("fuzz/self")) return 0;
    while (reader.ReadLine(expand)) {
      if (std::strlen(reader.GetLine()) >= kLineCapacity) __builtin_trap();
    }
    if (reader.GetDefinitionCount() > kLineDefinitionCount) __builtin_trap();
    int number = 0;
    reader.GetNumber("N", number);
  }
  return 0;
}
