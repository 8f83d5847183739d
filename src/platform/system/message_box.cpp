// Message boxes: a line on standard error always, which never blocks, and a
// box on the display where the program has installed one.
#include "platform/system/message_box.h"

#include <string>
#include <string_view>

#include "platform/system/error_lines.h"
#include "platform/system/shift_jis.h"
#include "platform/system/terminal_text.h"

namespace {

MessageBoxPresenter g_presenter = nullptr;

// Logs are read line by line: each run of line breaks becomes one space. A
// Shift-JIS trail byte is never a line break, so this works on the bytes as
// they come.
std::string OneLine(std::string_view text) {
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
  if (caption == nullptr) caption = "";
  if (text == nullptr) text = "";
  // The texts come from the game (a script's title, a script's own source):
  // the line shows them escaped. The box gets them whole.
  const std::string captionLine = OneLine(caption);
  std::string line = captionLine.empty() ? "t3dplayer" : ContentTextForTerminal(captionLine);
  line += ": ";
  line += ContentTextForTerminal(OneLine(text));
  line += '\n';
  // Before the box, which may wait a long time for its user. Only the line
  // is held back when it repeats: a box on the display is shown every time.
  WriteErrorLineOnce(line);
  if (g_presenter != nullptr) g_presenter(ShiftJisToUtf8(text).c_str(), ShiftJisToUtf8(caption).c_str(), style);
}

void SetMessageBoxPresenter(MessageBoxPresenter presenter) { g_presenter = presenter; }
