// Names and texts of a game as they may stand on standard error: UTF-8, and
// never a byte that the terminal would take as a command. Used by every line
// the player writes there that holds content's bytes.
#pragma once

#include <string>
#include <string_view>

// Content's text (Shift-JIS) as it may stand on standard error: UTF-8, with
// every byte below 0x20 and 0x7F shown escaped ("\x1b"), and so the C1
// controls and the characters that change the display order ("\u202e").
std::string ContentTextForTerminal(std::string_view shiftJis);
// A name as the disk has it (UTF-8, or the raw Shift-JIS bytes of a name
// that was not converted when unpacked), the same way.
std::string DiskTextForTerminal(std::string_view bytes);
