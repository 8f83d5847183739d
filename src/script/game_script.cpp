// The reports of the program's script engines: the "Script Error" box of a
// run-time error, and the one line of a failed compile.
#include "script/game_script.h"

#include <string>

#include "platform/system/content_report.h"
#include "platform/system/message_box.h"
#include "platform/system/terminal_text.h"

bool GameScript::OnError(int line, int column, int code) {
  if (code == ERR_USER_STOP) return false;  // the script asked to stop: nothing to show
  char text[1024];
  FormatError(line, column, code, text, sizeof text);
  ShowMessageBox(text, "Script Error");
  return false;
}

void GameScript::OnCompileError(const CompileFault& fault) {
  // The message is Shift-JIS, and so are the names put into it. A bound met,
  // or memory wanting, is said in place of the code's message, which would
  // name another fault.
  std::string message = fault.reason;
  if (message.empty()) {
    message = GetErrorMessage(fault.code);
    const std::size_t slot = message.find("%s");
    if (slot != std::string::npos) {
      message.replace(slot, 2, fault.name);
    } else if (!fault.name.empty()) {
      message += " \"" + fault.name + "\"";
    }
  }
  ReportContentFault(fault.file, fault.line,
                     "error " + std::to_string(fault.code) + ": " + ContentTextForTerminal(message));
}
