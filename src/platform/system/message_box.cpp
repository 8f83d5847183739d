// Message boxes: a line on standard error always, which never blocks, and a
// box on the display where the program has installed one.
#include "platform/system/message_box.h"

#include <cstdio>
#include <string>

#include "platform/system/shift_jis.h"

namespace {

MessageBoxPresenter g_presenter = nullptr;

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

void ShowMessageBox(const char* text, const char* caption, const MessageBoxStyle& style) {
  const std::string captionUtf8 = ShiftJisToUtf8(caption != nullptr ? caption : "");
  const std::string textUtf8 = ShiftJisToUtf8(text != nullptr ? text : "");
  std::string line = OneLine(captionUtf8);
  line += ": ";
  line += OneLine(textUtf8);
  line += '\n';
  // One write keeps the line whole when other threads log at the same time.
  // It comes before the box, which may wait a long time for its user.
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
  if (g_presenter != nullptr) g_presenter(textUtf8.c_str(), captionUtf8.c_str(), style);
}

void SetMessageBoxPresenter(MessageBoxPresenter presenter) { g_presenter = presenter; }
