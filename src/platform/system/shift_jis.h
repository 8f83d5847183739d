// Shift-JIS (CP932) helpers: the lead-byte test of every text loop, the folder of
// a path, and conversion to and from UTF-8 for text that leaves or enters the program.
#pragma once

#include <string>
#include <string_view>

// The lead bytes are fixed whatever the locale: 0x81-0x9F and 0xE0-0xFC.
inline bool IsShiftJisLeadByte(unsigned char c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// A double-byte character of a path starts at `i`: a lead byte followed by a
// byte that may follow one (0x40-0x7E, 0x80-0xFC). Paths step by this, not by
// the lead byte alone: the program folder before a content name is a UTF-8
// disk path, where a byte in the lead range can stand right before a "/".
inline bool StartsShiftJisPairInPath(std::string_view path, std::size_t i) {
  if (i + 1 >= path.size() || !IsShiftJisLeadByte(static_cast<unsigned char>(path[i]))) return false;
  const auto next = static_cast<unsigned char>(path[i + 1]);
  return (next >= 0x40 && next <= 0x7E) || (next >= 0x80 && next <= 0xFC);
}

// The drive and folder of a path: up to and including its last "\" or "/",
// empty when it has neither. Every loader that takes names relative to a
// file cuts here. Many characters end in 0x5C ("表" is 95 5C, "ソ" 83 5C):
// cut at such a second byte, "models\表示.x" would look beside it in a
// folder "models\表". A "/" is never a second byte, so it still cuts after
// the UTF-8 name of a disk folder that ends in a byte of the lead range.
inline std::string_view FolderOfPath(std::string_view path) {
  std::size_t end = 0;
  for (std::size_t i = 0; i < path.size(); i += StartsShiftJisPairInPath(path, i) ? 2 : 1) {
    if (path[i] == '\\' || path[i] == '/') end = i + 1;
  }
  return path.substr(0, end);
}

// Bytes that do not form CP932 characters come out as U+FFFD; never fails.
std::string ShiftJisToUtf8(std::string_view text);
// The UTF-8 form of text that is CP932 throughout; false (and `utf8` left as
// it was) when some bytes form no character, so that no name is invented.
bool ShiftJisToUtf8Exact(std::string_view text, std::string& utf8);
// Characters that CP932 lacks come out as '?'; never fails.
std::string Utf8ToShiftJis(std::string_view text);
