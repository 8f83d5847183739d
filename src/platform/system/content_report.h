// Lines on standard error for content that fails to load: the player goes on as
// before (an element skipped, a file cut short, a scene ended), and the author
// reading the console learns what failed and where. Used by every loader.
#pragma once

#include <string>
#include <string_view>

// A content file's name as the content gave it: the path without the program
// folder that starts it, in UTF-8 with control bytes escaped.
std::string ContentFileForTerminal(std::string_view path);

// "t3dplayer: <file>: <what>", or "t3dplayer: <file>:<line>: <what>" for a
// line above 0. `what` is written as it stands, so any content text inside it
// is made fit for the terminal by the caller (ContentTextForTerminal).
void ReportContentFault(std::string_view path, int line, std::string_view what);
