// The "Script Error" report of the program's script engines.
#include "script/game_script.h"

#include "platform/system/message_box.h"

bool GameScript::OnError(int line, int column, int code) {
  if (code == ERR_USER_STOP) return false;  // the script asked to stop: nothing to show
  char text[1024];
  FormatError(line, column, code, text, sizeof text);
  ShowMessageBox(text, "Script Error");
  return false;
}
