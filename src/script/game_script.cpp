// The reports of the program's script engines: the "Script Error" box of a
// run-time error with the line that says where its marked token stands, and
// the one line of a failed compile or of a latent fault.
#include "script/game_script.h"

#include <string>

#include "platform/system/content_report.h"
#include "platform/system/message_box.h"
#include "platform/system/terminal_text.h"

namespace {

// "error CODE: MESSAGE", the message as the table gives it (Shift-JIS, like
// the name put into it), fit for the terminal. A bound met, or memory
// wanting, is said in place of the code's message, which would name
// another fault.
std::string ErrorText(EErrorCode code, const std::string& name, const std::string& reason = std::string()) {
  std::string message = reason;
  if (message.empty()) {
    message = GetErrorMessage(code);
    const std::size_t slot = message.find("%s");
    if (slot != std::string::npos) {
      message.replace(slot, 2, name);
    } else if (!name.empty()) {
      message += " \"" + name + "\"";
    }
  }
  return "error " + std::to_string(code) + ": " + ContentTextForTerminal(message);
}

}  // namespace

bool GameScript::OnError(int line, int column, int code) {
  if (code == ERR_USER_STOP) return false;  // the script asked to stop: nothing to show
  char text[1024];
  FormatError(line, column, code, text, sizeof text);
  // The box counts lines within the function and names no file.
  const MarkedToken marked = MarkedTokenOf(line, column);
  if (marked.function && marked.place.line > 0) {
    ReportContentFault(marked.place.file, marked.place.line,
                       "Script Error at " + ContentTextForTerminal(marked.function->name) + "(" +
                           std::to_string(line) + "," + std::to_string(column) + ")");
  }
  ShowMessageBox(text, "Script Error");
  return false;
}

void GameScript::OnCompileError(const CompileFault& fault) {
  ReportContentFault(fault.file, fault.line, ErrorText(fault.code, fault.name, fault.reason));
}

void GameScript::OnLatentFault(const CompileFault& fault) {
  ReportContentFault(fault.file, fault.line,
                     ErrorText(fault.code, "") + " (in " + ContentTextForTerminal(fault.name) +
                         (fault.swallows ? ": its \"}\" is missing before the function that starts here)" : ")"));
}
