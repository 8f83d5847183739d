// Message boxes. Until a windowed box exists, the message goes to standard
// error only, which never blocks, with or without a display.
#include "platform/system/message_box.h"

#include <cstdio>
#include <string>

#include "platform/system/shift_jis.h"

namespace {

// Logs are read line by line: each run of line breaks becomes one space.
std::string OneLine(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  bool inBreak = false;
  for (char c : text) {
    if (c == '\n' || c == '\r') {
      inBreak = true;
      continue;
    }
    if (inBreak && !out.empty()) out += ' ';
    inBreak = false;
    out += c;
  }
  return out;
}

}  // namespace

void ShowMessageBox(const char* text, const char* caption) {
  std::string line = OneLine(ShiftJisToUtf8(caption != nullptr ? caption : ""));
  line += ": ";
  line += OneLine(ShiftJisToUtf8(text != nullptr ? text : ""));
  line += '\n';
  // One write keeps the line whole when other threads log at the same time.
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
}
