// The program's string table: the window title and the window class name, by
// the numbers the window code loads them with.
#pragma once

constexpr int kTitleStringId = 103;
constexpr int kClassNameStringId = 109;

// The Shift-JIS text of string `id`; "" for a number the table lacks.
inline const char* LoadProgramString(int id) {
  switch (id) {
    case kTitleStringId: return "T3D Player";
    case kClassNameStringId: return "T3DPLAYER";
    default: return "";
  }
}
