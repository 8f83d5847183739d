#include "platform/system/content_report.h"

#include <cstdio>

#include "platform/system/content_path.h"
#include "platform/system/terminal_text.h"

std::string ContentFileForTerminal(std::string_view path) {
  // The program folder is a disk path the author did not write; what follows
  // it is the content's own Shift-JIS name.
  return ContentTextForTerminal(path.substr(path.size() - ContentNameLength(path)));
}

void ReportContentFault(std::string_view path, int line, std::string_view what) {
  std::string name = ContentFileForTerminal(path);
  // A name left empty by the content still shows where the name belongs.
  if (name.empty()) name = "\"\"";
  std::string text = "t3dplayer: " + name;
  if (line > 0) text += ":" + std::to_string(line);
  text += ": ";
  text += what;
  text += '\n';
  // One write, so that lines of a music thread never cut into it.
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fflush(stderr);
}
